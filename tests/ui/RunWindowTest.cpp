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
#include "ui/controllers/TRunController.h"
#include "ui/controllers/TSegmentController.h"
#include "ui/tabs/TFlowsTab.h"
#include "ui/tabs/TMixtureOperationTab.h"
#include "ui/tabs/TSetupTab.h"
#include "ui/tabs/TTargetBox.h"
#include "ui/widgets/TFlowChart.h"
#include "ui/widgets/TLedCaption.h"
#include "ui/widgets/TListBox.h"
#include "ui/widgets/TStatusPanels.h"
#include "ui/widgets/TTabbedListBox.h"

#include <QApplication>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>
#include <string>

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
