// The gas selection in the real window against the virtual MFCs: rows of the gas lists clicked with
// the mouse, the confirmation answered by the test, the mixer's state and LED caption, the report
// in the feedback pane, the gas history in the settings file and the flows in the new ranges.

#include "app/TMoistrel.h"
#include "base/Clock.h"
#include "base/RecordingDialogs.h"
#include "base/Rounding.h"
#include "mfc/MFCIdentity.h"
#include "modbus/VogtlinRegisters.h"
#include "settings/ProfileFile.h"
#include "settings/StoredSettings.h"
#include "sim/SimConfig.h"
#include "state/MoistrelState.h"
#include "support/ProgramPlaces.h"
#include "support/SimHarness.h"
#include "support/TempFolder.h"
#include "ui/TForm1.h"
#include "ui/controllers/TGasSelectionController.h"
#include "ui/controllers/TRunController.h"
#include "ui/tabs/TMixtureOperationTab.h"
#include "ui/tabs/TSetupTab.h"
#include "ui/widgets/TIntegerEdit.h"
#include "ui/widgets/TLedCaption.h"
#include "ui/widgets/TListBox.h"
#include "ui/widgets/TMemoPane.h"

#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QTest>
#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <gtest/gtest.h>
#include <optional>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
using UnitMain::TForm1;
using UnitMain::TMFCSide;

