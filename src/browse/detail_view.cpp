#include <algorithm>
#include <limits>

#include "platform/file_system.h"
#include "platform/text_editor.h"
#include "shell/main_form.h"
#include "support/mathe_code.h"
#include "support/text_code.h"

namespace {

/// A hit field read back as an unsigned hexadecimal number ("1A" is 26); stops at the first
/// character that is no digit, and saturates rather than wrapping.
std::uint64_t HexValue(std::u16string_view field) {
  std::uint64_t value = 0;
  for (const char16_t character : field) {
    unsigned digit = 0;
    if (character >= u'0' && character <= u'9') {
      digit = static_cast<unsigned>(character - u'0');
    } else if (character >= u'A' && character <= u'F') {
      digit = static_cast<unsigned>(character - u'A' + 10);
    } else if (character >= u'a' && character <= u'f') {
      digit = static_cast<unsigned>(character - u'a' + 10);
    } else {
      break;
    }
    if (value > std::numeric_limits<std::uint32_t>::max()) break;
    value = value * 16 + digit;
  }
  return value;
}

}  // namespace

std::int32_t MainForm::DisplayedPerson() const {
  const double number = ReadNumber(PersonFrame.Tag);
  if (!(number >= 1) || number >= static_cast<double>(Persons.size())) return 0;
  return static_cast<std::int32_t>(number);
}

void MainForm::ShowPerson(std::int32_t person) {
  if (person < 1 || static_cast<std::size_t>(person) >= Persons.size()) return;
  const PersonEntry& entry = Persons[static_cast<std::size_t>(person)];

  // The tag comes first, so a change event raised by the selector below sees the new person.
  PersonFrame.Tag = NumberText(person);
  PersonFrame.Caption = entry.Name;
  Mirror(ControlId::PersonFrame);

  const std::int32_t count = std::max(FieldCount(entry.Hits, u"|"), 0);
  PersonHäufigkeit.Caption = NumberText(count);
  Mirror(ControlId::PersonHäufigkeit);

  const bool hasHits = count != 0;
  if (hasHits) {
    PersonFundstellenAuswahl.Enabled = true;
    PersonFundstellenAuswahl.Max = count;
    PersonFundstellenAuswahl.Value = 1;
    Mirror(ControlId::PersonFundstellenAuswahl);
    PersonFundstellenAuswahl_Change();
  } else {
    // Disabled before the range changes, so a change event raised meanwhile does nothing; the
    // disabled selector is also how the search sees that the shown person has no hits yet.
    PersonFundstellenAuswahl.Enabled = false;
    PersonFundstellenAuswahl.Max = 1;
    PersonFundstellenAuswahl.Value = 1;
    Mirror(ControlId::PersonFundstellenAuswahl);
    PersonFundstelle.Caption.clear();
    Mirror(ControlId::PersonFundstelle);
    PersonFundstelleVerzeichnis.Text.clear();
    Mirror(ControlId::PersonFundstelleVerzeichnis);
  }
  Command1.Enabled = hasHits;
  Mirror(ControlId::Command1);
  Command2.Enabled = hasHits;
  Mirror(ControlId::Command2);
}

void MainForm::PersonFundstellenAuswahl_Change() {
  if (!PersonFundstellenAuswahl.Enabled) return;
  const std::int32_t person = DisplayedPerson();
  if (person == 0) return;

  const std::int32_t hit = PersonFundstellenAuswahl.Value;
  PersonFundstelle.Caption = NumberText(hit);
  Mirror(ControlId::PersonFundstelle);

  const std::uint64_t file =
      HexValue(GetField(Persons[static_cast<std::size_t>(person)].Hits, hit, u"|"));
  // Hit fields name existing files; anything else shows no path rather than reading past the table.
  PersonFundstelleVerzeichnis.Text = file >= 1 && file < Files.size()
                                         ? GetFilePath(static_cast<std::int32_t>(file))
                                         : std::u16string();
  Mirror(ControlId::PersonFundstelleVerzeichnis);
}

void MainForm::PersonFundstellenAuswahl_Scroll() {
  PersonFundstellenAuswahl_Change();
}

void MainForm::Command1_Click() {
  // The path box's text at the time of the click is what is opened.
  const std::u16string path = PersonFundstelleVerzeichnis.Text;
  if (options_.StartTextEditor) {
    options_.StartTextEditor(path);
  } else {
    platform::StartTextEditor(path);
  }
}

void MainForm::Command2_Click() {
  // The path box's text at the time of the click is what is deleted; the box does not name it.
  const std::u16string path = PersonFundstelleVerzeichnis.Text;
  const MessageAnswer answer = window_.messageBox(
      MessageRequest{u"Wollen Sie wirklich diese Datei endgültig löschen?", u"Wirklich löschen?",
                     MessageButtons::YesNo, MessageIcon::Critical, DefaultButton::Second});
  if (answer != MessageAnswer::Yes) return;

  WriteLog(u"KILL: " + path);
  if (const auto error = platform::DeleteFile(path)) {
    WriteLog(u"ERROR: " + error->Description);
    ShowError(error->Description);
  }
}
