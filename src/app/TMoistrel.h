#pragma once
// The whole program as one object: it builds the state, the seams, the window and every controller
// and wires them, here and nowhere else. No controller reaches another one; what one needs of
// another it gets here as a constructor dependency. main() makes one with the system clock;
// window tests make one with a manual clock and drive the real window.

#include "base/Clock.h"
#include "state/MoistrelState.h"
#include "ui/QtMainThread.h"

#include <memory>
#include <string>

namespace UnitMain {
class TDesignController;
class TFluidDesignController;
class TForm1;
class TPumpFinder;
class TSegmentController;
class TSettingsSaver;
} // namespace UnitMain

namespace App {

// What the start-up takes from outside the program.
struct TStartupOptions {
    int LoggingMode = 0; // Logging::lmOff, lmLive or lmFile
    std::string LogFolder;
};

class TMoistrel {
public:
    // Builds and wires everything; `clock` must outlive the program. The window is not shown.
    explicit TMoistrel(const Base::TClock& clock);
    ~TMoistrel();
    TMoistrel(const TMoistrel&) = delete;
    TMoistrel& operator=(const TMoistrel&) = delete;

    // The start-up sequence: the liquid, the diagnostic logging, the demonstration values, the
    // ranges and flows, the simulated ports, and the "Setup" page in front.
    void Startup(const TStartupOptions& options);

    UnitMain::TForm1& Form() { return *fForm; }
    UnitMain::TMoistrelState& State() { return fState; }
    UnitMain::TDesignController& Design() { return *fDesign; }
    UnitMain::TFluidDesignController& FluidDesign() { return *fFluidDesign; }
    UnitMain::TSegmentController& Segments() { return *fSegments; }

private:
    const Base::TClock& fClock;
    // The worker's way into the main thread, and the main thread's pause for its events.
    UnitMain::TQtMainThread fMainThread;
    UnitMain::TMoistrelState fState;
    std::unique_ptr<UnitMain::TForm1> fForm;
    // The seams of "Apply and save" that lie outside the window.
    std::unique_ptr<UnitMain::TSettingsSaver> fSettings;
    std::unique_ptr<UnitMain::TPumpFinder> fPumpFinder;
    // The controllers go before the window and the seams they use.
    std::unique_ptr<UnitMain::TDesignController> fDesign;
    std::unique_ptr<UnitMain::TFluidDesignController> fFluidDesign;
    std::unique_ptr<UnitMain::TSegmentController> fSegments;
};

} // namespace App
