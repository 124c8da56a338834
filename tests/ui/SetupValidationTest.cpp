// The "Setup" page's validation and the pump's service tools, driven through the real window
// against the virtual instruments on real pseudo-terminals. The program and the instruments share
// the harness's manual clock, so the pump's initialisation and the prescribed pauses cost no time.

#include "app/TMoistrel.h"
#include "base/Clock.h"
#include "base/DateTime.h"
#include "base/RecordingDialogs.h"
#include "logging/DiagnosticLogger.h"
#include "logging/LogOld.h"
#include "mfc/VogtlinPort.h"
#include "modbus/VogtlinRegisters.h"
#include "serial/SerialStatus.h"
#include "settings/ProfileFile.h"
#include "sim/SimFault.h"
#include "state/MoistrelState.h"
#include "support/LogCapture.h"
#include "support/ProgramPlaces.h"
#include "support/ScopedSerialPorts.h"
#include "support/SimHarness.h"
#include "support/TempFolder.h"
#include "ui/TForm1.h"
#include "ui/controllers/TGasSelectionController.h"
#include "ui/controllers/TSetupController.h"
#include "ui/tabs/TDebugTab.h"
#include "ui/tabs/TMixtureOperationTab.h"
#include "ui/tabs/TSetupTab.h"
#include "ui/widgets/TLedCaption.h"
#include "ui/widgets/TListBox.h"
#include "ui/widgets/TMemoPane.h"

#include <QApplication>
#include <QCheckBox>
#include <QCoreApplication>
#include <QLineEdit>
#include <QMetaObject>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace {

using Sim::TSimDevice;
using UnitMain::TForm1;

int IndexOf(const Widgets::TListBox& list, const std::string& text) {
    const std::vector<std::string> items = list.Items();
    const auto it = std::find(items.begin(), items.end(), text);
    return it == items.end() ? -1 : static_cast<int>(it - items.begin());
}

struct TGasEntryShown {
    std::string Text;
    int Table;
    bool operator==(const TGasEntryShown&) const = default;
};

std::vector<TGasEntryShown> GasList(const Widgets::TListBox& list) {
    std::vector<TGasEntryShown> entries;
    const std::vector<std::string> items = list.Items();
    for (int i = 0; i < list.Count(); ++i) {
        entries.push_back({items[static_cast<std::size_t>(i)], list.ItemData(i)});
    }
    return entries;
}

// The report block of one gas table as validation writes it.
std::vector<std::string> GasBlock(const std::string& name, const std::string& max, const std::string& min,
                                  const std::string& totalizerUnit, bool repeatUnit) {
    std::vector<std::string> lines{" -> Gas         : " + name, " -> Unit        : g/min",
                                   " -> Max         : " + max, " -> Min         : " + min};
    if (repeatUnit) {
        lines.emplace_back(" -> Unit        : g/min");
    }
    lines.push_back(" -> Tot unit    : " + totalizerUnit);
    lines.emplace_back("----------------------------");
    return lines;
}

void Append(std::vector<std::string>& lines, const std::vector<std::string>& more) {
    lines.insert(lines.end(), more.begin(), more.end());
}

class SetupValidationTest : public ::testing::Test {
public:
    void TearDown() override {
        program.reset();
        fPorts.reset();
    }

    // Starts the instruments (a short pump initialisation, the harness's manual clock, and
    // whatever `adjust` changes), lists their ports and starts the program on the same clock.
    void Start(const std::function<void(Sim::TSimConfig&)>& adjust = {},
               TestSupport::TSimTiming timing = TestSupport::TSimTiming::Fast) {
        sim = std::make_unique<TestSupport::TSimHarness>(TestSupport::ManualClock(
            [adjust](Sim::TSimConfig& config) {
                // A quick initialisation and refill, so that the status polls end soon.
                config.Pump.InitSeconds = 1.0;
                config.Pump.MoveTimeScale = 0.1;
                if (adjust) {
                    adjust(config);
                }
            },
            timing));
        ASSERT_TRUE(sim->Started()) << sim->Error();
        sim->Sim().SetTrace([this](const std::string& line) {
            const std::lock_guard lock(fTraceMutex);
            if (line.rfind("pump <- ", 0) == 0) {
                fPumpLines.push_back(line.substr(8));
                if (fOnPumpLine) {
                    fOnPumpLine();
                }
            }
        });
        pumpPort = sim->Path(Sim::sdPump);
        mfcAPort = sim->Path(Sim::sdMfcA);
        mfcBPort = sim->Path(Sim::sdMfcB);
        fPorts.emplace(std::vector<std::string>{pumpPort, mfcAPort, mfcBPort});
        program = std::make_unique<App::TMoistrel>(sim->Clock(), places, &dialogs);
        // The MFC's own wait for a reply is short; a loaded test machine needs longer.
        program->Setup().ValidationOptions().MFC.ReadoutTimeoutMS = 1000;
        // The gas selection too, with a real pause after each selection write, as the devices get,
        // so that a late acknowledgement arrives before the read-back.
        SerialPortVogtlin::TMFCTiming& gasTiming = program->GasSelection().Timing();
        gasTiming.ReadoutTimeoutMS = 1000;
        gasTiming.Clock = &Base::SystemClock();
        gasTiming.AfterSelectionWrite = std::chrono::milliseconds(100);
        program->Startup();
        Form().show();
        QApplication::setActiveWindow(&Form());
        ASSERT_TRUE(QTest::qWaitForWindowActive(&Form()));
    }

