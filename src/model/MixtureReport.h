#pragma once
// The mixture reports: the analysis of a mixture's gas totals (mass flows, volumes, concentrations,
// the water saturation box and the fluid ppm limit), the saturation vapour pressure of water, the
// machine recipe of one mixture, and the fixed-width text fields they are built from.
// Every line ends with CR LF; every figure goes through Base::FormatMask / FormatGeneral, so a
// figure without a finite value prints as "?".

#include "model/GasItem.h"
#include "model/GasItemDictionary.h"

#include <string>
#include <string_view>

namespace GasMixtures {

// The report of the gas totals (see AddMixtureToGasTotals) at the custom temperature (ºC) and
// pressure (mbar). Empty totals give the empty text. A fluid entry above its ppm limit, or one
// whose concentration cannot be computed, sets mixture.Valid to false (never back to true).
std::string AnalyseMixture(const TGasItemDictionary& totals, TGasItem& mixture, double customTempC,
                           double customPressmBar);

// The liquid's figures of a mixture's totals, by the same computation as the report above: the
// concentration of the liquid (the sum of its components') in ppm, and the relative humidity of its
// water in % at the water entry's conditions. NaN where the mixture has no liquid or no water, or a
// figure cannot be computed.
struct TLiquidFigures {
    double LiquidPPM;
    double RelativeHumidity;
};
TLiquidFigures LiquidFigures(const TGasItemDictionary& totals);

// The concentration in ppm (mol/mol) of the entry `gasNameMFC` of the totals, as the report's
// Concentration line gives it; NaN when there is no such entry or it cannot be computed.
double SubstancePPM(const TGasItemDictionary& totals, std::string_view gasNameMFC);

// Saturation vapour pressure of water in mbar (Huang 2018: over liquid water above 0 ºC, over ice
// at and below). NaN below absolute zero, where no pressure exists.
double CalculateVapourPressure(double temperatureC);

// The text in a field of `width` characters: padded with blanks, a longer text loses its end
// (AlignLeft) or its beginning (AlignRight). Widths count UTF-8 characters.
std::string AlignLeft(std::string_view text, int width);
std::string AlignRight(std::string_view text, int width);

// One line per component: port:device:name in 21 characters, the mass flow, and the pulse share
// when the flow is pulsed.
std::string MachineRecipeAsString(const TGasItem& mixture);

} // namespace GasMixtures
