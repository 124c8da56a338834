// The remote commands on the whole program, through a remote session as the network shell will
// use it, against the virtual instruments on their manual clock: a program built from three
// targets, started, followed to its end and seen stopped; the window's refusals said to the client.

#include "app/TMoistrel.h"
#include "app/TRemoteInstrument.h"
#include "base/RecordingDialogs.h"
#include "remote/RemoteSession.h"
#include "run/RunDataFile.h"
#include "settings/ProfileFile.h"
#include "setup/InstrumentValidation.h"
#include "state/MoistrelState.h"
#include "support/DesignStates.h"
#include "support/ProgramPlaces.h"
#include "support/ScopedSerialPorts.h"
#include "support/SimHarness.h"
#include "support/TempFolder.h"
#include "ui/TForm1.h"
#include "ui/controllers/TGasSelectionController.h"
#include "ui/controllers/TProgramFileController.h"
#include "ui/controllers/TRunController.h"
#include "ui/controllers/TSegmentController.h"
#include "ui/controllers/TSetupController.h"
#include "ui/tabs/TMixtureOperationTab.h"
#include "ui/tabs/TSetupTab.h"
#include "ui/tabs/TTargetBox.h"
#include "ui/widgets/TDoubleEdit.h"
#include "ui/widgets/TListBox.h"
#include "ui/widgets/TMemoPane.h"

#include <QApplication>
#include <QComboBox>
#include <QTest>
#include <algorithm>
#include <filesystem>
#include <functional>
#include <gtest/gtest.h>
#include <optional>
#include <string>
#include <vector>

namespace {

using Lines = std::vector<std::string>;

class RemoteInstrumentTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(sim.Started()) << sim.Error();
        program.Startup();
        program.Form().show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&program.Form()));
        UnitMain::TMoistrelState& s = program.State();
        TestSupport::ValidatedOnPorts(s, sim.Path(Sim::sdPump), sim.Path(Sim::sdMfcA), sim.Path(Sim::sdMfcB));
        // The Target box's carrier: 0.02 g/min, all on MFC A.
        UnitMain::TTargetBox* box = program.Form().Operation->GroupBoxTarget;
        box->EditTargetCarrier->SetValue(0.02);
        box->EditTargetBShare->SetValue(0.0);
        QApplication::processEvents();
    }

    // One line to the program and the answer lines back.
    Lines Send(const std::string& line) { return session.Feed(line + "\n").Lines; }
    std::string Ask(const std::string& query) {
        const Lines answers = Send(query);
        EXPECT_EQ(answers.size(), 1U) << query;
        return answers.empty() ? std::string() : answers.front();
    }
    Lines Errors() {
        Lines errors;
        for (std::string error = Ask("SYST:ERR?"); error != "0,\"No error\""; error = Ask("SYST:ERR?")) {
            errors.push_back(error);
            if (errors.size() > 20) {
                break;
            }
        }
        return errors;
    }
    bool WaitFor(const std::function<bool()>& done) { return QTest::qWaitFor(done, 60000); }

    TestSupport::TSimHarness sim{TestSupport::ManualClock()};
    TestSupport::TTempFolder folder{"moistrel-remote"};
    Base::TRecordingDialogs dialogs;
    App::TMoistrel program{sim.Clock(), TestSupport::PlacesIn(folder), &dialogs};
    App::TRemoteInstrument instrument{program};
    Remote::TRemoteSession session{instrument};
};

