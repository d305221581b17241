#pragma once

#include <string>
#include <vector>

namespace platform {

// Keeps argv for CommandLineArguments on POSIX; call it from main before
// anything (QApplication) takes options out of argv. Ignored on Windows,
// which reads the process's own command line.
void InitCommandLineArguments(int argc, char* argv[]);

// The process's arguments 1..n, without the program
// (Windows: GetCommandLineW split by SplitCommandLine; POSIX: argv as given).
std::vector<std::u16string> CommandLineArguments();

} // namespace platform
