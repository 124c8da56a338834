#pragma once
// The fluid designer: a liquid composed from up to four catalogue substances by mass, with its
// moles, molar fractions, molar mass, mol/ml and mg per syringe stroke; "Set to water"; and the
// assignment of the designed liquid to the pump. The stated density is always the operator's:
// volumes of liquids do not add up, so it is never derived from the components.

#include "model/GasItem.h"
#include "pump/PumpSettings.h"
#include "state/MoistrelState.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>

namespace Design {

inline constexpr int DesignerRowCount = 4;
// The substance lists show the catalogue in ordinal order; this entry is water.
inline constexpr int WaterListIndex = 9;
inline constexpr double WaterRowMass_g = 1000.0;
inline constexpr const char* WaterMixtureName = "Water pure";
// The name a liquid gets as soon as the operator picks a substance.
inline constexpr const char* ChangedMixtureName = "Designed mixture";

// One row of the designer as the screen shows it.
struct TDesignerRow {
    int ItemIndex = -1;   // selected entry of the substance list; -1 none, 0 the empty entry
    std::string ItemText; // the selected entry's text: the substance's long name
    double Mass_g = 0.0;
};

using TDesignerRows = std::array<TDesignerRow, DesignerRowCount>;

struct TFluidDesignInput {
    TDesignerRows Rows;
    std::string MixtureName;           // EditDesignedMixtureName
    double Density = 0.0;              // RtDoubleEditDesignedMixtureDensity, g/ml at 20 ºC
    std::int32_t SyringeVolume_ul = 0; // PumpDetails.SYRINGE_VOLUMEul
    double MolPerML = 0.0;             // what the mol/ml field shows now
};

struct TFluidDesignResult {
    GasMixtures::TGasItem DesignedMixture;
    std::string Memo2;        // the calculation text, lines ending in CR LF
    double MolarMass = 0.0;   // RtDoubleEditDesignMixtureMolarMass, g/mol
    double MolPerML = 0.0;    // RtDoubleEditDesigtnMixtureMOLperML (the input's value when MolarMass is 0)
    double MGperStroke = 0.0; // RtDoubleEditDesignMixtureMGperStroke
};

// Rebuilds the designed liquid from the four rows. `previous` is the liquid as last computed: the
// reset keeps its density and per-stroke figures, as every reset of a gas item does.
TFluidDesignResult FluidMixtureCalculation(const GasMixtures::TGasItem& previous,
                                           const TFluidDesignInput& input);

struct TDensityFigures {
    std::optional<double> MolPerML; // none when the molar mass is not above 0: the field keeps its value
    double MGperStroke = 0.0;
};

// The figures the density field drives: mol/ml = density / molar mass, mg per stroke = µL × g/ml.
TDensityFigures DesignedMixtureDensityFigures(double molarMass, double density,
                                              std::int32_t syringeVolume_ul);

// "Set to water": what the designer rows, name and density become before the calculation runs.
struct TWaterDesign {
    std::string MixtureName;
    TDesignerRows Rows;
    double Density = 0.0;
};
TWaterDesign RestoreWater();

// The designer's result as the pump's liquid ("Fluid assigned to pump").
struct TFluidAssignInput {
    std::string MixtureName;       // EditDesignedMixtureName
    double Density = 0.0;          // the designed density
    double MolarMass = 0.0;        // the designed molar mass
    double MolPerML = 0.0;         // the designed mol/ml
    std::int32_t PPMLimit = 0;     // RtIntegerEditFluidPPMLimit
    std::int32_t SyringeIndex = 0; // item index of RadioGroupSyringeVolume
};

struct TAssignedFluid {
    std::string Name;
    double Density = 0.0;
    double MolarMass = 0.0;
    double MolPerML = 0.0;
    double SyringeSizeMg = 0.0;
};

// Copies the designed liquid into the pump settings and returns what the "Fluid assigned to pump"
// group shows.
TAssignedFluid AssignFluidMixtureToPump(UnitMain::TPumpDetails& pump, const GasMixtures::TGasItem& designed,
                                        const TFluidAssignInput& input);

// One substance of a liquid as a designer row takes it: its place in the substance lists (the
// catalogue's ordinal; 0 or less is no substance) and its mass in grams.
struct TLiquidPart {
    int ItemIndex = -1;
    double Mass_g = 0.0;
};
using TLiquidParts = std::array<TLiquidPart, DesignerRowCount>;

// Designs the liquid of these rows, named `name`, with the operator's density, and assigns it to
// the pump as "Apply and save" does, without a screen: the designed liquid becomes the state's
// DesignedMixture and the pump's liquid, with the pump's present syringe and ppm limit.
TAssignedFluid DesignAndAssignLiquid(UnitMain::TMoistrelState& state, const std::string& name,
                                     const TLiquidParts& rows, double density);

// The pump part of applying the settings: the model's step count and top speed (no model chosen:
// unchanged), the syringe volume of the chosen index and the mass of one full syringe.
void ApplyPumpSettings(UnitMain::TPumpDetails& pump, int pumpModelIndex);

// Caption of the C flow's box: "C-component: " and the pump's liquid.
std::string FluidCaption(const UnitMain::TPumpDetails& pump);

// "H2O Vapor pressure @ 20ºC = 23.3... mBar": the line the custom condition fields add to Memo2.
std::string VapourPressureLine(double customTempC);

} // namespace Design