TEST_F(RemoteInstrumentTest, AProgramOfThreeTargetsRunsToItsEndAndIsSeenStopped) {
    // Nothing to run yet: the window's own refusal.
    EXPECT_EQ(Ask("PROG:COUN?"), "0");
    EXPECT_EQ(Send("PROG:STAR"), Lines{});
    EXPECT_EQ(Errors(), Lines{"-221,\"Settings conflict;No segment program to execute.\""});
    EXPECT_EQ(program.State().MixerState, UnitMain::msValidated);

    // Three targets of one second each, named after their targets as the sequence names them.
    EXPECT_EQ(Send("PROG:CLE;APP:TARG RH,40,1;TARG RH,50,1;TARG RH,30,1;:PROG:COUN?"), Lines{"3"});
    EXPECT_EQ(Errors(), Lines{});
    ASSERT_EQ(program.State().SegmentProgram.size(), 3U);
    EXPECT_EQ(program.State().SegmentProgram[1].StepName, "RH 50 %");
    EXPECT_NEAR(program.State().SegmentProgram[1].StepTime, 1.0 / 3600.0, 1e-12);
    // One out of reach, with the solver's words.
    EXPECT_EQ(Send("PROG:APP:TARG RH,100000,1"), Lines{});
    const Lines outOfReach = Errors();
    ASSERT_EQ(outOfReach.size(), 1U);
    EXPECT_EQ(outOfReach.front().rfind("-222,\"Data out of range;", 0), 0U) << outOfReach.front();
    EXPECT_EQ(Ask("PROG:COUN?"), "3");

    EXPECT_EQ(Ask("DATA:HEAD?"), UnitMain::RunDataHeader());
    EXPECT_EQ(Ask("DATA:LAST?"), "");
    EXPECT_EQ(Send("PROG:STAR"), Lines{});
    EXPECT_EQ(Errors(), Lines{});
    ASSERT_EQ(program.State().MixerState, UnitMain::msRunning);
    EXPECT_EQ(Ask("SYST:STAT?").rfind("2,\"", 0), 0U);

    // While it runs the window refuses these; so do the commands.
    EXPECT_EQ(Send("PROG:APP:TARG RH,20,1"), Lines{});
    EXPECT_EQ(Send("SET:VAL"), Lines{});
    EXPECT_EQ(Send("PROG:LOAD \"any.mixprog\""), Lines{});
    EXPECT_EQ(Send("PROG:STAR"), Lines{});
    EXPECT_EQ(
        Errors(),
        (Lines{
            "-221,\"Settings conflict;Segments cannot be appended while the mixer runs. Stop it first.\"",
            "-221,\"Settings conflict;The set-up is closed while the mixer runs or could not stop. Stop it "
            "first.\"",
            std::string("-221,\"Settings conflict;") + UnitMain::LoadWhileRunningRefusal + "\"",
            "-221,\"Settings conflict;Mixer is not ready. Stop current instructions first.\""}));
    EXPECT_EQ(program.State().SegmentProgram.size(), 3U);

    // Followed to the end: every segment is seen running, the data line fills.
    std::vector<int> seen;
    ASSERT_TRUE(WaitFor([&] {
        const std::string segment = Ask("PROG:SEGM?");
        const int number = segment.empty() ? 0 : segment.front() - '0';
        if (number > 0 && (seen.empty() || seen.back() != number)) {
            seen.push_back(number);
        }
        return program.State().MixerState == UnitMain::msValidated;
    }));
    EXPECT_EQ(seen, (std::vector<int>{1, 2, 3}));
    EXPECT_EQ(Ask("SYST:STAT?"), "1,\"Stopped\"");
    EXPECT_EQ(Ask("PROG:SEGM?"), "0,3,0");
    const std::string last = Ask("DATA:LAST?");
    const std::string header = UnitMain::RunDataHeader();
    EXPECT_EQ(std::count(last.begin(), last.end(), ','), std::count(header.begin(), header.end(), ','))
        << last;
    EXPECT_NE(last.find("RH 30 %"), std::string::npos) << last;
    EXPECT_EQ(Errors(), Lines{});
    EXPECT_TRUE(dialogs.Messages.empty())
        << "a remote call showed a message box: " << dialogs.Messages.front();
}

TEST_F(RemoteInstrumentTest, AStopMidRunEndsTheRunWithTheSafeStop) {
    EXPECT_EQ(Send("PROG:APP:TARG RH,40,3600;TARG RH,60,3600;:PROG:STAR"), Lines{});
    ASSERT_EQ(Errors(), Lines{});
    ASSERT_EQ(program.State().MixerState, UnitMain::msRunning);
    ASSERT_TRUE(
        WaitFor([&] { return Ask("PROG:SEGM?").rfind("1,2,", 0) == 0 && !Ask("DATA:LAST?").empty(); }));
    EXPECT_EQ(Send("PROG:STOP;:SYST:STAT?"), Lines{"3,\"Stopping\""});
    EXPECT_EQ(Errors(), Lines{});
    ASSERT_TRUE(WaitFor([&] { return Ask("SYST:STAT?") == "1,\"Stopped\""; }));
    EXPECT_EQ(sim.Sim().MfcState(Sim::sdMfcA).SetPoint, 0.0F);
    EXPECT_EQ(sim.Sim().MfcState(Sim::sdMfcB).SetPoint, 0.0F);
    EXPECT_EQ(program.Run().Run().MFCThread(), nullptr);
    // The program stays for the next start.
    EXPECT_EQ(Ask("PROG:COUN?"), "2");
    EXPECT_TRUE(dialogs.Messages.empty()) << dialogs.Messages.front();
}

