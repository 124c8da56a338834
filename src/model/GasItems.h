#pragma once
// The catalogue of known substances as an enumeration, and its identifier texts. The settings file
// stores a substance by its identifier ("gH2O"); the operator's lists show the long names in
// ordinal order, so a list position is the ordinal.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace GasMixtures {

enum class TGasItems : std::uint8_t {
    gUndefined = 0,
    gAir,
    gAr,
    gCO,
    gCO2,
    gCH4,
    gC2H6O,
    gCH4O,
    gH2,
    gH2O,
    gHe,
    gO2,
    gN2,
};

// The enumeration's own names, so callers can write gH2O as the catalogue does.
using enum TGasItems;

inline constexpr int GasItemsCount = 13;

// "gH2O" for gH2O; a value outside the enumeration gives "gUndefined".
std::string GasItemsToText(TGasItems gas);
// The value whose identifier is exactly `text`. False (and `gas` untouched) for any other text.
bool TextToGasItems(std::string_view text, TGasItems& gas);

// The long names of ordinals 0 to 12 in ordinal order; the first is the empty name of gUndefined.
std::vector<std::string> GasItemsLongNames();

} // namespace GasMixtures
