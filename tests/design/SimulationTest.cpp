// Demonstration values in simulation: which MFC gets them, what they write, and the flows that follow.

#include "design/Simulation.h"

#include "design/FlowSetPoints.h"

#include <gtest/gtest.h>

namespace {

using Design::TDemoValues;
using UnitMain::TMFCSide;
using UnitMain::TMoistrelState;

const TDemoValues StartA{"O2", 31.9988, 0.0358, 120.0};
const TDemoValues StartB{"Ar", 39.948, 0.0892, 100.0};

TEST(Simulation, StartValuesFillTableTwoOfBothMFCs) {
    TMoistrelState state;
    const Design::TSimulationApplied applied = Design::ApplysimulationValues(state, StartA, StartB);
    EXPECT_TRUE(applied.Applied);
    EXPECT_TRUE(applied.ChangedA);
    EXPECT_TRUE(applied.ChangedB);

    struct TCase {
        TMFCSide Side;
        const TDemoValues* Values;
        std::uint32_t Dynamic;
    };
    for (const TCase& c : {TCase{TMFCSide::msA, &StartA, 120}, TCase{TMFCSide::msB, &StartB, 100}}) {
        const SerialPortVogtlin::TMFCDetails& mfc = state.MFCDetails(c.Side);
        EXPECT_TRUE(mfc.Validated);
        EXPECT_EQ(mfc.ActiveLUT, 2U);
        const SerialPortVogtlin::TLUTData& t = mfc.LUT[0];
        EXPECT_EQ(t.LUTNumber, 2U);
        EXPECT_EQ(t.NameShort, c.Values->Name);
        EXPECT_EQ(t.NameCustom, c.Values->Name);
        EXPECT_EQ(t.NameOwn, c.Values->Name);
        EXPECT_FLOAT_EQ(t.AtomicMass, static_cast<float>(c.Values->Mass));
        EXPECT_EQ(t.UnitType, "g/min");
        EXPECT_FLOAT_EQ(t.RangeMax, static_cast<float>(c.Values->Range));
        EXPECT_EQ(t.RangeDynamic, c.Dynamic);
        EXPECT_FLOAT_EQ(t.RangeMin, static_cast<float>(c.Values->Range / c.Values->Turndown));
    }

    // The same values again change nothing, so the flows the operator typed stay as they are.
    const Design::TSimulationApplied again = Design::ApplysimulationValues(state, StartA, StartB);
    EXPECT_TRUE(again.Applied);
    EXPECT_FALSE(again.ChangedA);
    EXPECT_FALSE(again.ChangedB);

    TDemoValues wider = StartB;
    wider.Range = 0.2;
    const Design::TSimulationApplied changed = Design::ApplysimulationValues(state, StartA, wider);
    EXPECT_FALSE(changed.ChangedA);
    EXPECT_TRUE(changed.ChangedB);
}

TEST(Simulation, StartUpFlowsAreTheMiddleOfTheRanges) {
    TMoistrelState state;
    Design::ApplysimulationValues(state, StartA, StartB);
    const Design::TFlowResult a = Design::FlowUpdateY1(
        Design::TFlowInput{Design::MFCRangeOf(state.MFCADetails), 0, 5, Design::TFlowFocus::ffNone, true});
    const Design::TFlowResult b = Design::FlowUpdateY2(
        Design::TFlowInput{Design::MFCRangeOf(state.MFCBDetails), 0, 5, Design::TFlowFocus::ffNone, true});
    EXPECT_EQ(a.FieldValue, 18049);
    EXPECT_EQ(b.FieldValue, 45046);
    EXPECT_EQ(a.Caption, "A-component: O2");
    EXPECT_EQ(b.Caption, "B-component: Ar");
}

TEST(Simulation, NothingHappensOutsideSimulation) {
    for (const UnitMain::TMixerState s :
         {UnitMain::msValidated, UnitMain::msRunning, UnitMain::msStopping, UnitMain::msCannotStop}) {
        TMoistrelState state;
        state.MixerState = s;
        const Design::TSimulationApplied applied = Design::ApplysimulationValues(state, StartA, StartB);
        EXPECT_FALSE(applied.Applied);
        EXPECT_FALSE(state.MFCADetails.Validated);
        EXPECT_TRUE(state.MFCADetails.LUT[0].NameShort.empty());
    }
}

TEST(Simulation, TablesReadFromTheInstrumentAreNotOverwritten) {
    TMoistrelState state;
    // Validation has identified MFC A and read its tables, but not found MFC B; the state is still 0.
    state.MFCADetails.Validated = true;
    state.MFCADetails.ActiveLUT = 2;
    state.MFCADetails.LUT[0].NameShort = "N2";
    state.MFCADetails.LUT[0].NameOwn = "N2";
    state.MFCADetails.LUT[0].RangeMax = 1.5F;
    UnitMain::RecordMFCIdentification(state, TMFCSide::msA, true);
    UnitMain::RecordMFCIdentification(state, TMFCSide::msB, false);

    const Design::TSimulationApplied applied = Design::ApplysimulationValues(state, StartA, StartB);
    EXPECT_TRUE(applied.Applied);
    EXPECT_FALSE(applied.ChangedA);
    EXPECT_EQ(state.MFCADetails.LUT[0].NameShort, "N2");
    EXPECT_FLOAT_EQ(state.MFCADetails.LUT[0].RangeMax, 1.5F);
    EXPECT_EQ(state.MFCBDetails.LUT[0].NameShort, "Ar");

    // A later validation that does not find MFC A gives it back to the demonstration values.
    UnitMain::RecordMFCIdentification(state, TMFCSide::msA, false);
    EXPECT_TRUE(Design::ApplysimulationValues(state, StartA, StartB).ChangedA);
    EXPECT_EQ(state.MFCADetails.LUT[0].NameShort, "O2");
}

TEST(Simulation, TurndownOfZeroOrLessKeepsTheMinimum) {
    TMoistrelState state;
    Design::ApplysimulationValues(state, StartA, StartB);
    const float minimum = state.MFCADetails.LUT[0].RangeMin;
    for (const double turndown : {0.0, -3.0}) {
        TDemoValues values = StartA;
        values.Turndown = turndown;
        Design::ApplysimulationValues(state, values, StartB);
        EXPECT_FLOAT_EQ(state.MFCADetails.LUT[0].RangeMin, minimum) << turndown;
        EXPECT_EQ(state.MFCADetails.LUT[0].RangeDynamic, 0U) << turndown;
    }
    TDemoValues values = StartA;
    values.Turndown = 2.5;
    Design::ApplysimulationValues(state, values, StartB);
    EXPECT_EQ(state.MFCADetails.LUT[0].RangeDynamic, 2U); // halves go to the even neighbour
}

TEST(Simulation, PresetButtons) {
    struct TCase {
        const char* Button;
        TMFCSide Side;
        const char* Caption;
        const char* Gas;
        double Mass;
    };
    const TCase cases[] = {
        {"ButtonMFCAAir", TMFCSide::msA, "A-Component: Air", "Air", 28.9647},
        {"ButtonMFCAH2", TMFCSide::msA, "A-Component: H2", "H2", 2.01588},
        {"ButtonMFCBAir", TMFCSide::msB, "B-Component: Air", "Air", 28.9647},
        {"ButtonMFCBN2", TMFCSide::msB, "B-Component: N2", "N2", 28.0134},
    };
    for (const TCase& c : cases) {
        const auto preset = Design::ButtonMFCAAirClick(c.Button);
        ASSERT_TRUE(preset.has_value()) << c.Button;
        EXPECT_EQ(preset->Side, c.Side);
        EXPECT_EQ(preset->BoxCaption, c.Caption);
        EXPECT_EQ(preset->GasName, c.Gas);
        EXPECT_DOUBLE_EQ(preset->GasMass, c.Mass);
    }
    EXPECT_FALSE(Design::ButtonMFCAAirClick("ButtonApply").has_value());
}

} // namespace
