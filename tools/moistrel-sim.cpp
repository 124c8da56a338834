// moistrel-sim: the virtual instruments (a syringe pump, MFC A and MFC B) on pseudo-terminals, for
// trying the program without hardware and for end-to-end tests.

#include "sim/ControlCommand.h"
#include "sim/SimConfig.h"
#include "sim/Simulator.h"

#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <iostream>
#include <optional>
#include <poll.h>
#include <signal.h>
#include <string>
#include <sys/file.h>
#include <sys/signalfd.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

const char* const Usage = R"(Usage: moistrel-sim [--dir DIR] [--fast] [--fault DEVICE:FAULT]... [options]

Opens three pseudo-terminals that behave like the instruments and links them in DIR:
  DIR/pump    syringe pump, "/1" line protocol, model named by "/1?23"
  DIR/mfc-a   mass flow controller, Modbus RTU address 1 (gas tables Air, N2, O2)
  DIR/mfc-b   mass flow controller, Modbus RTU address 2 (gas tables Ar, CO2, Xe)
prints the three paths and a MOISTREL_SERIAL_PORTS line, and runs until SIGINT or SIGTERM, when it
removes the links and exits 0.

Options:
  --dir DIR              folder of the links (default $XDG_RUNTIME_DIR/moistrel-sim, else
                         /tmp/moistrel-sim-$USER); created when missing
  --fast                 no wire timing (9600 baud, 11 bits per character): replies leave at once
  --fault DEVICE:FAULT   start with a fault; may be repeated
  --pump-model MODEL     C24000 (default) or C3000
  --pump-init SECONDS    how long the initialisation keeps the pump busy (default 3)
  --pump-time-scale F    multiplies the time of every plunger move and valve turn (default 1)
  --table-change WHAT    what an MFC's set-point does when a gas table is selected: keep (default,
                         as a real MFC may) or zero
  --trace                print every request and reply on standard error
  --help                 this text

DEVICE: pump, mfc-a, mfc-b
FAULT:  silent        the instrument neither acts nor answers
        bad-crc       MFC replies carry a wrong CRC
        wrong-length  MFC replies lose their last byte; pump answers are cut to two characters
        exception     every MFC request gets Modbus exception 4
        never-idle    the pump always reports busy
        stuck-set-point  the MFC's set-point register always reads 1.0 (writes still act)
        port-held     the port is locked (flock) as if another program had it open
        unplugged     the link is gone and the pseudo-terminal closed

While it runs, faults are switched by lines written to DIR/control (a FIFO) or typed on the
standard input:
  fault DEVICE FAULT on|off     e.g.  echo "fault mfc-a silent on" > DIR/control
  unplug DEVICE | replug DEVICE
  table-change MFC keep|zero    e.g.  echo "table-change mfc-b zero" > DIR/control
  status
  help
Replies to control lines appear on standard output.
)";

std::string DefaultDirectory() {
    if (const char* runtime = std::getenv("XDG_RUNTIME_DIR"); runtime != nullptr && *runtime != '\0') {
        std::error_code ec;
        if (std::filesystem::is_directory(runtime, ec)) {
            return std::string(runtime) + "/moistrel-sim";
        }
    }
    const char* user = std::getenv("USER");
    return "/tmp/moistrel-sim-" +
           (user != nullptr && *user != '\0' ? std::string(user) : std::to_string(::getuid()));
}

std::optional<double> ParseNumber(const std::string& text) {
    double value = 0.0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size() || !(value >= 0.0)) {
        return std::nullopt;
    }
    return value;
}

int Fail(const std::string& message) {
    std::cerr << "moistrel-sim: " << message << "\n";
    return 2;
}

// Lines arriving in pieces on a descriptor.
struct TLineReader {
    int Fd = -1;
    std::string Buffer;
    bool Open = true;

    // Reads what is there; returns the complete lines.
    std::vector<std::string> Read() {
        std::vector<std::string> lines;
        char chunk[512];
        for (;;) {
            const ssize_t n = ::read(Fd, chunk, sizeof chunk);
            if (n > 0) {
                Buffer.append(chunk, static_cast<std::size_t>(n));
                continue;
            }
            if (n == 0) {
                Open = false;
            } else if (errno == EINTR) {
                continue;
            } else if (errno != EAGAIN) {
                Open = false;
            }
            break;
        }
        std::size_t newline = 0;
        while ((newline = Buffer.find('\n')) != std::string::npos) {
            lines.push_back(Buffer.substr(0, newline));
            Buffer.erase(0, newline + 1);
        }
        if (Buffer.size() > 4096) {
            Buffer.clear();
        }
        return lines;
    }
};

} // namespace

