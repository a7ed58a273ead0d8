#include <string>

#include "shell/main_form.h"
#include "shell/window_layout.h"
#include "support/mathe_code.h"

void MainForm::SetProgress(double fraction) {
  // A negative width cannot be shown; such a fraction hides the bar like 0 does.
  const double width = static_cast<double>(kProgressInnerWidthTwips) * fraction;
  processBar.Width = width > 0 ? static_cast<float>(width) : 0.0F;
  Mirror(ControlId::processBar);
}

void MainForm::SetStatus(std::u16string_view text) {
  Status.Caption = text;
  Mirror(ControlId::Status);
}

namespace {

std::u16string DecimalText(std::int32_t value) {
  const std::string digits = std::to_string(value);
  return std::u16string(digits.begin(), digits.end());
}

}  // namespace

void MainForm::SetFolderCount(std::int32_t count) {
  anzFolders.Caption = DecimalText(count);
  Mirror(ControlId::anzFolders);
}

void MainForm::SetFileCount(std::int32_t count) {
  anzFiles.Caption = DecimalText(count);
  Mirror(ControlId::anzFiles);
}

void MainForm::SetAllSize(double bytes) {
  allSize.Caption = FormatSize(bytes, 2);
  Mirror(ControlId::allSize);
}
