#pragma once

#include <string>

#include "platform/system.h"
#include "run/run_options.h"

/// Where the window keeps its configuration and its log.
enum class FilesPlace {
  /// Beside the program, named after it: a portable copy in a folder the user may write.
  ProgramFolder,
  /// The user's configuration and state folders: a program installed where the user may not
  /// write.
  UserFolders,
};

/// The window's configuration and log files, and where they lie.
struct ProgramFiles {
  FilesPlace Place = FilesPlace::ProgramFolder;
  std::u16string ConfigFile;  ///< full path
  std::u16string LogFile;     ///< full path
};

/// Beside the program at programPath when its folder takes new files and is no system folder
/// (under /usr); else $XDG_CONFIG_HOME/<name>/<name>.cfg (~/.config when unset) and
/// $XDG_STATE_HOME/<name>/<name>.log (~/.local/state when unset), <name> being the program's
/// base name, so a renamed program keeps its own files there too.
ProgramFiles ChooseProgramFiles(platform::System& system, const std::u16string& programPath);

/// Run options that read and log where files says, on system.
RunOptions OptionsFor(const ProgramFiles& files, platform::System& system);

/// A configuration to start from: the demo's file types and persons over the user's home folder,
/// in the system's encoding of text files.
std::string StarterConfiguration(platform::System& system);
