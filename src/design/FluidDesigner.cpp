#include "design/FluidDesigner.h"

#include "base/NumberFormat.h"
#include "base/Text.h"
#include "model/GasCatalogue.h"
#include "model/GasItems.h"
#include "model/MixtureReport.h"

#include <string>
#include <vector>

namespace Design {

using GasMixtures::AlignLeft;
using GasMixtures::TGasItem;

namespace {

void AddLine(std::string& text, const std::string& line) {
    text += line;
    text += Base::CRLF;
}

} // namespace

TFluidDesignResult FluidMixtureCalculation(const TGasItem& previous, const TFluidDesignInput& input) {
    TFluidDesignResult result;

    TGasItem& mixture = result.DesignedMixture;
    mixture = previous;
    mixture.Init();
    mixture.Fluid = true;
    mixture.StepName.clear();
    mixture.GasNameMFC.clear();
    mixture.StepTime = 0.0;
    mixture.GasNameLong = input.MixtureName;
    mixture.MolarMass = 0.0F;
    mixture.PartialPressure = 0.0F;
    mixture.Mass = 0.0F;
    mixture.Components.clear();

    for (const TDesignerRow& row : input.Rows) {
        if (!(row.Mass_g > 0.0) || row.ItemIndex <= 0) {
            continue;
        }
        TGasItem component;
        component.Init();
        GasMixtures::FillCatalogueGas(GasMixtures::FindCatalogueGas(row.ItemText), component, 0.0F);
        component.Mass = static_cast<float>(row.Mass_g);
        component.MixtureMass = static_cast<float>(row.Mass_g);
        mixture.Components.push_back(component);
    }

    std::vector<double> moles;
    double totalMoles = 0.0;
    for (const TGasItem& component : mixture.Components) {
        const double n = static_cast<double>(component.Mass) / static_cast<double>(component.MolarMass);
        moles.push_back(n);
        totalMoles += n;
    }

    std::string& memo = result.Memo2;
    AddLine(memo, AlignLeft(mixture.GasNameLong, 20));
    AddLine(memo, "  " + AlignLeft("Component", 20) + " " + AlignLeft("Moles", 8) + "  " +
                      AlignLeft("Molar fraction", 15) + "  " + AlignLeft("Mass", 5));
    for (std::size_t i = 0; i < mixture.Components.size(); ++i) {
        const TGasItem& component = mixture.Components[i];
        AddLine(memo, "  " + AlignLeft(component.GasNameLong, 20) + " " +
                          AlignLeft(Base::FormatMask("0.000", moles[i]), 9) + " " +
                          AlignLeft(Base::FormatMask("0.000 000", moles[i] / totalMoles), 10) + "       " +
                          AlignLeft(Base::FormatMask("0.000", component.Mass), 10));
    }

    double molarMass = 0.0;
    for (std::size_t i = 0; i < mixture.Components.size(); ++i) {
        TGasItem& component = mixture.Components[i];
        component.PartialPressure = static_cast<float>(moles[i] / totalMoles);
        molarMass +=
            static_cast<double>(component.PartialPressure) * static_cast<double>(component.MolarMass);
    }

    AddLine(memo, "");
    AddLine(memo, "  Mixture molar mass : " + Base::FormatGeneral(molarMass));

    result.MolarMass = molarMass;
    const TDensityFigures figures =
        DesignedMixtureDensityFigures(molarMass, input.Density, input.SyringeVolume_ul);
    result.MolPerML = figures.MolPerML.value_or(input.MolPerML);
    result.MGperStroke = figures.MGperStroke;
    return result;
}

TDensityFigures DesignedMixtureDensityFigures(double molarMass, double density,
                                              std::int32_t syringeVolume_ul) {
    TDensityFigures figures;
    if (molarMass > 0.0) {
        figures.MolPerML = density / molarMass;
    }
    figures.MGperStroke = (static_cast<double>(syringeVolume_ul) / 1000.0) * (density * 1000.0);
    return figures;
}

TWaterDesign RestoreWater() {
    TWaterDesign water;
    water.MixtureName = WaterMixtureName;
    water.Rows[0].ItemIndex = WaterListIndex;
    water.Rows[0].Mass_g = WaterRowMass_g;
    TGasItem item;
    GasMixtures::FillCatalogueGas(GasMixtures::gH2O, item, 0.0F);
    water.Rows[0].ItemText = item.GasNameLong;
    water.Density = static_cast<double>(item.DensityFluid20C);
    return water;
}

TAssignedFluid AssignFluidMixtureToPump(UnitMain::TPumpDetails& pump, const TGasItem& designed,
                                        const TFluidAssignInput& input) {
    pump.Fluid = designed;
    pump.Fluid.GasNameLong = input.MixtureName;
    pump.Fluid.DensityFluid20C = static_cast<float>(input.Density);
    pump.Fluid.MolarMass = static_cast<float>(input.MolarMass);
    pump.Fluid.MolPerML = static_cast<float>(input.MolPerML);

    pump.FLUID_MAX_PPM = input.PPMLimit;
    pump.SYRINGE_VOLUME_INDEX = input.SyringeIndex;

    UnitMain::UpdateSyringeSize(pump);

    TAssignedFluid shown;
    shown.Name = pump.Fluid.GasNameLong;
    shown.Density = static_cast<double>(pump.Fluid.DensityFluid20C);
    shown.MolarMass = static_cast<double>(pump.Fluid.MolarMass);
    shown.MolPerML = static_cast<double>(pump.Fluid.MolPerML);
    shown.SyringeSizeMg = pump.SYRINGE_SIZEmg;
    return shown;
}

TAssignedFluid DesignAndAssignLiquid(UnitMain::TMoistrelState& state, const std::string& name,
                                     const TLiquidParts& rows, double density) {
    TFluidDesignInput input;
    const std::vector<std::string> names = GasMixtures::GasItemsLongNames();
    for (std::size_t row = 0; row < rows.size(); ++row) {
        const int index = rows[row].ItemIndex;
        input.Rows[row].ItemIndex = index;
        if (index > 0 && static_cast<std::size_t>(index) < names.size()) {
            input.Rows[row].ItemText = names[static_cast<std::size_t>(index)];
        }
        input.Rows[row].Mass_g = rows[row].Mass_g;
    }
    input.MixtureName = name;
    input.Density = density;
    input.SyringeVolume_ul = state.PumpDetails.SYRINGE_VOLUMEul;
    const TFluidDesignResult designed = FluidMixtureCalculation(state.DesignedMixture, input);
    state.DesignedMixture = designed.DesignedMixture;
    TFluidAssignInput assign;
    assign.MixtureName = name;
    assign.Density = density;
    assign.MolarMass = designed.MolarMass;
    assign.MolPerML = designed.MolPerML;
    assign.PPMLimit = state.PumpDetails.FLUID_MAX_PPM;
    assign.SyringeIndex = state.PumpDetails.SYRINGE_VOLUME_INDEX;
    return AssignFluidMixtureToPump(state.PumpDetails, state.DesignedMixture, assign);
}

void ApplyPumpSettings(UnitMain::TPumpDetails& pump, int pumpModelIndex) {
    UnitMain::ApplyPumpModel(pump, pumpModelIndex);
    pump.SYRINGE_VOLUMEul = UnitMain::GetSyringeVolume(pump.SYRINGE_VOLUME_INDEX);
    UnitMain::UpdateSyringeSize(pump);
}

std::string FluidCaption(const UnitMain::TPumpDetails& pump) {
    return "C-component: " + pump.Fluid.GasNameLong;
}

std::string VapourPressureLine(double customTempC) {
    return "H2O Vapor pressure @ " + Base::FormatGeneral(customTempC) +
           "ºC = " + Base::FormatGeneral(GasMixtures::CalculateVapourPressure(customTempC)) + " mBar";
}

} // namespace Design
