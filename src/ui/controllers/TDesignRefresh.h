#pragma once
// What the fluid designer asks of the flows, without knowing who keeps them: the C flow after the
// pump or its liquid changed, and the design panel after the custom conditions changed.

namespace UnitMain {

class TDesignRefresh {
public:
    virtual ~TDesignRefresh() = default;
    // The C flow's bounds and the C flow with its pump command (after "Apply and save").
    virtual void PumpSettingsChanged() = 0;
    // The design panel Memo1 from a fresh snapshot.
    virtual void ShowMixture2() = 0;
};

} // namespace UnitMain
