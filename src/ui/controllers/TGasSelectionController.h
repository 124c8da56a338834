#pragma once
// Joins the gas lists of the "Setup" page (step 4) to the gas selection: a click on either list
// makes the picked table the active gas of its MFC, reports it, and, once the pump, both MFCs and
// both gases are in place, asks the operator to confirm the gas lines. Only a Yes makes the mixer
// ready to run.

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

class TGasSelectionController : public QObject {
public:
    // Connects both gas lists; everything given must outlive the controller. `timing` carries the
    // clock the device pauses run on.
    TGasSelectionController(TForm1& form, TMoistrelState& state, Base::TDialogs& dialogs,
                            std::string settingsFile, TStepProgramClear& program, TGasFlowsUpdate& flows,
                            TWorkerStop& worker, SerialPortVogtlin::TMFCTiming timing = {},
                            QObject* parent = nullptr);

    // A click on ListBox1 (MFC A) or ListBox2 (MFC B); `sender` is the list clicked.
    void ListBox1Click(const QObject* sender);

private:
    void SelectGas(TMFCSide side, int position);
    void CheckGasKnown(TMFCSide side);
    void Confirm();
    void SetMixerState(TMixerState state);

    TForm1& fForm;
    TMoistrelState& fState;
    Base::TDialogs& fDialogs;
    std::string fSettingsFile;
    TStepProgramClear& fProgram;
    TGasFlowsUpdate& fFlows;
    TWorkerStop& fWorker;
    SerialPortVogtlin::TMFCTiming fTiming;
};

} // namespace UnitMain
