// The MFC worker against the virtual MFC A and B over real pseudo-terminals. The worker, its
// pauses and the instruments share one manual clock, so a pass costs the time of its serial
// transactions only and the clock moves by exactly the pauses the worker takes. The test's loop
// plays the main thread: it serves the worker's exchanges from a queue.

#include "run/MFCThread.h"

#include "base/Clock.h"
#include "base/DateTime.h"
#include "base/MainThread.h"
#include "base/MemoryTextPane.h"
#include "base/NumberFormat.h"
#include "mfc/VogtlinPort.h"
#include "modbus/VogtlinRegisters.h"
#include "serial/PortTurn.h"
#include "state/MoistrelState.h"
#include "support/LogCapture.h"
#include "support/SetPointWrites.h"
#include "support/SimHarness.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <regex>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

namespace {

using namespace std::chrono_literals;
using Base::SecondsPerDay;
using GasMixtures::TGasItem;
using SerialPort::TSerialResponse;
using SerialPortVogtlin::TVogtlinPort;
using UnitMain::TMFCThread;

// The wait for a reply on a busy machine; the tests judge what is exchanged, not how fast.
constexpr std::uint32_t TestReadoutMS = 500;

// A segment's A flow.
TGasItem AFlow(const std::string& gas, float mass, float pulsed) {
    TGasItem item;
    item.GasNameLong = gas;
    item.Mass = mass;
    item.Pulsed = pulsed;
    return item;
}

class MFCThreadTest : public ::testing::Test {
protected:
    // The instruments with the defaults of the virtual MFC A (table 2: air in normal litres,
    // 10 g/min full scale, turn-down 100), and whatever `adjust` changes.
    void StartInstruments(const std::function<void(Sim::TSimConfig&)>& adjust = {}) {
        fSetPoints.reset();
        sim = std::make_unique<TestSupport::TSimHarness>(TestSupport::ManualClock(adjust));
        ASSERT_TRUE(sim->Started()) << sim->Error();
        fSetPoints = std::make_unique<TestSupport::TSetPointWrites>(sim->Sim(), Sim::sdMfcA, 1);
        const Sim::TMfcConfig config = Sim::DefaultMfcA();
        SerialPortVogtlin::TMFCDetails& mfc = state.MFCADetails;
        mfc.ComPortName = sim->Path(Sim::sdMfcA);
        mfc.MFCName = "MFC A";
        mfc.ModBusAddress = 1;
        mfc.Validated = true;
        for (std::size_t k = 0; k < config.Tables.size(); ++k) {
            const Sim::TGasTableConfig& table = config.Tables[k];
            SerialPortVogtlin::TLUTData& lut = mfc.LUT[k];
            lut.LUTNumber = static_cast<std::uint32_t>(k + 2);
            lut.NameShort = table.NameShort;
            lut.UnitType = table.Unit;
            lut.RangeMax = table.FullScale;
            lut.RangeDynamic = table.DynamicRange;
            lut.RangeMin = table.FullScale / static_cast<float>(table.DynamicRange);
            lut.DensityGPL = table.Density_gpl;
            lut.TotalizerUnit = table.TotalizerUnit;
            lut.TotalizerScaling = table.TotalizerScaling;
        }
        mfc.ActiveLUT = 2;
        state.MFCBDetails.ComPortName = sim->Path(Sim::sdMfcB);
    }

    // A worker with the start values the Start button gives it, and `segmentA` waiting as the
    // running segment's A flow.
    void MakeWorker(const TGasItem& segmentA, std::int32_t maTickSize = 358) {
        worker = std::make_unique<TMFCThread>(state, mainThread, sim->Clock(), memoLog);
        worker->MFCD = state.MFCADetails;
        worker->MixD.Mass = 0.0F;
        worker->MixD.Pulsed = 1.0F;
        worker->LowFlow = 3.0 * UnitMain::ActiveLUTData(state.MFCADetails)->RangeMin;
        worker->GasBPort = state.MFCBDetails.ComPortName;
        worker->MATickSize = maTickSize;
        worker->ReadoutTimeoutMS = TestReadoutMS;
        worker->SetFlowReadoutTimeoutMS = TestReadoutMS;
        state.Run.ThreadData = UnitMain::TThreadData{};
        state.Run.ThreadData.In_MixD = segmentA;
        state.Run.ThreadData.In_NewSegment = true;
    }

    void StartWorker(const TGasItem& segmentA, std::int32_t maTickSize = 358) {
        MakeWorker(segmentA, maTickSize);
        worker->Start();
    }

    // Serves the worker's exchanges until `done` holds; false when it has not after a minute.
    bool ServeUntil(const std::function<bool()>& done) {
        const auto limit = std::chrono::steady_clock::now() + 60s;
        while (!done()) {
            if (std::chrono::steady_clock::now() > limit) {
                return false;
            }
            mainThread.ProcessPending();
            std::this_thread::sleep_for(1ms);
        }
        return true;
    }

    // Serves until `seconds` of the shared clock have passed from now.
    bool ServeFor(double seconds) {
        const Base::TDateTime until = Clock().Now() + seconds / SecondsPerDay;
        return ServeUntil([&] { return Clock().Now() >= until; });
    }

