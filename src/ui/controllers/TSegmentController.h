#pragma once
// Joins the "Segment" box and the segment program list of the "Mixture design && Operation" page to
// the editor's core: a press of "Add or Save Segment" stores a snapshot of the design (appended, or
// over the selected segment), "Delete last Segment" removes the last one, and selecting a line loads
// its segment back into the design fields. Refusals go into the design panel Memo1.

#include "model/GasItem.h"
#include "state/MoistrelState.h"
#include "ui/controllers/TSegmentDesign.h"
#include "ui/controllers/TStepProgramClear.h"

#include <QObject>

namespace UnitMain {

class TForm1;

class TSegmentController : public QObject, public TStepProgramClear {
public:
    // Connects the buttons and the list; `form`, `state` and `design` must outlive the controller.
    TSegmentController(TForm1& form, TMoistrelState& state, TSegmentDesign& design,
                       QObject* parent = nullptr);

    // The design as a segment, appended or saved over the selected one; refused without a flow or
    // above the ppm limit.
    void ButtonAddStepClick();
    // Removes the last segment, whichever is selected; refused when empty or running.
    void ButtonSegmentDeleteClick();
    // Loads the selected segment into the design fields; nothing without a selection.
    void RetrieveStep();
    // Rebuilds the list from the segment program; the list has no selection afterwards.
    void ShowStepProgram();
    void ClearStepProgram() override;

    // A click on a line, and any key released in the list (arrows move the selection).
    void RzTabbedListBoxStepsClick();
    void RzTabbedListBoxStepsKeyUp(int key);

private:
    // Gives a segment of the design the target that was applied to the fields, when they still
    // hold its flows; forgets the target otherwise.
    void KeepAppliedTarget(GasMixtures::TGasItem& segment);

    TForm1& fForm;
    TMoistrelState& fState;
    TSegmentDesign& fDesign;
};

} // namespace UnitMain