    // Selects the ports by their paths; an empty path leaves the list without a selection.
    void SelectPorts(const std::string& pump, const std::string& mfcA, const std::string& mfcB) {
        Page()->ListBoxPortPump->SetItemIndex(IndexOf(*Page()->ListBoxPortPump, pump));
        Page()->ListBoxPortMFC1->SetItemIndex(IndexOf(*Page()->ListBoxPortMFC1, mfcA));
        Page()->ListBoxPortMFC2->SetItemIndex(IndexOf(*Page()->ListBoxPortMFC2, mfcB));
    }

    void Validate() {
        Form().PageControl1->setCurrentIndex(TForm1::pgSetup);
        QApplication::processEvents();
        QTest::mouseClick(Page()->ButtonSetupValidate, Qt::LeftButton);
    }

    void Click(QPushButton* button) {
        Form().PageControl1->setCurrentIndex(TForm1::pgDebug);
        QApplication::processEvents();
        QTest::mouseClick(button, Qt::LeftButton);
    }

    std::vector<std::string> Feedback() const { return program->Form().Setup->MemoSetupFeedback->Lines(); }
    std::vector<std::string> DebugLines() const { return program->Form().Debug->MemoDebugCOM->Lines(); }
    std::vector<std::string> PumpLines() {
        const std::lock_guard lock(fTraceMutex);
        return fPumpLines;
    }
    // Runs on the instruments' thread whenever the pump is sent a line.
    void OnPumpLine(std::function<void()> hook) {
        const std::lock_guard lock(fTraceMutex);
        fOnPumpLine = std::move(hook);
    }
    void ForgetPumpLines() {
        const std::lock_guard lock(fTraceMutex);
        fPumpLines.clear();
    }
    std::string Saved(const std::string& section, const std::string& key) const {
        Settings::TProfileFile file(places.SettingsFile);
        std::string error;
        EXPECT_TRUE(file.Load(error)) << error;
        return file.Find(section, key).value_or("<missing>");
    }

    TForm1& Form() { return program->Form(); }
    UnitMain::TMoistrelState& State() { return program->State(); }
    UnitMain::TSetupTab* Page() { return Form().Setup; }
    UnitMain::TDebugTab* Debug() { return Form().Debug; }

    TestSupport::TTempFolder folder{"moistrel-setup"};
    App::TProgramPlaces places = TestSupport::PlacesIn(folder);
    Base::TRecordingDialogs dialogs;
    std::unique_ptr<TestSupport::TSimHarness> sim;
    std::unique_ptr<App::TMoistrel> program;
    std::string pumpPort;
    std::string mfcAPort;
    std::string mfcBPort;

private:
    std::optional<TestSupport::TScopedSerialPorts> fPorts;
    std::mutex fTraceMutex;
    std::vector<std::string> fPumpLines;
    std::function<void()> fOnPumpLine;
};

// The pump's report up to its elapsed-seconds line, which the caller checks apart.
std::vector<std::string> PumpReport(const std::string& port) {
    return {"",
            "Query port         :" + port,
            "Found pump on port :" + port,
            "Initializing correct settings...",
            " -> /1TZ2IV48000A192000R",
            " -> Wait until pump is silent. Timeout in 50 seconds"};
}

