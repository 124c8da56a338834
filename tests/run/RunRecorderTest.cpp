// The run recorder on a manual clock, fed the run's state second by second as the tick would: the
// report's figures from the samples, and the data file's fields for failed readings.

#include "run/RunRecorder.h"

#include "base/Clock.h"
#include "base/MemoryTextPane.h"
#include "run/RunDataFile.h"
#include "state/MoistrelState.h"
#include "support/DesignStates.h"
#include "support/TempFolder.h"

#include <cmath>
#include <filesystem>
#include <fstream>
#include <functional>
#include <gtest/gtest.h>
#include <limits>
#include <sstream>
#include <string>
#include <vector>

namespace {

using namespace UnitMain;

constexpr double NaN = std::numeric_limits<double>::quiet_NaN();

std::vector<std::string> Fields(const std::string& line) {
    std::vector<std::string> fields;
    std::stringstream stream(line);
    std::string field;
    while (std::getline(stream, field, ',')) {
        fields.push_back(field);
    }
    if (!line.empty() && line.back() == ',') {
        fields.emplace_back();
    }
    return fields;
}

class RunRecorderTest : public testing::Test {
protected:
    void SetUp() override {
        state.MixerState = msRunning;
        state.SegmentProgram = {
            TestSupport::Segment("steady", 1.0, {TestSupport::Flow(0, 0.02F), TestSupport::Flow(1, 0.05F)})};
        state.Run.CurrentSegment = 0;
        state.Run.StepStartTime = clock.Now();
        // Start has saved the recipe there.
        std::filesystem::create_directories(std::filesystem::path(folder.Path()) / "Userdata");
        recorder.Begin(folder.Path(), clock.Now());
    }

    // One tick a second for `seconds` seconds, `figures` setting the state for second s first.
    void RunFor(int seconds, const std::function<void(int)>& figures) {
        for (int s = 0; s < seconds; ++s) {
            figures(s);
            recorder.Sample(state);
            clock.AdvanceSeconds(1.0);
        }
    }

    // The stop confirmed now: the report's segment line.
    std::string EndAndReportSegment() {
        state.MixerState = msValidated;
        recorder.End(state);
        const std::vector<std::string> lines = memoLog.Lines();
        for (const std::string& line : lines) {
            if (line.find("Segment 1 ") != std::string::npos) {
                return line;
            }
        }
        return {};
    }

    std::vector<std::string> DataLines() const {
        std::ifstream file(std::filesystem::path(folder.Path()) / "Userdata" / RunDataFileName(start));
        std::vector<std::string> lines;
        std::string line;
        while (std::getline(file, line)) {
            if (!line.empty() && line.back() == '\r') {
                line.pop_back();
            }
            lines.push_back(line);
        }
        return lines;
    }

    Base::TManualClock clock{46000.5};
    const Base::TDateTime start = clock.Now();
    TestSupport::TTempFolder folder;
    Base::TMemoryTextPane memoLog;
    TMoistrelState state;
    TRunRecorder recorder{memoLog, clock};
};

TEST_F(RunRecorderTest, ASteadyFlowDeliversAllThatWasAskedAndASilentHalfOfBReadsHalf) {
    // MFC A's totalizer rises by exactly its set flow; MFC B answers every other second.
    RunFor(60, [this](int s) {
        state.Run.FlowATotalizer = 10.0 + 0.02 * s / 60.0;
        state.Run.FlowAObserved = 0.02;
        state.Run.FlowBObserved = s % 2 == 0 ? 0.05 : -1.0;
    });
    // The reading the stop found belongs to the segment that ended.
    state.Run.FlowATotalizer = 10.02;
    const std::string segment = EndAndReportSegment();
    EXPECT_NE(segment.find("A delivered 0.020 000 g of 0.020 000 g asked (100.0 %)"), std::string::npos)
        << segment;
    EXPECT_NE(segment.find("B mean 0.025 000 of 0.050 000 g/min (50.0 %)"), std::string::npos) << segment;
}

TEST_F(RunRecorderTest, AFailedReadingIsAnEmptyFieldNeverTheLastValue) {
    RunFor(4, [this](int s) {
        // A good second, then MFC A and B fail: -1 (the worker's mark), then no number at all.
        const bool good = s == 0;
        state.Run.FlowAObserved = good ? 0.02 : s == 1 ? -1.0 : NaN;
        state.Run.FlowAMovingAverage = 0.019; // stands still while A gives no reading
        state.Run.FlowATotalizer = good ? 10.0 : NaN;
        state.Run.FlowBObserved = good ? 0.05 : s == 1 ? -1.0 : NaN;
    });
    // The file's writer has written every line once the recording has ended.
    state.MixerState = msValidated;
    recorder.End(state);
    const std::vector<std::string> lines = DataLines();
    ASSERT_GE(lines.size(), 5U);
    const std::vector<std::string> good = Fields(lines[1]);
    ASSERT_EQ(good.size(), 15U) << lines[1];
    EXPECT_EQ(good[6], "0.020000");
    EXPECT_EQ(good[7], "0.019000");
    EXPECT_EQ(good[8], "10.000000");
    EXPECT_EQ(good[10], "0.050000");
    for (std::size_t i = 2; i <= 4; ++i) {
        const std::vector<std::string> f = Fields(lines[i]);
        ASSERT_EQ(f.size(), 15U) << lines[i];
        EXPECT_EQ(f[6], "") << "A observed: " << lines[i];
        EXPECT_EQ(f[7], "") << "A moving average: " << lines[i];
        EXPECT_EQ(f[8], "") << "A totalizer: " << lines[i];
        EXPECT_EQ(f[10], "") << "B observed: " << lines[i];
    }
    // B's failed readings count as no flow in the report, a NaN as much as a -1.
    const std::string segment = EndAndReportSegment();
    EXPECT_NE(segment.find("B mean 0.012 500 of 0.050 000 g/min (25.0 %)"), std::string::npos) << segment;
}

TEST_F(RunRecorderTest, TheTargetColumnNamesTheTargetOfTheSegmentThatRuns) {
    GasMixtures::TGasItem target =
        TestSupport::Segment("humid", 1.0, {TestSupport::Flow(0, 0.02F), TestSupport::Flow(1, 0.05F)});
    GasMixtures::TTargetInput input;
    input.Target = {GasMixtures::TTargetKind::tkRelativeHumidity, 50.0, ""};
    target.Target = GasMixtures::TSegmentTarget{input, "RH 50 %"};
    state.SegmentProgram.push_back(target);
    RunFor(4, [this](int s) {
        if (s == 2) {
            state.Run.CurrentSegment = 1;
            state.Run.StepStartTime = clock.Now();
        }
    });
    state.MixerState = msValidated;
    recorder.End(state);
    const std::vector<std::string> lines = DataLines();
    ASSERT_GE(lines.size(), 5U);
    EXPECT_EQ(Fields(lines[0]).back(), "Target");
    for (std::size_t i = 1; i < lines.size(); ++i) {
        const std::vector<std::string> f = Fields(lines[i]);
        ASSERT_EQ(f.size(), 15U) << lines[i];
        EXPECT_EQ(f[14], f[3] == "2" ? "RH 50 %" : "") << lines[i];
    }
    EXPECT_EQ(Fields(lines[1])[3], "1");
    EXPECT_EQ(Fields(lines.back())[3], "2");
}

} // namespace
