#include "shell/main_window.h"

#include <string>

#include "run/person_order.h"
#include "shell/program_files.h"
#include "shell/window_layout.h"
#include "support/number_text.h"

MainWindow::MainWindow(Window& window, RunOptions options)
    : window_(window), session_(std::move(options), *this) {}

// ---- Life of the window. ----

void MainWindow::Load() {
  displayedPerson_.reset();
  windowCaption.Caption = session_.BaseName();
  Mirror(ControlId::WindowCaption);
  session_.Load();
}

void MainWindow::OnStartTimer() {
  startTimer.Enabled = false;
  Mirror(ControlId::StartTimer);
  session_.Run();
}

void MainWindow::OnClose() {
  session_.End();
  window_.closeWindow();
}

// ---- What the run tells. ----

void MainWindow::StatusChanged(std::u16string_view status) {
  statusLabel.Caption = status;
  // A log that cannot be written is no reason to stop, but the user must learn that the record
  // is incomplete: the status line says so from the first lost line on, once, after its status.
  const RunOutcome outcome = session_.Outcome();
  if (outcome.LogLinesLost != 0) {
    statusLabel.Caption += u" – Protokoll kann nicht geschrieben werden: " + outcome.LogFailure;
  }
  Mirror(ControlId::StatusLabel);
}

void MainWindow::FoldersCounted(std::size_t folders) {
  folderCountLabel.Caption = NumberText(static_cast<double>(folders));
  Mirror(ControlId::FolderCount);
}

void MainWindow::FilesCounted(std::size_t files, double totalBytes) {
  totalSizeLabel.Caption = FormatSize(totalBytes, 2);
  Mirror(ControlId::TotalSize);
  fileCountLabel.Caption = NumberText(static_cast<double>(files));
  Mirror(ControlId::FileCount);
}

void MainWindow::ProgressChanged(double searched) {
  // A negative width cannot be shown; such a share hides the bar like 0 does.
  const double width = static_cast<double>(kProgressInnerWidthTwips) * searched;
  progressBar.Width = width > 0 ? static_cast<float>(width) : 0.0F;
  Mirror(ControlId::ProgressBar);
}

void MainWindow::PersonAdded(PersonId person) {
  personList.Items.push_back(session_.Persons()[person].Name);
  Mirror(ControlId::PersonList);
}

void MainWindow::HitAdded(PersonId person, FileId) {
  if (displayedPerson_ != person) return;
  // The first hit of the person on display shows it; later ones only raise the count.
  if (!hitSelector.Enabled) {
    ShowPerson(person);
    return;
  }
  const auto count = static_cast<std::int32_t>(session_.Hits().CountOf(person));
  hitCountLabel.Caption = NumberText(count);
  Mirror(ControlId::HitCount);
  hitSelector.Max = count;
  Mirror(ControlId::HitSelector);
}

void MainWindow::ErrorReported(std::u16string_view text, std::int32_t configurationLine) {
  if (offerStarter_ && session_.Outcome().Configuration == ConfigurationState::Missing) {
    offerStarter_ = false;
    OfferStarter();
    return;
  }
  ShowError(text, configurationLine);
}

void MainWindow::OfferStarter() {
  const std::u16string& config = session_.ConfigFile();
  const MessageAnswer answer = window_.messageBox(MessageRequest{
      u"Die Konfigurationsdatei wurde nicht gefunden:\n" + config +
          u"\n\nSoll dort eine Startkonfiguration (die Personen der Demo, gesucht im "
          u"Benutzerordner) angelegt und im Editor geöffnet werden?",
      u"Konfiguration", MessageButtons::YesNo, MessageIcon::Question, DefaultButton::First});
  if (answer != MessageAnswer::Yes) return;
  platform::System& system = session_.System();
  std::optional<platform::SystemError> error = system.CreateFolders(session_.ConfigFolder());
  if (!error) error = system.AppendToFile(config, StarterConfiguration(system), std::nullopt);
  if (!error) error = system.StartTextEditor(config);
  if (error) ShowError(error->Description, 0);
}

bool MainWindow::Checkpoint() {
  window_.processPendingMessages();
  return true;
}

// ---- The person on display. ----