std::string ReadWhole(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

Settings::TStoredSettings StoredIn(const std::string& path) {
    Settings::TProfileFile file(path);
    std::string error;
    EXPECT_TRUE(file.Load(error)) << error;
    return Settings::ReadStoredSettings(file);
}

bool Contains(const std::vector<std::string>& lines, const std::string& line) {
    return std::find(lines.begin(), lines.end(), line) != lines.end();
}

// The recording message boxes with a hook into the question, which runs while the question is open
// (what the window and the mixer look like then; a failure thrown from inside the selection).
class TQuestionHook final : public Base::TDialogs {
public:
    explicit TQuestionHook(Base::TRecordingDialogs& recorded) : fRecorded(recorded) {}
    std::function<void()> OnQuestion;

    void ShowMessage(const std::string& text) override { fRecorded.ShowMessage(text); }
    bool AskYesNo(const std::string& title, const std::string& text) override {
        const bool answer = fRecorded.AskYesNo(title, text);
        if (OnQuestion) {
            OnQuestion();
        }
        return answer;
    }
    std::optional<std::string> AskOpenFileName(const std::string& title, const std::string& folder,
                                               const std::string& filter) override {
        return fRecorded.AskOpenFileName(title, folder, filter);
    }
    std::optional<std::string> AskSaveFileName(const std::string& title, const std::string& folder,
                                               const std::string& filter) override {
        return fRecorded.AskSaveFileName(title, folder, filter);
    }

private:
    Base::TRecordingDialogs& fRecorded;
};

// The virtual instruments (MFC A: Air, N2, O2; MFC B: Ar, CO2 and Xe, which the catalogue does not
// know) and the whole program on their manual clock, started, with both MFCs identified and their gas
// lists filled as the validation leaves them: pump and MFCs found, nothing selected, state 0.
class GasSelectionTest : public ::testing::Test {
protected:
    explicit GasSelectionTest(std::function<void(Sim::TSimConfig&)> adjust = {})
        : sim(TestSupport::ManualClock(std::move(adjust))) {}

    void SetUp() override {
        ASSERT_TRUE(sim.Started()) << sim.Error();
        // The MFC's own wait for a reply is short; a loaded test machine needs longer. A real pause
        // after each selection write, as the devices get, lets a late acknowledgement arrive before
        // the read-back.
        SerialPortVogtlin::TMFCTiming& timing = program.GasSelection().Timing();
        timing.ReadoutTimeoutMS = 1000;
        timing.Clock = &Base::SystemClock();
        timing.AfterSelectionWrite = std::chrono::milliseconds(100);
        program.Startup();
        form().show();
        QApplication::setActiveWindow(&form());
        ASSERT_TRUE(QTest::qWaitForWindowActive(&form()));
        Identify(TMFCSide::msA, Sim::sdMfcA, 1, 20, *page()->ListBox1);
        Identify(TMFCSide::msB, Sim::sdMfcB, 2, 10, *page()->ListBox2);
        page()->CheckBoxPump->setChecked(true);
        page()->CheckBoxMFC->setChecked(true);
        // The pump found there, and the stop that ends the validation confirmed by all three.
        state().PumpDetails.Port = sim.Path(Sim::sdPump);
        state().ValidationStopConfirmed = true;
        ASSERT_EQ(state().MixerState, UnitMain::msSimulation);
        QApplication::processEvents();
    }

    void Identify(TMFCSide side, Sim::TSimDevice device, std::uint32_t address, std::int32_t cull,
                  Widgets::TListBox& list) {
        SerialPortVogtlin::TMFCDetails& mfc = state().MFCDetails(side);
        mfc.ComPortName = sim.Path(device);
        mfc.ModBusAddress = address;
        mfc.DynamicRangeCull = cull;
        SerialPortVogtlin::TMFCTiming timing;
        timing.Clock = &sim.Clock();
        timing.ReadoutTimeoutMS = 1000;
        SerialPortVogtlin::IdentifyMFC(mfc, timing);
        ASSERT_TRUE(mfc.Validated) << mfc.ComPortName;
        UnitMain::RecordMFCIdentification(state(), side, true);
        list.Clear();
        for (const SerialPortVogtlin::TLUTData& table : mfc.LUT) {
            if (table.NameShort.empty()) {
                break;
            }
            list.AddItem(table.NameOwn);
        }
    }

    // A mouse click in the middle of row `row` of a gas list; the row stays selected unless the
    // device refuses its table.
    void Click(Widgets::TListBox& list, int row, bool refused = false) {
        QListWidgetItem* item = list.item(row);
        ASSERT_NE(item, nullptr);
        list.scrollToItem(item);
        QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, list.visualItemRect(item).center());
        ASSERT_EQ(list.ItemIndex(), refused ? -1 : row) << page()->MemoSetupFeedback->Text();
    }
    void ClickA(int row) { Click(*page()->ListBox1, row); }
    void ClickB(int row) { Click(*page()->ListBox2, row); }
    // A click on the empty area below the rows.
    void ClickBelowTheRows(Widgets::TListBox& list) {
        const QPoint below(5, list.viewport()->height() - 3);
        ASSERT_EQ(list.itemAt(below), nullptr) << "the list has no empty area";
        QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, below);
    }
    // The button pressed on row `from`, moved onto row `to`, released there.
    void Drag(Widgets::TListBox& list, int from, int to) {
        const QPoint start = list.visualItemRect(list.item(from)).center();
        const QPoint end = list.visualItemRect(list.item(to)).center();
        QTest::mousePress(list.viewport(), Qt::LeftButton, {}, start);
        QTest::mouseMove(list.viewport(), (start + end) / 2);
        QTest::mouseMove(list.viewport(), end);
        QTest::mouseRelease(list.viewport(), Qt::LeftButton, {}, end);
    }
    // What the virtual MFC uses for control now.
    std::uint16_t DeviceTable(Sim::TSimDevice device) { return sim.Sim().MfcState(device).ActiveTable; }

    // The A (B) flow field after the track bar at 5 put the middle of the active table's range in it.
    std::int32_t MiddleOfRange(TMFCSide side) {
        const SerialPortVogtlin::TLUTData* active = UnitMain::ActiveLUTData(state().MFCDetails(side));
        EXPECT_NE(active, nullptr);
        if (active == nullptr) {
            return -1;
        }
        const double rMax = static_cast<double>(active->RangeMax) * 1000000.0;
        const double rMin = static_cast<double>(active->RangeMin) * 1000000.0;
        return static_cast<std::int32_t>(Base::RoundHalfEven(5.0 / 10.0 * (rMax - rMin) + rMin));
    }

    void ExpectNotBusy() {
        EXPECT_FALSE(form().FormDisabled());
        EXPECT_TRUE(form().isEnabled());
    }

    std::string Led() { return form().Operation->RzLEDDisplay1->Caption(); }
    std::vector<std::string> Feedback() { return page()->MemoSetupFeedback->Lines(); }

    TForm1& form() { return program.Form(); }
    UnitMain::TSetupTab* page() { return form().Setup; }
    UnitMain::TMoistrelState& state() { return program.State(); }
    const std::string& settingsFile() { return program.Places().SettingsFile; }

    TestSupport::TSimHarness sim;
    TestSupport::TTempFolder folder{"moistrel-gas"};
    Base::TRecordingDialogs dialogs;
    TQuestionHook hook{dialogs};
    App::TMoistrel program{sim.Clock(), TestSupport::PlacesIn(folder), &hook};
};

