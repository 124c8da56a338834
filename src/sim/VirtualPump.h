#pragma once
// A virtual syringe pump speaking the "/1" line protocol: it answers every line addressed to it
// with "/0", its status character, any query data, ETX, CR and LF. The status character is the
// grave accent (0x60) when idle and error free, '@' (0x40) while busy, with an error code in the
// low bits (2 invalid command, 3 invalid operand, 15 command refused while busy).
// Pure logic: lines in, answers out, time passed in by the caller.

#include "sim/SimConfig.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace Sim {

struct TPumpState {
    bool Busy = false;
    bool Initialised = false;
    std::int64_t Position = 0;       // plunger steps from the empty end
    char Valve = 'i';                // 'i' filling side, 'o' dispensing side, 'b' bypass
    std::int64_t Speed = 0;          // steps per second
    std::int64_t DispensedSteps = 0; // every step the plunger moved toward the empty end
    std::uint64_t LinesAnswered = 0;
    std::string LastLine; // the last line addressed to the pump, without CR
};

class TVirtualPump {
public:
    TVirtualPump(TPumpConfig config, double nowSeconds);

    // One line without its CR. Returns the answer bytes, or nothing when the pump stays quiet
    // (a line for another address, an empty line, the silent fault).
    std::optional<std::string> HandleLine(std::string_view line, double now);

    void SetFault(TSimFault fault, bool on);
    bool HasFault(TSimFault fault) const;
    TPumpState State(double now);
    TPumpConfig& Config() { return fConfig; }

private:
    struct TOp {
        char Command = 0;
        std::int64_t Argument = 0;
        std::size_t LoopStart = 0; // for G: index of the op after its g
    };

    void Advance(double now);
    bool Running() const { return fPc < fProgram.size(); }
    std::int64_t TargetPosition(const TOp& op) const;
    double OpDuration(const TOp& op) const;
    bool ApplyOp(const TOp& op); // false on an invalid operand at run time
    void Start(std::vector<TOp> program, double now);
    void Stop();
    std::string Answer(std::uint8_t error, const std::string& data) const;

    TPumpConfig fConfig;
    unsigned fFaults = 0;
    bool fInitialised = false;
    std::int64_t fPosition = 0;
    char fValve = 'i';
    std::int64_t fSpeed = 12000;
    std::int64_t fDispensed = 0;
    std::uint8_t fRunError = 0;
    std::vector<TOp> fProgram;
    std::vector<std::int64_t> fLoopsLeft; // per op; used by G ops
    std::vector<TOp> fPending;            // commands received without R
    std::size_t fPc = 0;
    bool fOpStarted = false;
    double fOpEnd = 0.0;
    double fLastTime;
    std::uint64_t fLinesAnswered = 0;
    std::string fLastLine;
};

} // namespace Sim
