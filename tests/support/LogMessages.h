#pragma once
// Reads back a diagnostic log file the way a test wants to compare it.

#include <string>
#include <vector>

namespace TestSupport {

// The messages of the log file in the order they were written: each line without its date-time,
// thread and depth columns and without the indent of its depth. A missing file gives none.
std::vector<std::string> ReadLogMessages(const std::string& path);

} // namespace TestSupport
