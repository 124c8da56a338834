#pragma once
// Joins the "Target" box of the design page to the target solver: "Apply target" solves the target
// on the mixer as it stands and puts the A, B and C flows into the design fields (the design panel
// then shows its usual figures), "Sequence..." solves a whole sequence and appends it to the segment
// program. Refusals go into the design panel Memo1; the box shows the achieved figure and the range.

#include "state/MoistrelState.h"
#include "target/TargetSolver.h"
#include "ui/controllers/TSegmentDesign.h"

#include <QObject>
#include <functional>

namespace UnitMain {

class TForm1;
class TSegmentController;
class TSequenceDialog;

class TTargetController : public QObject {
public:
    // Shows the dialog and says whether the operator asked for the segments; a seam for the tests.
    using TAskSequence = std::function<bool(TSequenceDialog&)>;

    // Connects the two buttons; `form`, `state`, `design` and `segments` must outlive the controller.
    TTargetController(TForm1& form, TMoistrelState& state, TSegmentDesign& design,
                      TSegmentController& segments, QObject* parent = nullptr);

    // The conditions fields from the design's custom conditions (after the settings were read).
    void ShowConditions();
    // The box's fields as the solver's input.
    [[nodiscard]] Target::TTargetInput GatherInput() const;

    void ButtonApplyTargetClick();
    void ButtonTargetSequenceClick();

    void SetAskSequence(TAskSequence ask) { fAskSequence = std::move(ask); }

private:
    // A line break and `line` after the design panel's text.
    void Say(const std::string& line);

    TForm1& fForm;
    TMoistrelState& fState;
    TSegmentDesign& fDesign;
    TSegmentController& fSegments;
    TAskSequence fAskSequence;
};

} // namespace UnitMain