const char* const ConfirmationOnFirstUse =
    "Read this and confirm that the gas lines connected to the mixer are as follows:\r\n"
    "\r\n"
    "A: Previous gas: Unknown - - - Now connected gas : O2\r\n"
    "B: Previous gas: Unknown - - - Now connected gas : Ar\r\n"
    "\r\n"
    "Consider carefully what gases have been used previously, do not -for example- use O2 right after using "
    "H2 or CH4\r\n"
    "\r\n"
    "Refer to manual for instuctions about flushing the mixer.\r\n"
    "\r\n"
    "\r\n"
    "Are you sure the selected gases, connected gas lines, and the mixer usage history forms a safe "
    "situation "
    "for the user?\r\n"
    "\r\n"
    "Otherwise proceed to flush the mixer.";

TEST_F(GasSelectionTest, AWhileBHasNoneReportsAThenBWithYesMakesTheMixerReady) {
    dialogs.Answers = {true};
    state().SegmentProgram.resize(2);
    const std::int32_t demoFlowA = form().Operation->RtIntegerEditY1Flow->Value();

    // MFC A's O2 (table 4) while MFC B has no gas yet: reported, no question, not ready.
    ClickA(2);
    const std::vector<std::string> reportA{"------------------------------", "MFC A gas set to  : O2",
                                           "  -> Density g/ln : 1.42900002002716", "  -> Tot unit     : mg",
                                           "  -> Tot scaling  : 0.00100000004749745"};
    EXPECT_EQ(Feedback(), reportA);
    EXPECT_TRUE(state().SegmentProgram.empty()) << "a new gas clears the segment program";
    EXPECT_EQ(state().MFCADetails.ActiveLUT, 4U);
    EXPECT_EQ(state().MFCADetails.MFCName, "MFC A");
    EXPECT_EQ(state().MFCBDetails.ActiveLUT, 0U) << "no gas chosen for MFC B";
    EXPECT_FALSE(page()->CheckBoxGas->isChecked());
    EXPECT_TRUE(dialogs.Questions.empty());
    EXPECT_EQ(state().MixerState, UnitMain::msSimulation);
    EXPECT_EQ(Led(), "Simulation");
    ExpectNotBusy();
    // The A flow now lies in O2's real range (5 g/min), not in the demonstration one.
    EXPECT_EQ(form().Operation->RtIntegerEditY1Flow->Value(), MiddleOfRange(TMFCSide::msA));
    EXPECT_NE(form().Operation->RtIntegerEditY1Flow->Value(), demoFlowA);
    EXPECT_EQ(form().Operation->GroupBoxY1->title(), QStringLiteral("A-component: O2"));
    EXPECT_EQ(form().Operation->RtIntegerEditY2Flow->Value(), 0) << "MFC B has no gas";

    // MFC B's Ar: the report with the flows, then the confirmation with no history yet.
    ClickB(0);
    std::vector<std::string> expected = reportA;
    for (const char* line :
         {"------------------------------", "MFC B gas set to  : Ar", "  -> Density g/ln : 1.78400003910065",
          "  -> Tot unit     : ln", "  -> Tot scaling  : 1", "  -> Max flow     : 20",
          "  -> Min flow     : 0.222222222222222", "-------------------------------",
          "  Mixer is now properly set up."}) {
        expected.emplace_back(line);
    }
    EXPECT_EQ(Feedback(), expected);
    ASSERT_EQ(dialogs.Questions.size(), 1U);
    EXPECT_EQ(dialogs.Questions[0].Title, "Confirm selected gases");
    EXPECT_EQ(dialogs.Questions[0].Text, ConfirmationOnFirstUse);
    EXPECT_TRUE(dialogs.Messages.empty());

    EXPECT_EQ(state().MixerState, UnitMain::msValidated);
    EXPECT_EQ(Led(), "Stopped");
    EXPECT_TRUE(page()->CheckBoxGas->isChecked());
    EXPECT_EQ(state().MFCBDetails.ActiveLUT, 2U);
    const Settings::TStoredSettings stored = StoredIn(settingsFile());
    EXPECT_EQ(stored.OldGasA, "O2");
    EXPECT_EQ(stored.OldGasB, "Ar");
    // The whole report went to the run log as one entry.
    const std::string log = form().MemoLog->Text();
    EXPECT_NE(log.find("MFC A gas set to  : O2"), std::string::npos) << log;
    EXPECT_NE(log.find("  Mixer is now properly set up."), std::string::npos) << log;
    EXPECT_EQ(form().Operation->RtIntegerEditY2Flow->Value(), MiddleOfRange(TMFCSide::msB));
    EXPECT_EQ(form().Operation->GroupBoxY2->title(), QStringLiteral("B-component: Ar"));
    ExpectNotBusy();
}

