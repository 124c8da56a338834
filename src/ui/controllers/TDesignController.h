#pragma once
// Joins the flows of the "Mixture design && Operation" page, the design panel Memo1 and the
// demonstration values of the debug page to the design core: each handler gathers the fields into
// a plain record, calls the core and puts the result back on the screen. The demonstration values
// and the segment's duration and comment go into the state's design inputs as they are typed.

#include "design/FlowSetPoints.h"
#include "design/MixtureSnapshot.h"
#include "model/GasItem.h"
#include "state/MoistrelState.h"
#include "ui/controllers/TDesignRefresh.h"
#include "ui/controllers/TSegmentDesign.h"

#include <QObject>

namespace UnitMain {

class TForm1;

class TDesignController : public QObject, public TDesignRefresh, public TSegmentDesign {
public:
    // Connects the handlers and takes the fields' values into the design inputs; `form` and
    // `state` must outlive the controller.
    TDesignController(TForm1& form, TMoistrelState& state, QObject* parent = nullptr);

    // The design part of the start-up: demonstration values, fluid range, the C, A and B flows, and
    // the simulated instruments' port names.
    void Startup();

    // A flow (B flow) with its track bar, label and MFC record; with `updateFromCode` the field
    // follows the track bar even without the track bar's focus.
    void FlowUpdateY1(bool updateFromCode);
    void FlowUpdateY2(bool updateFromCode);
    // A key released in the A (B) flow field.
    void RtIntegerEditY1FlowKeyUp(int key);
    void RtIntegerEditY2FlowKeyUp(int key);
    // C flow: range, track bar, achievable flow, pump command and speed, MemoPump, duration label.
    void FluidFlowUpdate() override;
    // Bounds of the C flow field from the pump settings.
    void SetFluidRange();
    // All three track bars from the field values (after a segment was loaded into the fields).
    void UpdateTrackbars() override;

    // The current design as one segment.
    [[nodiscard]] GasMixtures::TGasItem CreateMixture() const override;
    // Rewrites Memo1 from a fresh snapshot: machine recipe and mixture analysis.
    void ShowMixture2() override;
    // SetFluidRange and FluidFlowUpdate, after the pump or its liquid changed.
    void PumpSettingsChanged() override;

    // Demonstration values into the simulated gas tables, then the A and B flows.
    void ApplysimulationValues() override;
    // One of the four preset buttons of the demonstration boxes.
    void ButtonMFCAAirClick(const QObject* sender);

    // The demonstration fields and the segment's duration and comment into the design inputs, and
    // back (for the settings file and a recalled segment).
    void GatherDesignInputs();
    void ApplyDesignInputs();

    // What the snapshot needs: the flows from the screen, the rest from the design inputs.
    [[nodiscard]] Design::TSnapshotInput GatherSnapshot() const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void FlowUpdate(TMFCSide side, bool updateFromCode, bool typing, Design::TFlowFocus focus);
    Design::TFlowFocus FocusOf(TMFCSide side) const;

    TForm1& fForm;
    TMoistrelState& fState;
    bool fApplyingInputs = false;
};

} // namespace UnitMain
