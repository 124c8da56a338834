#pragma once
// Where the program lives: its settings file, its log files and its user data lie beside it.

#include <string>

namespace Base {

// Absolute path of the running program file (from /proc/self/exe).
std::string ProgramFilePath();
// Its folder, without a trailing slash.
std::string ProgramFolder();

} // namespace Base