TEST_F(RemoteInstrumentTest, StopIsObeyedOnAnIdleMixerAndTheGasConfirmationNeedsTheSetting) {
    EXPECT_EQ(Send("PROG:STOP"), Lines{});
    EXPECT_EQ(Errors(), Lines{});
    ASSERT_TRUE(WaitFor([&] { return Ask("SYST:STAT?") == "1,\"Stopped\""; }));
    EXPECT_EQ(sim.Sim().MfcState(Sim::sdMfcA).SetPoint, 0.0F);
    EXPECT_EQ(sim.Sim().MfcState(Sim::sdMfcB).SetPoint, 0.0F);

    const std::string off =
        "-221,\"Settings conflict;Confirming the gases from a remote client is off: set "
        "\"\"Confirm gases\"\" to 1 in section \"\"Remote\"\" of the settings file to allow it.\"";
    EXPECT_EQ(Send("SET:GAS:CONF"), Lines{});
    EXPECT_EQ(Errors(), Lines{off});

    Settings::TProfileFile settings(program.Places().SettingsFile);
    std::string error;
    ASSERT_TRUE(settings.Load(error)) << error;
    settings.WriteInteger("Remote", "Confirm gases", 1);
    ASSERT_TRUE(settings.Save(error)) << error;
    // Allowed now; but no gas has been picked in the lists on this mixer, so there is nothing to confirm.
    EXPECT_EQ(Send("SET:GAS:CONF"), Lines{});
    EXPECT_EQ(Errors(), Lines{"-221,\"Settings conflict;Select the gases of MFC A and MFC B first.\""});
    EXPECT_EQ(Send("SET:GAS:A \"Helium\""), Lines{});
    const Lines unknown = Errors();
    ASSERT_EQ(unknown.size(), 1U);
    EXPECT_EQ(
        unknown.front().rfind("-224,\"Illegal parameter value;MFC A has no gas table \"\"Helium\"\"", 0), 0U)
        << unknown.front();
    EXPECT_TRUE(dialogs.Messages.empty());
}

TEST_F(RemoteInstrumentTest, AProgramLoadedByAClientIsTheFileThatWasSavedAndAMissingOneIsNotFound) {
    EXPECT_EQ(Send("PROG:APP:TARG RH,40,60;TARG RH,50,60"), Lines{});
    ASSERT_EQ(Errors(), Lines{});
    const std::vector<GasMixtures::TGasItem> saved = program.State().SegmentProgram;
    const std::string file = "two targets.mixprog";
    dialogs.FileNames = {(std::filesystem::path(folder.Path()) / "Userdata" / file).string()};
    program.ProgramFiles().ButtonSaveProgramClick();
    ASSERT_TRUE(dialogs.Messages.empty()) << dialogs.Messages.front();

    EXPECT_EQ(Send("PROG:CLE;COUN?"), Lines{"0"});
    EXPECT_EQ(Send("PROG:LOAD \"" + file + "\";COUN?"), Lines{"2"});
    EXPECT_EQ(Errors(), Lines{});
    ASSERT_EQ(program.State().SegmentProgram.size(), 2U);
    EXPECT_EQ(program.State().SegmentProgram[0].StepName, saved[0].StepName);

    EXPECT_EQ(Send("PROG:LOAD \"gone.mixprog\""), Lines{});
    const Lines gone = Errors();
    ASSERT_EQ(gone.size(), 1U);
    EXPECT_EQ(gone.front().rfind("-256,\"File name not found;There is no program file", 0), 0U)
        << gone.front();
    EXPECT_EQ(program.State().SegmentProgram.size(), 2U);
    EXPECT_TRUE(dialogs.Messages.empty());
}

// The set-up from the start: the ports listed and selected as the operator leaves them, nothing
// validated; the client validates, selects both gases and confirms them.
class RemoteSetUpTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(sim.Started()) << sim.Error();
        ports.emplace(
            std::vector<std::string>{sim.Path(Sim::sdPump), sim.Path(Sim::sdMfcA), sim.Path(Sim::sdMfcB)});
        program.emplace(sim.Clock(), TestSupport::PlacesIn(folder), &dialogs);
        // A loaded test machine needs longer waits for the MFCs' replies than the devices' own.
        program->Setup().ValidationOptions().MFC.ReadoutTimeoutMS = 1000;
        SerialPortVogtlin::TMFCTiming& gasTiming = program->GasSelection().Timing();
        gasTiming.ReadoutTimeoutMS = 1000;
        gasTiming.Clock = &Base::SystemClock();
        gasTiming.AfterSelectionWrite = std::chrono::milliseconds(100);
        program->Startup();
        program->Form().show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&program->Form()));
        UnitMain::TSetupTab* page = program->Form().Setup;
        Select(*page->ListBoxPortPump, sim.Path(Sim::sdPump));
        Select(*page->ListBoxPortMFC1, sim.Path(Sim::sdMfcA));
        Select(*page->ListBoxPortMFC2, sim.Path(Sim::sdMfcB));
        instrument.emplace(*program);
        session.emplace(*instrument);
    }

    static void Select(Widgets::TListBox& list, const std::string& port) {
        const std::vector<std::string> items = list.Items();
        const auto it = std::find(items.begin(), items.end(), port);
        ASSERT_NE(it, items.end()) << port;
        list.SetItemIndex(static_cast<int>(it - items.begin()));
    }

    Lines Send(const std::string& line) { return session->Feed(line + "\n").Lines; }
    Lines Errors() {
        Lines errors;
        while (errors.size() < 20) {
            const Lines answer = Send("SYST:ERR?");
            if (answer.size() != 1 || answer.front() == "0,\"No error\"") {
                break;
            }
            errors.push_back(answer.front());
        }
        return errors;
    }
    void AllowRemoteConfirmation() {
        Settings::TProfileFile settings(program->Places().SettingsFile);
        std::string error;
        ASSERT_TRUE(settings.Load(error)) << error;
        settings.WriteInteger("Remote", "Confirm gases", 1);
        ASSERT_TRUE(settings.Save(error)) << error;
    }

    TestSupport::TSimHarness sim{TestSupport::ManualClock([](Sim::TSimConfig& config) {
        config.Pump.InitSeconds = 1.0;
        config.Pump.MoveTimeScale = 0.1;
    })};
    TestSupport::TTempFolder folder{"moistrel-remote-setup"};
    Base::TRecordingDialogs dialogs;
    std::optional<TestSupport::TScopedSerialPorts> ports;
    std::optional<App::TMoistrel> program;
    std::optional<App::TRemoteInstrument> instrument;
    std::optional<Remote::TRemoteSession> session;
};

