// MFC A's totalizer in grams: the first gas table counts the unit, the later ones a thousandth of it;
// normal litres through the density, kilograms from the raw count whatever the table.

#include "run/TotalizerInGrams.h"

#include <gtest/gtest.h>
#include <string>

namespace {

using UnitMain::TotalizerInGrams;
using UnitMain::TTotalizerConversion;

TEST(TotalizerInGrams, ConvertsByTableAndUnit) {
    const struct {
        double Raw;
        std::uint32_t Table;
        std::string Unit;
        double Density;
        double Grams;
        TTotalizerConversion Conversion;
    } cases[] = {
        {4.0, 2, "ln", 1.25, 5.0, TTotalizerConversion::tcNormalLitres},
        {4.0, 3, "ln", 1.25, 0.005, TTotalizerConversion::tcNormalLitres},
        {4.0, 2, "ln*", 1.25, 5.0, TTotalizerConversion::tcNormalLitres},
        {4.0, 11, "ln*", 2.0, 0.008, TTotalizerConversion::tcNormalLitres},
        {0.002, 2, "kg", 1.25, 2.0, TTotalizerConversion::tcKilograms},
        {0.002, 3, "kg", 1.25, 2.0, TTotalizerConversion::tcKilograms},
        {0.002, 11, "kg", 1.25, 2.0, TTotalizerConversion::tcKilograms},
        // Any other unit: the count as the table gives it, the density plays no part.
        {4.0, 2, "g", 1.25, 4.0, TTotalizerConversion::tcNone},
        {4000.0, 3, "mg", 1.25, 4.0, TTotalizerConversion::tcNone},
        {4.0, 2, "mln", 1.25, 4.0, TTotalizerConversion::tcNone},
        {4.0, 2, "", 1.25, 4.0, TTotalizerConversion::tcNone},
        // Only the exact texts convert.
        {4.0, 2, "LN", 1.25, 4.0, TTotalizerConversion::tcNone},
        {4.0, 2, "ln ", 1.25, 4.0, TTotalizerConversion::tcNone},
        {0.002, 2, "Kg", 1.25, 0.002, TTotalizerConversion::tcNone},
        // No table chosen counts as a later table.
        {4.0, 0, "g", 1.25, 0.004, TTotalizerConversion::tcNone},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE("raw " + std::to_string(c.Raw) + ", table " + std::to_string(c.Table) + ", unit '" +
                     c.Unit + "'");
        const auto result = TotalizerInGrams(c.Raw, c.Table, c.Unit, c.Density);
        EXPECT_NEAR(result.Grams, c.Grams, 1e-12);
        EXPECT_EQ(result.Conversion, c.Conversion);
    }
}

} // namespace
