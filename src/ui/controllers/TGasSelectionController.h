#pragma once
// Joins the gas lists of the "Setup" page (step 4) to the gas selection: a pick in either list (a
// click, a key, a drag, a click below the rows) makes the picked table the active gas of its MFC,
// reports it, and, once the pump, both MFCs and both gases are in place, asks the operator to
// confirm the gas lines. Only a Yes makes the mixer ready to run, and only with each list showing
// exactly the table its device confirmed.

#include "base/Dialogs.h"
#include "mfc/MFCIdentity.h"
#include "run/RunControl.h"
#include "state/MoistrelState.h"

#include <QObject>
#include <string>

namespace UnitMain {

class TForm1;
class TGasFlowsUpdate;
class TStepProgramClear;
} // namespace UnitMain

namespace Widgets {
class TListBox;
}

namespace UnitMain {

class TGasSelectionController : public QObject {
public:
    // Connects both gas lists; everything given must outlive the controller. `timing` carries the
    // clock the device pauses run on.
    TGasSelectionController(TForm1& form, TMoistrelState& state, Base::TDialogs& dialogs,
                            std::string settingsFile, TStepProgramClear& program, TGasFlowsUpdate& flows,
                            TWorkerStop& worker, SerialPortVogtlin::TMFCTiming timing = {},
                            QObject* parent = nullptr);

    // A pick in ListBox1 (MFC A) or ListBox2 (MFC B); `sender` is the list. Runs with the window
    // busy; a pick that arrives while one runs is ignored.
    void ListBox1Click(const QObject* sender);

    // How the selection talks to the MFCs. Tests lengthen the wait for a reply on a loaded
    // machine; the program keeps the instruments' own.
    SerialPortVogtlin::TMFCTiming& Timing() { return fTiming; }

private:
    void SelectPicked(const QObject* sender);
    void SelectGas(TMFCSide side, int position);
    // The list shows no gas and the MFC counts as having none.
    void Forget(TMFCSide side);
    void CheckGasKnown(TMFCSide side);
    void JudgeAndConfirm();
    void Confirm();
    void SetMixerState(TMixerState state);
    Widgets::TListBox& List(TMFCSide side) const;

    TForm1& fForm;
    TMoistrelState& fState;
    Base::TDialogs& fDialogs;
    std::string fSettingsFile;
    TStepProgramClear& fProgram;
    TGasFlowsUpdate& fFlows;
    TWorkerStop& fWorker;
    SerialPortVogtlin::TMFCTiming fTiming;
    bool fSelecting = false;
};

} // namespace UnitMain
