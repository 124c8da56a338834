#pragma once
// MFC A's totalizer as grams. The MFC counts in the unit of its active gas table: its first table
// (number 2) gives the count as it stands, the later tables count a thousandth of the unit
// (milligrams where the unit says grams); normal litres become grams through the gas density, and
// kilograms are converted from the raw count whatever the table.

#include <cstdint>
#include <string>

namespace UnitMain {

// Which conversion the unit called for (the worker reports the two that need one).
enum class TTotalizerConversion : std::uint8_t { tcNone, tcNormalLitres, tcKilograms };

struct TTotalizerGrams {
    double Grams = 0.0;
    TTotalizerConversion Conversion = TTotalizerConversion::tcNone;
};

// `raw` is the totalizer register, `activeLUT` the device table number (2 to 11), `totalizerUnit`
// and `densityGPL` (g/l) come from that table.
TTotalizerGrams TotalizerInGrams(double raw, std::uint32_t activeLUT, const std::string& totalizerUnit,
                                 double densityGPL);

} // namespace UnitMain