    // Sets In_ToStop while the worker waits in an exchange and serves until it has ended. Returns
    // the clock time that passed meanwhile, in seconds.
    double StopWorker() {
        EXPECT_TRUE(ServeUntil([&] { return mainThread.Pending() > 0 || worker->Finished(); }));
        const Base::TDateTime asked = Clock().Now();
        state.Run.ThreadData.In_ToStop = true;
        EXPECT_TRUE(ServeUntil([&] { return worker->Finished(); })) << "the worker did not end";
        return (Clock().Now() - asked) * SecondsPerDay;
    }

    std::vector<float> SetPointWrites() const { return fSetPoints->Values(); }

    // Writes straight to the virtual MFC A, as another program would.
    void WriteToMFCA(std::uint32_t reg, float value) {
        TVogtlinPort port;
        SerialPortVogtlin::ConfigureForMFC(port, state.MFCADetails.ComPortName, TestReadoutMS);
        TSerialResponse response;
        port.WriteF32(1, reg, value, response);
        ASSERT_EQ(response.Status, "");
    }

    Base::TManualClock& Clock() { return sim->Clock(); }

    std::size_t LinesWith(const std::string& text) const {
        std::size_t count = 0;
        for (const std::string& line : memoLog.Lines()) {
            count += line.find(text) != std::string::npos ? 1 : 0;
        }
        return count;
    }