TEST_F(SetupValidationTest, FindsThePumpAndBothMFCs) {
    Start();
    State().SegmentProgram.resize(2);
    SelectPorts(pumpPort, mfcAPort, mfcBPort);
    Validate();

    std::vector<std::string> expected = PumpReport(pumpPort);
    expected.emplace_back("<elapsed>");
    expected.emplace_back(" -> Pump is OK and on standby.");
    Append(expected, {"", "Query port : " + mfcAPort + " Addr:1", " -> MFC found", " -> Serial: 215001",
                      " -> Gases listed"});
    // MFC A culls 20 of the reported range of 100; MFC B 10.
    Append(expected, GasBlock("Air", "10.000 000", "0.125 000", "ln", false));
    Append(expected, GasBlock("N2", "10.000 000", "0.125 000", "mg", false));
    Append(expected, GasBlock("O2", "5.000 000", "0.062 500", "mg", false));
    Append(expected, {"", "Query port : " + mfcBPort + " Addr:2", " -> MFC found", " -> Serial: 215002",
                      " -> Gases listed"});
    Append(expected, GasBlock("Ar", "20.000 000", "0.222 222", "ln", true));
    Append(expected, GasBlock("CO2", "10.000 000", "0.111 111", "mg", true));
    // Xe is not in the catalogue: the report names it, the gas list shows an empty entry.
    Append(expected, GasBlock("Xe", "2.000 000", "0.022 222", "mg", true));

    std::vector<std::string> lines = Feedback();
    ASSERT_EQ(lines.size(), expected.size() + 2) << ::testing::PrintToString(lines);
    // Then the stop of the three instruments found: the pump's command and its answer.
    const std::vector<std::string> stopLines(lines.end() - 2, lines.end());
    lines.resize(expected.size());
    ASSERT_EQ(stopLines[0].size(), 12 + 16U) << ::testing::PrintToString(stopLines);
    EXPECT_EQ(stopLines[0].substr(12), " Command : /1TIR") << ::testing::PrintToString(stopLines);
    EXPECT_EQ(stopLines[1].substr(12, 11), " Response: ") << ::testing::PrintToString(stopLines);
    EXPECT_GT(stopLines[1].size(), 12 + 11U) << "the pump answered";
    const std::string elapsed = lines[6];
    EXPECT_EQ(elapsed.rfind(" -> Elapsed: ", 0), 0U) << elapsed;
    EXPECT_EQ(elapsed.substr(elapsed.size() - 2), " s") << elapsed;
    lines[6] = "<elapsed>";
    EXPECT_EQ(lines, expected);

    EXPECT_EQ(GasList(*Page()->ListBox1), (std::vector<TGasEntryShown>{{"Air", 2}, {"N2", 3}, {"O2", 4}}));
    EXPECT_EQ(GasList(*Page()->ListBox2), (std::vector<TGasEntryShown>{{"Ar", 2}, {"CO2", 3}, {"", 4}}));
    EXPECT_EQ(Page()->ListBox1->ItemIndex(), -1);
    EXPECT_TRUE(Page()->CheckBoxPump->isChecked());
    EXPECT_TRUE(Page()->CheckBoxMFC->isChecked());
    EXPECT_FALSE(Page()->CheckBoxGas->isChecked());
    EXPECT_EQ(State().MixerState, UnitMain::msSimulation);
    EXPECT_EQ(State().PumpDetails.Port, pumpPort);
    EXPECT_EQ(Debug()->EditDebugCOMPort->text().toStdString(), pumpPort);
    EXPECT_FALSE(State().MFCADemonstration);
    EXPECT_FALSE(State().MFCBDemonstration);
    EXPECT_EQ(State().MFCBDetails.ModBusAddress, 2U);
    EXPECT_TRUE(State().SegmentProgram.empty());
    EXPECT_FALSE(Form().FormDisabled());
    EXPECT_TRUE(Form().isEnabled());

    EXPECT_EQ(Saved("COM ports", "Pump"), pumpPort);
    EXPECT_EQ(Saved("COM ports", "MFCA"), mfcAPort);
    EXPECT_EQ(Saved("COM ports", "MFCB"), mfcBPort);
}

TEST_F(SetupValidationTest, TheSamePortForBothMFCsIsRefused) {
    Start();
    State().MixerState = UnitMain::msValidated;
    Page()->CheckBoxPump->setChecked(true);
    Page()->CheckBoxMFC->setChecked(true);
    Page()->ListBox1->AddItem("Air", 2);
    State().SegmentProgram.resize(1);
    SelectPorts(pumpPort, mfcAPort, mfcAPort);
    Validate();

    EXPECT_EQ(Feedback(), std::vector<std::string>{"Select different COM ports for the MFCs"});
    // Nothing else changes, and nothing was sent; the segment program went before the check.
    EXPECT_EQ(State().MixerState, UnitMain::msValidated);
    EXPECT_TRUE(Page()->CheckBoxPump->isChecked());
    EXPECT_TRUE(Page()->CheckBoxMFC->isChecked());
    EXPECT_EQ(GasList(*Page()->ListBox1), (std::vector<TGasEntryShown>{{"Air", 2}}));
    EXPECT_TRUE(PumpLines().empty());
    EXPECT_TRUE(State().SegmentProgram.empty());
    EXPECT_FALSE(Form().FormDisabled());
}

