#pragma once
// TGasItem: the one record of the program. It describes a catalogue substance, a component of a
// mixture, the pump's liquid, one flow of a segment, and a segment itself (whose components are its
// flows). It is a plain value: a copy owns its strings and every one of its components.
// A default-constructed item is all zero, empty and false; this is also what a dictionary of gas
// items gives for a missing key.

#include "base/DateTime.h"
#include "model/SegmentTarget.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace GasMixtures {

struct TGasItem {
    std::string StepName;             // segment: its name
    double StepTime = 0.0;            // segment: duration in hours
    std::string GasNameMFC;           // short symbol ("Ar", "H2O"; "MIX_" + name for a liquid flow)
    std::string GasNameLong;          // long name ("Argon", "Water pure")
    std::int32_t InstrumentID = 0;    // 0 MFC A, 1 MFC B, 2 pump
    std::string InstrumentPort;       // serial port of that device
    std::string PumpCommand;          // liquid flow: the pump command that dispenses it
    float MolarMass = 0.0F;           // g/mol
    float PartialPressure = 0.0F;     // mole fraction within its mixture
    float Mass = 0.0F;                // mass flow, g/min (designed liquid parts: first the entered parts)
    float MixtureMass = 0.0F;         // designed liquid component: mass part as entered
    float DensityFluid20C = 0.0F;     // g/ml at 20 ºC
    float MolPerML = 0.0F;            // liquid: mol per ml
    float MGperStroke = 0.0F;         // liquid: mg per full syringe stroke
    float Pulsed = 0.0F;              // flow: share of the device's lowest flow, capped at 1.0
    bool Fluid = false;               // the liquid dispensed by the pump
    std::int32_t FluidMaxPPM = 0;     // upper limit of the liquid's concentration, ppm
    bool Valid = false;               // segment: false when it may not be run
    float CustTempC = 0.0F;           // ºC, for the water vapour figures
    float CustPressmBar = 0.0F;       // mbar, for the same
    std::vector<TGasItem> Components; // parts of a mixture, or flows of a segment
    // segment: the target it was solved for; none when its flows were set by hand
    std::optional<TSegmentTarget> Target;

    // Resets the item for reuse. MixtureMass, DensityFluid20C, MolPerML and MGperStroke keep their
    // values.
    void Init();

    // Description of a liquid mixture, one CR LF terminated line each: name, the given save time,
    // density and the components with their entered mass parts.
    [[nodiscard]] std::string FluidMixtureAsString(Base::TDateTime savedAt) const;

    bool operator==(const TGasItem& other) const = default;
};

} // namespace GasMixtures
