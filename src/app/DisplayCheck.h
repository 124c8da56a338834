#pragma once
// Whether the window can open: the toolkit aborts the process when the display it is told to use
// does not answer, so the program asks first and says plainly what is missing.

#include <string>

namespace App {

// Empty when a display looks reachable; otherwise the reason, for the operator.
std::string DisplayProblem();

} // namespace App
