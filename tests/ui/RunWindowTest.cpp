// A run through the real window against the virtual instruments, on their manual clock: Start and
// Stop pressed with the mouse, Timer1 ticking in the event loop, the worker's exchanges arriving
// through the window's main-thread seam; the LED caption, the status bar, the chart, the pages and
// buttons, the window's caption and the close refused while the mixer runs.

#include "app/TMoistrel.h"
#include "base/RecordingDialogs.h"
#include "sim/SimFault.h"
#include "state/MoistrelState.h"
#include "support/DesignStates.h"
#include "support/ProgramPlaces.h"
#include "support/SimHarness.h"
#include "support/TempFolder.h"
#include "ui/TForm1.h"
#include "ui/controllers/TDesignController.h"
#include "ui/controllers/TRunController.h"
#include "ui/controllers/TSegmentController.h"
#include "ui/tabs/TFlowsTab.h"
#include "ui/tabs/TMixtureOperationTab.h"
#include "ui/tabs/TSetupTab.h"
#include "ui/tabs/TTargetBox.h"
#include "ui/widgets/TFlowChart.h"
#include "ui/widgets/TLedCaption.h"
#include "ui/widgets/TListBox.h"
#include "ui/widgets/TMemoPane.h"
#include "ui/widgets/TStatusPanels.h"
#include "ui/widgets/TTabbedListBox.h"

#include <QApplication>
#include <QPushButton>
#include <QTest>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>
#include <string>
#include <vector>

namespace {

using GasMixtures::TGasItem;
using TestSupport::Flow;
using TestSupport::Segment;
using UnitMain::TForm1;

class RunWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(sim.Started()) << sim.Error();
        program.Startup();
        form().show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&form()));
        // The mixer as validation and gas selection leave it: instruments on the virtual ports.
        UnitMain::TMoistrelState& s = program.State();
        TestSupport::ValidatedOnPorts(s, sim.Path(Sim::sdPump), sim.Path(Sim::sdMfcA), sim.Path(Sim::sdMfcB));
        // 0.0002 h: 0.72 s of instrument time, which the worker's pauses pass in a few passes.
        s.SegmentProgram = {Segment("first", 0.0002, {Flow(0, 0.02F), Flow(1, 0.05F)}),
                            Segment("second", 0.0002, {Flow(0, 0.0002F, 0.2F), Flow(1, 0.03F)})};
        program.Segments().ShowStepProgram();
    }

    std::string Led() { return form().Operation->RzLEDDisplay1->Caption(); }
    std::string Panel(int index) { return form().Operation->StatusBar1->PanelText(index); }
    bool WaitFor(const std::function<bool()>& done) { return QTest::qWaitFor(done, 60000); }

    TForm1& form() { return program.Form(); }
    UnitMain::TMixtureOperationTab* op() { return form().Operation; }
    UnitMain::TMoistrelState& state() { return program.State(); }

    TestSupport::TSimHarness sim{TestSupport::ManualClock()};
    TestSupport::TTempFolder folder{"moistrel-run"};
    Base::TRecordingDialogs dialogs;
    App::TMoistrel program{sim.Clock(), TestSupport::PlacesIn(folder), &dialogs};
};

