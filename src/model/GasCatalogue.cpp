#include "model/GasCatalogue.h"

#include <array>
#include <cmath>
#include <string>
#include <utility>

namespace GasMixtures {

namespace {

struct TCatalogueEntry {
    const char* NameMFC;
    const char* NameLong;
    float MolarMass;
    float Density;
};

// Ordinal order of TGasItems.
constexpr std::array<TCatalogueEntry, GasItemsCount> Catalogue = {{
    {"", "", -1.0F, 1.0F},
    {"Air", "Air bottled", -1.0F, 1.0F},
    {"Ar", "Argon", 39.948F, 1.0F},
    {"CO", "Carbon monoxide", 28.0134F, 1.0F},
    {"CO2", "Carbon dioxide", 44.0095F, 1.0F},
    {"CH4", "Methane", 16.043F, 1.0F},
    {"C2H6O", "Ethanol", 46.069F, 0.7893F},
    {"CH4O", "Methanol", 32.04F, 0.792F},
    {"H2", "Hydrogen", 2.01588F, 1.0F},
    {"H2O", "Water pure", 18.01528F, 0.997735F},
    {"He", "Helium", 4.002602F, 1.0F},
    {"O2", "Oxygen", 31.9988F, 1.0F},
    {"N2", "Nitrogen", 28.0134F, 1.0F},
}};

enum class TMatch { mEquals, mStartsWith };

struct TNameRule {
    TMatch Match;
    std::string_view Text;
    TGasItems Gas;
};

// Tried in this order, the first that holds wins: so "CO2..." is carbon dioxide before carbon
// monoxide, "H2O" water before hydrogen, "CH4O" methanol before methane.
constexpr std::array<TNameRule, 23> NameRules = {{
    {TMatch::mEquals, "Argon", gAr},           {TMatch::mStartsWith, "Ar", gAr},
    {TMatch::mEquals, "Carbon dioxide", gCO2}, {TMatch::mStartsWith, "CO2", gCO2},
    {TMatch::mEquals, "Carbon monoxide", gCO}, {TMatch::mStartsWith, "CO", gCO},
    {TMatch::mStartsWith, "Water", gH2O},      {TMatch::mStartsWith, "H2O", gH2O},
    {TMatch::mEquals, "Hydrogen", gH2},        {TMatch::mStartsWith, "H2", gH2},
    {TMatch::mEquals, "Methanol", gCH4O},      {TMatch::mStartsWith, "CH4O", gCH4O},
    {TMatch::mEquals, "Methane", gCH4},        {TMatch::mStartsWith, "CH4", gCH4},
    {TMatch::mEquals, "Helium", gHe},          {TMatch::mStartsWith, "He", gHe},
    {TMatch::mEquals, "Oxygen", gO2},          {TMatch::mStartsWith, "O2", gO2},
    {TMatch::mEquals, "Nitrogen", gN2},        {TMatch::mStartsWith, "N2", gN2},
    {TMatch::mStartsWith, "Air", gAir},        {TMatch::mEquals, "C2H6O", gC2H6O},
    {TMatch::mEquals, "Ethanol", gC2H6O},
}};

// Leaves only, depth first: a mixture is the sum of its parts. Whether an entry is the pump's fluid
// and its ppm limit come from the leaf itself, so whoever builds a segment marks each liquid it doses.
void AddLeaves(const TGasItem& item, TGasItemDictionary& totals) {
    if (!item.Components.empty()) {
        for (const TGasItem& component : item.Components) {
            AddLeaves(component, totals);
        }
        return;
    }
    TGasItem total = totals.Get(item.GasNameMFC);
    total.Mass += item.Mass;
    total.GasNameMFC = item.GasNameMFC;
    total.GasNameLong = item.GasNameLong;
    total.MolarMass = item.MolarMass;
    total.Fluid = item.Fluid;
    total.FluidMaxPPM = item.FluidMaxPPM;
    if (item.GasNameMFC == "H2O") {
        total.CustTempC = item.CustTempC;
        total.CustPressmBar = item.CustPressmBar;
    }
    if (!total.GasNameMFC.empty()) {
        totals.Set(item.GasNameMFC, std::move(total));
    }
}

} // namespace

void FillCatalogueGas(TGasItems gas, TGasItem& item, float mass) {
    item.Fluid = false;
    item.StepName.clear();
    item.StepTime = 0.0;
    item.Mass = mass;
    item.PartialPressure = -1.0F;

    auto ordinal = static_cast<std::size_t>(gas);
    if (ordinal >= Catalogue.size()) {
        ordinal = 0;
    }
    const TCatalogueEntry& entry = Catalogue[ordinal];
    item.GasNameMFC = entry.NameMFC;
    item.GasNameLong = entry.NameLong;
    item.MolarMass = entry.MolarMass;
    item.DensityFluid20C = entry.Density;

    if (gas == gAir) {
        TGasItem nitrogen;
        FillCatalogueGas(gN2, nitrogen, 0.0F);
        nitrogen.PartialPressure = 0.791F;
        TGasItem oxygen;
        FillCatalogueGas(gO2, oxygen, 0.0F);
        oxygen.PartialPressure = 0.209F;
        item.Components = {std::move(nitrogen), std::move(oxygen)};
        DistributeComponentMass(item, mass);
    }
}

TGasItems FindCatalogueGas(std::string_view name) {
    for (const TNameRule& rule : NameRules) {
        const bool holds = rule.Match == TMatch::mEquals ? name == rule.Text : name.starts_with(rule.Text);
        if (holds) {
            return rule.Gas;
        }
    }
    return gUndefined;
}

void DistributeComponentMass(TGasItem& item, float mass) {
    float sum = 0.0F;
    for (const TGasItem& component : item.Components) {
        sum += component.MolarMass * component.PartialPressure;
    }
    // Without a positive total weight the shares have no meaning; dividing would fill the
    // components with NaN or infinite flows, so they keep what they had.
    if (!(sum > 0.0F) || !std::isfinite(sum)) {
        return;
    }
    for (TGasItem& component : item.Components) {
        component.Mass = mass * (component.MolarMass * component.PartialPressure) / sum;
    }
}

void AddMixtureToGasTotals(const TGasItem& item, TGasItemDictionary& totals) {
    AddLeaves(item, totals);
}

void IndexComponentsByInstrument(const TGasItem& item, TGasItemDictionary& index) {
    for (const TGasItem& component : item.Components) {
        index.Set(std::to_string(component.InstrumentID), component);
    }
}

} // namespace GasMixtures
