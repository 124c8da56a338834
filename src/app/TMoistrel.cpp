#include "app/TMoistrel.h"

#include "app/TRemoteDialogs.h"
#include "base/Paths.h"
#include "logging/DiagnosticLogger.h"
#include "logging/LoggingSetup.h"
#include "pump/PumpProtocol.h"
#include "ui/TForm1.h"
#include "ui/controllers/TApplyAndSaveSteps.h"
#include "ui/controllers/TDesignController.h"
#include "ui/controllers/TFluidDesignController.h"
#include "ui/controllers/TGasFlowsUpdate.h"
#include "ui/controllers/TGasSelectionController.h"
#include "ui/controllers/TProgramFileController.h"
#include "ui/controllers/TRunController.h"
#include "ui/controllers/TSegmentController.h"
#include "ui/controllers/TSettingsController.h"
#include "ui/controllers/TSetupController.h"
#include "ui/controllers/TTargetController.h"
#include "ui/tabs/TMixtureOperationTab.h"
#include "ui/tabs/TSetupTab.h"
#include "ui/widgets/TMemoPane.h"
#include "ui/widgets/TStatusPanels.h"

#include <QTabWidget>
#include <filesystem>

namespace App {

namespace {

// Pump detection on a port, reporting to the set-up feedback pane. The window keeps repainting
// between the status polls, which run on the program's clock.
class TPumpOnPort : public UnitMain::TPumpFinder {
public:
    TPumpOnPort(Base::TTextPane& feedback, const Base::TClock& clock, Base::TMainThread& mainThread)
        : fFeedback(feedback) {
        fOptions.Clock = &clock;
        fOptions.MainThread = &mainThread;
    }
    bool PumpFindInit(const std::string& port) override {
        return UnitMain::PumpFindInit(port, fFeedback, fOptions);
    }

private:
    Base::TTextPane& fFeedback;
    UnitMain::TPumpFindInitOptions fOptions;
};

// The A and B flows brought into the ranges of newly selected gases.
class TGasFlowsOnDesign : public UnitMain::TGasFlowsUpdate {
public:
    explicit TGasFlowsOnDesign(UnitMain::TDesignController& design) : fDesign(design) {}
    void GasRangesChanged() override {
        fDesign.FlowUpdateY1(true);
        fDesign.FlowUpdateY2(true);
    }

private:
    UnitMain::TDesignController& fDesign;
};

} // namespace

TProgramPlaces ProgramPlaces() {
    TProgramPlaces places;
    places.SettingsFile = std::filesystem::path(Base::ProgramFilePath()).replace_extension(".ini").string();
    places.LogFolder = Base::ProgramFolder();
    places.ProgramFolder = Base::ProgramFolder();
    return places;
}

TMoistrel::TMoistrel(const Base::TClock& clock, TProgramPlaces places, Base::TDialogs* dialogs)
    : fClock(clock), fPlaces(std::move(places)) {
    fForm = std::make_unique<UnitMain::TForm1>(fClock);
    fDialogs = dialogs != nullptr ? dialogs : &fForm->Dialogs();
    fRemoteDialogs = std::make_unique<TRemoteDialogs>(*fDialogs);
    fSettings = std::make_unique<UnitMain::TSettingsController>(*fForm, fState, *fRemoteDialogs,
                                                                fPlaces.SettingsFile, fPlaces.LogFolder);
    fPumpFinder = std::make_unique<TPumpOnPort>(*fForm->Setup->MemoSetupFeedback, fClock, fMainThread);
    fDesign = std::make_unique<UnitMain::TDesignController>(*fForm, fState);
    fFluidDesign = std::make_unique<UnitMain::TFluidDesignController>(*fForm, fState, *fDesign, *fSettings,
                                                                      *fPumpFinder);
    fSegments = std::make_unique<UnitMain::TSegmentController>(*fForm, fState, *fDesign);
    fTargets = std::make_unique<UnitMain::TTargetController>(*fForm, fState, *fDesign, *fSegments);
    fProgramFiles = std::make_unique<UnitMain::TProgramFileController>(
        *fForm, fState, *fRemoteDialogs, *fDesign, *fSegments,
        (std::filesystem::path(fPlaces.ProgramFolder) / "Userdata").string());
    fRun = std::make_unique<UnitMain::TRunController>(*fForm, [this](UnitMain::TRunWindow& window) {
        return std::make_unique<UnitMain::TRunControl>(
            fState, window, *fForm->MemoLog, *fForm->Setup->MemoSetupFeedback, *fRemoteDialogs, fMainThread,
            fClock, UnitMain::TRunPlaces{fPlaces.ProgramFolder});
    });
    // Validation ends with the run's verified stop of the instruments it found.
    fSetup = std::make_unique<UnitMain::TSetupController>(*fForm, fState, *fSegments, *fSettings, fMainThread,
                                                          fClock, fRun->Run());
    fGasFlows = std::make_unique<TGasFlowsOnDesign>(*fDesign);
    SerialPortVogtlin::TMFCTiming gasTiming;
    gasTiming.Clock = &fClock;
    fGasSelection = std::make_unique<UnitMain::TGasSelectionController>(*fForm, fState, *fRemoteDialogs,
                                                                        fPlaces.SettingsFile, *fSegments,
                                                                        *fGasFlows, fRun->Run(), gasTiming);
    fForm->SetOnClose([] { Logging::Logger().CloseDispatcher(); });
}

TMoistrel::~TMoistrel() = default;

void TMoistrel::Startup() {
    // The window's caption is set when it is made. Timer1 runs from the construction, but no tick
    // comes before the event loop does, and the run state starts with no tick in progress.
    fState.Run.TickDone = true;
    fState.SegmentProgram.clear();
    fSetup->ButtonSetupFindPortsClick();
    // Loading sets water and writes the file on a first start, and may turn logging off.
    fSettings->INILoad(*fFluidDesign);
    for (int panel = 0; panel <= 3; ++panel) {
        fForm->Operation->StatusBar1->SetPanelText(panel, "");
    }
    Logging::SetupDiagnosticLogging(fState.Settings.LoggingMode, fClock.Now(), fPlaces.LogFolder);
    UnitMain::TSetupTab* setup = fForm->Setup;
    UnitMain::TSettingsController::SetListBox(fState.Settings.SavedPumpPort, *setup->ListBoxPortPump);
    UnitMain::TSettingsController::SetListBox(fState.Settings.SavedMFCAPort, *setup->ListBoxPortMFC1);
    UnitMain::TSettingsController::SetListBox(fState.Settings.SavedMFCBPort, *setup->ListBoxPortMFC2);
    // The demonstration values, the ranges and flows as if typed, and "SIM" as the instruments'
    // ports (named first, so that the first design panel already shows them).
    fDesign->Startup();
    fTargets->ShowConditions();
    fForm->PageControl1->setCurrentIndex(UnitMain::TForm1::pgSetup);
    // The recipes of the runs go here, beside the program (never into the folder it was started
    // from). An existing folder, or one that cannot be made, is no matter now: the recipe's own
    // save makes sure of its folder and says when it cannot.
    std::error_code ignored;
    std::filesystem::create_directory(std::filesystem::path(fPlaces.ProgramFolder) / "Userdata", ignored);
}

} // namespace App
