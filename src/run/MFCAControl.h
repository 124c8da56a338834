#pragma once
// What the worker does with MFC A in one pass. Three modes, in this order: no gas (no gas name or
// no flow: close the valve while any flow is seen), pulsed (the wanted flow is below what the MFC
// can hold: run at the low flow until the segment's average flow reaches the wanted one, then at
// zero until it falls behind again) and constant (hold the wanted flow as the set-point). The
// set-point the MFC reports is checked against the one last written: an MFC that lost it (a power
// blip puts it back to 0) is commanded again instead of being left at the wrong flow.

#include <cstdint>
#include <optional>

namespace UnitMain {

enum class TMFCAMode : std::uint8_t { cmNoGas, cmPulsed, cmConstant };

// A set-point within this of the wanted one counts as set.
inline constexpr double SetFlowTolerance = 0.000001;
// A measured flow above this counts as flow (g/min).
inline constexpr double ObservedFlowThreshold = 0.0000001;
// A Pulsed share below this means the MFC cannot hold the flow.
inline constexpr double PulsedLimit = 0.999;

struct TMFCAControlInput {
    bool HasGasName = false;     // the segment's A flow names a gas
    double Mass = 0.0;           // wanted flow, g/min
    double Pulsed = 1.0;         // share of the MFC's lowest flow, capped at 1
    double RateSoFar = 0.0;      // average flow since the segment began, g/min (0 until it is known)
    double LowFlow = 0.0;        // the pulse flow, g/min
    double CurrentSetFlow = 0.0; // the set-point last written, g/min
    double CurrentObservedFlow = 0.0;
    // The set-point the MFC reported in this pass; none when it was not read.
    std::optional<double> SetPointRead;
};

struct TMFCAControl {
    TMFCAMode Mode = TMFCAMode::cmNoGas;
    bool Ahead = false; // pulsed: the segment's average has reached the wanted flow
    // The MFC reports another set-point than the one last written: CurrentSetFlow is no longer true.
    bool SetPointLost = false;
    // The set-point to write in this pass; none when MFC A is left as it is.
    std::optional<double> SetPoint;
};

TMFCAControl DecideMFCAControl(const TMFCAControlInput& input);

} // namespace UnitMain
