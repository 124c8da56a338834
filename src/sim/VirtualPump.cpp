#include "sim/VirtualPump.h"

#include <cmath>
#include <limits>

namespace Sim {

namespace {

constexpr std::uint8_t ErrorNone = 0;
constexpr std::uint8_t ErrorInvalidCommand = 2;
constexpr std::uint8_t ErrorInvalidOperand = 3;
constexpr std::uint8_t ErrorBusy = 15;
constexpr double ValveTurnSeconds = 0.05;
constexpr std::int64_t MaxArgument = 100000000;
constexpr std::int64_t MaxSpeed = 1000000;
// A loop whose body takes no time would never end on its own: after this many steps without time
// passing, the pump simply stays busy until it is stopped.
constexpr int MaxInstantSteps = 100000;

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

std::string_view TrimBlanks(std::string_view text) {
    while (!text.empty() && static_cast<unsigned char>(text.front()) <= 32) {
        text.remove_prefix(1);
    }
    while (!text.empty() && static_cast<unsigned char>(text.back()) <= 32) {
        text.remove_suffix(1);
    }
    return text;
}

bool IsMoveCommand(char c) {
    switch (c) {
    case 'Z':
    case 'Y':
    case 'W': // initialisation
    case 'I':
    case 'O':
    case 'B':
    case 'E': // valve
    case 'A':
    case 'P':
    case 'D': // plunger
    case 'V':
    case 'v':
    case 'c':
    case 'L':
    case 'S': // speeds and slopes
    case 'M':
    case 'g':
    case 'G':
        return true;
    default:
        return false;
    }
}

} // namespace

TVirtualPump::TVirtualPump(TPumpConfig config, double nowSeconds)
    : fConfig(std::move(config)), fLastTime(nowSeconds) {}

void TVirtualPump::SetFault(TSimFault fault, bool on) {
    const unsigned bit = 1U << static_cast<unsigned>(fault);
    fFaults = on ? (fFaults | bit) : (fFaults & ~bit);
}

bool TVirtualPump::HasFault(TSimFault fault) const {
    return (fFaults & (1U << static_cast<unsigned>(fault))) != 0;
}

// A (absolute), P (pick up: relative towards full) and D (dispense: relative towards empty).
std::int64_t TVirtualPump::TargetPosition(const TOp& op) const {
    if (op.Command == 'P') {
        return fPosition + op.Argument;
    }
    if (op.Command == 'D') {
        return fPosition - op.Argument;
    }
    return op.Argument;
}

double TVirtualPump::OpDuration(const TOp& op) const {
    const double scale = std::max(0.0, fConfig.MoveTimeScale);
    switch (op.Command) {
    case 'Z':
    case 'Y':
    case 'W':
        return std::max(0.0, fConfig.InitSeconds);
    case 'I':
        return fValve == 'i' ? 0.0 : ValveTurnSeconds * scale;
    case 'O':
        return fValve == 'o' ? 0.0 : ValveTurnSeconds * scale;
    case 'B':
    case 'E':
        return fValve == 'b' ? 0.0 : ValveTurnSeconds * scale;
    case 'A':
    case 'P':
    case 'D': {
        const std::int64_t target = TargetPosition(op);
        const auto distance =
            static_cast<double>(target > fPosition ? target - fPosition : fPosition - target);
        return distance / static_cast<double>(std::max<std::int64_t>(1, fSpeed)) * scale;
    }
    case 'M':
        return static_cast<double>(op.Argument) / 1000.0;
    default:
        return 0.0;
    }
}

bool TVirtualPump::ApplyOp(const TOp& op) {
    switch (op.Command) {
    case 'Z':
    case 'Y':
    case 'W':
        fPosition = 0;
        fValve = 'i';
        fInitialised = true;
        return true;
    case 'I':
        fValve = 'i';
        return true;
    case 'O':
        fValve = 'o';
        return true;
    case 'B':
    case 'E':
        fValve = 'b';
        return true;
    case 'V':
        fSpeed = op.Argument;
        return true;
    case 'A':
    case 'P':
    case 'D': {
        const std::int64_t target = TargetPosition(op);
        if (target < 0 || target > fConfig.MaxPosition) {
            return false;
        }
        if (target < fPosition) {
            fDispensed += fPosition - target;
        }
        fPosition = target;
        return true;
    }
    default:
        return true;
    }
}

void TVirtualPump::Start(std::vector<TOp> program, double now) {
    fProgram = std::move(program);
    fLoopsLeft.assign(fProgram.size(), 0);
    for (std::size_t i = 0; i < fProgram.size(); ++i) {
        fLoopsLeft[i] = fProgram[i].Argument;
    }
    fPc = 0;
    fOpStarted = false;
    fOpEnd = now;
    fRunError = ErrorNone;
}

void TVirtualPump::Stop() {
    fProgram.clear();
    fLoopsLeft.clear();
    fPc = 0;
    fOpStarted = false;
}

void TVirtualPump::Advance(double now) {
    if (now > fLastTime) {
        fLastTime = now;
    }
    int instantSteps = 0;
    while (Running()) {
        if (!fOpStarted) {
            const double duration = OpDuration(fProgram[fPc]);
            instantSteps = duration > 0.0 ? 0 : instantSteps + 1;
            // fOpEnd holds the end of the previous op, which is where this one starts.
            fOpEnd =
                instantSteps > MaxInstantSteps ? std::numeric_limits<double>::infinity() : fOpEnd + duration;
            fOpStarted = true;
        }
        if (fOpEnd > fLastTime) {
            break;
        }
        fOpStarted = false;
        const TOp op = fProgram[fPc];
        if (!ApplyOp(op)) {
            fRunError = ErrorInvalidOperand;
            Stop();
            break;
        }
        if (op.Command != 'G') {
            ++fPc;
            // NOLINTNEXTLINE(bugprone-branch-clone): G0 and a counted loop with passes left both go back
        } else if (op.Argument == 0) {
            fPc = op.LoopStart; // G0 repeats until a line with T arrives
        } else if (--fLoopsLeft[fPc] > 0) {
            fPc = op.LoopStart;
        } else {
            fLoopsLeft[fPc] = op.Argument; // ready for an enclosing loop's next pass
            ++fPc;
        }
    }
}

std::string TVirtualPump::Answer(std::uint8_t error, const std::string& data) const {
    const bool idle = !Running() && !HasFault(sfNeverIdle);
    const std::uint8_t code = error != ErrorNone ? error : fRunError;
    const auto status = static_cast<char>(0x40U | (idle ? 0x20U : 0U) | (code & 0x0FU));
    std::string answer = std::string("/0") + status + data + "\x03\r\n";
    if (HasFault(sfWrongLength)) {
        answer.resize(2);
    }
    return answer;
}

std::optional<std::string> TVirtualPump::HandleLine(std::string_view rawLine, double now) {
    const std::string_view line = TrimBlanks(rawLine);
    if (line.size() < 2 || line[0] != '/' || line[1] != '1' || HasFault(sfSilent)) {
        return std::nullopt;
    }
    fLastLine = std::string(line);
    ++fLinesAnswered;
    Advance(now);

    std::vector<TOp> ops;
    std::vector<std::size_t> loopStarts;
    bool stop = false;
    bool run = false;
    std::string data;
    std::uint8_t error = ErrorNone;
    for (std::size_t i = 2; i < line.size() && error == ErrorNone;) {
        const char command = line[i++];
        std::int64_t argument = 0;
        while (i < line.size() && IsDigit(line[i])) {
            argument = std::min(MaxArgument, argument * 10 + (line[i++] - '0'));
        }
        if (command == 'T') {
            stop = true;
        } else if (command == 'Q') {
            // status only
        } else if (command == 'R') {
            run = true;
        } else if (command == '?') {
            switch (argument) {
            case 0:
                data = std::to_string(fPosition);
                break;
            case 2:
                data = std::to_string(fSpeed);
                break;
            case 6:
                data = std::string(1, fValve);
                break;
            case 23:
                data = fConfig.Model + " V1.3";
                break;
            default:
                data = "0";
                break;
            }
        } else if (IsMoveCommand(command)) {
            TOp op{command, argument, 0};
            // NOLINTNEXTLINE(bugprone-branch-clone): a bad speed and a bad position are two refusals
            if (command == 'V' && (argument < 1 || argument > MaxSpeed)) {
                error = ErrorInvalidOperand;
            } else if ((command == 'A' || command == 'P' || command == 'D') &&
                       argument > fConfig.MaxPosition) {
                error = ErrorInvalidOperand;
            } else if (command == 'g') {
                loopStarts.push_back(ops.size() + 1);
            } else if (command == 'G') {
                op.LoopStart = loopStarts.empty() ? 0 : loopStarts.back();
                if (!loopStarts.empty()) {
                    loopStarts.pop_back();
                }
            }
            ops.push_back(op);
        } else {
            error = ErrorInvalidCommand;
        }
    }
    if (error != ErrorNone) {
        return Answer(error, data);
    }
    if (stop) {
        Stop();
        fPending.clear();
        fRunError = ErrorNone;
    }
    if (!ops.empty() && !run) {
        // Commands without R wait for a later "/1R"; their loop targets move with them.
        for (TOp& op : ops) {
            op.LoopStart += op.Command == 'G' ? fPending.size() : 0;
        }
        fPending.insert(fPending.end(), ops.begin(), ops.end());
    } else if (run) {
        std::vector<TOp> program = ops.empty() ? std::move(fPending) : std::move(ops);
        fPending.clear();
        if (Running() && !program.empty()) {
            error = ErrorBusy;
        } else if (!program.empty()) {
            Start(std::move(program), fLastTime);
            Advance(fLastTime); // commands that take no time are done before the answer
        }
    }
    return Answer(error, data);
}

TPumpState TVirtualPump::State(double now) {
    Advance(now);
    TPumpState state;
    state.Busy = Running();
    state.Initialised = fInitialised;
    state.Position = fPosition;
    state.Valve = fValve;
    state.Speed = fSpeed;
    state.DispensedSteps = fDispensed;
    state.LinesAnswered = fLinesAnswered;
    state.LastLine = fLastLine;
    return state;
}

} // namespace Sim