TEST_F(GasSelectionTest, NoLeavesTheMixerNotReadyAndTheHistoryAloneThenYesOnASecondClick) {
    const std::string before = ReadWhole(settingsFile());
    ASSERT_FALSE(before.empty()) << "the first start wrote the settings file";
    dialogs.Answers = {false, true};

    ClickA(2);
    ClickB(0);
    ASSERT_EQ(dialogs.Questions.size(), 1U);
    EXPECT_EQ(state().MixerState, UnitMain::msSimulation) << "No: not ready to run";
    EXPECT_EQ(Led(), "Simulation");
    EXPECT_FALSE(page()->CheckBoxGas->isChecked());
    EXPECT_EQ(ReadWhole(settingsFile()), before) << "the history is left as it was";
    EXPECT_FALSE(Contains(Feedback(), "  Mixer is now properly set up."));
    ExpectNotBusy();

    // The same gas again: asked again, and the Yes stores both gases.
    ClickB(0);
    ASSERT_EQ(dialogs.Questions.size(), 2U);
    EXPECT_EQ(dialogs.Questions[1].Text, ConfirmationOnFirstUse);
    EXPECT_EQ(state().MixerState, UnitMain::msValidated);
    EXPECT_EQ(Led(), "Stopped");
    EXPECT_TRUE(page()->CheckBoxGas->isChecked());
    const Settings::TStoredSettings stored = StoredIn(settingsFile());
    EXPECT_EQ(stored.OldGasA, "O2");
    EXPECT_EQ(stored.OldGasB, "Ar");

    // Another gas for A is asked about with the confirmed gases as the previous ones; a No now takes
    // the readiness back.
    dialogs.Answers = {false};
    ClickA(1);
    ASSERT_EQ(dialogs.Questions.size(), 3U);
    EXPECT_NE(dialogs.Questions[2].Text.find("A: Previous gas: O2 - - - Now connected gas : N2\r\n"
                                             "B: Previous gas: Ar - - - Now connected gas : Ar\r\n"),
              std::string::npos)
        << dialogs.Questions[2].Text;
    EXPECT_EQ(state().MixerState, UnitMain::msSimulation);
    EXPECT_EQ(Led(), "Simulation");
    EXPECT_EQ(StoredIn(settingsFile()).OldGasA, "O2");
}

TEST_F(GasSelectionTest, AnUnknownGasIsNamedInAMessageAndStaysActiveWithoutAQuestion) {
    dialogs.Answers = {true};
    ClickA(0);
    ClickB(2); // Xe, listed as an empty entry
    const std::vector<std::string> expected{
        "MFC2 LUT:4\r\nGas type: Xe\r\nis not recognized by the software\r\n"
        "Contact Kelvane with this message, or select another gas type"};
    EXPECT_EQ(dialogs.Messages, expected);
    EXPECT_TRUE(dialogs.Questions.empty());
    EXPECT_FALSE(page()->CheckBoxGas->isChecked());
    EXPECT_EQ(state().MFCBDetails.ActiveLUT, 4U) << "the table stays active";
    EXPECT_EQ(state().MixerState, UnitMain::msSimulation);
    ExpectNotBusy();

    // A click on MFC A's list checks MFC B's gas again.
    ClickA(0);
    EXPECT_EQ(dialogs.Messages.size(), 2U);
    EXPECT_TRUE(dialogs.Questions.empty());
}

