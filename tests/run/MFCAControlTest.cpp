// What the worker does with MFC A in one pass: the three modes in their order, the pulse decision on
// the segment's average flow, the tolerances that keep a set-point from being written again, and the
// set-point read back from the MFC, which calls for the write again when the MFC lost it.

#include "run/MFCAControl.h"

#include <cmath>
#include <gtest/gtest.h>
#include <optional>
#include <string>

namespace {

using UnitMain::DecideMFCAControl;
using UnitMain::TMFCAControlInput;
using UnitMain::TMFCAMode;

constexpr double LowFlow = 0.03;

TMFCAControlInput Input(bool named, double mass, double pulsed, double rate, double setFlow, double observed,
                        std::optional<double> setPointRead = std::nullopt) {
    TMFCAControlInput input;
    input.HasGasName = named;
    input.Mass = mass;
    input.Pulsed = pulsed;
    input.RateSoFar = rate;
    input.LowFlow = LowFlow;
    input.CurrentSetFlow = setFlow;
    input.CurrentObservedFlow = observed;
    input.SetPointRead = setPointRead;
    return input;
}

TEST(MFCAControl, DecidesModeAndSetPoint) {
    const std::optional<double> none;
    const struct {
        const char* Name;
        TMFCAControlInput In;
        TMFCAMode Mode;
        bool Ahead;
        std::optional<double> SetPoint;
        bool Lost = false;
    } cases[] = {
        // No gas: no name or no flow; the valve is told to close while flow is seen.
        {"no name, flow seen", Input(false, 0.5, 1.0, 0.0, 0.5, 0.4), TMFCAMode::cmNoGas, false, 0.0},
        {"zero mass, flow seen", Input(true, 0.0, 1.0, 0.0, 0.0, 2e-7), TMFCAMode::cmNoGas, false, 0.0},
        {"zero mass, flow at the threshold", Input(true, 0.0, 1.0, 0.0, 0.0, 1e-7), TMFCAMode::cmNoGas, false,
         none},
        {"zero mass, no flow", Input(true, 0.0, 0.2, 0.0, 0.0, 0.0), TMFCAMode::cmNoGas, false, none},
        {"zero mass, failed reading", Input(true, 0.0, 1.0, 0.0, 0.0, -1.0), TMFCAMode::cmNoGas, false, none},
        // Pulsed: a segment that has just begun (rate 0) is behind, even when nothing is wanted yet.
        {"pulsed start", Input(true, 0.002, 0.2, 0.0, 0.0, 0.0), TMFCAMode::cmPulsed, false, LowFlow},
        {"pulsed behind, already open", Input(true, 0.002, 0.2, 0.001, LowFlow + 0.9e-6, 0.03),
         TMFCAMode::cmPulsed, false, none},
        {"pulsed behind, set-point off by more than 1e-6",
         Input(true, 0.002, 0.2, 0.001, LowFlow + 2e-6, 0.03), TMFCAMode::cmPulsed, false, LowFlow},
        {"pulsed, rate reaches the wanted flow", Input(true, 0.002, 0.2, 0.002, LowFlow, 0.03),
         TMFCAMode::cmPulsed, true, 0.0},
        // Ahead writes zero on every pass, closed or not.
        {"pulsed ahead, already closed", Input(true, 0.002, 0.2, 0.0025, 0.0, 0.0), TMFCAMode::cmPulsed, true,
         0.0},
        {"pulsed share just below the limit", Input(true, 0.002, 0.998, 0.0, 0.0, 0.0), TMFCAMode::cmPulsed,
         false, LowFlow},
        // Constant: from the limit up.
        {"constant at the limit", Input(true, 0.5, 0.999, 0.0, 0.0, 0.0), TMFCAMode::cmConstant, false, 0.5},
        {"constant, first pass", Input(true, 0.5, 1.0, 0.0, 0.0, 0.0), TMFCAMode::cmConstant, false, 0.5},
        {"constant, set within 1e-6", Input(true, 0.5, 1.0, 0.7, 0.5 - 0.9e-6, 0.1), TMFCAMode::cmConstant,
         false, none},
        {"constant, set off by more than 1e-6", Input(true, 0.5, 1.0, 0.0, 0.5 + 2e-6, 0.5),
         TMFCAMode::cmConstant, false, 0.5},
        // The set-point read back: what was written (narrowed to 32 bits) within 1e-6, or lost.
        {"constant, read back as written", Input(true, 0.5, 1.0, 0.5, 0.5, 0.5, 0.5), TMFCAMode::cmConstant,
         false, none},
        {"constant, read back within 1e-6", Input(true, 0.5, 1.0, 0.5, 0.5, 0.5, 0.5 + 0.9e-6),
         TMFCAMode::cmConstant, false, none},
        {"constant, MFC back at 0", Input(true, 0.5, 1.0, 0.5, 0.5, 0.5, 0.0), TMFCAMode::cmConstant, false,
         0.5, true},
        {"constant, read back off by more than 1e-6", Input(true, 0.5, 1.0, 0.5, 0.5, 0.5, 0.5 + 2e-6),
         TMFCAMode::cmConstant, false, 0.5, true},
        {"constant, read back no number", Input(true, 0.5, 1.0, 0.5, 0.5, 0.5, std::nan("")),
         TMFCAMode::cmConstant, false, 0.5, true},
        {"pulsed behind, open and read back as written",
         Input(true, 0.002, 0.2, 0.001, LowFlow, 0.03, static_cast<double>(static_cast<float>(LowFlow))),
         TMFCAMode::cmPulsed, false, none},
        {"pulsed behind, MFC back at 0", Input(true, 0.002, 0.2, 0.001, LowFlow, 0.03, 0.0),
         TMFCAMode::cmPulsed, false, LowFlow, true},
        {"pulsed ahead, MFC open although closed", Input(true, 0.002, 0.2, 0.003, 0.0, 0.03, LowFlow),
         TMFCAMode::cmPulsed, true, 0.0, true},
        // No gas: the measured flow decides, as before.
        {"no gas, set-point read but no flow", Input(true, 0.0, 1.0, 0.0, 0.0, 0.0, 0.5), TMFCAMode::cmNoGas,
         false, none, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        const auto control = DecideMFCAControl(c.In);
        EXPECT_EQ(control.Mode, c.Mode);
        EXPECT_EQ(control.Ahead, c.Ahead);
        EXPECT_EQ(control.SetPointLost, c.Lost);
        ASSERT_EQ(control.SetPoint.has_value(), c.SetPoint.has_value());
        if (c.SetPoint) {
            EXPECT_DOUBLE_EQ(*control.SetPoint, *c.SetPoint);
        }
    }
}

} // namespace