TEST_F(RunWindowTest, AProgramRunsToItsEndThenARestartIsStoppedByTheButton) {
    QTest::mouseClick(op()->ButtonApply, Qt::LeftButton);
    ASSERT_EQ(state().MixerState, UnitMain::msRunning)
        << (dialogs.Messages.empty() ? "" : dialogs.Messages[0]);
    EXPECT_FALSE(form().TabSheetSetup->isEnabled());
    EXPECT_FALSE(form().TabSheetPumpAndFluid->isEnabled());
    EXPECT_FALSE(form().TabSheetDebug->isEnabled());
    EXPECT_FALSE(op()->ButtonAddStep->isEnabled());
    EXPECT_FALSE(op()->ButtonSegmentDelete->isEnabled());
    EXPECT_FALSE(op()->GroupBoxTarget->ButtonTargetSequence->isEnabled());

    ASSERT_TRUE(WaitFor([this] { return Led().rfind("Operating, step: 1/2, time left:", 0) == 0; })) << Led();
    ASSERT_TRUE(WaitFor([this] { return Panel(0).rfind("Gas A flow: ", 0) == 0; }));
    EXPECT_EQ(Panel(3).rfind("Gas B flow: ", 0), 0U) << Panel(3);
    EXPECT_GT(form().Flows->Chart1->PointCount(1), 0);

    // Closing while the mixer runs is refused with the reason.
    form().close();
    EXPECT_TRUE(form().isVisible());
    ASSERT_FALSE(dialogs.Messages.empty());
    EXPECT_EQ(dialogs.Messages.back(), "Stop the mixture first");

    ASSERT_TRUE(WaitFor([this] { return state().MixerState == UnitMain::msValidated; }));
    EXPECT_EQ(Led(), "Stopped");
    ASSERT_TRUE(WaitFor([this] { return form().TabSheetSetup->isEnabled(); }));
    EXPECT_FALSE(op()->ButtonAddStep->isEnabled()) << "only Stop gives the segment buttons back";
    EXPECT_FALSE(op()->GroupBoxTarget->ButtonTargetSequence->isEnabled());
    EXPECT_EQ(form().windowTitle(), QStringLiteral("Moistrel"));

    // Again, stopped by the operator this time.
    QTest::mouseClick(op()->ButtonApply, Qt::LeftButton);
    ASSERT_EQ(state().MixerState, UnitMain::msRunning);
    ASSERT_TRUE(WaitFor([this] { return Led().rfind("Operating, step: 1/2", 0) == 0; })) << Led();
    QTest::mouseClick(op()->ButtonStop, Qt::LeftButton);
    EXPECT_TRUE(op()->ButtonAddStep->isEnabled());
    EXPECT_TRUE(op()->GroupBoxTarget->ButtonTargetSequence->isEnabled());
    ASSERT_TRUE(WaitFor([this] { return state().MixerState == UnitMain::msValidated; }));
    EXPECT_EQ(Led(), "Stopped");
    EXPECT_EQ(sim.Sim().MfcState(Sim::sdMfcA).SetPoint, 0.0F);
    EXPECT_EQ(sim.Sim().MfcState(Sim::sdMfcB).SetPoint, 0.0F);
    EXPECT_EQ(program.Run().Run().MFCThread(), nullptr);
}

// The run data file's last line as the run left it: the set-points what was commanded at the stop.
std::vector<std::string> LastDataFields(const std::string& userdata) {
    std::filesystem::path newest;
    for (const auto& entry : std::filesystem::directory_iterator(userdata)) {
        const std::string name = entry.path().filename().string();
        if (name.rfind("Run ", 0) == 0 && entry.path().extension() == ".csv" &&
            (newest.empty() || name > newest.filename().string())) {
            newest = entry.path();
        }
    }
    std::ifstream file(newest);
    std::string line;
    std::string last;
    while (std::getline(file, line)) {
        if (!line.empty()) {
            last = line;
        }
    }
    std::vector<std::string> fields;
    std::stringstream split(last);
    for (std::string field; std::getline(split, field, ',');) {
        fields.push_back(field);
    }
    return fields;
}

