#include "shell/main_form.h"

#include <utility>

#include "search/read_ahead.h"
#include "search/term_search.h"

MainForm::MainForm(Window& window, MainFormOptions options)
    : window_(window), options_(std::move(options)) {}

MainForm::~MainForm() = default;

std::u16string MainForm::ProgramPath() const {
  return options_.ProgramPathOverride ? *options_.ProgramPathOverride : System().ExecutablePath();
}

std::u16string MainForm::BaseName() const {
  const std::u16string path = ProgramPath();
  const std::size_t slash = path.rfind(System().PathSeparator());
  std::u16string name = slash == std::u16string::npos ? path : path.substr(slash + 1);
  const std::size_t dot = name.rfind(u'.');
  if (dot != std::u16string::npos && dot > 0) name.resize(dot);
  return name;
}

void MainForm::ShowError(const std::u16string& text) {
  ++outcome_.MessagesShown;
  window_.messageBox(MessageRequest{text, u"Fehler", MessageButtons::Ok, MessageIcon::Critical,
                                    DefaultButton::First, configLine_});
}
