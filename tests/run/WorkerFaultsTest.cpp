// What the run does with MFC A's worker, through the run control on the virtual instruments: a
// silent MFC A holds the segment and the run still ends with a confirmed stop, a pulsed segment
// pulses at the pulse flow and delivers its share, and each Start begins with the worker's figures
// of its own run.

#include "base/DateTime.h"
#include "base/NumberFormat.h"
#include "run/RunControl.h"
#include "sim/SimFault.h"
#include "state/MoistrelState.h"
#include "support/DesignStates.h"
#include "support/LogCapture.h"
#include "support/RunFixture.h"
#include "support/SetPointWrites.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <gtest/gtest.h>
#include <string>
#include <thread>
#include <vector>

namespace {

using namespace TestSupport;
using namespace UnitMain;

class WorkerFaultsTest : public TRunFixture {};

// The fields of the data file.
constexpr std::size_t FieldState = 2;
constexpr std::size_t FieldSegment = 3;
constexpr std::size_t FieldAObserved = 6;
constexpr std::size_t FieldATotalizer = 8;

TEST_F(WorkerFaultsTest, ASilentMFCAHoldsTheSegmentAndTheRunEndsWithAConfirmedStop) {
    // 0.0005 h: 1.8 s of instrument time each.
    state.SegmentProgram = {Segment("one", 0.0005, {Flow(0, 0.02F), Flow(1, 0.05F)}),
                            Segment("two", 0.0005, {Flow(0, 0.01F), Flow(1, 0.02F)})};
    run->ButtonApplyClick();
    ASSERT_EQ(state.MixerState, msRunning);
    ASSERT_TRUE(TurnUntil([this] { return state.Run.FlowAObserved > 0.0; })) << memoLog.Text();
    // Silent from between two passes, while the worker waits for its exchange: the first read that
    // fails is the set-point's.
    const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (mainThread.Pending() == 0 && std::chrono::steady_clock::now() < limit) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    ASSERT_GT(mainThread.Pending(), 0U);
    Fault(Sim::sdMfcA, Sim::sfSilent, true);
    const Base::TDateTime silentFrom = sim.Clock().Now();
    ASSERT_TRUE(TurnUntil([this] { return window.Caption == "Trying to communicate with MFC A or B"; }))
        << memoLog.Text();
    // Three seconds, well past the first segment's end: the judgement waits for MFC A.
    bool held = true;
    ASSERT_TRUE(TurnUntil([&] {
        held = held && state.MixerState == msRunning && state.Run.CurrentSegment == 0;
        return (sim.Clock().Now() - silentFrom) * Base::SecondsPerDay > 3.0;
    }));
    EXPECT_TRUE(held) << memoLog.Text();
    EXPECT_EQ(window.Caption, "Trying to communicate with MFC A or B");
    EXPECT_EQ(state.Run.FlowAObserved, -1.0);
    EXPECT_FALSE(Logged("Tick:Next Step: 1"));
    EXPECT_TRUE(Logged("Could not talk to MFC A, sleep 1 second."));

    Fault(Sim::sdMfcA, Sim::sfSilent, false);
    ASSERT_TRUE(TurnUntil([this] { return state.MixerState == msValidated; })) << memoLog.Text();
    EXPECT_EQ(window.Caption, "Stopped");
    ExpectLoggedInOrder({"Tick:Next Step: 1", "Tick:Stop", " MFC A: permanent stop",
                         "MFC A commanded to stop", "MFC B commanded to stop"});
    EXPECT_FALSE(Logged("Could not stop flow!"));

    // The seconds of silence are on file without an A reading or a totalizer, the others with both.
    int silentLines = 0;
    int readLines = 0;
    for (const std::vector<std::string>& f : DataFileRows()) {
        if (f.size() <= FieldATotalizer || f[FieldState] != "2") {
            continue;
        }
        if (f[FieldAObserved].empty()) {
            EXPECT_TRUE(f[FieldATotalizer].empty()) << "a totalizer that was not read is no figure";
            ++silentLines;
        } else if (!f[FieldATotalizer].empty()) {
            ++readLines;
        }
    }
    EXPECT_GE(silentLines, 2);
    EXPECT_GE(readLines, 1);
}

TEST_F(WorkerFaultsTest, APulsedSegmentPulsesAtThreeTimesTheLowestFlowAndDeliversItsShare) {
    // A sample size of its own, to see that the worker was given it.
    state.Settings.AverageSampleSize = 7;
    const TSetPointWrites writes(sim.Sim(), Sim::sdMfcA, 1);
    const TLogCapture log;
    // A minute of instrument time at two thirds of MFC A's lowest flow (0.0003 g/min).
    state.SegmentProgram = {Segment("pulsed", 1.0 / 60.0, {Flow(0, 0.0002F, 0.667F), Flow(1, 0.05F)})};
    run->ButtonApplyClick();
    ASSERT_EQ(state.MixerState, msRunning);
    ASSERT_TRUE(TurnUntil([this] { return state.MixerState == msValidated; }, std::chrono::seconds(600)))
        << memoLog.Text();

    const auto pulse = static_cast<float>(3.0 * static_cast<double>(state.MFCADetails.LUT[1].RangeMin));
    int pulses = 0;
    float last = 0.0F;
    for (const float value : writes.Values()) {
        EXPECT_TRUE(value == pulse || value == 0.0F) << value;
        pulses += value == pulse && last != pulse ? 1 : 0;
        last = value;
    }
    EXPECT_GE(pulses, 5) << "the valve opens again whenever the segment's average falls behind";
    EXPECT_EQ(last, 0.0F) << "the stop closes it";
    EXPECT_TRUE(log.Contains("Thread.           Moving average count size : 7"));

    // The report: what MFC A delivered of what the segment asked.
    const std::vector<std::string> lines = memoLog.Lines();
    const auto report = std::find_if(lines.begin(), lines.end(), [](const std::string& l) {
        return l.find("  Segment 1 \"pulsed\": planned 0:01:00") != std::string::npos;
    });
    ASSERT_NE(report, lines.end()) << memoLog.Text();
    const std::string& line = *report;
    const std::size_t share = line.find(" g asked (");
    ASSERT_NE(share, std::string::npos) << line;
    const double percent = std::stod(line.substr(share + 10));
    EXPECT_GT(percent, 90.0) << line;
    EXPECT_LT(percent, 110.0) << line;
}

TEST_F(WorkerFaultsTest, StartForgetsTheTotalizerOfTheRunBefore) {
    state.SegmentProgram = {Segment("one", 0.0002, {Flow(0, 0.02F), Flow(1, 0.05F)})};
    run->ButtonApplyClick();
    ASSERT_TRUE(TurnUntil([this] { return state.MixerState == msValidated; })) << memoLog.Text();
    ASSERT_TRUE(std::isfinite(state.Run.FlowATotalizer));

    run->ButtonApplyClick();
    ASSERT_EQ(state.MixerState, msRunning);
    EXPECT_TRUE(std::isnan(state.Run.FlowATotalizer)) << "no figure of this run yet";
    ASSERT_TRUE(TurnUntil([this] { return std::isfinite(state.Run.FlowATotalizer); }));
    run->ButtonStopClick();
    ASSERT_TRUE(TurnUntil([this] { return state.MixerState == msValidated; })) << memoLog.Text();
}

} // namespace
