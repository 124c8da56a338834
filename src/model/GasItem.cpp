#include "model/GasItem.h"

#include "base/NumberFormat.h"
#include "base/Text.h"

namespace GasMixtures {

void TGasItem::Init() {
    StepName.clear();
    GasNameMFC.clear();
    GasNameLong.clear();
    InstrumentPort.clear();
    PumpCommand.clear();
    StepTime = 0.0;
    InstrumentID = 0;
    MolarMass = 1.0F;
    PartialPressure = 1.0F;
    Mass = 0.0F;
    Pulsed = 1.0F;
    Fluid = false;
    FluidMaxPPM = 1000000;
    Valid = true;
    CustTempC = 0.0F;
    CustPressmBar = 0.0F;
    Components.clear();
    Target.reset();
}

std::string TGasItem::FluidMixtureAsString(Base::TDateTime savedAt) const {
    std::string text;
    const auto line = [&text](const std::string& content) {
        text += content;
        text += Base::CRLF;
    };
    line("Mixture recipe: " + GasNameLong);
    line("Description saved: " + Base::FormatDateTime("yyyy-mm-dd hh:mm:ss", savedAt));
    line("Given density g/ml@20\u00BAC: " + Base::FormatGeneral(DensityFluid20C));
    line("Components:");
    line("  Name - mass");
    for (const TGasItem& component : Components) {
        line("  " + component.GasNameLong + " - " + Base::FormatGeneral(component.MixtureMass));
    }
    return text;
}

} // namespace GasMixtures