int main(int argc, char** argv) {
    Sim::TSimConfig config = Sim::DefaultSimConfig(DefaultDirectory());
    bool trace = false;
    const std::vector<std::string> args(argv + 1, argv + argc);
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        const bool hasValue = i + 1 < args.size();
        if (arg == "--help" || arg == "-h") {
            std::cout << Usage;
            return 0;
        }
        if (arg == "--fast") {
            config.Fast = true;
        } else if (arg == "--trace") {
            trace = true;
        } else if (arg == "--dir" && hasValue) {
            config.Directory = args[++i];
        } else if (arg == "--fault" && hasValue) {
            const std::string value = args[++i];
            const auto colon = value.find(':');
            const auto device = Sim::ParseDevice(value.substr(0, colon));
            const auto fault =
                colon == std::string::npos ? std::nullopt : Sim::ParseFault(value.substr(colon + 1));
            if (!device || !fault) {
                return Fail("--fault wants DEVICE:FAULT, for example mfc-a:silent (see --help), not " +
                            value);
            }
            if (!Sim::FaultApplies(*device, *fault)) {
                return Fail("the fault " + std::string(Sim::FaultName(*fault)) + " does not apply to " +
                            std::string(Sim::DeviceName(*device)));
            }
            config.Faults.at(static_cast<std::size_t>(*device)).insert(*fault);
        } else if (arg == "--table-change" && hasValue) {
            const std::string& what = args[++i];
            if (what != "keep" && what != "zero") {
                return Fail("--table-change is keep or zero, not " + what);
            }
            config.MfcA.KeepSetPointOnTableChange = config.MfcB.KeepSetPointOnTableChange = what == "keep";
        } else if (arg == "--pump-model" && hasValue) {
            config.Pump.Model = args[++i];
            if (config.Pump.Model != "C24000" && config.Pump.Model != "C3000") {
                return Fail("--pump-model is C24000 or C3000, not " + config.Pump.Model);
            }
        } else if ((arg == "--pump-init" || arg == "--pump-time-scale") && hasValue) {
            const auto value = ParseNumber(args[++i]);
            if (!value) {
                return Fail(arg + " wants a number of 0 or more, not " + args[i]);
            }
            (arg == "--pump-init" ? config.Pump.InitSeconds : config.Pump.MoveTimeScale) = *value;
        } else {
            return Fail("unknown or incomplete option " + arg + " (see --help)");
        }
    }

    // SIGINT and SIGTERM arrive through a signalfd; blocking them before any thread starts keeps
    // them away from the loop thread.
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGTERM);
    sigaddset(&signals, SIGHUP);
    ::sigprocmask(SIG_BLOCK, &signals, nullptr);
    ::signal(SIGPIPE, SIG_IGN);
    // Started in the background of a terminal, reading the standard input then fails (EIO) rather
    // than stopping the process.
    ::signal(SIGTTIN, SIG_IGN);
    Sim::TUniqueFd signalFd(::signalfd(-1, &signals, SFD_CLOEXEC | SFD_NONBLOCK));
    if (!signalFd.Valid()) {
        return Fail(std::string("signalfd: ") + std::strerror(errno));
    }

    std::error_code ec;
    const bool createdDirectory = !std::filesystem::exists(config.Directory, ec);
    std::filesystem::create_directories(config.Directory, ec);
    if (ec) {
        return Fail("cannot create " + config.Directory + ": " + ec.message());
    }
    // One sim per folder: a second one would steal the links of the first.
    const std::string lockPath = config.Directory + "/.lock";
    Sim::TUniqueFd lock(::open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600));
    if (!lock.Valid() || ::flock(lock.Get(), LOCK_EX | LOCK_NB) != 0) {
        return Fail("another moistrel-sim is serving " + config.Directory);
    }

    const std::string controlPath = config.Directory + "/control";
    ::unlink(controlPath.c_str());
    if (::mkfifo(controlPath.c_str(), 0600) != 0) {
        return Fail("cannot create " + controlPath + ": " + std::strerror(errno));
    }
    TLineReader control{::open(controlPath.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC), {}, true};
    // Our own writer keeps the FIFO from reporting hang-up after every client's echo.
    Sim::TUniqueFd controlKeeper(::open(controlPath.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC));
    Sim::TUniqueFd controlOwner(control.Fd);
    TLineReader input{STDIN_FILENO, {}, true};
    if (::fcntl(STDIN_FILENO, F_SETFL, ::fcntl(STDIN_FILENO, F_GETFL) | O_NONBLOCK) != 0) {
        input.Open = false;
    }

    Sim::TSimulator simulator(config);
    std::string error;
    if (!simulator.Start(error)) {
        ::unlink(controlPath.c_str());
        return Fail(error);
    }
    if (trace) {
        simulator.SetTrace([](const std::string& line) { std::cerr << line << std::endl; });
    }
    for (const Sim::TSimDevice device : {Sim::sdPump, Sim::sdMfcA, Sim::sdMfcB}) {
        std::cout << simulator.PortPath(device) << "\n";
    }
    std::cout << "MOISTREL_SERIAL_PORTS=" << simulator.SerialPortsVariable() << "\n";
    std::cout << "control: " << controlPath << "\n" << std::flush;

    bool running = true;
    while (running) {
        std::vector<pollfd> fds = {{signalFd.Get(), POLLIN, 0}, {control.Fd, POLLIN, 0}};
        if (input.Open) {
            fds.push_back({STDIN_FILENO, POLLIN, 0});
        }
        if (::poll(fds.data(), fds.size(), -1) < 0 && errno != EINTR) {
            break;
        }
        if ((fds[0].revents & POLLIN) != 0) {
            signalfd_siginfo info{};
            [[maybe_unused]] const ssize_t n = ::read(signalFd.Get(), &info, sizeof info);
            running = false;
        }
        for (std::size_t i = 1; i < fds.size(); ++i) {
            if ((fds[i].revents & (POLLIN | POLLHUP | POLLERR)) == 0) {
                continue;
            }
            TLineReader& reader = i == 1 ? control : input;
            for (const std::string& line : reader.Read()) {
                std::cout << Sim::ApplyControlCommand(simulator, line) << std::flush;
            }
        }
    }

    simulator.Stop();
    ::unlink(controlPath.c_str());
    ::unlink(lockPath.c_str());
    if (createdDirectory) {
        ::rmdir(config.Directory.c_str()); // only when empty
    }
    return 0;
}
