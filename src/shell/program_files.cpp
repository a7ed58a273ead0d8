#include "shell/program_files.h"

#include "platform/code_page.h"
#include "platform/utf8.h"
#include "support/path_name.h"

namespace {

/// The base folder an XDG variable names, or home + fallback when it is unset, empty or
/// relative (relative values are to be ignored), ending in the separator.
std::u16string UserFolder(const platform::System& system, std::u16string_view variable,
                          std::u16string_view fallback) {
  const char16_t separator = system.PathSeparator();
  std::u16string folder = system.EnvironmentVariable(variable).value_or(u"");
  if (IsRelativePath(folder, separator) || folder.empty()) {
    folder = system.HomeFolder() + separator + std::u16string(fallback);
  }
  if (folder.back() != separator) folder += separator;
  return folder;
}

}  // namespace

ProgramFiles ChooseProgramFiles(platform::System& system, const std::u16string& programPath) {
  const char16_t separator = system.PathSeparator();
  const std::size_t slash = programPath.rfind(separator);
  const std::u16string folder =
      slash == std::u16string::npos ? system.CurrentFolder() : programPath.substr(0, slash + 1);
  std::u16string name = slash == std::u16string::npos ? programPath : programPath.substr(slash + 1);
  if (const std::size_t dot = name.rfind(u'.'); dot != std::u16string::npos && dot > 0) {
    name.resize(dot);
  }

  // Programs installed by the system's packages stay out of their folder even for root, who
  // may write there.
  const bool systemFolder = separator == u'/' && folder.starts_with(u"/usr/");
  if (!systemFolder && system.CanCreateFilesIn(folder)) {
    return {FilesPlace::ProgramFolder, folder + name + u".cfg", folder + name + u".log"};
  }
  const std::u16string config =
      UserFolder(system, u"XDG_CONFIG_HOME", u".config") + name + separator + name + u".cfg";
  const std::u16string log =
      UserFolder(system, u"XDG_STATE_HOME", u".local/state") + name + separator + name + u".log";
  return {FilesPlace::UserFolders, config, log};
}

RunOptions OptionsFor(const ProgramFiles& files, platform::System& system) {
  if (files.Place == FilesPlace::ProgramFolder) return {.System = system};
  // The log's folder is made before the first line; should that fail, the lines it loses are
  // said in the status line.
  system.CreateFolders(files.LogFile.substr(0, files.LogFile.rfind(system.PathSeparator()) + 1));
  return {.System = system,
          .ConfigFileOverride = files.ConfigFile,
          .Log = LogDestination::File,
          .LogFile = files.LogFile};
}

std::string StarterConfiguration(platform::System& system) {
  const bool utf8 = system.TextFiles() == platform::TextConvention::Utf8;
  const std::u16string lineEnd = utf8 ? u"\n" : u"\r\n";
  std::u16string text;
  for (const std::u16string_view line : {
           u"SEARCHMODE|BINARY|",
           u"FILETYPE|*.txt|20000|",
           u"FILETYPE|*.md|",
           u"FILETYPE|*.csv|",
           u"",
           u"NAME|Erika Müller|Müller|Hafenstraße 12|",
           u"NAME|Jürgen Schröder|Schröder|R-2024-117|",
           u"NAME|Ilse Weiß|Weiß|",
           u"NAME|Łukasz Nowak|Łukasz|",
           u"NAME|Paul Neumann|Neumann|",
       }) {
    // The folder to search is the user's home, named after the file type rules it is to use.
    text += line.empty() ? u"FOLDER|" + system.HomeFolder() + u"|" : std::u16string(line);
    text += lineEnd;
  }
  return utf8 ? platform::ToUtf8(text) : system.CodePage().Encode(text);
}