TEST_F(SetupValidationTest, AnMFCThatDoesNotAnswerIsNotFound) {
    Start([](Sim::TSimConfig& config) { config.Faults[Sim::sdMfcB].insert(Sim::sfSilent); });
    SelectPorts("", mfcAPort, mfcBPort);
    Validate();

    const std::vector<std::string> lines = Feedback();
    ASSERT_GE(lines.size(), 3U);
    EXPECT_EQ(std::vector<std::string>(lines.end() - 3, lines.end()),
              (std::vector<std::string>{"", "Query port : " + mfcBPort + " Addr:2",
                                        " -> Nothing found on this port"}));
    EXPECT_EQ(GasList(*Page()->ListBox1).size(), 3U);
    EXPECT_TRUE(GasList(*Page()->ListBox2).empty());
    EXPECT_FALSE(Page()->CheckBoxMFC->isChecked());
    EXPECT_FALSE(Page()->CheckBoxPump->isChecked()) << "no pump port selected";
    EXPECT_EQ(State().PumpDetails.Port, "");
    // Only the MFC that was identified leaves the demonstration values.
    EXPECT_FALSE(State().MFCADemonstration);
    EXPECT_TRUE(State().MFCBDemonstration);
    // Not both found: the ports are not saved.
    EXPECT_NE(Saved("COM ports", "MFCA"), mfcAPort);
    EXPECT_FALSE(Form().FormDisabled());
}

TEST_F(SetupValidationTest, NoPumpOnThePumpPort) {
    Start([](Sim::TSimConfig& config) { config.Faults[Sim::sdPump].insert(Sim::sfSilent); });
    State().PumpDetails.Port = "SIM";
    SelectPorts(pumpPort, "", "");
    Validate();

    const std::vector<std::string> lines = Feedback();
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines.back(), " -> No pump found on this port, or a problem with the port. Read manual about "
                            "drivers. Turn the Moistrel off and few seconds later on, and try again.");
    EXPECT_NE(std::find(lines.begin(), lines.end(), "Comm Status        :Timeout while waiting for response"),
              lines.end())
        << ::testing::PrintToString(lines);
    EXPECT_FALSE(Page()->CheckBoxPump->isChecked());
    EXPECT_EQ(State().PumpDetails.Port, "");
    EXPECT_EQ(Debug()->EditDebugCOMPort->text(), QStringLiteral("COM9"));
    // Neither MFC was queried: both stay on the demonstration values, neither counts as found.
    EXPECT_TRUE(State().MFCADemonstration);
    EXPECT_TRUE(State().MFCBDemonstration);
    EXPECT_FALSE(Page()->CheckBoxMFC->isChecked());
    EXPECT_FALSE(Form().FormDisabled());
}

TEST_F(SetupValidationTest, AnMFCWhoseTable2IsEmptyListsNoGas) {
    Start([](Sim::TSimConfig& config) { config.MfcA.Tables.clear(); });
    SelectPorts("", mfcAPort, "");
    std::optional<TestSupport::TLogCapture> log(std::in_place);
    Validate();

    const std::vector<std::string> report{"", "Query port : " + mfcAPort + " Addr:1", " -> MFC found",
                                          " -> Serial: 215001", " -> Gases listed"};
    EXPECT_EQ(Feedback(), report);
    // With the diagnostic log on, the report goes there too, one message a line, in order (the log
    // file's reader drops a message's leading blanks with its indentation).
    Logging::Logger().CloseDispatcher();
    const std::vector<std::string> messages = log->Messages();
    std::vector<std::string> logged;
    for (const std::string& line : report) {
        logged.push_back(line.substr(std::min(line.find_first_not_of(' '), line.size())));
    }
    EXPECT_NE(std::search(messages.begin(), messages.end(), logged.begin(), logged.end()), messages.end())
        << ::testing::PrintToString(messages);
    log.reset();
    Logging::Logger().SetEnabled(false);
    EXPECT_TRUE(GasList(*Page()->ListBox1).empty());
    EXPECT_TRUE(State().MFCADetails.Validated);
    EXPECT_EQ(State().MFCADetails.ActiveLUT, 2U);
    EXPECT_FALSE(Page()->CheckBoxMFC->isChecked());
}

