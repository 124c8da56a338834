#include "pump/PumpSpeedFunction.h"

#include "base/NumberFormat.h"
#include "base/Rounding.h"
#include "base/Text.h"

#include <cmath>

namespace UnitMoistrelPumpSpeedFunction {

namespace {

constexpr double RampAcceleration = 35000.0; // steps/s², up and down alike
constexpr double StrokeOverhead_s = 0.4;
constexpr std::int32_t MinStrokeSteps = 24000;
constexpr double SecondsPerHour = 3600.0;
// Beyond this a double no longer rounds to a 64-bit integer.
constexpr double Int64Limit = 9.2e18;

void AppendLine(std::string& text, const char* label, const char* mask, double value) {
    text += label;
    text += Base::FormatMask(mask, value);
    text += Base::CRLF;
}

} // namespace

std::string PumpSpeedInfoName(TPumpSpeedInfo info) {
    switch (info) {
    case TPumpSpeedInfo::psUndefined:
        return "psUndefined";
    case TPumpSpeedInfo::psCalculated:
        return "psCalculated";
    case TPumpSpeedInfo::psOverCapacity:
        return "psOverCapacity";
    case TPumpSpeedInfo::psUndefinedSyringe:
        return "psUndefinedSyringe";
    case TPumpSpeedInfo::psFluidProblem:
        return "psFluidProblem";
    }
    return "psUndefined";
}

void TPumpDetails::Init() {
    *this = TPumpDetails{};
}

double CalculateStrokeTime(std::int32_t speed, std::int32_t steps) {
    if (speed < 1) {
        return -1.0;
    }
    if (steps < MinStrokeSteps) {
        return -2.0;
    }
    const double v = speed;
    const double rampTime = v / RampAcceleration;
    const double rampSteps = (v / 2.0) * rampTime;
    const double cruiseTime = (steps - rampSteps - rampSteps) / v;
    return cruiseTime + rampTime + rampTime + StrokeOverhead_s;
}

int FindOptimalSpeed(double target, double& strokeError) {
    int best = 1;
    double error = CalculateStrokeTime(1, SearchStrokeSteps) - target;
    for (int speed = 2; speed <= SearchTopSpeed; ++speed) {
        const double distance = CalculateStrokeTime(speed, SearchStrokeSteps) - target;
        // Strictly closer only: on a tie the lower speed stays.
        if (std::fabs(error) > std::fabs(distance)) {
            error = distance;
            best = speed;
        }
    }
    strokeError = error;
    return best;
}

bool CalculatePumpSpeed(TPumpDetails& details) {
    using enum TPumpSpeedInfo;

    const double volume = details.SyringeVolume_ul;
    if (!(volume >= 50.0) || volume > 12500.0) {
        details.Info = psUndefinedSyringe;
        return false;
    }

    std::string& text = details.Feedback;
    const double desired = details.DesiredDispense_ugpm;
    const double hourly = desired * 60.0;
    AppendLine(text, "          Desired dispense, µg/m: ", "### ###.###", desired);
    AppendLine(text, "          Desired dispense, µg/h: ", "### ###.###", hourly);

    const double syringeMass_mg = volume * details.FluidDensity;
    const double syringeDispense_ug = syringeMass_mg * 1000.0;
    // A syringe of no (or negative, or undefined) mass cannot dispense anything.
    if (!(syringeDispense_ug > 0.0) || !std::isfinite(syringeDispense_ug)) {
        details.Info = psFluidProblem;
        return false;
    }
    // A negative or undefined rate is no rate the pump can run at.
    if (!(desired >= 0.0) || !std::isfinite(desired)) {
        details.Info = psUndefined;
        return false;
    }
    AppendLine(text, "            Syringe dispense, µg: ", "#.###", syringeDispense_ug);

    const double dispensesPerHour = hourly / syringeDispense_ug;
    AppendLine(text, "           Full dispenses needed: ", "#.###", dispensesPerHour);
    const double retracting_s = details.RetractTime_s * dispensesPerHour;
    AppendLine(text, "        Time spent retracting, s: ", "#.###", retracting_s);
    const double dispensing_s = SecondsPerHour - retracting_s;
    AppendLine(text, "     Time left for dispensing, s: ", "#.###", dispensing_s);
    const double ratio = dispensing_s / SecondsPerHour;
    AppendLine(text, "                Dispensing ratio: ", "0.000", ratio);

    if (dispensesPerHour == 0.0) {
        details.Info = psCalculated;
        details.PumpFrequency = 0;
        details.AchievedDispense_ugpm = 0.0;
        return true;
    }

    const double perDispense_s = dispensing_s / dispensesPerHour;
    AppendLine(text, "     Time available per dispense: ", "0.000", perDispense_s);

    double strokeError_s = 0.0;
    const int optimal = FindOptimalSpeed(perDispense_s, strokeError_s);
    const double required = optimal * ((perDispense_s + strokeError_s) / perDispense_s);
    const double achievableShare = perDispense_s / (perDispense_s + strokeError_s);

    AppendLine(text, "      Optimal dispense speed, Hz: ", "0", optimal);
    AppendLine(text, "                 Stroke error, s: ", "0.000", strokeError_s);
    AppendLine(text, "     Required dispense speed, Hz: ", "0", required);

    // A pump model without steps gives no usable speed: that is a failure, not a result.
    if (details.TotalSteps <= 0) {
        details.Info = psUndefinedSyringe;
        return false;
    }
    // When refilling alone eats the hour there is no time left to dispense in: no speed can do it.
    const bool noTimeLeft = !(perDispense_s > 0.0);
    const bool beyondAnySpeed = !std::isfinite(required) || std::fabs(required) >= Int64Limit;
    if (noTimeLeft || beyondAnySpeed ||
        static_cast<std::int64_t>(details.MaxSpeed) < Base::RoundHalfEven(required)) {
        details.Info = psOverCapacity;
        return false;
    }

    details.Info = psCalculated;
    details.PumpFrequency = optimal;
    details.AchievedDispense_ugpm = desired * achievableShare;
    return true;
}

std::int64_t CalculateMaxDispense(const TPumpDetails& details) {
    const double syringeDispense_ug = details.SyringeVolume_ul * details.FluidDensity * 1000.0;
    const double strokesPerMinute = 60.0 / (details.RetractTime_s * 2.0);
    const double bound = (strokesPerMinute * syringeDispense_ug) * 1.25;
    if (!std::isfinite(bound) || std::fabs(bound) >= Int64Limit) {
        return 0;
    }
    return Base::RoundHalfEven(bound);
}

} // namespace UnitMoistrelPumpSpeedFunction
