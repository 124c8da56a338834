#pragma once
// What a segment was made to reach, when it was made from a target rather than from flows typed by
// hand: the kind of target and its value, the carrier flow and MFC B's share of it, and the
// conditions. It holds everything the target solver needs to find the segment's flows again, so a
// segment of a target can be rebuilt on a mixer that holds another syringe, liquid or gas tables.

#include <cstdint>
#include <string>

namespace GasMixtures {

enum class TTargetKind : std::uint8_t {
    tkRelativeHumidity, // % of water at the conditions' temperature and pressure
    tkDewPoint,         // ºC of water at the conditions' pressure; a frost point at and below 0 ºC
    tkPPM,              // mol/mol × 10⁶ of one substance of the liquid
};

enum class TCarrierUnit : std::uint8_t {
    cuGramsPerMinute,
    cuNormalLitresPerMinute, // litres at 0 ºC and 1013.25 mbar, as the mixture report counts them
};

struct TTarget {
    TTargetKind Kind = TTargetKind::tkRelativeHumidity;
    double Value = 0.0;
    std::string Substance; // tkPPM: the substance's symbol or long name ("C2H6O", "Ethanol")
    bool operator==(const TTarget&) const = default;
};

struct TTargetInput {
    TTarget Target;
    double Carrier = 0.0; // the total of MFC A and MFC B, in CarrierUnit
    TCarrierUnit CarrierUnit = TCarrierUnit::cuGramsPerMinute;
    double BSharePercent = 0.0; // share of the carrier that MFC B carries, by mass (g/min) or volume (ln/min)
    double TempC = 0.0;         // the conditions of the RH and the dew point
    double Pressure_mbar = 0.0;
    bool operator==(const TTargetInput&) const = default;
};

// A segment's target: what solves it, and the name it is shown by ("RH 50 %", "Ethanol 50 ppm").
struct TSegmentTarget {
    TTargetInput Input;
    std::string Name;
    bool operator==(const TSegmentTarget&) const = default;
};

} // namespace GasMixtures
