#pragma once

#include <functional>
#include <optional>
#include <string>

#include "platform/directory.h"

/// Where the activity log goes.
enum class LogDestination {
  BesideProgram,  ///< AppDir + base name + ".log", the path built anew for every line
  File,           ///< a file named by the front end
  None,           ///< nothing is written
};

/// What a front end may choose about the services MainForm uses. The defaults are the
/// platform's, which is what the window uses.
struct MainFormOptions {
  /// Full path of the program; its folder becomes AppDir and its base name names the files.
  std::function<std::u16string()> ProgramPath;
  /// Replaces AppDir + base name + ".cfg" as the configuration file when set.
  std::optional<std::u16string> ConfigFileOverride;
  LogDestination Log = LogDestination::BesideProgram;
  std::u16string LogFile;  ///< used with LogDestination::File
  /// The folder walk's enumeration; nullptr means the operating system's folders.
  platform::DirectorySource* Directories = nullptr;
  /// Starts the text editor on a path; empty means the platform's.
  std::function<void(const std::u16string&)> StartTextEditor;
};
