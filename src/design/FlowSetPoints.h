#pragma once
// The A, B and C flow set-points of the design screen. Each flow has a field in µg/min and a track
// bar of ten steps; whichever of the two has the input focus leads and the other follows. The A and
// B flows stay inside the range of their MFC's active gas table; the C flow goes through the pump
// speed function, which gives the flow the pump really achieves and the pump's run command.
// Inside the program flows are g/min; a field value v in µg/min is v / 1 000 000 g/min.

#include "mfc/MFCDetails.h"
#include "pump/PumpSettings.h"
#include "pump/PumpSpeedFunction.h"

#include <cstdint>
#include <string>

namespace Design {

inline constexpr int TrackBarMinimum = 0;
inline constexpr int TrackBarMaximum = 10;
inline constexpr double MicrogramsPerGram = 1000000.0;

// Which of a flow's two controls has the input focus.
enum class TFlowFocus : std::uint8_t { ffNone, ffField, ffTrackBar };

// The part of an MFC record a flow update needs.
struct TMFCRange {
    bool Usable = false;   // validated and a gas table chosen
    std::string NameOwn;   // gas of the active table
    float RangeMax = 0.0F; // g/min
    float RangeMin = 0.0F; // g/min
};
TMFCRange MFCRangeOf(const SerialPortVogtlin::TMFCDetails& mfc);

struct TFlowInput {
    TMFCRange Range;
    std::int64_t FieldValue = 0; // µg/min
    int TrackBarPosition = 0;
    TFlowFocus Focus = TFlowFocus::ffNone;
    bool UpdateFromCode = false; // the field follows the track bar even without its focus
    // The operator is still typing in the field (a key released in it, not Return). A B flow at or
    // below the minimum becomes no flow only once the typing ends, or no B flow could be typed
    // digit by digit: every first digit lies below the minimum.
    bool Typing = false;
};

struct TFlowResult {
    bool Usable = false;
    std::string Caption;         // GroupBoxY1 / GroupBoxY2
    std::int64_t FieldValue = 0; // µg/min
    int TrackBarPosition = 0;
    std::string Label;               // Label10 / Label45: the flow in g/min
    double CurrentMaxFlow = 0.0;     // g/min; for the MFC record (only when Usable)
    double CurrentDesiredFlow = 0.0; // g/min; likewise
    std::string DiagnosticMessage;   // for the diagnostic log; empty when there is none
};

TFlowResult FlowUpdateY1(const TFlowInput& input);
TFlowResult FlowUpdateY2(const TFlowInput& input);

// Writes CurrentMaxFlow and CurrentDesiredFlow of a usable result into the MFC record.
void ApplyFlowResult(SerialPortVogtlin::TMFCDetails& mfc, const TFlowResult& result);

// " = 0.012 345  g/min": a flow field value in g/min under the label's mask.
std::string FlowLabel(std::int64_t fieldValue_ugpm);

// The pump settings the C flow needs.
struct TPumpSetup {
    std::int32_t SyringeVolume_ul = 0;
    float FluidDensity = 0.0F;
    std::int32_t Steps = 0;
    std::int32_t MaxSpeed = 0;
};
TPumpSetup PumpSetupOf(const UnitMain::TPumpDetails& pump);

struct TFluidFlowInput {
    double DurationHours = 0.0; // RtDoubleEditStepDuration
    double FieldValue = 0.0;    // RtDoubleEditFluidFlow, µg/min
    int TrackBarPosition = 0;   // RzTrackBarFluid
    TFlowFocus Focus = TFlowFocus::ffNone;
    TPumpSetup Pump;
};

struct TFluidFlowResult {
    std::string DurationLabel; // Label31, "hh:mm"
    double FieldMinimum = 0.0; // bounds of RtDoubleEditFluidFlow
    double FieldMaximum = 0.0;
    double FieldValue = 0.0; // inside the bounds
    int TrackBarPosition = 0;
    std::string PumpCommand; // Label30
    double Achievable = 0.0; // RtDoubleEditAchievableFluid, µg/min
    std::string SpeedLabel;  // Label55
    std::string MemoPump;    // the calculation text, lines ending in CR LF
    UnitMoistrelPumpSpeedFunction::TPumpSpeedInfo Info =
        UnitMoistrelPumpSpeedFunction::TPumpSpeedInfo::psUndefined;
    std::int32_t PumpFrequency = 0;
};

TFluidFlowResult FluidFlowUpdate(const TFluidFlowInput& input);

// Upper bound of the C flow field, µg/min (the lower bound is 0).
std::int32_t FluidFlowMaximum(const TPumpSetup& pump);

// "/1TgV48000IA192000V64OA0G0R": an endless cycle of a fast full fill and an empty stroke at
// `frequency`. No line end; the sender adds it.
std::string PumpRunCommand(std::int32_t maxSpeed, std::int32_t steps, std::int32_t frequency);

// Label31: whole hours and minutes, "02:30" for 2.5.
std::string DurationLabel(double hours);

struct TTrackBarPositions {
    int A = 0;
    int B = 0;
    int C = 0;
};

// All three track bars from the field values, after a segment has been loaded into the fields.
// `current` is kept for a flow whose range is empty (maximum equal to minimum, or a C maximum of 0).
TTrackBarPositions UpdateTrackbars(const SerialPortVogtlin::TMFCDetails& mfcA, std::int64_t flowA,
                                   const SerialPortVogtlin::TMFCDetails& mfcB, std::int64_t flowB,
                                   double fluidFlow, double fluidMaximum, const TTrackBarPositions& current);

} // namespace Design