// MFC A reads back table 2 from the active-table register whatever it was given.
class GasSelectionRefusedTest : public GasSelectionTest {
protected:
    GasSelectionRefusedTest()
        : GasSelectionTest([](Sim::TSimConfig& config) {
              config.MfcA.ReadOverrides[SerialPortVogtlin::regActiveGasTable] = 2;
          }) {}
};

TEST_F(GasSelectionRefusedTest, ATableTheDeviceDoesNotConfirmGivesTheFailureLinesWithItsReply) {
    // Air (table 2) is what the device reads back anyway: confirmed, and the mixer is ready.
    dialogs.Answers = {true};
    ClickA(0);
    ClickB(0);
    ASSERT_EQ(state().MixerState, UnitMain::msValidated);
    page()->MemoSetupFeedback->Clear();
    Click(*page()->ListBox1, 1, true); // N2, table 3

    const std::vector<std::string> lines = Feedback();
    ASSERT_EQ(lines.size(), 2U);
    EXPECT_EQ(lines[0], " ** Failed to set active gas for MFC A, (index:3) plese try again ** ");
    // The last reply is the read-back of the shown table (which did take the 3): address 1, read,
    // two bytes, 0x0003, then the CRC (a byte above 127 is one Latin-1 character, two bytes here).
    ASSERT_GE(lines[1].size(), 3U + 7U);
    EXPECT_EQ(lines[1].substr(0, 8), std::string("   \x01\x03\x02\x00\x03", 8));
    // What the device holds now is not known: the list shows no gas and MFC A counts as having none.
    EXPECT_EQ(page()->ListBox1->ItemIndex(), -1);
    EXPECT_EQ(state().MFCADetails.ActiveLUT, 0U);
    EXPECT_FALSE(page()->CheckBoxGas->isChecked());
    EXPECT_EQ(dialogs.Questions.size(), 1U) << "no question after the failure";
    // The device may hold a half-made change now: no longer ready to run.
    EXPECT_EQ(state().MixerState, UnitMain::msSimulation);
    EXPECT_EQ(Led(), "Simulation");
    ExpectNotBusy();
}

TEST_F(GasSelectionTest, AHistoryThatCannotBeWrittenIsToldAndTheConfirmationStands) {
    // A folder where the settings file was: nothing can be read or written there, root included.
    fs::remove(settingsFile());
    fs::create_directories(settingsFile() + "/inside");
    dialogs.Answers = {true};

    ClickA(2);
    ClickB(0);
    ASSERT_EQ(dialogs.Questions.size(), 1U);
    EXPECT_EQ(dialogs.Questions[0].Text, ConfirmationOnFirstUse);
    ASSERT_EQ(dialogs.Messages.size(), 1U);
    EXPECT_EQ(dialogs.Messages[0].rfind("Unable to write to " + settingsFile() + "\r\n", 0), 0U)
        << dialogs.Messages[0];
    EXPECT_EQ(state().MixerState, UnitMain::msValidated) << "the confirmation was given";
    EXPECT_EQ(Led(), "Stopped");
    EXPECT_TRUE(page()->CheckBoxGas->isChecked());
    ExpectNotBusy();
}

TEST_F(GasSelectionRefusedTest, AGasAnMFCRefusedNeverCountsAsSelected) {
    // B first (A has none yet), then a table MFC A refuses, then B again: MFC A holds no confirmed
    // gas, so nothing is asked and the mixer is not ready.
    dialogs.Answers = {true};
    ClickB(0);
    Click(*page()->ListBox1, 1, true); // N2, table 3, refused
    ClickB(0);
    EXPECT_TRUE(dialogs.Questions.empty()) << dialogs.Questions.front().Text;
    EXPECT_EQ(state().MixerState, UnitMain::msSimulation);
    EXPECT_EQ(Led(), "Simulation");
    EXPECT_FALSE(page()->CheckBoxGas->isChecked());
    EXPECT_EQ(page()->ListBox1->ItemIndex(), -1);
    EXPECT_EQ(state().MFCADetails.ActiveLUT, 0U);
    EXPECT_FALSE(Contains(Feedback(), "  Mixer is now properly set up."));

    // The table MFC A does confirm: now both are in place, and the question names both.
    ClickA(0);
    ASSERT_EQ(dialogs.Questions.size(), 1U);
    EXPECT_NE(dialogs.Questions[0].Text.find("Now connected gas : Air\r\n"), std::string::npos);
    EXPECT_NE(dialogs.Questions[0].Text.find("Now connected gas : Ar\r\n"), std::string::npos);
    EXPECT_EQ(state().MixerState, UnitMain::msValidated);
}