void MainWindow::ShowPerson(PersonId person) {
  // The person comes first, so a change event raised by the selector below sees the new one.
  displayedPerson_ = person;
  personFrame.Caption = session_.Persons()[person].Name;
  Mirror(ControlId::PersonFrame);

  const auto count = static_cast<std::int32_t>(session_.Hits().CountOf(person));
  hitCountLabel.Caption = NumberText(count);
  Mirror(ControlId::HitCount);

  const bool hasHits = count != 0;
  if (hasHits) {
    hitSelector.Enabled = true;
    hitSelector.Max = count;
    hitSelector.Value = 1;
    Mirror(ControlId::HitSelector);
    OnSelectorChanged();
  } else {
    // Disabled before the range changes, so a change event raised meanwhile does nothing; the
    // disabled selector also tells a new hit that the person had none so far.
    hitSelector.Enabled = false;
    hitSelector.Max = 1;
    hitSelector.Value = 1;
    Mirror(ControlId::HitSelector);
    hitNumberLabel.Caption.clear();
    Mirror(ControlId::HitNumber);
    pathBox.Text.clear();
    Mirror(ControlId::PathBox);
  }
  openButton.Enabled = hasHits;
  Mirror(ControlId::OpenButton);
  deleteButton.Enabled = hasHits;
  Mirror(ControlId::DeleteButton);
}

std::optional<FileId> MainWindow::SelectedFile() const {
  if (!displayedPerson_ || !hitSelector.Enabled) return std::nullopt;
  const std::vector<FileId>& files = session_.Hits().FilesOf(*displayedPerson_);
  const std::int32_t hit = hitSelector.Value;
  if (hit < 1 || static_cast<std::size_t>(hit) > files.size()) return std::nullopt;
  return files[static_cast<std::size_t>(hit) - 1];
}

// ---- The user's acts. ----

void MainWindow::OnPersonSelected() {
  if (rebuildingList_) return;
  if (personList.ListIndex < 0 ||
      static_cast<std::size_t>(personList.ListIndex) >= personList.Items.size()) {
    return;
  }
  if (const auto person = session_.Persons().Find(personList.SelectedText())) ShowPerson(*person);
}

void MainWindow::OnSelectorChanged() {
  if (!hitSelector.Enabled || !displayedPerson_) return;
  hitNumberLabel.Caption = NumberText(hitSelector.Value);
  Mirror(ControlId::HitNumber);

  const std::optional<FileId> file = SelectedFile();
  pathBox.Text = file ? session_.Catalog().FilePath(*file) : std::u16string();
  Mirror(ControlId::PathBox);
}

void MainWindow::OnSelectorScrolled() {
  OnSelectorChanged();
}

void MainWindow::OnOpenClicked() {
  // The path box's text at the time of the click is what is opened. An editor that cannot be
  // started is reported in a box, so the click never silently does nothing; it is not logged.
  if (const auto error = session_.System().StartTextEditor(pathBox.Text)) {
    ShowError(error->Description, session_.ConfigurationLine());
  }
}

void MainWindow::OnDeleteClicked() {
  // The path box's text at the time of the click is what is deleted; the box does not name it.
  const std::u16string path = pathBox.Text;
  const MessageAnswer answer = window_.messageBox(
      MessageRequest{u"Wollen Sie wirklich diese Datei endgültig löschen?", u"Wirklich löschen?",
                     MessageButtons::YesNo, MessageIcon::Critical, DefaultButton::Second});
  if (answer != MessageAnswer::Yes) return;
  if (const auto error = session_.DeleteFound(path, SelectedFile())) {
    ShowError(error->Description, session_.ConfigurationLine());
  }
}

void MainWindow::OnSortClicked() {
  SortPersonList();
}

void MainWindow::SortPersonList() {
  rebuildingList_ = true;
  const std::u16string selected = personList.SelectedText();
  personList.Clear();
  personList.ListIndex = -1;
  // Every sort starts from declaration order with the counts of this moment.
  for (const PersonId person : PersonsByHits(session_.Persons(), session_.Hits())) {
    const std::u16string& name = session_.Persons()[person].Name;
    personList.Items.push_back(name);
    if (name == selected) {
      personList.ListIndex = static_cast<std::int32_t>(personList.Items.size()) - 1;
      Mirror(ControlId::PersonList);
    }
  }
  Mirror(ControlId::PersonList);
  rebuildingList_ = false;
}

void MainWindow::ShowError(std::u16string_view text, std::int32_t configurationLine) {
  window_.messageBox(MessageRequest{std::u16string(text), u"Fehler", MessageButtons::Ok,
                                    MessageIcon::Critical, DefaultButton::First,
                                    configurationLine});
}
