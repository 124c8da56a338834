#pragma once
// The run control against the virtual instruments over real pseudo-terminals, on one manual clock
// that the program and the instruments share: the worker's pauses move it, so a segment passes in
// a fraction of a second. The test's loop is the main thread: it runs the worker's exchanges and
// Timer1's ticks, and notes what the instruments were told. The virtual MFCs hold the gas tables
// the program believes they hold (table 3: O2 on MFC A, N2 on MFC B), chosen on the devices by the
// program's own gas selection, so that the worker's grams and pulses are those of the instrument.

#include "base/Clock.h"
#include "base/MainThread.h"
#include "base/MemoryTextPane.h"
#include "base/RecordingDialogs.h"
#include "modbus/VogtlinRegisters.h"
#include "run/MFCThread.h"
#include "run/RunControl.h"
#include "setup/GasSelection.h"
#include "sim/SimConfig.h"
#include "sim/SimFault.h"
#include "state/MoistrelState.h"
#include "support/DesignStates.h"
#include "support/RecordingRunWindow.h"
#include "support/SimHarness.h"
#include "support/TempFolder.h"

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace TestSupport {

using GasMixtures::TGasItem;

inline const std::string WaterCommand = "/1TgV48000IA192000V64OA0G0R";
inline const std::string SlowWaterCommand = "/1TgV48000IA192000V32OA0G0R";
inline const std::string NoLiquid = "/1TIV48000A192000R";
inline const std::string Warning =
    "Could not stop flow! Manually power off the mixer to ensure flow is stopped!";

class TRunFixture : public testing::Test {
protected:
    using TMoistrelState = UnitMain::TMoistrelState;
    using TRunControl = UnitMain::TRunControl;
    using TRunOptions = UnitMain::TRunOptions;
    using TRunPlaces = UnitMain::TRunPlaces;

    // The gases of table 3 and their densities at normal conditions, g/l.
    static constexpr float DensityO2 = 1.429F;
    static constexpr float DensityN2 = 1.2506F;

    // Table 3 of each virtual MFC as ValidatedState describes it: O2 on MFC A (0.03 g/min, lowest
    // flow 0.0003 g/min), N2 on MFC B (0.1 g/min), both counting their totalizer in milligrams.
    static void TablesAsTheProgramKnowsThem(Sim::TSimConfig& config) {
        const UnitMain::TMoistrelState known = TestSupport::ValidatedState();
        const auto describe = [](Sim::TGasTableConfig& table, const SerialPortVogtlin::TLUTData& lut,
                                 float density) {
            table.NameShort = lut.NameShort;
            table.FullScale = lut.RangeMax;
            table.DynamicRange = static_cast<std::uint16_t>(lut.RangeMax / lut.RangeMin + 0.5F);
            table.Density_gpl = density;
            table.TotalizerUnit = "mg";
            table.TotalizerScaling = 0.001F;
        };
        describe(config.MfcA.Tables.at(1), known.MFCADetails.LUT[1], DensityO2);
        describe(config.MfcB.Tables.at(1), known.MFCBDetails.LUT[1], DensityN2);
    }

    // The table the program believes active made active on the device by the set-up page's own gas
    // selection; the record gets what identification reads of that table.
    void SelectTableOnDevice(SerialPortVogtlin::TMFCDetails& mfc, UnitMain::TMFCSide side, float density) {
        SerialPortVogtlin::TLUTData& lut = mfc.LUT.at(mfc.ActiveLUT - SerialPortVogtlin::FirstGasTable);
        lut.RangeDynamic = static_cast<std::uint32_t>(lut.RangeMax / lut.RangeMin + 0.5F);
        lut.DensityGPL = density;
        lut.TotalizerUnit = "mg";
        // Real pauses after the selection writes: on a loaded machine the echo of a write can still
        // be on its way when the read-back starts. The selection is retried as the operator would.
        SerialPortVogtlin::TMFCTiming timing;
        timing.AfterSelectionWrite = std::chrono::milliseconds(50);
        timing.ReadoutTimeoutMS = 500;
        const std::uint32_t table = mfc.ActiveLUT;
        bool selected = false;
        for (int attempt = 0; attempt < 5 && !selected; ++attempt) {
            selected = Setup::SelectGasTable(mfc, side, table, timing).Selected;
        }
        ASSERT_TRUE(selected) << mfc.LastResponse.Status;
    }

    void SetUp() override {
        ASSERT_TRUE(sim.Started()) << sim.Error();
        state = TestSupport::ValidatedState();
        ValidatedOnPorts(state, sim.Path(Sim::sdPump), sim.Path(Sim::sdMfcA), sim.Path(Sim::sdMfcB));
        SelectTableOnDevice(state.MFCADetails, UnitMain::TMFCSide::msA, DensityO2);
        SelectTableOnDevice(state.MFCBDetails, UnitMain::TMFCSide::msB, DensityN2);
        window.Ports = {state.PumpDetails.Port, state.MFCADetails.ComPortName, state.MFCBDetails.ComPortName};
        MakeRun();
    }

    void TearDown() override {
        // A run left active by a failed check still ends with its worker stopped.
        run.reset();
    }

    void MakeRun(TRunOptions options = {}) {
        run.reset();
        run = std::make_unique<TRunControl>(state, window, memoLog, feedback, dialogs, mainThread,
                                            sim.Clock(), TRunPlaces{folder.Path()}, std::move(options));
    }

    void Fault(Sim::TSimDevice device, Sim::TSimFault fault, bool on) {
        std::string error;
        ASSERT_TRUE(sim.Sim().SetFault(device, fault, on, error)) << error;
    }

    // One turn of the main loop: the worker's pending exchange, then Timer1; what the instruments
    // were told is noted as it changes.
    void Turn() {
        mainThread.ProcessPending();
        run->Timer1Timer();
        const float setPointB = sim.Sim().MfcState(Sim::sdMfcB).SetPoint;
        if (setPointsB.empty() || setPointsB.back() != setPointB) {
            setPointsB.push_back(setPointB);
        }
        const std::string line = sim.Sim().PumpState().LastLine;
        if (!line.empty() && (pumpLines.empty() || pumpLines.back() != line)) {
            pumpLines.push_back(line);
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }

    // Turns until `done`; false after `wall` of wall time (a minute unless a long run needs more).
    bool TurnUntil(const std::function<bool()>& done, std::chrono::seconds wall = std::chrono::seconds(60)) {
        const auto limit = std::chrono::steady_clock::now() + wall;
        while (!done()) {
            if (std::chrono::steady_clock::now() > limit) {
                return false;
            }
            Turn();
        }
        return true;
    }

    // Index of the first operation log line that ends with `text` at or after `from`; -1 if none.
    int LogIndex(const std::string& text, int from = 0) const {
        const std::vector<std::string> lines = memoLog.Lines();
        for (int i = from; i < static_cast<int>(lines.size()); ++i) {
            const std::string& line = lines[static_cast<std::size_t>(i)];
            if (line.size() >= text.size() &&
                line.compare(line.size() - text.size(), text.size(), text) == 0) {
                return i;
            }
        }
        return -1;
    }
    bool Logged(const std::string& text) const { return LogIndex(text) >= 0; }
    int CountLogged(const std::string& text) const {
        int count = 0;
        for (int i = LogIndex(text); i >= 0; i = LogIndex(text, i + 1)) {
            ++count;
        }
        return count;
    }

    // The operation log lines with `text`, in this order.
    void ExpectLoggedInOrder(const std::vector<std::string>& texts) const {
        int at = 0;
        for (const std::string& text : texts) {
            const int found = LogIndex(text, at);
            ASSERT_GE(found, 0) << "not logged (in order): " << text << "\n" << memoLog.Text();
            at = found + 1;
        }
    }

    // The fields of every line of the run's data file ("Userdata/Run ....csv"), the header first.
    std::vector<std::vector<std::string>> DataFileRows() const {
        std::vector<std::vector<std::string>> rows;
        for (const auto& entry :
             std::filesystem::directory_iterator(std::filesystem::path(folder.Path()) / "Userdata")) {
            const std::string name = entry.path().filename().string();
            if (name.rfind("Run ", 0) != 0 || entry.path().extension() != ".csv") {
                continue;
            }
            std::ifstream file(entry.path());
            std::string line;
            while (std::getline(file, line)) {
                if (!line.empty() && line.back() == '\r') {
                    line.pop_back();
                }
                std::vector<std::string> fields(1);
                for (const char c : line) {
                    if (c == ',') {
                        fields.emplace_back();
                    } else {
                        fields.back() += c;
                    }
                }
                rows.push_back(fields);
            }
        }
        return rows;
    }

    void ExpectCannotStop(bool a, bool b, bool fluid) const {
        EXPECT_EQ(state.MixerState, UnitMain::msCannotStop);
        ExpectLoggedInOrder({"Could not stop flow!",
                             std::string("  MFC A stopped: ") + (a ? "True" : "False"),
                             std::string("  MFC B stopped: ") + (b ? "True" : "False"),
                             std::string("  Fluid stopped: ") + (fluid ? "True" : "False")});
        EXPECT_EQ(window.WindowCaption, Warning);
        EXPECT_EQ(window.Caption, Warning);
    }

    TestSupport::TSimHarness sim{TestSupport::ManualClock(TablesAsTheProgramKnowsThem)};
    TestSupport::TTempFolder folder;
    UnitMain::TMoistrelState state;
    TestSupport::TRecordingRunWindow window;
    Base::TMemoryTextPane memoLog;
    Base::TMemoryTextPane feedback;
    Base::TRecordingDialogs dialogs;
    Base::TQueuedMainThread mainThread;
    std::unique_ptr<UnitMain::TRunControl> run;
    std::vector<float> setPointsB;
    std::vector<std::string> pumpLines;
};

} // namespace TestSupport
