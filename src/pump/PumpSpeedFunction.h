#pragma once
// The pump speed function: turns a wanted fluid rate (µg/min) into a speed for the syringe pump,
// predicts the rate that speed really delivers, and writes the calculation as text for the operator.
// The pump works in full strokes: it empties the whole syringe at one speed and then refills it,
// which takes a fixed retract time. The calculation plans one hour of such strokes.
// No state, no device: the flow set-points fill the record, call it and read the outputs.

#include <cstdint>
#include <string>

namespace UnitMoistrelPumpSpeedFunction {

// Outcome of a calculation, in this order (ordinals 0 to 4).
enum class TPumpSpeedInfo : std::uint8_t {
    psUndefined,        // nothing calculated yet
    psCalculated,       // a speed was found, or there is nothing to dispense
    psOverCapacity,     // the speed needed is above what the pump can do
    psUndefinedSyringe, // syringe volume outside 50 to 12 500 µL, or a stroke of no steps
    psFluidProblem,     // a full syringe holds no mass
};

// The operator-visible name of an outcome: "psUndefined", "psCalculated", ...
std::string PumpSpeedInfoName(TPumpSpeedInfo info);

// The record that goes in and comes out of the calculation.
struct TPumpDetails {
    // in
    double SyringeVolume_ul = 5.0;
    double FluidDensity = 0.0; // g/ml at 20 ºC
    std::int32_t TotalSteps = 192000;
    std::int32_t MaxSpeed = 0; // Hz
    double RetractTime_s = 5.78;
    double DesiredDispense_ugpm = 0.0;
    // out
    TPumpSpeedInfo Info = TPumpSpeedInfo::psUndefined;
    std::int32_t PumpFrequency = 0; // Hz; 0 when there is none
    double AchievedDispense_ugpm = 0.0;
    std::string Feedback; // the calculation, lines ending in CR LF

    // Back to the state above; callers call it before every calculation (Feedback is appended to).
    void Init();
};

// Strokes the speed search assumes, whatever the pump model.
inline constexpr std::int32_t SearchStrokeSteps = 192000;
// The speed search covers 1 Hz to this speed.
inline constexpr std::int32_t SearchTopSpeed = 48000;

// Sets Info and, when a speed is found, PumpFrequency and AchievedDispense_ugpm; appends the
// calculation to Feedback. True when the outcome is usable (a speed found, or nothing to dispense).
bool CalculatePumpSpeed(TPumpDetails& details);

// Upper bound of the fluid flow field, µg/min: one full syringe per two retract times, plus a
// quarter. 0 when the inputs give no finite bound.
std::int64_t CalculateMaxDispense(const TPumpDetails& details);

// Seconds of one stroke of `steps` steps at `speed` Hz, ramps and overhead included;
// -1 for a speed below 1 Hz, -2 for fewer than 24 000 steps.
double CalculateStrokeTime(std::int32_t speed, std::int32_t steps);

// The speed (1 to 48 000 Hz) whose 192 000-step stroke lasts closest to `target` seconds; on equal
// distances the lower speed. `strokeError` receives that stroke time minus the target.
int FindOptimalSpeed(double target, double& strokeError);

} // namespace UnitMoistrelPumpSpeedFunction