// Whatever changes what a gas list shows runs the gas selection: the device holds what the list
// shows, or the mixer is not ready.
TEST_F(GasSelectionTest, KeysDragsAndClicksBelowTheRowsSelectOnTheDevice) {
    dialogs.Answers = {true, true, true};
    ClickA(2); // O2, table 4
    ClickB(0); // Ar, table 2
    ASSERT_EQ(state().MixerState, UnitMain::msValidated);
    ASSERT_EQ(DeviceTable(Sim::sdMfcA), 4U);

    // Arrow up in MFC A's list: N2, table 3, on the device, and asked again.
    Widgets::TListBox& listA = *page()->ListBox1;
    listA.setFocus();
    QTest::keyClick(&listA, Qt::Key_Up);
    EXPECT_EQ(listA.ItemIndex(), 1);
    EXPECT_EQ(DeviceTable(Sim::sdMfcA), 3U);
    EXPECT_EQ(state().MFCADetails.ActiveLUT, 3U);
    ASSERT_EQ(dialogs.Questions.size(), 2U);
    EXPECT_NE(dialogs.Questions[1].Text.find("Now connected gas : N2\r\n"), std::string::npos);
    EXPECT_EQ(state().MixerState, UnitMain::msValidated);
    ExpectNotBusy();
    EXPECT_EQ(QApplication::focusWidget(), &listA) << "the next key goes to the list again";

    // A drag in MFC B's list from Ar onto CO2 (table 3).
    Drag(*page()->ListBox2, 0, 1);
    EXPECT_EQ(page()->ListBox2->ItemIndex(), 1);
    EXPECT_EQ(DeviceTable(Sim::sdMfcB), 3U);
    ASSERT_EQ(dialogs.Questions.size(), 3U);
    EXPECT_NE(dialogs.Questions[2].Text.find("Now connected gas : CO2\r\n"), std::string::npos);
    EXPECT_EQ(state().MixerState, UnitMain::msValidated);

    // A click below the rows: MFC B's list shows no gas, so the mixer is not ready.
    ClickBelowTheRows(*page()->ListBox2);
    EXPECT_EQ(page()->ListBox2->ItemIndex(), -1);
    EXPECT_EQ(state().MFCBDetails.ActiveLUT, 0U);
    EXPECT_EQ(state().MixerState, UnitMain::msSimulation);
    EXPECT_EQ(Led(), "Simulation");
    EXPECT_FALSE(page()->CheckBoxGas->isChecked());
    EXPECT_EQ(dialogs.Questions.size(), 3U);
    ExpectNotBusy();
}

TEST_F(GasSelectionTest, TheQuestionComesWhileBusyAndBeforeTheMixerIsReady) {
    dialogs.Answers = {true};
    bool busy = false;
    UnitMain::TMixerState during = UnitMain::msCannotStop;
    std::string led;
    hook.OnQuestion = [&] {
        busy = form().FormDisabled() && !form().isEnabled();
        during = state().MixerState;
        led = Led();
    };
    ClickA(2);
    ClickB(0);
    ASSERT_EQ(dialogs.Questions.size(), 1U);
    EXPECT_TRUE(busy) << "the selection runs with the window busy";
    EXPECT_EQ(during, UnitMain::msSimulation) << "not ready before the operator answered";
    EXPECT_NE(led, "Stopped");
    EXPECT_EQ(state().MixerState, UnitMain::msValidated);
    ExpectNotBusy();
}

TEST_F(GasSelectionTest, AFailureInsideTheSelectionLeavesTheWindowUsableAndTheMixerNotReady) {
    dialogs.Answers = {true};
    hook.OnQuestion = [] { throw std::runtime_error("settings unreadable"); };
    ClickA(2);
    ClickB(0);
    ExpectNotBusy();
    EXPECT_EQ(QApplication::overrideCursor(), nullptr) << "the hourglass is gone";
    EXPECT_EQ(state().MixerState, UnitMain::msSimulation);
    EXPECT_EQ(Led(), "Simulation");
    EXPECT_FALSE(page()->CheckBoxGas->isChecked());
    EXPECT_TRUE(Contains(Feedback(), " ** Gas selection stopped: settings unreadable"))
        << page()->MemoSetupFeedback->Text();

    // The next pick works as ever.
    hook.OnQuestion = nullptr;
    dialogs.Answers = {true};
    ClickB(0);
    EXPECT_EQ(state().MixerState, UnitMain::msValidated);
}

