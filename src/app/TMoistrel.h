#pragma once
// The whole program as one object: it builds the state, the seams, the window and every controller
// and wires them, here and nowhere else. No controller reaches another one; what one needs of
// another it gets here as a constructor dependency. main() makes one with the system clock;
// window tests make one with a manual clock and drive the real window.

#include "base/Clock.h"
#include "base/Dialogs.h"
#include "state/MoistrelState.h"
#include "ui/QtMainThread.h"

#include <memory>
#include <string>

namespace UnitMain {
class TDesignController;
class TFluidDesignController;
class TForm1;
class TGasFlowsUpdate;
class TGasSelectionController;
class TProgramFileController;
class TPumpFinder;
class TRunController;
class TSettingsController;
class TSetupController;
class TSegmentController;
class TTargetController;
} // namespace UnitMain

namespace App {

class TRemoteDialogs;

// Where the program keeps its files. The folder it was started from is none of them: an operator
// who starts it from a desktop icon or a terminal finds its files beside the program all the same.
struct TProgramPlaces {
    std::string SettingsFile;  // the program file's path with ".ini"
    std::string LogFolder;     // where the diagnostic log file goes: the program's folder
    std::string ProgramFolder; // its "Userdata" holds the recipes, the run files and the saved programs
};

// The places of the running program: all beside the program file.
TProgramPlaces ProgramPlaces();

class TMoistrel {
public:
    // Builds and wires everything; `clock` must outlive the program. The window is not shown.
    // `dialogs` are the message boxes the operations show (tests answer them from a script); none
    // means the window's own. When given, they must outlive the program.
    TMoistrel(const Base::TClock& clock, TProgramPlaces places, Base::TDialogs* dialogs = nullptr);
    ~TMoistrel();
    TMoistrel(const TMoistrel&) = delete;
    TMoistrel& operator=(const TMoistrel&) = delete;

    // The start-up sequence: the ports, the settings file, the diagnostic logging, the saved
    // ports selected, the demonstration values, the ranges and flows, the "Setup" page in front,
    // the simulated instruments and the "Userdata" folder beside the program.
    void Startup();

    UnitMain::TForm1& Form() { return *fForm; }
    Base::TDialogs& Dialogs() { return *fDialogs; }
    // The dialogs every operation is given: the operator's, except inside a remote call.
    TRemoteDialogs& RemoteDialogs() { return *fRemoteDialogs; }
    UnitMain::TMoistrelState& State() { return fState; }
    UnitMain::TDesignController& Design() { return *fDesign; }
    UnitMain::TFluidDesignController& FluidDesign() { return *fFluidDesign; }
    UnitMain::TSettingsController& Settings() { return *fSettings; }
    UnitMain::TSetupController& Setup() { return *fSetup; }
    const TProgramPlaces& Places() const { return fPlaces; }
    const Base::TClock& Clock() const { return fClock; }
    UnitMain::TSegmentController& Segments() { return *fSegments; }
    UnitMain::TTargetController& Targets() { return *fTargets; }
    UnitMain::TProgramFileController& ProgramFiles() { return *fProgramFiles; }
    UnitMain::TGasSelectionController& GasSelection() { return *fGasSelection; }
    UnitMain::TRunController& Run() { return *fRun; }

private:
    const Base::TClock& fClock;
    TProgramPlaces fPlaces;
    // The worker's way into the main thread, and the main thread's pause for its events.
    UnitMain::TQtMainThread fMainThread;
    UnitMain::TMoistrelState fState;
    std::unique_ptr<UnitMain::TForm1> fForm;
    Base::TDialogs* fDialogs = nullptr;
    std::unique_ptr<TRemoteDialogs> fRemoteDialogs;
    // The settings file, and the pump detection of "Apply and save".
    std::unique_ptr<UnitMain::TSettingsController> fSettings;
    std::unique_ptr<UnitMain::TPumpFinder> fPumpFinder;
    // The controllers go before the window and the seams they use.
    std::unique_ptr<UnitMain::TDesignController> fDesign;
    std::unique_ptr<UnitMain::TFluidDesignController> fFluidDesign;
    std::unique_ptr<UnitMain::TSegmentController> fSegments;
    // The "Target" box: it fills the design fields, and appends sequences through fSegments.
    std::unique_ptr<UnitMain::TTargetController> fTargets;
    // "Save program..." and "Load program...": they fill the segment list through fSegments.
    std::unique_ptr<UnitMain::TProgramFileController> fProgramFiles;
    // The run: the tick, Start and Stop, the worker and the safe stop.
    std::unique_ptr<UnitMain::TRunController> fRun;
    // Validation empties the segment program (through fSegments), saves the settings and ends with
    // the stop of the instruments (through fRun).
    std::unique_ptr<UnitMain::TSetupController> fSetup;
    // The gas lists: the flows follow the new gases through this.
    std::unique_ptr<UnitMain::TGasFlowsUpdate> fGasFlows;
    std::unique_ptr<UnitMain::TGasSelectionController> fGasSelection;
};

} // namespace App
