#pragma once
// Everything the program keeps between two operator actions: the operating state, the pump and its
// liquid, the two MFC records, the segment program and the designed liquid. The app owns exactly one
// of these and passes it to the behaviour code; nothing else keeps program state.

#include "mfc/MFCDetails.h"
#include "model/GasItem.h"
#include "pump/PumpSettings.h"
#include "state/DesignInputs.h"
#include "state/ProgramSettings.h"
#include "state/RunState.h"

#include <cstdint>
#include <vector>

namespace UnitMain {

// The operating state byte.
using TMixerState = std::uint8_t;
inline constexpr TMixerState msSimulation = 0; // instruments not validated; demonstration values
inline constexpr TMixerState msValidated = 1;  // validated and stopped
inline constexpr TMixerState msRunning = 2;
inline constexpr TMixerState msStopping = 3;
inline constexpr TMixerState msCannotStop = 6; // a stop could not be confirmed

// Which of the two MFCs.
enum class TMFCSide : std::uint8_t { msA, msB };

struct TMoistrelState {
    TMixerState MixerState = msSimulation;

    TPumpDetails PumpDetails;
    // Whether the last validation ended with every instrument confirming its stop (the pump's
    // answer, both MFCs reading back a zero set-point). Gas selection makes the mixer ready only then.
    bool ValidationStopConfirmed = false;
    SerialPortVogtlin::TMFCDetails MFCADetails;
    SerialPortVogtlin::TMFCDetails MFCBDetails;

    // The segments in execution order.
    std::vector<GasMixtures::TGasItem> SegmentProgram;

    // The liquid as the designer last computed it; becomes PumpDetails.Fluid only on "Apply and save".
    GasMixtures::TGasItem DesignedMixture;

    // What the operator typed for the design beyond the flows; kept here as it is typed.
    TDesignInputs DesignInputs;

    // What the settings file gives the program besides the pump and the design.
    TProgramSettings Settings;

    // The running program: segment, tick guard, the worker's exchange record and figures.
    TRunState Run;

    // True while the MFC's gas tables are the demonstration values rather than tables read from the
    // instrument. Identification of the MFC ends it; a validation that does not find the MFC gives
    // it back (see RecordMFCIdentification).
    bool MFCADemonstration = true;
    bool MFCBDemonstration = true;

    SerialPortVogtlin::TMFCDetails& MFCDetails(TMFCSide side);
    [[nodiscard]] const SerialPortVogtlin::TMFCDetails& MFCDetails(TMFCSide side) const;
    bool& Demonstration(TMFCSide side);
    [[nodiscard]] bool Demonstration(TMFCSide side) const;
};

// The active gas table of an MFC, or nullptr when none is chosen (ActiveLUT outside 2 to 11).
const SerialPortVogtlin::TLUTData* ActiveLUTData(const SerialPortVogtlin::TMFCDetails& mfc);
SerialPortVogtlin::TLUTData* ActiveLUTData(SerialPortVogtlin::TMFCDetails& mfc);

// What the instrument validation calls for each MFC after it has tried to identify it: an MFC whose
// tables were read from the instrument leaves the demonstration for good (until a later validation
// does not find it); one that was not found (or not queried) returns to the demonstration values,
// which the next ApplysimulationValues writes into its table 2.
void RecordMFCIdentification(TMoistrelState& state, TMFCSide side, bool identified);

} // namespace UnitMain
