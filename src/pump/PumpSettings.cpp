#include "pump/PumpSettings.h"

namespace UnitMain {

std::int32_t GetSyringeVolume(std::int32_t index) {
    static constexpr std::array<std::int32_t, 8> Volumes = {50, 100, 250, 500, 1000, 2500, 5000, 12500};
    if (index < 0 || index >= static_cast<std::int32_t>(Volumes.size())) {
        return 1;
    }
    return Volumes[static_cast<std::size_t>(index)];
}

bool ApplyPumpModel(TPumpDetails& details, int index) {
    if (index < 0 || index >= static_cast<int>(PumpModels.size())) {
        return false;
    }
    const TPumpModel& model = PumpModels[static_cast<std::size_t>(index)];
    details.SYRINGE_STEPS = model.Steps;
    details.SYRINGE_MAXSPEED = model.MaxSpeed;
    return true;
}

int PumpModelIndexForSteps(std::int32_t steps) {
    for (std::size_t i = 0; i < PumpModels.size(); ++i) {
        if (PumpModels[i].Steps == steps) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

double SyringeSizeMg(const TPumpDetails& details) {
    return (details.SYRINGE_VOLUMEul / 1000.0) * static_cast<double>(details.Fluid.DensityFluid20C) * 1000.0;
}

void UpdateSyringeSize(TPumpDetails& details) {
    details.SYRINGE_SIZEmg = SyringeSizeMg(details);
}

} // namespace UnitMain
