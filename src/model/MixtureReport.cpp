#include "model/MixtureReport.h"

#include "base/NumberFormat.h"
#include "base/Text.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <string>
#include <vector>

namespace GasMixtures {

namespace {

// Right-aligned in a field of `width`, but whole: the operator's own conditions are never cut.
std::string PadLeft(const std::string& text, int width) {
    const auto length = static_cast<int>(Base::Utf8Length(text));
    return length >= width ? text : std::string(static_cast<std::size_t>(width - length), ' ') + text;
}

constexpr double MolarVolume = 22.414; // L/mol at 0 ºC and 1013.25 mbar
constexpr double ZeroCelsius = 273.15;
constexpr double NormalPressure = 1013.25;
constexpr double NaN = std::numeric_limits<double>::quiet_NaN();
constexpr float NaNf = std::numeric_limits<float>::quiet_NaN();

const std::string Degree = "\u00BA"; // masculine ordinal indicator, as the reports write degrees
const std::string BoxEdge = "             ******************************************* ";

// Molar flow of one entry. A molar mass of 0 or below has no meaning; such an entry has no molar
// flow (NaN) unless it carries no mass at all.
float MolarFlow(const TGasItem& entry) {
    if (entry.MolarMass > 0.0F) {
        return entry.Mass / entry.MolarMass;
    }
    return entry.Mass == 0.0F ? 0.0F : NaNf;
}

struct TTotals {
    float Mass = 0.0F;  // Mt, g/min
    float Moles = 0.0F; // Nt, mol/min
};

// Totals in single precision, entry by entry in table order.
TTotals SumTotals(const TGasItemDictionary& totals) {
    TTotals sum;
    for (const auto& entry : totals) {
        sum.Mass += entry.Item.Mass;
        sum.Moles += MolarFlow(entry.Item);
    }
    return sum;
}

// Concentration of an entry of molar flow n in a total of Nt, ppm.
double ConcentrationPPM(float n, double Nt) {
    return static_cast<double>(n) / Nt * 1000000.0;
}

// Saturation share of water at the water entry's conditions; a pressure of 0 or below gives none.
float SaturationShare(const TGasItem& water) {
    const auto e = static_cast<float>(CalculateVapourPressure(water.CustTempC));
    return water.CustPressmBar > 0.0F ? e / water.CustPressmBar : NaNf;
}

// Relative humidity of water of molar flow n, %; with no finite positive saturation share it has no
// value.
float RelativeHumidity(float s, float n, float totalMoles) {
    const float x = n / totalMoles;
    return (s > 0.0F && std::isfinite(s)) ? x / s * 100.0F : NaNf;
}

class TLines {
public:
    void Add(const std::string& line) {
        fText += line;
        fText += Base::CRLF;
    }
    [[nodiscard]] std::string Text() const { return fText; }

private:
    std::string fText;
};

} // namespace

std::string AlignLeft(std::string_view text, int width) {
    if (width <= 0) {
        return {};
    }
    const auto n = static_cast<std::size_t>(width);
    return Base::Utf8Left(std::string(text) + std::string(n, ' '), n);
}

std::string AlignRight(std::string_view text, int width) {
    if (width <= 0) {
        return {};
    }
    const auto n = static_cast<std::size_t>(width);
    return Base::Utf8Right(std::string(n, ' ') + std::string(text), n);
}

TLiquidFigures LiquidFigures(const TGasItemDictionary& totals) {
    TLiquidFigures figures{NaN, NaN};
    const TTotals sum = SumTotals(totals);
    const double Nt = sum.Moles;
    bool anyLiquid = false;
    double liquidPPM = 0.0;
    for (const auto& entry : totals) {
        const TGasItem& gas = entry.Item;
        const float n = MolarFlow(gas);
        if (gas.Fluid) {
            anyLiquid = true;
            liquidPPM += ConcentrationPPM(n, Nt);
        }
        if (gas.GasNameMFC == "H2O") {
            figures.RelativeHumidity = RelativeHumidity(SaturationShare(gas), n, sum.Moles);
        }
    }
    if (anyLiquid && std::isfinite(liquidPPM)) {
        figures.LiquidPPM = liquidPPM;
    }
    return figures;
}

double SubstancePPM(const TGasItemDictionary& totals, std::string_view gasNameMFC) {
    const TGasItem* entry = totals.Find(gasNameMFC);
    if (entry == nullptr) {
        return NaN;
    }
    const TTotals sum = SumTotals(totals);
    const double c = ConcentrationPPM(MolarFlow(*entry), sum.Moles);
    return std::isfinite(c) ? c : NaN;
}

double CalculateVapourPressure(double temperatureC) {
    if (!(temperatureC >= -ZeroCelsius)) {
        return NaN;
    }
    const double t = temperatureC;
    if (t > 0.0) {
        return std::exp(34.494 - 4924.99 / (t + 237.1)) / std::pow(t + 105.0, 1.57) / 100.0;
    }
    return std::exp(43.494 - 6545.8 / (t + 278.0)) / std::pow(t + 868.0, 2.0) / 100.0;
}

std::string AnalyseMixture(const TGasItemDictionary& totals, TGasItem& mixture, double customTempC,
                           double customPressmBar) {
    if (totals.Empty()) {
        return {};
    }

    const TTotals sum = SumTotals(totals);
    const float totalMass = sum.Mass;
    const float totalMoles = sum.Moles;
    const double Mt = totalMass;
    const double Nt = totalMoles;

    TLines lines;
    lines.Add("Components");
    for (const auto& entry : totals) {
        const TGasItem& gas = entry.Item;
        lines.Add("  " + AlignLeft(gas.GasNameLong, 22) + " " + Base::FormatMask("0.000", gas.MolarMass) +
                  " g/mol");
    }
    lines.Add("");

    lines.Add("Mass flow");
    for (const auto& entry : totals) {
        const TGasItem& gas = entry.Item;
        if (totalMass > 0.0F && !gas.GasNameMFC.empty()) {
            const double share = 100.0 * static_cast<double>(gas.Mass) / Mt;
            lines.Add("  " + AlignLeft(gas.GasNameMFC, 10) +
                      "   gram/min: " + Base::FormatMask("0.000 000", gas.Mass) + " (" +
                      Base::FormatMask("0.00", share) + "%)");
        }
    }
    lines.Add("                         ---------");
    lines.Add("  Total        gram/min: " + Base::FormatMask("0.000 000", Mt));
    lines.Add("");

    const double litresPerKelvin = MolarVolume * Nt / ZeroCelsius;
    lines.Add("Volumetric flow (assuming everything is in gas state)");
    lines.Add("                mln/min: " + AlignRight(Base::FormatMask("0", MolarVolume * Nt * 1000.0), 6) +
              " (  0" + Degree + "C, 1013.25 mBar)");
    struct TFixedTemperature {
        double Kelvin;
        const char* Label;
    };
    const std::array<TFixedTemperature, 3> fixedTemperatures = {
        {{323.15, " 50"}, {373.15, "100"}, {423.15, "150"}}};
    for (const auto& fixed : fixedTemperatures) {
        lines.Add("                 ml/min: " +
                  AlignRight(Base::FormatMask("0", litresPerKelvin * fixed.Kelvin * 1000.0), 6) + " (" +
                  fixed.Label + Degree + "C, 1013.25 mBar)");
    }
    const double customFlow =
        litresPerKelvin * (customTempC + ZeroCelsius) * 1000.0 / (customPressmBar / NormalPressure);
    lines.Add("                 ml/min: " + AlignRight(Base::FormatMask("0", customFlow), 6) + " (" +
              PadLeft(Base::FormatGeneral(customTempC), 3) + Degree + "C, " +
              PadLeft(Base::FormatGeneral(customPressmBar), 4) + "    mBar)");
    lines.Add("");

    lines.Add("Concentration");
    for (const auto& entry : totals) {
        const TGasItem& gas = entry.Item;
        const float n = MolarFlow(gas);
        const double c = ConcentrationPPM(n, Nt);

        // A total that is not known (an entry without a usable molar mass) still gets its line,
        // showing "?" for what cannot be computed.
        if (!(totalMoles <= 0.0F)) {
            lines.Add("  " + AlignLeft(gas.GasNameMFC, 13) + " mol/min: " + Base::FormatMask("0.000 000", n) +
                      " (" + AlignRight(Base::FormatMask("# ### ###", c), 9) + " ppm)");
        }

        if (gas.GasNameMFC == "H2O") {
            const float s = SaturationShare(gas);
            const float h = RelativeHumidity(s, n, totalMoles);
            lines.Add(BoxEdge);
            lines.Add("             *   for " + Base::FormatGeneral(customTempC) + Degree + "C, " +
                      Base::FormatMask("0", gas.CustPressmBar) + " mbar");
            lines.Add("             *      ppm @ 100% RH -> " +
                      AlignRight(Base::FormatMask("# ### ###", static_cast<double>(s) * 1000000.0), 9) +
                      " ppm");
            lines.Add("             *        Current ppm -> " +
                      AlignRight(Base::FormatMask("# ### ###", c), 9) + " ppm");
            lines.Add("             *                 RH -> " +
                      AlignRight(Base::FormatMask("# ### ###", h), 9) + " %");
            lines.Add(BoxEdge);
        }

        if (gas.Fluid) {
            const std::string limit = AlignRight(Base::FormatMask("# ### ###", gas.FluidMaxPPM), 9);
            if (!std::isfinite(c)) {
                // A fluid concentration that cannot be known is not safe to run.
                mixture.Valid = false;
                lines.Add("    Fluid ppm unknown, treated as exceeding the fluid ppm limit  (" + limit +
                          " ppm)");
            } else if (static_cast<double>(gas.FluidMaxPPM) < c) {
                mixture.Valid = false;
                lines.Add("    Exceeding the fluid ppm limit  (" + limit + " ppm)");
            }
        }
    }
    return lines.Text();
}

namespace {

std::string PortShownName(const std::string& port) {
    // "/dev/serial/by-id/usb-FTDI_..-if00-port0" is told apart from its neighbours only by its
    // last part; a trailing separator is no part of the name.
    std::string name = port;
    while (name.size() > 1 && name.back() == '/') {
        name.pop_back();
    }
    const std::size_t slash = name.find_last_of('/');
    return slash == std::string::npos || slash + 1 == name.size() ? name : name.substr(slash + 1);
}

} // namespace

std::string MachineRecipeAsString(const TGasItem& mixture) {
    std::string text = "Machine recipe";
    text += Base::CRLF;
    // The device column is 21 characters wide; a long port name widens it for every line alike, so
    // that the port and the device number always show whole (two ports never read the same), with
    // room for at least ten characters of the gas name, and the mass column stays aligned.
    std::vector<std::string> prefixes;
    std::size_t width = 21;
    for (const TGasItem& component : mixture.Components) {
        prefixes.push_back(PortShownName(component.InstrumentPort) + ":" +
                           std::to_string(component.InstrumentID) + ":");
        width = std::max(width, Base::Utf8Length(prefixes.back()) + 10);
    }
    for (std::size_t i = 0; i < mixture.Components.size(); ++i) {
        const TGasItem& component = mixture.Components[i];
        text += "  ";
        text += AlignLeft(prefixes[i] + component.GasNameLong, static_cast<int>(width));
        text += Base::FormatMask("  0.000 000", component.Mass);
        text += " g/min ";
        if (component.Pulsed < 1.0F) {
            text +=
                "pulsed: " + Base::FormatMask("0.0", static_cast<double>(component.Pulsed) * 100.0) + " %";
        }
        text += Base::CRLF;
    }
    text += Base::CRLF;
    return text;
}

} // namespace GasMixtures
