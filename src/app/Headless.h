#pragma once
// The program without a window on screen, for a rig that drives the generator over the network or
// runs one saved program unattended: moistrel --headless [--program FILE] [--confirm-gases].
//
// The same program is built as with a window (the window exists but is never shown, on Qt's
// offscreen platform, so no display is needed). Once a second the LED caption and the status
// panels go to standard output. The message boxes are answered by policy and said on standard
// output: a question that needs the operator is answered No, except "Confirm selected gases" when
// --confirm-gases stands for the operator's Yes (which then also lets remote clients confirm). The
// remote-control server listens whatever the settings file says.
//
// SIGINT and SIGTERM run the safe stop before the program ends. With --program the program
// validates the instruments on the saved ports, selects the program's gases, confirms them, loads
// the program with all the loader's checks, runs it and ends when it has stopped.
//
// Exit status: 0 after a confirmed stop, 3 when the stop could not be confirmed (the mixer may
// still be dosing), 2 when the run could not start (or the command line is wrong).

#include <optional>
#include <string>
#include <vector>

namespace App {

inline constexpr int ExitStopped = 0;
inline constexpr int ExitNotStarted = 2;
inline constexpr int ExitCannotStop = 3;

struct THeadlessOptions {
    std::string ProgramFile; // empty: run until a signal asks for the stop
    bool ConfirmGases = false;
};

// The options when the arguments ask for headless running (the first is "--headless"); none
// otherwise. A wrong option sets `error`.
std::optional<THeadlessOptions> HeadlessOptions(const std::vector<std::string>& arguments,
                                                std::string& error);

// Runs the program headless until its end; the exit status. Makes the QApplication itself.
int RunHeadless(const THeadlessOptions& options, int argc, char* argv[]);

} // namespace App
