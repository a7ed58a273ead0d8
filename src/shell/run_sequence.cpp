#include "shell/main_form.h"
#include "support/fileio_code.h"

void MainForm::Form_Load() {
  Caption.Caption = BaseName();
  Mirror(ControlId::Caption);

  SetProgress(0);
  SetStatus(u"Start");
  SetFolderCount(0);
  SetFileCount(0);
  SetAllSize(0);

  Folders.assign(1, FolderEntry{});
  Files.assign(1, FileEntry{});
  FileTypes.assign(1, FileTypeEntry{});
  Persons.assign(1, PersonEntry{});
  personIndex_ = PersonIndex();
  coverage_ = RunCoverage();
  roots_.clear();
  rootAncestors_.clear();

  SearchMode = 1;
  Documents = System().ReadsDocumentsByDefault() && DocumentsReadable() ? DocumentReading::On
                                                                        : DocumentReading::Off;
  Encodings = platform::DefaultEncodings(System().TextFiles());

  const char16_t separator = System().PathSeparator();
  const std::u16string program = ProgramPath();
  const std::size_t slash = program.rfind(separator);
  AppDir = slash == std::u16string::npos ? std::u16string(u".") : program.substr(0, slash + 1);
  if (AppDir.empty() || AppDir.back() != separator) AppDir += separator;
  ConfigFile =
      options_.ConfigFileOverride ? *options_.ConfigFileOverride : AppDir + BaseName() + u".cfg";

  StopRequested = false;
  WriteLog(u"START " + BaseName());
}

void MainForm::StartTimer_Timer() {
  StartTimer.Enabled = false;
  Mirror(ControlId::StartTimer);

  // The program's own configuration counts as missing when hidden; a file named explicitly by a
  // front end is taken as it is.
  const bool exists = System().IsRegularFile(ConfigFile) &&
                      (options_.ConfigFileOverride || !System().IsHidden(ConfigFile));
  if (exists) {
    ReadConfiguration();
  } else {
    outcome_.Configuration = ConfigurationState::Missing;
    ShowError(u"Die Konfigurationsdatei wurde nicht gefunden.");
  }
  SearchFiles();
  outcome_.Stopped = StopRequested;
}

void MainForm::ReadConfiguration() {
  LineReader reader(System());
  if (auto error = reader.Open(ConfigFile)) {
    // A configuration that exists but cannot be read is reported, and the run goes on without it.
    outcome_.Configuration = ConfigurationState::Unreadable;
    ShowError(u"Die Konfigurationsdatei kann nicht gelesen werden. " + error->Description);
    return;
  }
  while (!reader.AtEnd()) {
    if (StopRequested) break;
    SetStatus(u"lade Konfigurationen...");
    ++configLine_;
    ExecConfigLine(reader.ReadLine());
    // A configuration of many lines keeps the window answering, and a close or a stop request
    // is seen before the next line. A walk that was stopped returns to a closed window.
    if (!StopRequested) ProcessPendingMessages();
  }
  configLine_ = 0;
  reader.Close();
  outcome_.Configuration = ConfigurationState::Read;
}

void MainForm::Form_Unload() {
  StopRequested = true;
  WriteLog(u"EXIT");
  window_.closeWindow();
}
