// The status panels of a running mixer: the texts, the 5 % warnings and a failed reading, over a
// table of cases.

#include "run/StatusPanels.h"

#include <gtest/gtest.h>
#include <string>

namespace {

using UnitMain::StatusPanelTexts;
using UnitMain::TStatusInput;

struct TPanelCase {
    const char* Name;
    TStatusInput Input;
    int Panel;
    std::string Text;
};

TStatusInput Constant(double aMass, double aObserved, double bMass = 0.1, double bObserved = 0.1) {
    TStatusInput input;
    input.AMass = aMass;
    input.APulsed = 1.0;
    input.FlowAObserved = aObserved;
    input.FlowAMovingAverage = aMass;
    input.BMass = bMass;
    input.FlowBObserved = bObserved;
    return input;
}

TStatusInput Pulsed(double aMass, double aObserved, double movingAverage) {
    TStatusInput input = Constant(aMass, aObserved);
    input.APulsed = 0.2;
    input.FlowAMovingAverage = movingAverage;
    return input;
}

class StatusPanels : public testing::TestWithParam<TPanelCase> {};

TEST_P(StatusPanels, ShowTheFlowsAndWarnings) {
    const TPanelCase& c = GetParam();
    EXPECT_EQ(StatusPanelTexts(c.Input)[static_cast<std::size_t>(c.Panel)], c.Text);
}

TStatusInput WithFigures() {
    TStatusInput input = Constant(0.5, 0.5);
    input.MovingAverageMinutes = 12.3456;
    input.FlowAMovingAverage = 0.49;
    input.FlowASoFar = 0.498;
    return input;
}

TStatusInput NoFlows() {
    TStatusInput input;
    input.FlowBObserved = 0.012;
    input.MovingAverageMinutes = 1.5;
    return input;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, StatusPanels,
    testing::Values(
        TPanelCase{"A94", Constant(0.5, 0.47), 0, "Gas A flow: 94 % of 0.500 000 g/min"},
        TPanelCase{"A94Warns", Constant(0.5, 0.47), 4, "Flow A Warning"},
        TPanelCase{"A95Quiet", Constant(0.5, 0.475), 4, ""},
        TPanelCase{"A105Quiet", Constant(0.5, 0.525), 4, ""},
        TPanelCase{"A106Warns", Constant(0.5, 0.53), 4, "Flow A Warning"},
        // A pulsed flow is judged by its moving average, not by the pulse it is in.
        TPanelCase{"PulsedOnAverageQuiet", Pulsed(0.002, 0.03, 0.002), 4, ""},
        TPanelCase{"PulsedOnAverageWarns", Pulsed(0.002, 0.002, 0.0015), 4, "Flow A Warning"},
        TPanelCase{"NoAFlow", NoFlows(), 0, "Gas A flow: ?"},
        TPanelCase{"NoAFlowAverage", NoFlows(), 1, "Gas A 1.500 min average: ?"},
        TPanelCase{"NoBFlowShowsGrams", NoFlows(), 3, "Gas B flow: 0.012 000 g/min"},
        TPanelCase{"NoFlowsNoWarning", NoFlows(), 4, ""},
        TPanelCase{"MovingAverage", WithFigures(), 1, "Gas A 12.346 min average: 98 % of 0.500 000 g/min"},
        TPanelCase{"SegmentAverage", WithFigures(), 2, "Gas A segment average flow: 0.498 000 g/min"},
        TPanelCase{"BPercent", Constant(0.5, 0.5, 0.1, 0.09), 3, "Gas B flow: 90.000 000 %"},
        TPanelCase{"BWarns", Constant(0.5, 0.5, 0.1, 0.09), 4, " Flow B Warning"},
        TPanelCase{"BothWarn", Constant(0.5, 0.4, 0.1, 0.2), 4, "Flow A Warning -  Flow B Warning"},
        // B's limits are 5 % too, both ways.
        TPanelCase{"B94Warns", Constant(0.5, 0.5, 0.25, 0.235), 4, " Flow B Warning"},
        TPanelCase{"B96Quiet", Constant(0.5, 0.5, 0.25, 0.24), 4, ""},
        TPanelCase{"B104Quiet", Constant(0.5, 0.5, 0.25, 0.26), 4, ""},
        TPanelCase{"B106Warns", Constant(0.5, 0.5, 0.25, 0.265), 4, " Flow B Warning"},
        // A failed reading (-1) is no reading, and warns whatever A's mode.
        TPanelCase{"ASilent", Constant(0.5, -1.0), 0, "Gas A flow: no reading"},
        TPanelCase{"ASilentWarns", Constant(0.5, -1.0), 4, "Flow A Warning"},
        TPanelCase{"PulsedASilentWarns", Pulsed(0.002, -1.0, 0.002), 4, "Flow A Warning"},
        TPanelCase{"BSilent", Constant(0.5, 0.5, 0.1, -1.0), 3, "Gas B flow: no reading"},
        TPanelCase{"BSilentWarns", Constant(0.5, 0.5, 0.1, -1.0), 4, " Flow B Warning"},
        TPanelCase{"BSilentWithoutBFlow", Constant(0.5, 0.5, 0.0, -1.0), 3, "Gas B flow: no reading"}),
    [](const testing::TestParamInfo<TPanelCase>& param) { return std::string(param.param.Name); });

} // namespace
