#include "app/Headless.h"

#include "app/TMoistrel.h"
#include "app/TRemoteControl.h"
#include "base/Clock.h"
#include "base/Dialogs.h"
#include "base/FormatSettings.h"
#include "program/ProgramFile.h"
#include "setup/GasSelection.h"
#include "state/MoistrelState.h"
#include "ui/TForm1.h"
#include "ui/tabs/TMixtureOperationTab.h"
#include "ui/widgets/TLedCaption.h"
#include "ui/widgets/TStatusPanels.h"

#include <QApplication>
#include <QSocketNotifier>
#include <QTimer>
#include <array>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <filesystem>
#include <unistd.h>

namespace App {

namespace {

// The write end of the pipe that turns SIGINT and SIGTERM into an event of the event loop: a
// signal handler may do next to nothing, so it only writes a byte.
int gSignalWriteEnd = -1;

extern "C" void OnStopSignal(int /*signal*/) {
    const int saved = errno;
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = ::write(gSignalWriteEnd, &byte, 1);
    errno = saved;
}

// One line on standard output, whole, at once: a reader (a log collector, a pipe) sees each line
// as it happens.
void Say(const std::string& line) {
    std::string text;
    text.reserve(line.size() + 1);
    for (const char c : line) {
        text += (c == '\r' || c == '\n') ? ' ' : c;
    }
    text += '\n';
    std::fputs(text.c_str(), stdout);
    std::fflush(stdout);
}

// The message boxes by policy: nobody is there to answer them.
class THeadlessDialogs final : public Base::TDialogs {
public:
    explicit THeadlessDialogs(bool confirmGases) : fConfirmGases(confirmGases) {}

    void ShowMessage(const std::string& text) override { Say("Message: " + text); }
    bool AskYesNo(const std::string& title, const std::string& text) override {
        if (fConfirmGases && title == Setup::ConfirmGasesTitle) {
            Say("Question \"" + title + "\" answered Yes (--confirm-gases): " + text);
            return true;
        }
        Say("Question \"" + title + "\" refused, it needs the operator: " + text);
        return false;
    }
    std::optional<std::string> AskOpenFileName(const std::string& title, const std::string& /*folder*/,
                                               const std::string& /*filter*/) override {
        Say("File dialog \"" + title + "\" refused: there is no operator to choose a file");
        return std::nullopt;
    }
    std::optional<std::string> AskSaveFileName(const std::string& title, const std::string& folder,
                                               const std::string& filter) override {
        return AskOpenFileName(title, folder, filter);
    }

private:
    bool fConfirmGases;
};

// How often a saved program's start tries the set-up before it gives up.
constexpr int SetUpAttempts = 3;

bool RunsOrStops(UnitMain::TMixerState state) {
    return state == UnitMain::msRunning || state == UnitMain::msStopping;
}

// The headless program: its display on standard output, its signals, its saved program.
class THeadless {
public:
    THeadless(const THeadlessOptions& options, TMoistrel& program, TRemoteControl& remote)
        : fOptions(options), fProgram(program), fRemote(remote) {
        QObject::connect(&fDisplay, &QTimer::timeout, [this] { ShowStatus(); });
        fDisplay.start(1000);
        QObject::connect(&fWatch, &QTimer::timeout, [this] { Watch(); });
        fWatch.start(100);
    }

    // SIGINT and SIGTERM from now on ask for the safe stop. False when the pipe cannot be made.
    bool CatchSignals() {
        if (::pipe2(fPipe.data(), O_CLOEXEC | O_NONBLOCK) != 0) {
            return false;
        }
        gSignalWriteEnd = fPipe[1];
        fNotifier = std::make_unique<QSocketNotifier>(fPipe[0], QSocketNotifier::Read);
        QObject::connect(fNotifier.get(), &QSocketNotifier::activated, [this] {
            std::array<char, 16> bytes{};
            while (::read(fPipe[0], bytes.data(), bytes.size()) > 0) {
            }
            StopAsked();
        });
        struct sigaction action {};
        action.sa_handler = OnStopSignal;
        sigemptyset(&action.sa_mask);
        return ::sigaction(SIGINT, &action, nullptr) == 0 && ::sigaction(SIGTERM, &action, nullptr) == 0;
    }

    ~THeadless() {
        std::signal(SIGINT, SIG_DFL);
        std::signal(SIGTERM, SIG_DFL);
        gSignalWriteEnd = -1;
        fNotifier.reset();
        for (const int fd : fPipe) {
            if (fd >= 0) {
                ::close(fd);
            }
        }
    }
    THeadless(const THeadless&) = delete;
    THeadless& operator=(const THeadless&) = delete;

    // With a saved program: validate, select and confirm its gases, load it, start it. False (and
    // said) when it cannot start; then the program ends with ExitNotStarted.
    bool StartProgram() {
        const Program::TProgramFileRead read = Program::ReadProgramFile(fOptions.ProgramFile);
        if (!read.Ok) {
            Say(read.Message);
            return false;
        }
        TRemoteInstrument& instrument = fRemote.Instrument();
        const auto step = [](const std::string& what, const Remote::TActionResult& result) {
            Say(what + (result.Done() ? ": done" : ": refused: " + result.Text));
            return result.Done();
        };
        const Program::TProgramComposition& gases = read.Content.ComposedFor;
        if (!SetUp(gases)) {
            return false;
        }
        if (!step("Program " + fOptions.ProgramFile + " loaded",
                  instrument.LoadProgram(fOptions.ProgramFile)) ||
            !step("Program started", instrument.StartProgram())) {
            return false;
        }
        fProgramStarted = true;
        return true;
    }

