// The A, B and C flow set-points: focus rules, the MFC ranges, the pump speed and run command.

#include "design/FlowSetPoints.h"

#include <cstdint>
#include <gtest/gtest.h>
#include <string>

namespace {

using Design::TFlowFocus;
using Design::TFlowInput;
using Design::TFlowResult;
using Design::TMFCRange;

// The demonstration gases: O2 0.0358 g/min with turn-down 120, Ar 0.0892 g/min with turn-down 100.
TMFCRange DemoA() {
    return TMFCRange{true, "O2", 0.0358F, static_cast<float>(0.0358 / 120.0)};
}

TMFCRange DemoB() {
    return TMFCRange{true, "Ar", 0.0892F, static_cast<float>(0.0892 / 100.0)};
}

TFlowInput Input(TMFCRange range, std::int64_t value, int position, TFlowFocus focus, bool fromCode = false) {
    return TFlowInput{std::move(range), value, position, focus, fromCode};
}

TEST(FlowSetPoints, DemonstrationRangesAtTheMiddlePosition) {
    const TFlowResult a = Design::FlowUpdateY1(Input(DemoA(), 0, 5, TFlowFocus::ffNone, true));
    // minimum + (maximum - minimum) / 2 in whole µg/min: 298.33 + 17750.83
    EXPECT_EQ(a.FieldValue, 18049);
    EXPECT_EQ(a.TrackBarPosition, 5);
    EXPECT_EQ(a.Caption, "A-component: O2");
    EXPECT_EQ(a.Label, " = 0.018 049  g/min");
    EXPECT_DOUBLE_EQ(a.CurrentMaxFlow, static_cast<double>(0.0358F));
    EXPECT_DOUBLE_EQ(a.CurrentDesiredFlow, 0.018049);
    EXPECT_TRUE(a.DiagnosticMessage.empty());

    const TFlowResult b = Design::FlowUpdateY2(Input(DemoB(), 0, 5, TFlowFocus::ffNone, true));
    EXPECT_EQ(b.FieldValue, 45046);
    EXPECT_EQ(b.Caption, "B-component: Ar");
    EXPECT_EQ(b.Label, " = 0.045 046  g/min");
}

TEST(FlowSetPoints, TooLargeFlowIsClampedAndLogged) {
    // A: the single-precision range times a million, rounded down: one below 35 800.
    const TFlowResult a = Design::FlowUpdateY1(Input(DemoA(), 50000, 5, TFlowFocus::ffField));
    EXPECT_EQ(a.FieldValue, 35799);
    EXPECT_EQ(a.TrackBarPosition, 10);
    EXPECT_EQ(a.DiagnosticMessage, "MFC A Too large flow in textbox. Limit is 0.0357999987900257");

    // B: rounded to nearest, exactly 89 200.
    const TFlowResult b = Design::FlowUpdateY2(Input(DemoB(), 100000, 5, TFlowFocus::ffField));
    EXPECT_EQ(b.FieldValue, 89200);
    EXPECT_EQ(b.TrackBarPosition, 10);
    EXPECT_EQ(b.DiagnosticMessage, "MFC B Too large flow in textbox. Limit is 0.089199997484684");
    EXPECT_DOUBLE_EQ(b.CurrentDesiredFlow, 0.0892);
}

TEST(FlowSetPoints, BFlowAtOrBelowTheMinimumBecomesNoFlow) {
    struct TCase {
        std::int64_t Typed;
        std::int64_t Expected;
    };
    // The minimum of the demonstration B gas is 0.0892 / 100 g/min = 892 µg/min.
    const TCase cases[] = {{892, 0}, {891, 0}, {1, 0}, {-5, 0}, {893, 893}, {0, 0}};
    for (const TCase& c : cases) {
        const TFlowResult b = Design::FlowUpdateY2(Input(DemoB(), c.Typed, 5, TFlowFocus::ffField));
        EXPECT_EQ(b.FieldValue, c.Expected) << c.Typed;
    }

    // The track bar at 0 puts the minimum into the field; the next update makes it no flow.
    const TFlowResult moved = Design::FlowUpdateY2(Input(DemoB(), 45046, 0, TFlowFocus::ffTrackBar));
    EXPECT_EQ(moved.FieldValue, 892);
    const TFlowResult next = Design::FlowUpdateY2(Input(DemoB(), moved.FieldValue, 0, TFlowFocus::ffNone));
    EXPECT_EQ(next.FieldValue, 0);

    // While the operator is still typing, the digits typed so far stay; the rule applies once the
    // typing ends.
    TFlowInput typing = Input(DemoB(), 4, 5, TFlowFocus::ffField);
    typing.Typing = true;
    const TFlowResult partial = Design::FlowUpdateY2(typing);
    EXPECT_EQ(partial.FieldValue, 4);
    EXPECT_EQ(partial.TrackBarPosition, 0);
    typing.FieldValue = 100000;
    EXPECT_EQ(Design::FlowUpdateY2(typing).FieldValue, 89200);
    typing.FieldValue = 892;
    typing.Typing = false;
    EXPECT_EQ(Design::FlowUpdateY2(typing).FieldValue, 0);

    // MFC A has the pulsed mode: its minimum stays a flow.
    const TFlowResult a = Design::FlowUpdateY1(Input(DemoA(), 100, 0, TFlowFocus::ffField));
    EXPECT_EQ(a.FieldValue, 100);
}

TEST(FlowSetPoints, FocusDecidesWhichControlFollows) {
    struct TCase {
        const char* What;
        TFlowFocus Focus;
        bool FromCode;
        std::int64_t Value;
        int Position;
        std::int64_t ExpectedValue;
        int ExpectedPosition;
    };
    const TCase cases[] = {
        {"field leads", TFlowFocus::ffField, false, 20000, 5, 20000, 6},
        {"field leads even from code", TFlowFocus::ffField, true, 20000, 5, 20000, 6},
        {"track bar leads", TFlowFocus::ffTrackBar, false, 20000, 2, 7399, 2},
        {"code makes the field follow", TFlowFocus::ffNone, true, 20000, 10, 35800, 10},
        {"no focus, no code: nothing follows", TFlowFocus::ffNone, false, 20000, 2, 20000, 2},
        {"out-of-range position is clamped", TFlowFocus::ffNone, false, 20000, 14, 20000, 10},
    };
    for (const TCase& c : cases) {
        const TFlowResult a = Design::FlowUpdateY1(Input(DemoA(), c.Value, c.Position, c.Focus, c.FromCode));
        EXPECT_EQ(a.FieldValue, c.ExpectedValue) << c.What;
        EXPECT_EQ(a.TrackBarPosition, c.ExpectedPosition) << c.What;
        EXPECT_EQ(a.Label, Design::FlowLabel(c.ExpectedValue)) << c.What;
    }
}

TEST(FlowSetPoints, UnusableMFCZeroesItsFlow) {
    for (const bool isB : {false, true}) {
        TFlowInput input = Input(TMFCRange{}, 12345, 7, TFlowFocus::ffField, true);
        const TFlowResult r = isB ? Design::FlowUpdateY2(input) : Design::FlowUpdateY1(input);
        EXPECT_FALSE(r.Usable);
        EXPECT_EQ(r.Caption, isB ? "B-component:" : "A-component:");
        EXPECT_EQ(r.FieldValue, 0);
        EXPECT_EQ(r.TrackBarPosition, 7);
    }

    // Usable only when validated and a gas table is chosen.
    SerialPortVogtlin::TMFCDetails mfc;
    mfc.LUT[3].NameOwn = "N2";
    mfc.LUT[3].RangeMax = 1.0F;
    mfc.ActiveLUT = 5;
    EXPECT_FALSE(Design::MFCRangeOf(mfc).Usable);
    mfc.Validated = true;
    const TMFCRange range = Design::MFCRangeOf(mfc);
    EXPECT_TRUE(range.Usable);
    EXPECT_EQ(range.NameOwn, "N2");
    EXPECT_FLOAT_EQ(range.RangeMax, 1.0F);
    mfc.ActiveLUT = 0;
    EXPECT_FALSE(Design::MFCRangeOf(mfc).Usable);
    mfc.ActiveLUT = 12;
    EXPECT_FALSE(Design::MFCRangeOf(mfc).Usable);
}

TEST(FlowSetPoints, FlowLabelMask) {
    EXPECT_EQ(Design::FlowLabel(0), " = 0   g/min");
    EXPECT_EQ(Design::FlowLabel(1500000), " = 1.5   g/min");
    EXPECT_EQ(Design::FlowLabel(1), " = 0.000 001  g/min");
}

Design::TPumpSetup WaterPump(std::int32_t syringe = 50) {
    return Design::TPumpSetup{syringe, 0.997735F, 192000, 48000};
}

TEST(FlowSetPoints, FluidFlowOfWater) {
    // Both pump models: the run command carries the model's own stroke, while the speed search
    // assumes 192 000-step strokes for either, so speed and report are the same.
    struct TModel {
        std::int32_t Steps;
        const char* Command;
    };
    const TModel models[] = {{192000, "/1TgV48000IA192000V64OA0G0R"}, {24000, "/1TgV48000IA24000V64OA0G0R"}};
    std::string firstReport;
    for (const TModel& m : models) {
        SCOPED_TRACE(m.Steps);
        Design::TFluidFlowInput input;
        input.DurationHours = 0.75;
        input.FieldValue = 1000.0;
        input.Focus = TFlowFocus::ffField;
        input.TrackBarPosition = 4;
        input.Pump = WaterPump();
        input.Pump.Steps = m.Steps;
        const Design::TFluidFlowResult r = Design::FluidFlowUpdate(input);

        EXPECT_EQ(r.DurationLabel, "00:45");
        EXPECT_DOUBLE_EQ(r.FieldMinimum, 0.0);
        EXPECT_DOUBLE_EQ(r.FieldMaximum, 323660.0);
        EXPECT_DOUBLE_EQ(r.FieldValue, 1000.0);
        EXPECT_EQ(r.TrackBarPosition, 0);
        EXPECT_NEAR(r.Achievable, 995.675, 0.0005);
        EXPECT_EQ(r.SpeedLabel, "64");
        EXPECT_EQ(r.PumpFrequency, 64);
        EXPECT_EQ(r.PumpCommand, m.Command);
        EXPECT_EQ(r.Info, UnitMoistrelPumpSpeedFunction::TPumpSpeedInfo::psCalculated);

        const std::string tail =
            "\r\n     Status   : psCalculated\r\n     Speed Hz : 64\r\nDispense µg/m : 995.67499";
        const std::size_t at = r.MemoPump.find(tail);
        ASSERT_NE(at, std::string::npos) << r.MemoPump;
        EXPECT_EQ(r.MemoPump.rfind("          Desired dispense, µg/m: 1 000\r\n", 0), 0U);
        EXPECT_EQ(r.MemoPump.substr(r.MemoPump.size() - 2), "\r\n");
        // The calculation's own text ends with its line end, then the empty line.
        EXPECT_EQ(r.MemoPump.substr(at - 2, 4), "\r\n\r\n");
        if (firstReport.empty()) {
            firstReport = r.MemoPump;
        } else {
            EXPECT_EQ(r.MemoPump, firstReport);
        }
    }
}

TEST(FlowSetPoints, FluidFlowFailures) {
    struct TCase {
        const char* What;
        Design::TPumpSetup Pump;
        double Flow;
        std::string Speed;
    };
    const TCase cases[] = {
        {"over capacity", WaterPump(), 300000.0, "psOverCapacity"},
        {"no syringe", WaterPump(1), 1000.0, "psUndefinedSyringe"},
        {"no flow", WaterPump(), 0.0, "0"},
        {"no fluid", Design::TPumpSetup{50, 0.0F, 192000, 48000}, 0.0, "psFluidProblem"},
    };
    for (const TCase& c : cases) {
        Design::TFluidFlowInput input;
        input.FieldValue = c.Flow;
        input.Focus = TFlowFocus::ffField;
        input.Pump = c.Pump;
        const Design::TFluidFlowResult r = Design::FluidFlowUpdate(input);
        EXPECT_EQ(r.PumpCommand, "/1T") << c.What;
        EXPECT_DOUBLE_EQ(r.Achievable, 0.0) << c.What;
        EXPECT_EQ(r.SpeedLabel, c.Speed) << c.What;
        EXPECT_NE(r.MemoPump.find("     Speed Hz : 0\r\nDispense µg/m : 0\r\n"), std::string::npos) << c.What;
    }
}

TEST(FlowSetPoints, FluidTrackBarAndBounds) {
    Design::TFluidFlowInput input;
    input.Pump = WaterPump();
    input.TrackBarPosition = 5;
    input.FieldValue = 1000.0;
    input.Focus = TFlowFocus::ffTrackBar;
    EXPECT_DOUBLE_EQ(Design::FluidFlowUpdate(input).FieldValue, 161830.0);

    // Without focus neither control follows the other.
    input.Focus = TFlowFocus::ffNone;
    Design::TFluidFlowResult r = Design::FluidFlowUpdate(input);
    EXPECT_DOUBLE_EQ(r.FieldValue, 1000.0);
    EXPECT_EQ(r.TrackBarPosition, 5);

    // A value above the bound is clamped into it; the bound follows the syringe.
    input.FieldValue = 5.0e6;
    r = Design::FluidFlowUpdate(input);
    EXPECT_DOUBLE_EQ(r.FieldValue, 323660.0);
    input.Pump = WaterPump(1000);
    EXPECT_DOUBLE_EQ(Design::FluidFlowUpdate(input).FieldMaximum, 6473194.0);
    EXPECT_DOUBLE_EQ(Design::FluidFlowUpdate(input).FieldValue, 5.0e6);
}

TEST(FlowSetPoints, DurationLabel) {
    struct TCase {
        double Hours;
        const char* Label;
    };
    const TCase cases[] = {
        {2.5, "02:30"},
        {0.75, "00:45"},
        {0.0, "00:00"},
        {12.0, "12:00"},
        {100.25, "100:15"},
        // Far more hours than a 64-bit integer holds can be typed; they print in the general format.
        {-5000.0, "-5000:00"},
        {999999999999999.5, "999999999999999:30"},
        {1e99, "1E99:00"},
        {-1e99, "-1E99:00"}};
    for (const TCase& c : cases) {
        EXPECT_EQ(Design::DurationLabel(c.Hours), c.Label) << c.Hours;
    }
}

TEST(FlowSetPoints, UpdateTrackbarsFromValues) {
    SerialPortVogtlin::TMFCDetails a;
    a.ActiveLUT = 2;
    a.LUT[0].RangeMax = 0.0358F;
    a.LUT[0].RangeMin = static_cast<float>(0.0358 / 120.0);
    SerialPortVogtlin::TMFCDetails b; // no gas chosen: its track bar stays
    const Design::TTrackBarPositions current{1, 3, 9};
    const Design::TTrackBarPositions p =
        Design::UpdateTrackbars(a, 18049, b, 5000, 161830.0, 323660.0, current);
    EXPECT_EQ(p.A, 5);
    EXPECT_EQ(p.B, 3);
    EXPECT_EQ(p.C, 5);
    // An empty C range keeps its position too.
    EXPECT_EQ(Design::UpdateTrackbars(a, 0, b, 0, 10.0, 0.0, current).C, 9);
    EXPECT_EQ(Design::UpdateTrackbars(a, 0, b, 0, 10.0, 0.0, current).A, 0);
}

} // namespace
