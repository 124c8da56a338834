#pragma once
// The catalogue of the twelve known substances and the routines that spread, flatten and index the
// components of a gas item.

#include "model/GasItem.h"
#include "model/GasItemDictionary.h"
#include "model/GasItems.h"

#include <string_view>

namespace GasMixtures {

// Fills `item` with the catalogue entry `gas` carrying the mass flow `mass` (g/min). Bottled air
// becomes a mixture of nitrogen and oxygen sharing the flow by mass fraction.
void FillCatalogueGas(TGasItems gas, TGasItem& item, float mass);

// The catalogue entry a long name or an MFC's gas name denotes (exact names and symbol prefixes,
// case-sensitive); gUndefined when none.
TGasItems FindCatalogueGas(std::string_view name);

// Spreads the mass flow `mass` over the components of `item` by mass fraction
// (MolarMass x PartialPressure). An item without components, or whose components carry no
// positive mass weight at all, is left unchanged.
void DistributeComponentMass(TGasItem& item, float mass);

// Adds every substance in `item`, at any depth, to `totals` keyed by GasNameMFC, summing the
// mass flows of equal substances. Substances with an empty symbol are dropped. A substance inside
// a liquid (an item marked Fluid) counts as fluid under that liquid's ppm limit.
void AddMixtureToGasTotals(const TGasItem& item, TGasItemDictionary& totals);

// Stores each component of `item` (one level) under the decimal text of its InstrumentID
// ("0" MFC A, "1" MFC B, "2" pump); a later component with the same device replaces an earlier one.
void IndexComponentsByInstrument(const TGasItem& item, TGasItemDictionary& index);

} // namespace GasMixtures
