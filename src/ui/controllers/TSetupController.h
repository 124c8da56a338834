#pragma once
// Joins the "Setup" page to the instrument set-up: finding the ports, touching a port list,
// "Validate"; and the pump's service tools on the debug page (the serial debug tool and priming).
// The gas selection joins it later.

#include "base/Clock.h"
#include "base/MainThread.h"
#include "run/InstrumentStop.h"
#include "setup/InstrumentValidation.h"
#include "state/MoistrelState.h"
#include "ui/controllers/TApplyAndSaveSteps.h"
#include "ui/controllers/TStepProgramClear.h"

#include <QObject>

namespace UnitMain {

class TForm1;

class TSetupController : public QObject {
public:
    // Connects the handlers. `stepProgram` empties the segment program before a validation,
    // `settings` stores the ports after one that found both MFCs, `mainThread` lets the window
    // repaint while the pump initialises, `stop` stops the instruments found at the end of a
    // validation; all of them must outlive the controller.
    TSetupController(TForm1& form, TMoistrelState& state, TStepProgramClear& stepProgram,
                     TSettingsSaver& settings, Base::TMainThread& mainThread, const Base::TClock& clock,
                     TInstrumentStop& stop, QObject* parent = nullptr);

    // "Find ports": the three port lists get the machine's ports afresh (no selection) and the
    // three "Feedback" check boxes are cleared. The operating state stays as it is.
    void ButtonSetupFindPortsClick();

    // Any click, double click or key release on a port list, and any change of its selection
    // (a drag, a click below the rows, a key), withdraws what validation found on it: the mixer
    // is not validated any more and the list's "found" box is cleared.
    void ListBoxPortPumpClick();
    void ListBoxPortMFC1Click();

    // "Validate": finds the pump and both MFCs on the selected ports, reports in the feedback pane,
    // fills the gas lists and the "found" boxes and, when both MFCs answered, saves the ports.
    // It ends by stopping every instrument found and reading the stop back, so that nothing left
    // dosing from before goes on unseen; the mixer can be made ready only when all of them
    // confirmed it. The window is busy (disabled) throughout and usable again on every way out.
    void ButtonSetupValidateClick();

    // The debug page's serial tool: sends the "Send" text to the "Port" and logs the answer.
    void ButtonDebugCOMSendClick();
    // Pump priming, slow and fast; only in state 1 (validated and stopped), on the port where the
    // pump was validated.
    void ButtonPumpFluidClick() { PrimePump(false); }
    void ButtonPumpFluidFastClick() { PrimePump(true); }

    // How validation talks to the instruments. Tests lengthen the waits for a reply on a loaded
    // machine; the program keeps the instruments' own.
    Setup::TValidationOptions& ValidationOptions() { return fValidationOptions; }

private:
    void PrimePump(bool fast);
    void ShowValidation(const Setup::TValidationResult& result);
    void StopFoundInstruments(const Setup::TValidationResult& result);

    TForm1& fForm;
    TMoistrelState& fState;
    TStepProgramClear& fStepProgram;
    TSettingsSaver& fSettings;
    Base::TMainThread& fMainThread;
    const Base::TClock& fClock;
    TInstrumentStop& fStop;
    Setup::TValidationOptions fValidationOptions;
};

} // namespace UnitMain