    // Validation on the saved ports, the program's gases selected and confirmed. A reply lost on a
    // busy line can spoil one of these steps (an MFC whose tables were not all read does not offer
    // the gas); then the whole set-up is done again, as the operator would, a few times.
    bool SetUp(const Program::TProgramComposition& gases) {
        TRemoteInstrument& instrument = fRemote.Instrument();
        for (int attempt = 1; attempt <= SetUpAttempts; ++attempt) {
            const bool last = attempt == SetUpAttempts;
            const auto step = [last](const std::string& what, const Remote::TActionResult& result) {
                Say(what + (result.Done() ? ": done" : ": refused: " + result.Text) +
                    (result.Done() || last ? "" : " (the set-up is tried again)"));
                return result.Done();
            };
            if (!step("Validation on the saved ports", instrument.Validate()) ||
                !step("Gas of MFC A " + gases.GasA, instrument.SelectGasA(gases.GasA)) ||
                !step("Gas of MFC B " + gases.GasB, instrument.SelectGasB(gases.GasB))) {
                continue;
            }
            if (!fOptions.ConfirmGases) {
                Say("The gases need the operator's confirmation: start with --confirm-gases to give it");
                return false;
            }
            if (step("Gases confirmed", instrument.ConfirmGases())) {
                return true;
            }
        }
        return false;
    }

    // The exit status once the event loop has ended.
    int ExitStatus() const { return fExitStatus; }

private:
    void ShowStatus() {
        const UnitMain::TMixtureOperationTab& page = *fProgram.Form().Operation;
        std::string line = page.RzLEDDisplay1->Caption();
        for (int panel = 0; panel < 5; ++panel) {
            line += " | " + page.StatusBar1->PanelText(panel);
        }
        Say(line);
    }

public:
    // The safe stop, then the end with `status` (ExitCannotStop instead when the stop cannot be
    // confirmed). The stop runs in the event loop's ticks.
    void EndAfterStop(int status) {
        if (fStopAsked) {
            return;
        }
        fStopAsked = true;
        fEndStatus = status;
        const Remote::TActionResult result = fRemote.Instrument().StopProgram();
        if (!result.Done() && !result.Text.empty()) {
            Say(result.Text);
        }
    }

private:
    void StopAsked() {
        if (fStopAsked) {
            return;
        }
        Say("Stop asked by a signal: the safe stop runs");
        EndAfterStop(ExitStopped);
    }

    // Ends the program once what it waits for has happened.
    void Watch() {
        const UnitMain::TMixerState state = fProgram.State().MixerState;
        if (RunsOrStops(state)) {
            fSawRun = true;
            return;
        }
        // Nothing runs now: after a stop asked by a signal, or at the end of the saved program.
        if (fStopAsked || (fProgramStarted && fSawRun)) {
            fExitStatus = state == UnitMain::msCannotStop ? ExitCannotStop : fEndStatus;
            ShowStatus();
            Say(fExitStatus == ExitCannotStop
                    ? "The stop could not be confirmed: the mixer may still be dosing"
                : fExitStatus == ExitNotStarted
                    ? "The run did not start; nothing is left dosing; the program ends"
                    : "Stopped; the program ends");
            QApplication::exit(fExitStatus);
        }
    }

    const THeadlessOptions& fOptions;
    TMoistrel& fProgram;
    TRemoteControl& fRemote;
    QTimer fDisplay;
    QTimer fWatch;
    std::array<int, 2> fPipe{-1, -1};
    std::unique_ptr<QSocketNotifier> fNotifier;
    bool fStopAsked = false;
    bool fProgramStarted = false;
    bool fSawRun = false;
    int fEndStatus = ExitStopped;
    int fExitStatus = ExitStopped;
};

} // namespace

std::optional<THeadlessOptions> HeadlessOptions(const std::vector<std::string>& arguments,
                                                std::string& error) {
    if (arguments.empty() || arguments.front() != "--headless") {
        return std::nullopt;
    }
    THeadlessOptions options;
    for (std::size_t k = 1; k < arguments.size(); ++k) {
        const std::string& argument = arguments[k];
        if (argument == "--confirm-gases") {
            options.ConfirmGases = true;
        } else if (argument == "--program" && k + 1 < arguments.size()) {
            // A file named on the command line is where the shell finds it, from the working folder
            // (a remote client's relative name is in Userdata instead).
            std::error_code ignored;
            const std::filesystem::path file = arguments[++k];
            const std::filesystem::path absolute = std::filesystem::absolute(file, ignored);
            options.ProgramFile = (absolute.empty() ? file : absolute).string();
        } else {
            error = argument == "--program" ? "--program needs a file" : "unknown option " + argument;
            return std::nullopt;
        }
    }
    return options;
}

int RunHeadless(const THeadlessOptions& options, int argc, char* argv[]) {
    // No display is needed: the window is made but never shown.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Moistrel"));
    Base::SetFormatSettings(Base::FormatSettingsFromLocale());

    Base::TSystemClock clock;
    THeadlessDialogs dialogs(options.ConfirmGases);
    TMoistrel program(clock, ProgramPlaces(), &dialogs);
    program.Startup();
    TRemoteControl remote(program);
    if (options.ConfirmGases) {
        remote.Instrument().AllowGasConfirmation();
    }
    remote.Start(TRemoteStart::Always);
    THeadless headless(options, program, remote);
    if (!headless.CatchSignals()) {
        Say("SIGINT and SIGTERM cannot be caught; the program does not run without its safe stop");
        return ExitNotStarted;
    }
    if (!options.ProgramFile.empty() && !headless.StartProgram()) {
        // Whatever the steps before the start did, nothing is left dosing.
        headless.EndAfterStop(ExitNotStarted);
    }
    const int status = QApplication::exec();
    return status == ExitStopped ? headless.ExitStatus() : status;
}

} // namespace App
