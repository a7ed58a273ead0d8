#pragma once

#include <string>
#include <vector>

// What a console program gets from and gives to the system beyond its files: its arguments and
// its standard output.
namespace platform {

/// The program's arguments after its own name, as UTF-8, taken from the system's own command
/// line where argv would lose characters (Windows gives argv in the ANSI code page).
std::vector<std::string> ProgramArguments(int argc, char** argv);

/// Makes standard output and error carry the program's bytes unchanged (no line end rewritten)
/// and a console show them as UTF-8.
void PrepareStandardOutput();

/// True when standard error is a terminal a person watches (a progress line is shown there).
bool StandardErrorIsTerminal();

}  // namespace platform