TEST_F(GasSelectionTest, AWindowCloseDuringTheSelectionWaitsForItsEnd) {
    dialogs.Answers = {true};
    bool visibleAfterClose = false;
    hook.OnQuestion = [&] {
        form().close();
        visibleAfterClose = form().isVisible();
    };
    ClickA(2);
    ClickB(0);
    EXPECT_TRUE(visibleAfterClose) << "not closed while the selection runs";
    EXPECT_EQ(state().MixerState, UnitMain::msValidated) << "the selection ran to its end";
    EXPECT_TRUE(StoredIn(settingsFile()).OldGasB == "Ar");
    EXPECT_TRUE(QTest::qWaitFor([this] { return !form().isVisible(); }, 60000)) << "then it closes";
}

TEST_F(GasSelectionTest, TheSecondGasWithThePumpNotFoundIsReportedButNotAsked) {
    // As a validation that found no pump leaves it.
    page()->CheckBoxPump->setChecked(false);
    state().PumpDetails.Port.clear();
    dialogs.Answers = {true};
    ClickA(2);
    ClickB(0);
    EXPECT_TRUE(Contains(Feedback(), "MFC B gas set to  : Ar"));
    EXPECT_TRUE(page()->CheckBoxGas->isChecked());
    EXPECT_TRUE(dialogs.Questions.empty());
    EXPECT_EQ(state().MixerState, UnitMain::msSimulation);
    EXPECT_FALSE(Contains(Feedback(), "  Mixer is now properly set up."));
}

TEST_F(GasSelectionTest, MFCAsGasChangesOnlyWithTheWorkerStopped) {
    UnitMain::TRunControl& run = program.Run().Run();
    run.StartThread();
    ASSERT_NE(run.MFCThread(), nullptr);
    run.MFCThread()->MFCD = state().MFCADetails;
    run.MFCThread()->Start();
    ClickA(2);
    EXPECT_EQ(run.MFCThread(), nullptr);
    EXPECT_NE(form().MemoLog->Text().find("Thread Stopped"), std::string::npos) << form().MemoLog->Text();
    EXPECT_EQ(DeviceTable(Sim::sdMfcA), 4U);
}

TEST_F(GasSelectionTest, WithoutAConfirmedStopTheMixerIsNeverReady) {
    // As a validation whose closing stop MFC B did not confirm leaves it.
    state().ValidationStopConfirmed = false;
    dialogs.Answers = {true};
    ClickA(2);
    ClickB(0);
    EXPECT_TRUE(page()->CheckBoxGas->isChecked());
    EXPECT_TRUE(dialogs.Questions.empty());
    EXPECT_EQ(state().MixerState, UnitMain::msSimulation);
}

// MFC A's table 3 holds a gas the catalogue does not know.
class GasSelectionUnknownOnATest : public GasSelectionTest {
protected:
    GasSelectionUnknownOnATest()
        : GasSelectionTest([](Sim::TSimConfig& config) { config.MfcA.Tables[1].NameShort = "Xe"; }) {}
};

TEST_F(GasSelectionUnknownOnATest, MFCAsGasIsCheckedAgainstTheCatalogueToo) {
    dialogs.Answers = {true};
    ClickA(1);
    ClickB(0);
    ASSERT_EQ(dialogs.Messages.size(), 2U)
        << "once for each click" << ::testing::PrintToString(dialogs.Messages);
    EXPECT_EQ(dialogs.Messages[1], "MFC1 LUT:3\r\nGas type: Xe\r\nis not recognized by the software\r\n"
                                   "Contact Kelvane with this message, or select another gas type");
    EXPECT_EQ(state().MFCADetails.ActiveLUT, 3U) << "the table stays active";
    EXPECT_TRUE(dialogs.Questions.empty());
    EXPECT_FALSE(page()->CheckBoxGas->isChecked());
    EXPECT_EQ(state().MixerState, UnitMain::msSimulation);
}

} // namespace