TEST_F(RemoteSetUpTest, AClientValidatesSelectsAndConfirmsTheGasesOnlyWhereTheSettingsAllowIt) {
    EXPECT_EQ(Send("SYST:STAT?"), Lines{"0,\"Simulation\""});
    EXPECT_EQ(Send("SET:VAL"), Lines{});
    ASSERT_EQ(Errors(), Lines{}) << ::testing::PrintToString(
        program->Form().Setup->MemoSetupFeedback->Lines());
    EXPECT_TRUE(program->State().MFCADetails.Validated);
    EXPECT_TRUE(program->State().MFCBDetails.Validated);

    // Both gases on their devices; the confirmation is the operator's question, which the client
    // is not asked and cannot answer here: the mixer stays not ready.
    EXPECT_EQ(Send("SET:GAS:A \"O2\";:SET:GAS:B \"Ar\""), Lines{});
    EXPECT_EQ(Errors(), Lines{});
    EXPECT_EQ(sim.Sim().MfcState(Sim::sdMfcA).ActiveTable, program->State().MFCADetails.ActiveLUT);
    EXPECT_EQ(program->State().MixerState, UnitMain::msSimulation);
    EXPECT_EQ(Send("SET:GAS:CONF"), Lines{});
    const Lines off = Errors();
    ASSERT_EQ(off.size(), 1U);
    EXPECT_EQ(
        off.front().rfind("-221,\"Settings conflict;Confirming the gases from a remote client is off", 0),
        0U);
    EXPECT_EQ(program->State().MixerState, UnitMain::msSimulation);

    // With the setting, the client's confirmation makes the mixer ready, as the operator's Yes does.
    AllowRemoteConfirmation();
    EXPECT_EQ(Send("SET:GAS:CONF;:SYST:STAT?"), Lines{"1,\"Stopped\""});
    EXPECT_EQ(Errors(), Lines{});
    EXPECT_EQ(program->State().MixerState, UnitMain::msValidated);
    Settings::TProfileFile settings(program->Places().SettingsFile);
    std::string error;
    ASSERT_TRUE(settings.Load(error)) << error;
    EXPECT_NE(settings.Text().find("O2"), std::string::npos) << "the gas history records the confirmed gases";

    // No message box and no question ever reached the operator.
    EXPECT_TRUE(dialogs.Messages.empty()) << dialogs.Messages.front();
    EXPECT_TRUE(dialogs.Questions.empty()) << dialogs.Questions.front().Text;
}

TEST_F(RemoteSetUpTest, AValidationThatFindsNothingIsAnExecutionErrorWithTheFeedbacksLastWord) {
    Select(*program->Form().Setup->ListBoxPortMFC2, sim.Path(Sim::sdMfcA));
    EXPECT_EQ(Send("SET:VAL"), Lines{});
    EXPECT_EQ(Errors(),
              Lines{std::string("-200,\"Execution error;Validation did not find the pump and both MFCs. ") +
                    Setup::DifferentMFCPortsRefusal + "\""});
    EXPECT_EQ(program->State().MixerState, UnitMain::msSimulation);
    // Nothing validated, nothing to select.
    EXPECT_EQ(Send("SET:GAS:A \"O2\""), Lines{});
    const Lines none = Errors();
    ASSERT_EQ(none.size(), 1U);
    EXPECT_EQ(none.front().rfind("-224,\"Illegal parameter value;MFC A has no gas table", 0), 0U)
        << none.front();
    EXPECT_TRUE(dialogs.Messages.empty());
}

} // namespace