    std::unique_ptr<TestSupport::TSimHarness> sim;
    // MFC A's set-point writes; taken off the instruments before they go.
    std::unique_ptr<TestSupport::TSetPointWrites> fSetPoints;
    UnitMain::TMoistrelState state;
    Base::TQueuedMainThread mainThread;
    Base::TMemoryTextPane memoLog;
    // Declared last, so it ends first; its destructor serves its last exchanges if a test failed.
    std::unique_ptr<TMFCThread> worker;
};

TEST_F(MFCThreadTest, ConstantModeWritesItsSetPointOnce) {
    StartInstruments();
    StartWorker(AFlow("Air", 0.5F, 1.0F));
    worker->Start();            // a second start changes nothing
    ASSERT_TRUE(ServeFor(1.5)); // 30 passes

    const std::vector<float> writes = SetPointWrites();
    ASSERT_EQ(writes.size(), 1U) << "a set-point within 1e-6 of the wanted flow is not written again";
    EXPECT_EQ(writes[0], 0.5F);
    EXPECT_EQ(LinesWith(" Thread: MFC A flow set to :0.5 g/min"), 1U);
    // The figures reach the state at each exchange: the flow has risen towards 0.5 and MFC B answers.
    EXPECT_NEAR(state.Run.FlowAObserved, 0.5, 0.05);
    // The average since the segment began lags the flow's rise (a time constant of 0.3 s).
    EXPECT_GT(state.Run.FlowASoFar, 0.3);
    EXPECT_LT(state.Run.FlowASoFar, 0.5);
    EXPECT_EQ(state.Run.FlowBObserved, 0.0);
    EXPECT_TRUE(state.Run.ThreadData.SomethingToTell);
    EXPECT_FALSE(state.Run.ThreadData.In_NewSegment) << "the exchange takes the new segment";
    EXPECT_FALSE(state.Run.ThreadData.Out_Stopped);

    StopWorker();
    EXPECT_EQ(SetPointWrites().size(), 2U);
    EXPECT_EQ(SetPointWrites().back(), 0.0F);
}

TEST_F(MFCThreadTest, PulsedModeSwitchesBetweenTheLowFlowAndZeroAndDeliversTheWantedMean) {
    // A valve without lag: the pulses are crisp, and a few seconds show the mean.
    StartInstruments([](Sim::TSimConfig& config) { config.MfcA.TimeConstantSeconds = 0.0; });
    const auto lowFlow = static_cast<float>(3.0 * 0.1F); // three times the lowest flow of table 2
    const Base::TDateTime start = Clock().Now();
    const double gramsAtStart = sim->Sim().MfcState(Sim::sdMfcA).Totalizer_g;
    const TestSupport::TLogCapture log;
    StartWorker(AFlow("Air", 0.1F, 0.2F)); // a third of the low flow
    ASSERT_TRUE(ServeFor(7.5));            // 150 passes

    const double minutes = (Clock().Now() - start) * 1440.0;
    const double delivered = sim->Sim().MfcState(Sim::sdMfcA).Totalizer_g - gramsAtStart;
    const std::vector<float> writes = SetPointWrites();
    ASSERT_FALSE(writes.empty());
    EXPECT_EQ(writes.front(), lowFlow) << "a segment starts behind: the first pass opens the valve";
    std::size_t opened = 0;
    std::size_t closed = 0;
    for (const float value : writes) {
        EXPECT_TRUE(value == lowFlow || value == 0.0F) << value;
        opened += value == lowFlow ? 1 : 0;
        closed += value == 0.0F ? 1 : 0;
    }
    EXPECT_GE(opened, 5U) << "the valve opens again each time the average falls behind";
    EXPECT_GE(closed, 5U);
    EXPECT_NEAR(delivered / minutes, 0.1, 0.005)
        << "the gas delivered follows the wanted mean; failed passes: " << LinesWith("Could not talk");
    EXPECT_NEAR(state.Run.FlowASoFar, 0.1, 0.005) << "the worker's own segment average";

    StopWorker();
    for (const std::string& line :
         {std::string("Thread. We are in pulsed flow mode for gas A"),
          std::string("Thread. Pulsed: Lowest flow value      : 0.300 000"),
          std::string("Thread. Pulsed: We are behind in the flow"),
          std::string("Thread. Pulsed: Try adjusting flow"),
          "Thread. Pulsed: MFC set to " + Base::FormatGeneral(3.0 * static_cast<double>(0.1F)) + " flow",
          std::string("Thread. Pulsed: We are ahead in the flow"),
          std::string("Thread. Pulsed: MFC set to 0 flow")}) {
        EXPECT_TRUE(log.Contains(line)) << line;
    }
}

TEST_F(MFCThreadTest, NoGasClosesTheValveOnEveryPassWhileFlowIsSeen) {
    StartInstruments();
    WriteToMFCA(SerialPortVogtlin::regSetPoint, 0.5F);
    sim->Advance(3.0);
    ASSERT_GT(sim->Sim().MfcState(Sim::sdMfcA).Flow, 0.45);

    const TestSupport::TLogCapture log;
    StartWorker(TGasItem{});    // a segment without A flow
    ASSERT_TRUE(ServeFor(2.0)); // the flow falls below what the MFC shows within 1.2 s
    const std::size_t zeroWrites = SetPointWrites().size() - 1; // less the test's own 0.5
    ASSERT_TRUE(ServeFor(0.5));
    StopWorker();

    const std::vector<float> writes = SetPointWrites();
    ASSERT_EQ(writes.size(), zeroWrites + 2) << "no write once no flow is seen, then the stop's own zero";
    for (std::size_t k = 1; k < writes.size(); ++k) {
        EXPECT_EQ(writes[k], 0.0F);
    }
    // One zero for every reading of MFC A that saw flow, as the worker logged its readings.
    std::size_t flowSeen = 0;
    const std::string reading = "MFC A: Current flow       : ";
    for (std::string message : log.Messages()) {
        if (message.rfind(reading, 0) == 0) {
            message = message.substr(reading.size());
            std::erase(message, ' ');
            flowSeen += std::stod(message) > 1e-7 ? 1 : 0;
        }
    }
    EXPECT_GE(flowSeen, 2U);
    EXPECT_EQ(zeroWrites, flowSeen);
    EXPECT_EQ(sim->Sim().MfcState(Sim::sdMfcA).SetPoint, 0.0F);
    EXPECT_LT(sim->Sim().MfcState(Sim::sdMfcA).Flow, 1e-3);
    EXPECT_TRUE(log.Contains("Thread. This mixture contains no gas for MFC a."));
    EXPECT_TRUE(log.Contains("Thread. Observed flow > 0.000 000 1, instruct 0-flow."));
}

TEST_F(MFCThreadTest, ReadTotalizerGivesGramsFromEveryTable) {
    // Table 2 counts normal litres of air, table 3 milligrams, table 4 kilograms.
    StartInstruments([](Sim::TSimConfig& config) {
        config.MfcA.Tables[2].TotalizerUnit = "kg";
        config.MfcA.Tables[2].Density_gpl = 1.429F;
    });
    state.MFCADetails.LUT[2].TotalizerUnit = "kg";
    const TestSupport::TLogCapture log;
    MakeWorker(TGasItem{});
    const struct {
        std::uint32_t Table;
        float Raw;
        double Grams;
    } cases[] = {
        {2, 4.0F, 4.0 * static_cast<double>(1.293F)},
        {3, 4000.0F, 4.0},
        {4, 0.002F, 1000.0 * static_cast<double>(0.002F)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE("table " + std::to_string(c.Table));
        TVogtlinPort port;
        SerialPortVogtlin::ConfigureForMFC(port, state.MFCADetails.ComPortName, TestReadoutMS);
        TSerialResponse response;
        port.WriteU8(1, SerialPortVogtlin::regActiveGasTable, static_cast<std::uint16_t>(c.Table), response);
        WriteToMFCA(SerialPortVogtlin::regTotalizer, c.Raw);
        worker->MFCD.ActiveLUT = c.Table;

        double grams = -1.0;
        const Base::TDateTime before = Clock().Now();
        ASSERT_TRUE(worker->ReadTotalizer(grams));
        EXPECT_NEAR(grams, c.Grams, 1e-6 * c.Grams);
        EXPECT_EQ(worker->MFCD.CurrentObservedFlow, 0.0);
        EXPECT_EQ(Clock().Now(), before) << "a reading takes no pause of its own";
    }
    EXPECT_TRUE(log.Contains("MFC A: Totalizer unit KG needs conversion "));
    EXPECT_TRUE(log.Contains("IF YOU ARE SEEING THIS CONTACT KELVANE "));

    // A silent MFC: no reading, and no grams.
    std::string error;
    ASSERT_TRUE(sim->Sim().SetFault(Sim::sdMfcA, Sim::sfSilent, true, error)) << error;
    double grams = -1.0;
    EXPECT_FALSE(worker->ReadTotalizer(grams));
    EXPECT_EQ(grams, 0.0);
}

TEST_F(MFCThreadTest, SilentMFCAMakesEachPassPauseOneSecondWithoutControl) {
    StartInstruments();
    std::string error;
    ASSERT_TRUE(sim->Sim().SetFault(Sim::sdMfcA, Sim::sfSilent, true, error)) << error;
    const Base::TDateTime start = Clock().Now();
    StartWorker(AFlow("Air", 0.5F, 1.0F));
    ASSERT_TRUE(ServeUntil([&] { return LinesWith("Could not talk to MFC A, sleep 1 second.") >= 3; }));
    StopWorker();

    const std::size_t failedPasses = LinesWith("Could not talk to MFC A, sleep 1 second.");
    EXPECT_NEAR((Clock().Now() - start) * SecondsPerDay, static_cast<double>(failedPasses), 1e-6)
        << "one second of pause for every failed pass, and nothing else";
    // The only write is the stop's zero (a write that gets no answer still went out, so it counts as made).
    EXPECT_EQ(SetPointWrites(), std::vector<float>{0.0F});
    EXPECT_EQ(LinesWith("Could not talk to MFC B"), 0U);
}

TEST_F(MFCThreadTest, SilentMFCBMarksItsFlowFailedAndPausesWithoutControl) {
    StartInstruments();
    std::string error;
    ASSERT_TRUE(sim->Sim().SetFault(Sim::sdMfcB, Sim::sfSilent, true, error)) << error;
    const Base::TDateTime start = Clock().Now();
    StartWorker(AFlow("Air", 0.5F, 1.0F));
    ASSERT_TRUE(ServeUntil([&] { return LinesWith("Could not talk to MFC B, sleep 1 second.") >= 2; }));

    EXPECT_EQ(state.Run.FlowBObserved, -1.0);
    EXPECT_EQ(state.Run.FlowAObserved, 0.0) << "MFC A was read";
    EXPECT_TRUE(SetPointWrites().empty()) << "no control of MFC A in a pass without MFC B";

    // MFC B answers again: its flow comes back and MFC A gets its set-point.
    ASSERT_TRUE(sim->Sim().SetFault(Sim::sdMfcB, Sim::sfSilent, false, error)) << error;
    ASSERT_TRUE(ServeUntil([&] { return state.Run.FlowBObserved == 0.0; }));
    StopWorker();
    const std::size_t failedPasses = LinesWith("Could not talk to MFC B, sleep 1 second.");
    EXPECT_GE((Clock().Now() - start) * SecondsPerDay, static_cast<double>(failedPasses));
    EXPECT_EQ(SetPointWrites(), (std::vector<float>{0.5F, 0.0F}));
}

// A pass hands its readings to the main thread before it pauses: MFC B's first good reading after
// a loss reaches the display in the pass that read it, on the clock of that pass's first exchange,
// not a pause later.
TEST_F(MFCThreadTest, APassHandsItsReadingsOverBeforeItsPause) {
    StartInstruments();
    std::string error;
    ASSERT_TRUE(sim->Sim().SetFault(Sim::sdMfcB, Sim::sfSilent, true, error)) << error;
    StartWorker(AFlow("Air", 0.5F, 1.0F));
    struct TExchangeSeen {
        double Seconds; // the shared clock while the worker waited in the exchange
        double FlowB;   // what the exchange handed over
    };
    std::vector<TExchangeSeen> seen;
    const auto serveOne = [&] {
        if (!ServeUntil([&] { return mainThread.Pending() > 0 || worker->Finished(); }) ||
            worker->Finished()) {
            return false;
        }
        // The worker waits in the exchange: the clock stands still until it is served.
        const double seconds = Clock().Now() * SecondsPerDay;
        mainThread.ProcessPending();
        seen.push_back({seconds, state.Run.FlowBObserved});
        return true;
    };
    while (LinesWith("Could not talk to MFC B, sleep 1 second.") < 2) {
        ASSERT_TRUE(serveOne());
    }
    ASSERT_TRUE(sim->Sim().SetFault(Sim::sdMfcB, Sim::sfSilent, false, error)) << error;
    const auto good = [&] {
        return std::count_if(seen.begin(), seen.end(),
                             [](const TExchangeSeen& e) { return e.FlowB != -1.0; });
    };
    while (good() < 6) {
        ASSERT_TRUE(serveOne());
    }
    StopWorker();

    // Before any reading the worker hands over its start value: look after the loss.
    const auto lost =
        std::find_if(seen.begin(), seen.end(), [](const TExchangeSeen& e) { return e.FlowB == -1.0; });
    ASSERT_NE(lost, seen.end());
    const auto first = std::find_if(lost, seen.end(), [](const TExchangeSeen& e) { return e.FlowB != -1.0; });
    ASSERT_NE(first, seen.end());
    ASSERT_NE(first, seen.begin());
    const TExchangeSeen& before = *(first - 1);
    EXPECT_EQ(before.FlowB, -1.0);
    EXPECT_EQ(first->Seconds, before.Seconds)
        << "the good reading came a pause after the pass's first exchange, at "
        << first->Seconds - before.Seconds << " s";
    // From then on every pass hands over twice: at its start and, with its own reading, before its pause.
    for (auto e = first + 1; e + 1 < seen.end(); e += 2) {
        EXPECT_EQ(e->Seconds, (e + 1)->Seconds) << "exchange " << e - seen.begin();
        EXPECT_NE(e->FlowB, -1.0);
    }
}

TEST_F(MFCThreadTest, StopFinishesThePassWritesZeroAndReportsPermanentStop) {
    StartInstruments();
    StartWorker(AFlow("Air", 0.5F, 1.0F));
    ASSERT_TRUE(ServeFor(0.5));
    ASSERT_FALSE(worker->Stopped());

    const double afterStop = StopWorker();
    EXPECT_NEAR(afterStop, 0.050, 1e-6) << "the pass that took the stop ran to its end and its pause";
    EXPECT_TRUE(worker->Stopped());
    EXPECT_TRUE(state.Run.ThreadData.Out_Stopped) << "the last exchange hands Stopped over";
    EXPECT_EQ(SetPointWrites(), (std::vector<float>{0.5F, 0.0F}));
    EXPECT_EQ(sim->Sim().MfcState(Sim::sdMfcA).SetPoint, 0.0F);

    const std::vector<std::string> lines = memoLog.Lines();
    ASSERT_GE(lines.size(), 2U);
    EXPECT_TRUE(std::regex_match(lines[lines.size() - 2],
                                 std::regex(R"(\d\d-\d\d-\d\d-\d\d  Thread: MFC A flow set to :0 g/min)")))
        << lines[lines.size() - 2];
    EXPECT_EQ(lines.back(), Base::FormatDateTime("hh:mm:ss:zzz", Clock().Now()) + " MFC A: permanent stop");
}

TEST_F(MFCThreadTest, AverageSampleSizeBelowOneCountsAsOne) {
    StartInstruments();
    const TestSupport::TLogCapture log;
    StartWorker(AFlow("Air", 0.5F, 1.0F), 0);
    EXPECT_EQ(worker->MATickSize, 1);
    ASSERT_TRUE(ServeFor(1.5));

    // With one pass the moving average is the last increment: the flow of the last 50 ms.
    EXPECT_TRUE(std::isfinite(state.Run.FlowAMovingAverage));
    EXPECT_NEAR(state.Run.FlowAMovingAverage, 0.5, 0.02);
    EXPECT_NEAR(state.Run.MovingAverageMinutes, 0.050 / 60.0, 1e-9);
    StopWorker();
    EXPECT_TRUE(log.Contains("Thread. Moving average count size 0 is below 1: 1 is used"));
    EXPECT_TRUE(log.Contains("Thread.           Moving average count size : 1"));
}

TEST_F(MFCThreadTest, MovingAverageFollowsTheFlowOverItsSampleSize) {
    StartInstruments();
    StartWorker(AFlow("Air", 0.5F, 1.0F), 5);
    ASSERT_TRUE(ServeFor(2.0)); // 40 passes, eight windows of 5

    EXPECT_NEAR(state.Run.FlowAMovingAverage, 0.5, 0.01);
    // The two increments of the start (none yet, and the segment's own start) have faded.
    EXPECT_NEAR(state.Run.MovingAverageMinutes, 5 * 0.050 / 60.0, 0.01 * 5 * 0.050 / 60.0)
        << "5 passes of 50 ms";
    StopWorker();
}

// Hands the worker a new segment at its next exchange, as the tick does at a change of segment.
void NewSegment(UnitMain::TMoistrelState& state, const TGasItem& segmentA) {
    state.Run.ThreadData.In_MixD = segmentA;
    state.Run.ThreadData.In_NewSegment = true;
}

TEST_F(MFCThreadTest, EveryFailedReadingOfMFCAReachesTheExchangeAsAFailedReading) {
    const struct {
        const char* Name;
        std::uint16_t Register;
        bool PassFails; // the pass ends without control and pauses
    } cases[] = {
        {"set-point", SerialPortVogtlin::regSetPoint, true},
        {"measured flow", SerialPortVogtlin::regMeasuredFlow, false},
        {"totalizer", SerialPortVogtlin::regTotalizer, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        StartInstruments();
        const TestSupport::TLogCapture log;
        StartWorker(AFlow("Air", 0.5F, 1.0F));
        ASSERT_TRUE(ServeUntil([&] { return state.Run.FlowAObserved > 0.4; }));
        ASSERT_TRUE(std::isfinite(state.Run.FlowATotalizer));

        sim->Sim().EditMfc(Sim::sdMfcA,
                           [&](Sim::TMfcConfig& config) { config.SilentRegisters = {c.Register}; });
        // Not the last good reading: the failure itself.
        ASSERT_TRUE(ServeUntil([&] { return state.Run.FlowAObserved == -1.0; })) << state.Run.FlowAObserved;
        EXPECT_EQ(std::isnan(state.Run.FlowATotalizer), c.PassFails)
            << "a totalizer that was not read is handed over as none: " << state.Run.FlowATotalizer;
        EXPECT_EQ(LinesWith("Could not talk to MFC A, sleep 1 second.") > 0, c.PassFails);
        EXPECT_EQ(log.Contains("Could not talk to MFC A, sleep 1 second."), c.PassFails);
        const std::vector<std::string> messages = log.Messages();
        EXPECT_EQ(std::any_of(messages.begin(), messages.end(),
                              [](const std::string& m) {
                                  return m.rfind("Thread: ReadTotalizer: Comms failed, status:", 0) == 0 &&
                                         m.size() > 44;
                              }),
                  c.Register == SerialPortVogtlin::regSetPoint)
            << "a failed set-point read says why";

        sim->Sim().EditMfc(Sim::sdMfcA, [](Sim::TMfcConfig& config) { config.SilentRegisters.clear(); });
        ASSERT_TRUE(ServeUntil([&] { return state.Run.FlowAObserved > 0.4; }));
        EXPECT_TRUE(std::isfinite(state.Run.FlowATotalizer));
        StopWorker();
        worker.reset();
        memoLog.Clear();
    }
}

TEST_F(MFCThreadTest, AnMFCThatLostItsSetPointIsCommandedAgain) {
    const double lowFlow = 3.0 * static_cast<double>(0.1F);
    const struct {
        const char* Name;
        TGasItem A;
        double Set; // the set-point the worker holds
        std::string Mode;
    } cases[] = {
        {"constant", AFlow("Air", 0.5F, 1.0F), 0.5, "Thread. We are in constant flow mode for gas A"},
        // A wanted flow the low flow never catches up with: the valve stays open at the low flow.
        {"pulsed, behind", AFlow("Air", 0.5F, 0.2F), lowFlow, "Thread. Pulsed: Flow already set"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        StartInstruments();
        const TestSupport::TLogCapture log;
        StartWorker(c.A);
        ASSERT_TRUE(ServeUntil([&] { return SetPointWrites().size() == 1; }));
        ASSERT_TRUE(ServeFor(0.5));
        const auto setPoint = static_cast<float>(c.Set);
        ASSERT_EQ(sim->Sim().MfcState(Sim::sdMfcA).SetPoint, setPoint);

        sim->Sim().PowerBlip(Sim::sdMfcA);
        EXPECT_EQ(sim->Sim().MfcState(Sim::sdMfcA).SetPoint, 0.0F);
        ASSERT_TRUE(ServeUntil([&] { return SetPointWrites().size() == 2; })) << "never commanded again";
        ASSERT_TRUE(ServeFor(0.5));
        EXPECT_EQ(SetPointWrites(), (std::vector<float>{setPoint, setPoint})) << "once, not on every pass";
        EXPECT_EQ(sim->Sim().MfcState(Sim::sdMfcA).SetPoint, setPoint);
        EXPECT_TRUE(log.Contains(c.Mode)) << "the set-point read back agrees again";
        EXPECT_TRUE(log.Contains("Thread. MFC A set-point reads 0, not the " + Base::FormatGeneral(c.Set) +
                                 " set last: set again"));
        StopWorker();
        worker.reset();
    }
}

TEST_F(MFCThreadTest, ANewSegmentRestartsTheSegmentAverage) {
    // A valve without lag, so that each segment's average is its own flow.
    StartInstruments([](Sim::TSimConfig& config) { config.MfcA.TimeConstantSeconds = 0.0; });
    StartWorker(AFlow("Air", 0.5F, 1.0F));
    ASSERT_TRUE(ServeFor(3.0));
    EXPECT_NEAR(state.Run.FlowASoFar, 0.5, 0.01);

    NewSegment(state, AFlow("Air", 0.1F, 1.0F));
    ASSERT_TRUE(ServeFor(6.0));
    EXPECT_NEAR(state.Run.FlowASoFar, 0.1, 0.005)
        << "the average since the new segment began, not since the first";
    StopWorker();
}

TEST_F(MFCThreadTest, TheMovingAverageForgetsAStepOverItsSampleSize) {
    // Passes of 50 ms: 5 passes are a quarter of a second, 100 passes five seconds.
    const struct {
        std::int32_t Size;
        double Low, High; // the moving average one second after a step from 0.5 to 0.1 g/min
    } cases[] = {{5, 0.095, 0.115}, {100, 0.25, 0.45}};
    for (const auto& c : cases) {
        SCOPED_TRACE("sample size " + std::to_string(c.Size));
        StartInstruments([](Sim::TSimConfig& config) { config.MfcA.TimeConstantSeconds = 0.0; });
        StartWorker(AFlow("Air", 0.5F, 1.0F), c.Size);
        ASSERT_TRUE(ServeFor(2.0));
        NewSegment(state, AFlow("Air", 0.1F, 1.0F));
        ASSERT_TRUE(ServeFor(1.0));
        EXPECT_GT(state.Run.FlowAMovingAverage, c.Low);
        EXPECT_LT(state.Run.FlowAMovingAverage, c.High);
        StopWorker();
        worker.reset();
    }
}

TEST_F(MFCThreadTest, ASetPointThatCannotBeWrittenIsSaidInTheOperationLog) {
    StartInstruments();
    StartWorker(AFlow("Air", 0.5F, 1.0F));
    ASSERT_TRUE(ServeFor(0.5));
    // Another program holds MFC A's port: the stop's zero cannot be written.
    std::string error;
    ASSERT_TRUE(sim->Sim().SetFault(Sim::sdMfcA, Sim::sfPortHeld, true, error)) << error;
    StopWorker();
    EXPECT_EQ(LinesWith(" Thread: Failed to set MFC A flow to :0 g/min"), 1U) << memoLog.Text();
    EXPECT_EQ(LinesWith("MFC A: permanent stop"), 1U);
}

// A set-point write that fails says so in the diagnostic log, in each mode. The write can only
// fail when MFC A's port is lost between the pass's reads and its write: the test holds MFC B's
// turn, so that the worker waits there with its reads of MFC A done, lets another program take
// MFC A's port, and then gives the turn back.
struct TFailedWriteCase {
    const char* Name;
    float Mass, Pulsed;
    bool AfterAPulse; // the failing pass comes after one that opened the valve
    const char* Line;
};

class FailedSetPointWrite : public MFCThreadTest, public testing::WithParamInterface<TFailedWriteCase> {};

TEST_P(FailedSetPointWrite, IsSaidInTheDiagnosticLog) {
    const TFailedWriteCase& c = GetParam();
    StartInstruments([](Sim::TSimConfig& config) { config.MfcA.TimeConstantSeconds = 0.0; });
    const TestSupport::TLogCapture log;
    StartWorker(AFlow("Air", c.Mass, c.Pulsed));
    if (c.AfterAPulse) {
        // Served until the pulse is written; the worker then waits for its next exchange.
        ASSERT_TRUE(ServeUntil([&] { return !SetPointWrites().empty(); }));
    }
    const std::string portB = sim->Path(Sim::sdMfcB);
    auto turnB = std::make_unique<SerialPort::TPortTurn>(portB, 10000);
    ASSERT_TRUE(turnB->Taken());
    ASSERT_TRUE(ServeUntil([&] { return SerialPort::TransactionsWaitingFor(portB) == 1; }));
    std::string error;
    ASSERT_TRUE(sim->Sim().SetFault(Sim::sdMfcA, Sim::sfPortHeld, true, error)) << error;
    turnB.reset();
    ASSERT_TRUE(ServeUntil([&] { return LinesWith(" Thread: Failed to set MFC A flow to :") > 0; }))
        << memoLog.Text();
    ASSERT_TRUE(sim->Sim().SetFault(Sim::sdMfcA, Sim::sfPortHeld, false, error)) << error;
    StopWorker();
    const std::vector<std::string> messages = log.Messages();
    EXPECT_EQ(std::count(messages.begin(), messages.end(), std::string(c.Line)), 1) << c.Line;
}

INSTANTIATE_TEST_SUITE_P(
    Modes, FailedSetPointWrite,
    testing::Values(
        TFailedWriteCase{"Constant", 0.5F, 1.0F, false,
                         "Thread. Constant flow: Failed to set MFC flow to 0.5"},
        TFailedWriteCase{"PulsedBehind", 0.01F, 0.1F, false, "Thread. Pulsed: Failed to set MFC flow"},
        TFailedWriteCase{"PulsedAhead", 0.01F, 0.1F, true, "Thread. Pulsed: Failed to set MFC flow to 0"}),
    [](const testing::TestParamInfo<TFailedWriteCase>& row) { return std::string(row.param.Name); });

// The diagnostic lines of one pass, in order (a pattern each).
TEST_F(MFCThreadTest, OnePassWritesItsDiagnosticLinesInOrder) {
    StartInstruments([](Sim::TSimConfig& config) { config.MfcA.TimeConstantSeconds = 0.0; });
    const TestSupport::TLogCapture log;
    StartWorker(AFlow("Air", 0.5F, 1.0F));
    ASSERT_TRUE(ServeUntil([&] { return LinesWith(" Thread: MFC A flow set to :0.5 g/min") == 1; }));
    ASSERT_TRUE(ServeFor(0.5));
    StopWorker();

    const std::string number = R"(-?\d[\d ]*\.\d{3}(?: \d{3})*)";
    const std::string time = R"(\d\d:\d\d:\d\d:\d{3})";
    const std::vector<std::string> pass = {
        R"(Thread\. Loop: 5)",
        "Enter Thread: ReadTotalizer",
        "MFC A: Active lut         : 2",
        "MFC A: Current setpoint   : 0\\.500 000 000",
        "MFC A: Current flow       : 0\\.500 000 000",
        "MFC A: Flow unit          : g/min",
        "MFC A: Totalizer 0 value  : " + number,
        "MFC A: Totalizer unit     : ln",
        "MFC A: Totalizer scaling  : 1\\.000 000 000",
        "MFC A: Totalizer unit LN needs conversion ",
        "MFC A: grams per liter    : 1\\.292 999 983",
        "MFC A: Tot\\. in grams      : " + number,
        "Exit Thread: ReadTotalizer",
        "Thread\\. Gas B flow read on port " + sim->Path(Sim::sdMfcB) + " Flow: 0",
        "Thread\\. SoFarFlow g            : " + number,
        "Thread\\. SoFarTimeMin           : 0\\.003 333",
        "Thread\\. Flowrate so far  g/min : " + number,
        "Thread\\. Desired flowrate g/min : 0\\.500 000",
        "Thread\\. Flowrate difference    : " + number,
        "Thread\\.           Moving average count size : 358",
        "Thread\\.                  Totalizer time now : " + time,
        "Thread\\.                 Totalizer time last : " + time,
        "Thread\\.           Totalizer time difference : 00:00:00:050",
        "Thread\\. Moving average observation size \\(s\\) : " + number,
        "Thread\\. Moving average observation size \\(m\\) : " + number,
        "Thread\\.             Moving average flow \\(g\\) : " + number,
        "Thread\\.           Moving average flow \\(g/m\\) : " + number,
        "Thread\\. We are in constant flow mode for gas A",
        "Thread\\. Loop: 6",
    };
    const std::vector<std::string> messages = log.Messages();
    const auto first = std::find(messages.begin(), messages.end(), "Thread. Loop: 5");
    ASSERT_NE(first, messages.end());
    ASSERT_GE(messages.end() - first, static_cast<std::ptrdiff_t>(pass.size()));
    for (std::size_t k = 0; k < pass.size(); ++k) {
        EXPECT_TRUE(std::regex_match(first[static_cast<std::ptrdiff_t>(k)], std::regex(pass[k])))
            << "line " << k << ": " << first[static_cast<std::ptrdiff_t>(k)] << "\n  expected " << pass[k];
    }
    // The first pass wrote the set-point.
    EXPECT_TRUE(log.Contains("Thread. Constant flow: MFC permanently set to 0.5 flow"));
}

// A worker whose body fails after its first exchange.
class TFailingWorker final : public TMFCThread {
public:
    using TMFCThread::TMFCThread;
    ~TFailingWorker() override { WaitForEnd(); }

protected:
    void Execute() override {
        Exchange();
        throw std::runtime_error("test failure");
    }
};

TEST_F(MFCThreadTest, ABodyThatFailsStillStopsMFCA) {
    StartInstruments();
    const TestSupport::TLogCapture log;
    WriteToMFCA(SerialPortVogtlin::regSetPoint, 0.5F);
    worker = std::make_unique<TFailingWorker>(state, mainThread, Clock(), memoLog);
    worker->MFCD = state.MFCADetails;
    worker->SetFlowReadoutTimeoutMS = TestReadoutMS;
    worker->Start();
    ASSERT_TRUE(ServeUntil([&] { return worker->Finished(); }));

    EXPECT_TRUE(worker->Stopped());
    EXPECT_EQ(sim->Sim().MfcState(Sim::sdMfcA).SetPoint, 0.0F);
    EXPECT_TRUE(state.Run.ThreadData.Out_Stopped);
    EXPECT_EQ(LinesWith("MFC A: permanent stop"), 1U);
    EXPECT_EQ(LinesWith("Thread: unexpected failure, the worker ends: test failure"), 1U);
    EXPECT_TRUE(log.Contains("Thread: unexpected failure, the worker ends: test failure"));
}

TEST_F(MFCThreadTest, AnAbandonedWorkerLeavesTheStateAloneAndEnds) {
    StartInstruments();
    StartWorker(AFlow("Air", 0.5F, 1.0F));
    ASSERT_TRUE(ServeFor(0.5));
    ASSERT_TRUE(ServeUntil([&] { return mainThread.Pending() > 0; }));

    worker->Abandon();
    // A newer run owns the state now.
    state.Run.ThreadData = UnitMain::TThreadData{};
    state.Run.FlowAObserved = 123.0;
    const std::size_t linesBefore = memoLog.Lines().size();
    ASSERT_TRUE(ServeUntil([&] { return worker->Finished(); }));

    EXPECT_TRUE(worker->Stopped());
    EXPECT_EQ(state.Run.FlowAObserved, 123.0);
    EXPECT_FALSE(state.Run.ThreadData.SomethingToTell);
    EXPECT_FALSE(state.Run.ThreadData.Out_Stopped);
    EXPECT_EQ(memoLog.Lines().size(), linesBefore);
    EXPECT_EQ(sim->Sim().MfcState(Sim::sdMfcA).SetPoint, 0.0F) << "MFC A is closed all the same";
}

TEST_F(MFCThreadTest, ReleasingARunningWorkerEndsIt) {
    StartInstruments();
    StartWorker(AFlow("Air", 0.5F, 1.0F));
    ASSERT_TRUE(ServeFor(0.5));
    ASSERT_TRUE(ServeUntil([&] { return mainThread.Pending() > 0; }));

    worker.reset(); // waits on this thread, which is the one that must serve the exchange
    EXPECT_EQ(sim->Sim().MfcState(Sim::sdMfcA).SetPoint, 0.0F);
    EXPECT_EQ(SetPointWrites(), (std::vector<float>{0.5F, 0.0F}));
}

} // namespace