// Any touch of a port list withdraws what validation found on it, whatever the selection.
TEST_F(SetupValidationTest, TouchingAPortListWithdrawsItsFinding) {
    Start();
    enum TTouch { tClick, tDoubleClick, tKeyRelease };
    struct TCase {
        const char* Name;
        Widgets::TListBox* UnitMain::TSetupTab::*List;
        TTouch Touch;
        QCheckBox* UnitMain::TSetupTab::*Cleared;
        QCheckBox* UnitMain::TSetupTab::*Kept;
    };
    using UnitMain::TSetupTab;
    const TCase cases[] = {
        {"pump click", &TSetupTab::ListBoxPortPump, tClick, &TSetupTab::CheckBoxPump,
         &TSetupTab::CheckBoxMFC},
        {"pump double click", &TSetupTab::ListBoxPortPump, tDoubleClick, &TSetupTab::CheckBoxPump,
         &TSetupTab::CheckBoxMFC},
        {"pump key", &TSetupTab::ListBoxPortPump, tKeyRelease, &TSetupTab::CheckBoxPump,
         &TSetupTab::CheckBoxMFC},
        {"MFC A click", &TSetupTab::ListBoxPortMFC1, tClick, &TSetupTab::CheckBoxMFC,
         &TSetupTab::CheckBoxPump},
        {"MFC A key", &TSetupTab::ListBoxPortMFC1, tKeyRelease, &TSetupTab::CheckBoxMFC,
         &TSetupTab::CheckBoxPump},
        {"MFC B click", &TSetupTab::ListBoxPortMFC2, tClick, &TSetupTab::CheckBoxMFC,
         &TSetupTab::CheckBoxPump},
        {"MFC B double click", &TSetupTab::ListBoxPortMFC2, tDoubleClick, &TSetupTab::CheckBoxMFC,
         &TSetupTab::CheckBoxPump},
        {"MFC B key", &TSetupTab::ListBoxPortMFC2, tKeyRelease, &TSetupTab::CheckBoxMFC,
         &TSetupTab::CheckBoxPump},
    };
    Form().PageControl1->setCurrentIndex(TForm1::pgSetup);
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        TSetupTab* page = Page();
        page->CheckBoxPump->setChecked(true);
        page->CheckBoxMFC->setChecked(true);
        page->CheckBoxGas->setChecked(true);
        State().MixerState = UnitMain::msValidated;
        Widgets::TListBox* list = page->*c.List;
        list->SetItemIndex(0);
        QApplication::processEvents();
        const QPoint onFirst = list->visualItemRect(list->item(0)).center();
        switch (c.Touch) {
        case tClick:
            QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, onFirst);
            break;
        case tDoubleClick:
            QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, onFirst);
            break;
        case tKeyRelease:
            list->setFocus();
            QTest::keyClick(list, Qt::Key_Home);
            break;
        }
        EXPECT_EQ(State().MixerState, UnitMain::msSimulation);
        EXPECT_FALSE((page->*c.Cleared)->isChecked());
        EXPECT_TRUE((page->*c.Kept)->isChecked());
        EXPECT_TRUE(page->CheckBoxGas->isChecked());
        EXPECT_EQ(list->ItemIndex(), 0) << "the touch left the selection as it was";
    }
}

TEST_F(SetupValidationTest, PrimingOutsideStateOneIsRefused) {
    Start();
    SelectPorts(pumpPort, "", "");
    // The states are set by hand, without a run: no tick may act on them meanwhile (in state 3 it
    // would run the safe stop).
    State().Run.TickDone = false;
    for (const UnitMain::TMixerState state :
         {UnitMain::msSimulation, UnitMain::msRunning, UnitMain::msStopping, UnitMain::msCannotStop}) {
        for (QPushButton* button : {Debug()->ButtonPumpFluid, Debug()->ButtonPumpFluidFast}) {
            SCOPED_TRACE(::testing::Message()
                         << "state " << int(state) << " " << button->objectName().toStdString());
            State().MixerState = state;
            Debug()->MemoDebugCOM->Clear();
            Click(button);
            EXPECT_EQ(DebugLines(),
                      std::vector<std::string>{Logging::OperationLogLine(
                          sim->Clock().Now(), "Only possible when mixer state is Validated and Stopped")});
            EXPECT_EQ(State().MixerState, state);
        }
    }
    EXPECT_TRUE(PumpLines().empty()) << ::testing::PrintToString(PumpLines());
}

