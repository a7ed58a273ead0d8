#include <algorithm>
#include <limits>

#include "search/hit_list.h"
#include "shell/main_form.h"
#include "support/mathe_code.h"
#include "support/text_code.h"

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

  const std::int32_t count = HitCount(entry.Hits);
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

  const std::int32_t file = SelectedFile();
  PersonFundstelleVerzeichnis.Text = file != 0 ? GetFilePath(file) : std::u16string();
  Mirror(ControlId::PersonFundstelleVerzeichnis);
}

std::int32_t MainForm::SelectedFile() const {
  const std::int32_t person = DisplayedPerson();
  if (person == 0 || !PersonFundstellenAuswahl.Enabled) return 0;
  const std::uint64_t file =
      HitFile(Persons[static_cast<std::size_t>(person)].Hits, PersonFundstellenAuswahl.Value);
  // Hit fields name existing files; anything else names none rather than reading past the table.
  return file >= 1 && file < Files.size() ? static_cast<std::int32_t>(file) : 0;
}

void MainForm::PersonFundstellenAuswahl_Scroll() {
  PersonFundstellenAuswahl_Change();
}

void MainForm::Command1_Click() {
  // The path box's text at the time of the click is what is opened. An editor that cannot be
  // started is reported in a box, so the click never silently does nothing; it is not logged.
  if (const auto error = System().StartTextEditor(PersonFundstelleVerzeichnis.Text)) {
    ShowError(error->Description);
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
  // The path of the selected hit deletes the very file the walk found, reached from its root
  // without following links: a folder swapped for a link or a file put in its place since the
  // walk is left alone. Any other text (the empty box before a person is shown) is taken as is.
  const std::int32_t file = SelectedFile();
  const auto error = file != 0 && GetFilePath(file) == path
                         ? System().DeleteFoundFile(LocateFile(file))
                         : System().DeleteFile(path);
  // The deleted file may be one the search has yet to reach: it must then find it gone.
  FilesChanged();
  if (error) {
    WriteLog(u"ERROR: " + error->Description);
    ShowError(error->Description);
  }
}