TEST_F(RunWindowTest, TheDataFileEndsWithTheStopsSetPointsAfterTheEndAndAfterStop) {
    const std::string userdata = folder.File("Userdata");
    // Time, elapsed, state, segment, name, A set-point (5), ..., B set-point (9), ..., pump command (11).
    const auto expectStopped = [&](const char* how) {
        const std::vector<std::string> fields = LastDataFields(userdata);
        ASSERT_GE(fields.size(), 12U) << how;
        EXPECT_EQ(fields[5], "0.000000") << how;
        EXPECT_EQ(fields[9], "0.000000") << how;
        EXPECT_EQ(fields[11], "/1TIR") << how;
    };
    QTest::mouseClick(op()->ButtonApply, Qt::LeftButton);
    ASSERT_EQ(state().MixerState, UnitMain::msRunning);
    ASSERT_TRUE(WaitFor([this] { return state().MixerState == UnitMain::msValidated; }));
    expectStopped("at the program's end");

    QTest::mouseClick(op()->ButtonStop, Qt::LeftButton); // gives the segment buttons back
    ASSERT_TRUE(WaitFor([this] { return state().MixerState == UnitMain::msValidated; }));
    QTest::mouseClick(op()->ButtonApply, Qt::LeftButton);
    ASSERT_EQ(state().MixerState, UnitMain::msRunning);
    ASSERT_TRUE(WaitFor([this] { return Led().rfind("Operating, step: 1/2", 0) == 0; })) << Led();
    // The running segment's set-points are in the file before the stop.
    ASSERT_TRUE(WaitFor([&] {
        const std::vector<std::string> fields = LastDataFields(userdata);
        return fields.size() > 9 && fields[9] == "0.050000";
    }));
    QTest::mouseClick(op()->ButtonStop, Qt::LeftButton);
    ASSERT_TRUE(WaitFor([this] { return state().MixerState == UnitMain::msValidated; }));
    expectStopped("after Stop");
}

// The design panel's machine recipe names the instruments by their ports' last path part, whole, so
// that two adapters under /dev/serial/by-id never print alike.
TEST_F(RunWindowTest, TheMachineRecipeNamesLongPortsByTheirWholeLastPart) {
    const std::string byId = folder.File("dev/serial/by-id");
    std::filesystem::create_directories(byId);
    const std::string portA = byId + "/usb-FTDI_FT232R_USB_UART_A10KQ7ZP-if00-port0";
    const std::string portB = byId + "/usb-FTDI_FT232R_USB_UART_A10KQ7ZQ-if00-port0";
    std::filesystem::create_symlink(sim.Path(Sim::sdMfcA), portA);
    std::filesystem::create_symlink(sim.Path(Sim::sdMfcB), portB);
    TestSupport::ValidatedOnPorts(program.State(), sim.Path(Sim::sdPump), portA, portB);
    program.Design().ShowMixture2();
    const std::string recipe = form().Operation->Memo1->Text();
    EXPECT_NE(recipe.find("  usb-FTDI_FT232R_USB_UART_A10KQ7ZP-if00-port0:0:"), std::string::npos) << recipe;
    EXPECT_NE(recipe.find("  usb-FTDI_FT232R_USB_UART_A10KQ7ZQ-if00-port0:1:"), std::string::npos) << recipe;
}

TEST_F(RunWindowTest, AStopThatCannotBeConfirmedSaysSoInTheWindowsCaption) {
    std::string error;
    ASSERT_TRUE(sim.Sim().SetFault(Sim::sdMfcB, Sim::sfUnplugged, true, error)) << error;
    QTest::mouseClick(op()->ButtonStop, Qt::LeftButton);
    ASSERT_TRUE(WaitFor([this] { return state().MixerState == UnitMain::msCannotStop; }));
    const QString warning =
        QStringLiteral("Could not stop flow! Manually power off the mixer to ensure flow is stopped!");
    EXPECT_EQ(form().windowTitle(), warning);
    ASSERT_TRUE(WaitFor([this] { return Led() == "Cannot stop flow. Manually power off the mixer."; }));
    form().close();
    EXPECT_TRUE(form().isVisible());

    ASSERT_TRUE(sim.Sim().SetFault(Sim::sdMfcB, Sim::sfUnplugged, false, error)) << error;
    QTest::mouseClick(op()->ButtonStop, Qt::LeftButton);
    ASSERT_TRUE(WaitFor([this] { return state().MixerState == UnitMain::msValidated; }));
    EXPECT_EQ(form().windowTitle(), QStringLiteral("Moistrel"));
}

} // namespace