TEST_F(SetupValidationTest, PrimingSendsTheLineOfThePumpsStepCount) {
    Start();
    SelectPorts(pumpPort, "", "");
    struct TCase {
        std::int32_t Steps;
        bool Fast;
        const char* Line; // without its CR
    };
    const TCase cases[] = {
        {3000, false, "/1TV1500gIA3000OA0G2R"},
        {3000, true, "/1TV1500gIA3000OA0G2R"},
        {24000, false, "/1TgV10000IA192000OV7500A0G10R"},
        {24000, true, "/1TgV10000IA192000OV7500A0G10R"},
        {192000, false, "/1TV10000gIA192000OA0G10R"},
        {192000, true, "/1TV48000gIA192000OA0G10R"},
        {12345, true, ""},
    };
    // Where validation found the pump.
    State().PumpDetails.Port = pumpPort;
    for (const TCase& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.Steps << (c.Fast ? " fast" : " slow"));
        State().MixerState = UnitMain::msValidated;
        State().PumpDetails.SYRINGE_STEPS = c.Steps;
        Debug()->MemoDebugCOM->Clear();
        ForgetPumpLines();
        Form().Operation->RzLEDDisplay1->SetCaption("");
        const std::string time = Base::FormatDateTime("hh:nn:ss.zzz", sim->Clock().Now());
        Click(c.Fast ? Debug()->ButtonPumpFluidFast : Debug()->ButtonPumpFluid);

        const std::vector<std::string> lines = DebugLines();
        ASSERT_GE(lines.size(), 2U) << ::testing::PrintToString(lines);
        // The line sent ends in its CR, which closes the command line in the pane.
        EXPECT_EQ(lines.front(), time + " Command : " + c.Line);
        EXPECT_EQ(lines.back().rfind(time + " Response: ", 0), 0U) << lines.back();
        // The pump answers every line but the lone CR.
        EXPECT_EQ(lines.back().size() > (time + " Response: ").size(), c.Line[0] != '\0') << lines.back();
        EXPECT_EQ(PumpLines(), std::vector<std::string>{std::string(c.Line) + "\\x0D"});
        EXPECT_EQ(Form().Operation->RzLEDDisplay1->Caption(), "Stopped");
        EXPECT_EQ(State().MixerState, UnitMain::msValidated);
    }
}

TEST_F(SetupValidationTest, DebugToolOnAMissingPortLogsTheStatus) {
    Start();
    Debug()->EditDebugCOMPort->setText(QString::fromStdString(folder.File("no-such-port")));
    Click(Debug()->ButtonDebugCOMSend);

    const Base::TDateTime now = sim->Clock().Now();
    EXPECT_EQ(DebugLines(),
              (std::vector<std::string>{
                  Logging::OperationLogLine(now, "Send data          :/1TI?23"),
                  Logging::OperationLogLine(now, "Comm Status        :Failed to setup Com port, port in use"),
              }));
    EXPECT_EQ(Form().Operation->RzLEDDisplay1->Caption(), "Stopped");
}

TEST_F(SetupValidationTest, DebugToolOnThePumpLogsItsAnswer) {
    Start();
    Debug()->EditDebugCOMPort->setText(QString::fromStdString(pumpPort));
    Debug()->EditDebugCOMSend->setText(QStringLiteral("/1?23"));
    Click(Debug()->ButtonDebugCOMSend);

    EXPECT_EQ(PumpLines(), std::vector<std::string>{"/1?23\\x0D"});
    const std::vector<std::string> lines = DebugLines();
    ASSERT_EQ(lines.size(), 2U) << ::testing::PrintToString(lines);
    const std::string answer = Logging::OperationLogLine(sim->Clock().Now(), "Comm Response      :");
    EXPECT_EQ(lines[1].rfind(answer, 0), 0U) << lines[1];
    EXPECT_NE(lines[1].find("C24000"), std::string::npos) << lines[1];
}

// A mouse click in the middle of a gas list's row.
void ClickRow(Widgets::TListBox& list, int row) {
    QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, list.visualItemRect(list.item(row)).center());
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

// A click on the empty area below the rows.
void ClickBelowTheRows(Widgets::TListBox& list) {
    const QPoint below(5, list.viewport()->height() - 3);
    ASSERT_EQ(list.itemAt(below), nullptr) << "the list has no empty area";
    QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, below);
}

bool Contains(const std::vector<std::string>& lines, const std::string& line) {
    return std::find(lines.begin(), lines.end(), line) != lines.end();
}

// Validated on the virtual instruments, O2 on MFC A and Ar on MFC B confirmed: state 1.
class SetupReadyTest : public SetupValidationTest {
public:
    void MakeReady() {
        SelectPorts(pumpPort, mfcAPort, mfcBPort);
        Validate();
        ASSERT_TRUE(State().ValidationStopConfirmed) << ::testing::PrintToString(Feedback());
        dialogs.Answers = {true};
        ClickRow(*Page()->ListBox1, 2);
        ClickRow(*Page()->ListBox2, 0);
        ASSERT_EQ(State().MixerState, UnitMain::msValidated) << ::testing::PrintToString(Feedback());
    }
};

