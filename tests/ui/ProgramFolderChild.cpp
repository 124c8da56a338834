// The program composed as main() composes it, with the places of the running program file, and one
// short run on the virtual instruments through the real window: the program folder test starts it
// from a folder of its own and another working folder. It ends by itself once the safe stop has
// ended; the exit code is 0 when the run started and ended "Stopped".

#include "app/TMoistrel.h"
#include "base/FormatSettings.h"
#include "base/RecordingDialogs.h"
#include "state/MoistrelState.h"
#include "support/DesignStates.h"
#include "support/SimHarness.h"
#include "ui/TForm1.h"
#include "ui/controllers/TSegmentController.h"
#include "ui/tabs/TMixtureOperationTab.h"

#include <QApplication>
#include <QPushButton>
#include <QTest>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

int RunOnce() {
    TestSupport::TSimHarness sim{TestSupport::ManualClock()};
    if (!sim.Started()) {
        std::fprintf(stderr, "the virtual instruments did not start: %s\n", sim.Error().c_str());
        return 2;
    }
    Base::TRecordingDialogs dialogs;
    App::TMoistrel program(sim.Clock(), App::ProgramPlaces(), &dialogs);
    program.Startup();
    program.Form().show();
    UnitMain::TMoistrelState& state = program.State();
    TestSupport::ValidatedOnPorts(state, sim.Path(Sim::sdPump), sim.Path(Sim::sdMfcA), sim.Path(Sim::sdMfcB));
    // 0.0005 h: 1.8 s of instrument time.
    state.SegmentProgram = {
        TestSupport::Segment("beside", 0.0005, {TestSupport::Flow(0, 0.02F), TestSupport::Flow(1, 0.05F)})};
    program.Segments().ShowStepProgram();
    QTest::mouseClick(program.Form().Operation->ButtonApply, Qt::LeftButton);
    const bool started = state.MixerState == UnitMain::msRunning;
    const bool stopped =
        started && QTest::qWaitFor([&state] { return state.MixerState == UnitMain::msValidated; }, 120000);
    for (const std::string& message : dialogs.Messages) {
        std::fprintf(stderr, "message: %s\n", message.c_str());
    }
    std::printf("started %d, stopped %d\n", started ? 1 : 0, stopped ? 1 : 0);
    return stopped ? 0 : 1;
}

} // namespace

int main(int argc, char** argv) {
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication application(argc, argv);
    Base::SetFormatSettings(Base::TFormatSettings{});
    const int result = RunOnce();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    return result;
}
