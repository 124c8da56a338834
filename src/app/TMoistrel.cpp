#include "app/TMoistrel.h"

#include "logging/DiagnosticLogger.h"
#include "logging/LoggingSetup.h"
#include "pump/PumpProtocol.h"
#include "ui/TForm1.h"
#include "ui/controllers/TApplyAndSaveSteps.h"
#include "ui/controllers/TDesignController.h"
#include "ui/controllers/TFluidDesignController.h"
#include "ui/controllers/TSegmentController.h"
#include "ui/tabs/TSetupTab.h"
#include "ui/widgets/TMemoPane.h"

#include <QTabWidget>

namespace App {

namespace {

// The settings file comes with its own work; until then "Apply and save" applies without saving.
class TNoSettingsFile : public UnitMain::TSettingsSaver {
public:
    void SaveSettings() override {}
};

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

} // namespace

TMoistrel::TMoistrel(const Base::TClock& clock) : fClock(clock) {
    fForm = std::make_unique<UnitMain::TForm1>(fClock);
    fSettings = std::make_unique<TNoSettingsFile>();
    fPumpFinder = std::make_unique<TPumpOnPort>(*fForm->Setup->MemoSetupFeedback, fClock, fMainThread);
    fDesign = std::make_unique<UnitMain::TDesignController>(*fForm, fState);
    fFluidDesign = std::make_unique<UnitMain::TFluidDesignController>(*fForm, fState, *fDesign, *fSettings,
                                                                      *fPumpFinder);
    fSegments = std::make_unique<UnitMain::TSegmentController>(*fForm, fState, *fDesign);
    fForm->SetOnClose([] { Logging::Logger().CloseDispatcher(); });
    // The run control connects its tick here when it arrives:
    //     fForm->ConnectTick([this] { fRun->Timer1Timer(); });
    // Until then Timer1 stays stopped, so nothing ticks into nothing.
}

TMoistrel::~TMoistrel() = default;

void TMoistrel::Startup(const TStartupOptions& options) {
    // The designed liquid as a first start without settings leaves it: pure water, on the pump.
    fFluidDesign->StartWithWater();
    Logging::SetupDiagnosticLogging(options.LoggingMode, fClock.Now(), options.LogFolder);
    fDesign->Startup();
    fForm->PageControl1->setCurrentIndex(UnitMain::TForm1::pgSetup);
}

} // namespace App