TEST_F(SetupReadyTest, ADragInThePumpPortListMakesTheMixerNotReadyAndTheStopStillReachesThePump) {
    Start();
    MakeReady();
    Widgets::TListBox& list = *Page()->ListBoxPortPump;
    Drag(list, IndexOf(list, pumpPort), IndexOf(list, mfcAPort));
    EXPECT_EQ(list.SelectedText(), mfcAPort);
    EXPECT_EQ(State().MixerState, UnitMain::msSimulation);
    EXPECT_FALSE(Page()->CheckBoxPump->isChecked());
    EXPECT_TRUE(Page()->CheckBoxMFC->isChecked());
    EXPECT_EQ(State().PumpDetails.Port, pumpPort) << "the pump is where it was validated";

    // The end of a run: the safe stop goes to the validated pump, not to the port the list shows.
    ForgetPumpLines();
    State().MixerState = UnitMain::msStopping;
    ASSERT_TRUE(QTest::qWaitFor([this] { return State().MixerState != UnitMain::msStopping; }, 60000));
    EXPECT_EQ(State().MixerState, UnitMain::msValidated);
    EXPECT_TRUE(Contains(PumpLines(), "/1TIR\\x0D")) << ::testing::PrintToString(PumpLines());

    // And so does priming.
    ForgetPumpLines();
    Click(Debug()->ButtonPumpFluid);
    const std::vector<std::string> primed = PumpLines();
    ASSERT_EQ(primed.size(), 1U) << ::testing::PrintToString(DebugLines());
    EXPECT_EQ(primed[0].rfind("/1T", 0), 0U) << primed[0];
}

// Any change of a port list's selection withdraws what validation found on it, whatever made it.
TEST_F(SetupValidationTest, ChangingAPortListsSelectionWithdrawsItsFinding) {
    Start();
    enum TChange { cDrag, cBelowTheRows };
    using UnitMain::TSetupTab;
    struct TCase {
        const char* Name;
        Widgets::TListBox* TSetupTab::*List;
        TChange Change;
        QCheckBox* TSetupTab::*Cleared;
        QCheckBox* TSetupTab::*Kept;
        int ShownAfter;
    };
    const TCase cases[] = {
        {"pump drag", &TSetupTab::ListBoxPortPump, cDrag, &TSetupTab::CheckBoxPump, &TSetupTab::CheckBoxMFC,
         1},
        {"pump below the rows", &TSetupTab::ListBoxPortPump, cBelowTheRows, &TSetupTab::CheckBoxPump,
         &TSetupTab::CheckBoxMFC, -1},
        {"MFC A drag", &TSetupTab::ListBoxPortMFC1, cDrag, &TSetupTab::CheckBoxMFC, &TSetupTab::CheckBoxPump,
         1},
        {"MFC B below the rows", &TSetupTab::ListBoxPortMFC2, cBelowTheRows, &TSetupTab::CheckBoxMFC,
         &TSetupTab::CheckBoxPump, -1},
    };
    Form().PageControl1->setCurrentIndex(TForm1::pgSetup);
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        TSetupTab* page = Page();
        page->CheckBoxPump->setChecked(true);
        page->CheckBoxMFC->setChecked(true);
        State().MixerState = UnitMain::msValidated;
        Widgets::TListBox* list = page->*c.List;
        list->SetItemIndex(0);
        QApplication::processEvents();
        if (c.Change == cDrag) {
            Drag(*list, 0, 1);
        } else {
            ClickBelowTheRows(*list);
        }
        EXPECT_EQ(list->ItemIndex(), c.ShownAfter);
        EXPECT_EQ(State().MixerState, UnitMain::msSimulation);
        EXPECT_FALSE((page->*c.Cleared)->isChecked());
        EXPECT_TRUE((page->*c.Kept)->isChecked());
    }
}

TEST_F(SetupReadyTest, FindingPortsAfterAValidationEmptiesTheSelectionsAndKeepsTheState) {
    Start();
    MakeReady();
    const std::vector<std::string> ports = Page()->ListBoxPortPump->Items();
    QTest::mouseClick(Page()->ButtonSetupFindPorts, Qt::LeftButton);
    for (Widgets::TListBox* list :
         {Page()->ListBoxPortPump, Page()->ListBoxPortMFC1, Page()->ListBoxPortMFC2}) {
        EXPECT_EQ(list->ItemIndex(), -1);
        EXPECT_EQ(list->Items(), ports);
    }
    EXPECT_FALSE(Page()->CheckBoxPump->isChecked());
    EXPECT_FALSE(Page()->CheckBoxMFC->isChecked());
    EXPECT_FALSE(Page()->CheckBoxGas->isChecked());
    EXPECT_EQ(State().MixerState, UnitMain::msValidated);
}

// Writes a set-point to a virtual MFC over the wire, as a program killed mid-run left it.
void LeaveDosing(const std::string& port, std::uint32_t address, float setPoint) {
    SerialPortVogtlin::TVogtlinPort mfc;
    SerialPortVogtlin::ConfigureForMFC(mfc, port, 250);
    SerialPort::TSerialResponse response;
    mfc.WriteF32(address, SerialPortVogtlin::regSetPoint, setPoint, response);
    ASSERT_EQ(response.Status, "");
}

