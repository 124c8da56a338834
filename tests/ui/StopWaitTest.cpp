// The safe stop's wait for the worker through the real window, against the virtual instruments on
// their manual clock: a click that arrives while the stop waits (posted the moment the pump receives
// its stop line) is not handled until the stop has ended, so it cannot open a box, or run anything,
// while gas may still flow.

#include "app/TMoistrel.h"
#include "base/Dialogs.h"
#include "sim/Simulator.h"
#include "state/MoistrelState.h"
#include "support/DesignStates.h"
#include "support/ProgramPlaces.h"
#include "support/SimHarness.h"
#include "support/TempFolder.h"
#include "ui/TForm1.h"
#include "ui/controllers/TRunController.h"
#include "ui/controllers/TSegmentController.h"
#include "ui/tabs/TMixtureOperationTab.h"
#include "ui/widgets/TLedCaption.h"

#include <QApplication>
#include <QMouseEvent>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <atomic>
#include <gtest/gtest.h>
#include <mutex>
#include <string>
#include <vector>

namespace {

using TestSupport::Flow;
using TestSupport::Segment;

// The operator's boxes, each noted with the mixer's state when it was opened; no box waits.
class TStateNotingDialogs final : public Base::TDialogs {
public:
    explicit TStateNotingDialogs(const UnitMain::TMoistrelState* const& state) : fState(state) {}
    void ShowMessage(const std::string& text) override { Note(text); }
    bool AskYesNo(const std::string& title, const std::string& text) override {
        Note(title + ": " + text);
        return false;
    }
    std::optional<std::string> AskOpenFileName(const std::string& title, const std::string&,
                                               const std::string&) override {
        Note(title);
        return std::nullopt;
    }
    std::optional<std::string> AskSaveFileName(const std::string& title, const std::string&,
                                               const std::string&) override {
        Note(title);
        return std::nullopt;
    }
    struct TBox {
        std::string Text;
        int State;
    };
    std::vector<TBox> Boxes;

private:
    void Note(const std::string& text) {
        Boxes.push_back({text, fState != nullptr ? static_cast<int>(fState->MixerState) : -1});
    }
    const UnitMain::TMoistrelState* const& fState;
};

// Notes the mixer's state whenever a button receives a mouse release, before the button acts on it.
class TClickNoter final : public QObject {
public:
    TClickNoter(const UnitMain::TMoistrelState& state) : fState(state) {}
    std::vector<int> States;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::MouseButtonRelease) {
            States.push_back(static_cast<int>(fState.MixerState));
        }
        return QObject::eventFilter(watched, event);
    }

private:
    const UnitMain::TMoistrelState& fState;
};

void PostClick(QPushButton* button) {
    const QPointF at(button->width() / 2.0, button->height() / 2.0);
    const QPointF global = button->mapToGlobal(at);
    QCoreApplication::postEvent(button, new QMouseEvent(QEvent::MouseButtonPress, at, global, Qt::LeftButton,
                                                        Qt::LeftButton, Qt::NoModifier));
    QCoreApplication::postEvent(button, new QMouseEvent(QEvent::MouseButtonRelease, at, global,
                                                        Qt::LeftButton, Qt::NoButton, Qt::NoModifier));
}

enum TButton { bStart, bStop, bSaveProgram };

class StopWait : public testing::TestWithParam<TButton> {
protected:
    void SetUp() override {
        ASSERT_TRUE(sim.Started()) << sim.Error();
        program.Startup();
        statePointer = &program.State();
        program.Form().show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&program.Form()));
        UnitMain::TMoistrelState& s = program.State();
        TestSupport::ValidatedOnPorts(s, sim.Path(Sim::sdPump), sim.Path(Sim::sdMfcA), sim.Path(Sim::sdMfcB));
        s.SegmentProgram = {Segment("long", 1.0, {Flow(0, 0.02F), Flow(1, 0.05F)})};
        program.Segments().ShowStepProgram();
    }
    void TearDown() override { sim.Sim().SetTrace({}); }

    UnitMain::TMixtureOperationTab* op() { return program.Form().Operation; }
    UnitMain::TMoistrelState& state() { return program.State(); }
    bool WaitFor(const std::function<bool()>& done) { return QTest::qWaitFor(done, 60000); }
    QPushButton* Button(TButton which) {
        switch (which) {
        case bStart:
            return op()->ButtonApply;
        case bStop:
            return op()->ButtonStop;
        default:
            return op()->ButtonSaveProgram;
        }
    }

    TestSupport::TSimHarness sim{TestSupport::ManualClock()};
    TestSupport::TTempFolder folder{"moistrel-stop-wait"};
    const UnitMain::TMoistrelState* statePointer = nullptr;
    TStateNotingDialogs dialogs{statePointer};
    App::TMoistrel program{sim.Clock(), TestSupport::PlacesIn(folder), &dialogs};
};

TEST_P(StopWait, AClickWhileTheStopWaitsForTheWorkerIsHandledOnlyAfterTheStop) {
    QPushButton* button = Button(GetParam());
    TClickNoter noter(state());
    button->installEventFilter(&noter);
    QTest::mouseClick(op()->ButtonApply, Qt::LeftButton);
    ASSERT_EQ(state().MixerState, UnitMain::msRunning);
    ASSERT_TRUE(
        WaitFor([this] { return op()->RzLEDDisplay1->Caption().rfind("Operating, step: 1/1", 0) == 0; }));
    noter.States.clear();
    dialogs.Boxes.clear();

    // The click arrives while the stop is under way: when the pump receives the stop line, before
    // the stop goes on to wait for the worker.
    std::atomic<bool> posted{false};
    QPointer<QPushButton> target(button);
    sim.Sim().SetTrace([&posted, target](const std::string& line) {
        if (line.rfind("pump <- /1TIR", 0) == 0 && !posted.exchange(true) && target) {
            PostClick(target.data());
        }
    });
    QTest::mouseClick(op()->ButtonStop, Qt::LeftButton);
    noter.States.clear(); // the Stop button's own click above
    ASSERT_TRUE(WaitFor([&] { return posted.load() && !noter.States.empty(); }));
    sim.Sim().SetTrace({});
    // The click was handled, after the stop: never in state 3.
    for (const int at : noter.States) {
        EXPECT_NE(at, UnitMain::msStopping) << "the click was handled while the stop waited";
    }
    for (const TStateNotingDialogs::TBox& box : dialogs.Boxes) {
        EXPECT_NE(box.State, UnitMain::msStopping) << "a box opened during the stop: " << box.Text;
    }
    EXPECT_NE(state().MixerState, UnitMain::msCannotStop);
    // Whatever the click started ends stopped.
    ASSERT_TRUE(WaitFor([this] { return state().MixerState != UnitMain::msStopping; }));
    if (state().MixerState == UnitMain::msRunning) {
        QTest::mouseClick(op()->ButtonStop, Qt::LeftButton);
    }
    ASSERT_TRUE(WaitFor([this] { return state().MixerState == UnitMain::msValidated; }));
    if (GetParam() == bSaveProgram) {
        ASSERT_EQ(dialogs.Boxes.size(), 1U);
        EXPECT_EQ(dialogs.Boxes[0].Text, "Save program");
    }
}

INSTANTIATE_TEST_SUITE_P(Buttons, StopWait, testing::Values(bStart, bStop, bSaveProgram),
                         [](const testing::TestParamInfo<TButton>& param) {
                             switch (param.param) {
                             case bStart:
                                 return std::string("Start");
                             case bStop:
                                 return std::string("Stop");
                             default:
                                 return std::string("SaveProgram");
                             }
                         });

} // namespace
