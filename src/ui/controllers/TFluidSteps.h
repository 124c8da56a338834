#pragma once
// The fluid designer's steps that loading the settings runs in its own order. The fluid designer
// implements them; the composition hands it to the settings loading.

namespace UnitMain {

class TFluidSteps {
public:
    virtual ~TFluidSteps() = default;
    virtual void FillSubstanceLists() = 0;
    virtual void FluidMixtureCalculation() = 0;
    virtual void AssignFluidMixtureToPump() = 0;
    virtual void RtDoubleEditDesignedMixtureDensityKeyUp() = 0;
    virtual void ButtonRestoreWaterClick() = 0;
    virtual void ButtonApplyPumpAndFluidClick() = 0;
};

} // namespace UnitMain