TEST_F(SetupValidationTest, ValidationLeavesNothingDosingThatWasLeftDosingBefore) {
    Start();
    LeaveDosing(mfcAPort, 1, 0.5F);
    LeaveDosing(mfcBPort, 2, 0.7F);
    ASSERT_EQ(sim->Sim().MfcState(Sim::sdMfcB).SetPoint, 0.7F);
    SelectPorts(pumpPort, mfcAPort, mfcBPort);
    Validate();
    EXPECT_EQ(sim->Sim().MfcState(Sim::sdMfcA).SetPoint, 0.0F);
    EXPECT_EQ(sim->Sim().MfcState(Sim::sdMfcB).SetPoint, 0.0F);
    EXPECT_TRUE(Contains(PumpLines(), "/1TIR\\x0D")) << ::testing::PrintToString(PumpLines());
    EXPECT_TRUE(State().ValidationStopConfirmed);
    const std::string log = Form().MemoLog->Text();
    EXPECT_NE(log.find("MFC A commanded to stop"), std::string::npos) << log;
    EXPECT_NE(log.find("MFC B commanded to stop"), std::string::npos) << log;
    EXPECT_FALSE(Contains(Feedback(), "Could not stop flow!"));
}

TEST_F(SetupValidationTest, AnMFCThatCannotConfirmItsStopKeepsTheMixerNotReadyAndIsNamed) {
    // MFC B answers everything but its set-point.
    Start([](Sim::TSimConfig& config) {
        config.MfcB.SilentRegisters = {SerialPortVogtlin::regSetPoint,
                                       static_cast<std::uint16_t>(SerialPortVogtlin::regSetPoint + 1)};
    });
    SelectPorts(pumpPort, mfcAPort, mfcBPort);
    Validate();
    ASSERT_TRUE(Page()->CheckBoxMFC->isChecked()) << "both MFCs were identified";
    const std::vector<std::string> lines = Feedback();
    ASSERT_GE(lines.size(), 2U);
    EXPECT_EQ(std::vector<std::string>(lines.end() - 2, lines.end()),
              (std::vector<std::string>{"Could not stop flow!", "  MFC B may still be dosing"}));
    EXPECT_FALSE(State().ValidationStopConfirmed);

    dialogs.Answers = {true};
    ClickRow(*Page()->ListBox1, 2);
    ClickRow(*Page()->ListBox2, 0);
    EXPECT_TRUE(dialogs.Questions.empty());
    EXPECT_EQ(State().MixerState, UnitMain::msSimulation);
    EXPECT_NE(Form().Operation->RzLEDDisplay1->Caption(), "Stopped");
}

TEST_F(SetupValidationTest, ValidationIsBusyFromItsStartAndAWindowCloseWaitsForItsEnd) {
    Start();
    State().MixerState = UnitMain::msValidated;
    Page()->CheckBoxGas->setChecked(true);
    struct TSeen {
        bool Busy = false;
        UnitMain::TMixerState State = UnitMain::msCannotStop;
        bool VisibleAfterClose = false;
    };
    auto seen = std::make_shared<std::optional<TSeen>>();
    auto posted = std::make_shared<std::atomic<bool>>(false);
    // At the pump's first line, while the validation waits for the pump: look, and close.
    OnPumpLine([this, seen, posted] {
        if (posted->exchange(true)) {
            return;
        }
        QMetaObject::invokeMethod(
            QCoreApplication::instance(),
            [this, seen] {
                TSeen now;
                now.Busy = Form().FormDisabled() && !Form().isEnabled();
                now.State = State().MixerState;
                Form().close();
                now.VisibleAfterClose = Form().isVisible();
                *seen = now;
            },
            Qt::QueuedConnection);
    });
    SelectPorts(pumpPort, mfcAPort, mfcBPort);
    Validate();
    OnPumpLine({});
    ASSERT_TRUE(seen->has_value()) << "the validation let the window's events through while it waited";
    EXPECT_TRUE((*seen)->Busy);
    EXPECT_EQ((*seen)->State, UnitMain::msSimulation) << "not ready from the validation's start";
    EXPECT_TRUE((*seen)->VisibleAfterClose) << "not closed half-way";
    // The validation ran to its end, the instruments stopped, and then the window closed.
    EXPECT_TRUE(Page()->CheckBoxMFC->isChecked());
    EXPECT_TRUE(State().ValidationStopConfirmed);
    EXPECT_TRUE(Page()->CheckBoxGas->isChecked()) << "validation leaves \"Gases selected\" as it was";
    EXPECT_TRUE(QTest::qWaitFor([this] { return !Form().isVisible(); }, 60000));
}

} // namespace
