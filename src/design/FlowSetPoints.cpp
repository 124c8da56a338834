#include "design/FlowSetPoints.h"

#include "base/NumberFormat.h"
#include "base/Rounding.h"
#include "base/Text.h"
#include "state/MoistrelState.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace Design {

namespace Speed = UnitMoistrelPumpSpeedFunction;

namespace {

// A track bar takes any position and shows it clamped to its range. Clamping before rounding keeps
// huge quotients out of the integer conversion and gives the same position.
int TrackBarPosition(double exact) {
    if (std::isnan(exact)) {
        return TrackBarMinimum;
    }
    const double clamped =
        std::clamp(exact, static_cast<double>(TrackBarMinimum), static_cast<double>(TrackBarMaximum));
    return static_cast<int>(Base::RoundHalfEven(clamped));
}

int ClampTrackBar(int position) {
    return std::clamp(position, TrackBarMinimum, TrackBarMaximum);
}

// The one routine behind both gas flows; MFC B differs in three details (see the callers).
TFlowResult FlowUpdate(const TFlowInput& input, bool isB) {
    const std::string component = isB ? "B-component:" : "A-component:";
    const std::string mfcName = isB ? "MFC B" : "MFC A";

    TFlowResult result;
    result.Usable = input.Range.Usable;
    result.FieldValue = input.FieldValue;
    result.TrackBarPosition = ClampTrackBar(input.TrackBarPosition);

    if (!input.Range.Usable) {
        result.Caption = component;
        result.FieldValue = 0;
        // The label follows the field, so it never shows a flow the field no longer holds.
        result.Label = FlowLabel(result.FieldValue);
        return result;
    }

    result.Caption = component + " " + input.Range.NameOwn;

    const auto rangeMax = static_cast<double>(input.Range.RangeMax);
    const double rMax = rangeMax * MicrogramsPerGram;
    const double rMin = static_cast<double>(input.Range.RangeMin) * MicrogramsPerGram;
    std::int64_t& v = result.FieldValue;

    if (isB) {
        // MFC B cannot deliver less than its minimum and has no pulsed mode: at or below the minimum
        // the flow becomes no flow. The minimum is held in single precision, so the field is compared
        // in that precision too: the whole µg/min the track bar gives for the minimum counts as it.
        if (!input.Typing && v != 0 &&
            static_cast<float>(static_cast<double>(v) / MicrogramsPerGram) <= input.Range.RangeMin) {
            v = 0;
        }
        if (static_cast<double>(v) > rMax) {
            result.DiagnosticMessage =
                mfcName + " Too large flow in textbox. Limit is " + Base::FormatGeneral(rangeMax);
            v = Base::RoundHalfEven(rMax);
        }
    } else if (static_cast<double>(v) / MicrogramsPerGram > rangeMax) {
        result.DiagnosticMessage =
            mfcName + " Too large flow in textbox. Limit is " + Base::FormatGeneral(rangeMax);
        v = static_cast<std::int64_t>(std::floor(rMax));
    }

    const double span = rMax - rMin;
    if (span != 0.0) {
        if (input.Focus == TFlowFocus::ffField) {
            result.TrackBarPosition =
                TrackBarPosition((static_cast<double>(v) - rMin) / span * TrackBarMaximum);
        } else if (input.UpdateFromCode || input.Focus == TFlowFocus::ffTrackBar) {
            const auto p = static_cast<double>(result.TrackBarPosition);
            v = Base::RoundHalfEven(p / TrackBarMaximum * span + rMin);
        }
    }

    result.Label = FlowLabel(v);
    result.CurrentMaxFlow = rangeMax;
    result.CurrentDesiredFlow = static_cast<double>(v) / MicrogramsPerGram;
    return result;
}

Speed::TPumpDetails SpeedRecord(const TPumpSetup& pump, double desired) {
    Speed::TPumpDetails record;
    record.Init();
    record.SyringeVolume_ul = pump.SyringeVolume_ul;
    record.FluidDensity = static_cast<double>(pump.FluidDensity);
    record.TotalSteps = pump.Steps;
    record.MaxSpeed = pump.MaxSpeed;
    record.DesiredDispense_ugpm = desired;
    return record;
}

} // namespace

TMFCRange MFCRangeOf(const SerialPortVogtlin::TMFCDetails& mfc) {
    TMFCRange range;
    const SerialPortVogtlin::TLUTData* entry = UnitMain::ActiveLUTData(mfc);
    if (mfc.Validated && entry != nullptr) {
        range.Usable = true;
        range.NameOwn = entry->NameOwn;
        range.RangeMax = entry->RangeMax;
        range.RangeMin = entry->RangeMin;
    }
    return range;
}

TFlowResult FlowUpdateY1(const TFlowInput& input) {
    return FlowUpdate(input, false);
}

TFlowResult FlowUpdateY2(const TFlowInput& input) {
    return FlowUpdate(input, true);
}

void ApplyFlowResult(SerialPortVogtlin::TMFCDetails& mfc, const TFlowResult& result) {
    if (result.Usable) {
        mfc.CurrentMaxFlow = result.CurrentMaxFlow;
        mfc.CurrentDesiredFlow = result.CurrentDesiredFlow;
    }
}

std::string FlowLabel(std::int64_t fieldValue_ugpm) {
    return Base::FormatMask(" = 0.### ### ### g/min",
                            static_cast<double>(fieldValue_ugpm) / MicrogramsPerGram);
}

TPumpSetup PumpSetupOf(const UnitMain::TPumpDetails& pump) {
    TPumpSetup setup;
    setup.SyringeVolume_ul = pump.SYRINGE_VOLUMEul;
    setup.FluidDensity = pump.Fluid.DensityFluid20C;
    setup.Steps = pump.SYRINGE_STEPS;
    setup.MaxSpeed = pump.SYRINGE_MAXSPEED;
    return setup;
}

std::int32_t FluidFlowMaximum(const TPumpSetup& pump) {
    const std::int64_t maximum = Speed::CalculateMaxDispense(SpeedRecord(pump, 0.0));
    return static_cast<std::int32_t>(
        std::clamp<std::int64_t>(maximum, 0, std::numeric_limits<std::int32_t>::max()));
}

std::string PumpRunCommand(std::int32_t maxSpeed, std::int32_t steps, std::int32_t frequency) {
    return "/1TgV" + std::to_string(maxSpeed) + "IA" + std::to_string(steps) + "V" +
           std::to_string(frequency) + "OA0G0R";
}

std::string DurationLabel(double hours) {
    if (!std::isfinite(hours)) {
        hours = 0.0;
    }
    // Whole hours stay a double: far more of them than a 64-bit integer holds can be typed.
    const double whole = std::trunc(hours);
    const std::int64_t minutes = Base::RoundHalfEven((hours - whole) * 60.0);
    return Base::FormatMaskOrGeneral("00", whole) + ":" +
           Base::FormatMask("00", static_cast<double>(minutes));
}

TFluidFlowResult FluidFlowUpdate(const TFluidFlowInput& input) {
    TFluidFlowResult result;
    result.DurationLabel = DurationLabel(input.DurationHours);

    result.FieldMinimum = 0.0;
    result.FieldMaximum = static_cast<double>(FluidFlowMaximum(input.Pump));
    result.FieldValue = std::clamp(input.FieldValue, result.FieldMinimum, result.FieldMaximum);
    result.TrackBarPosition = ClampTrackBar(input.TrackBarPosition);

    if (input.Focus == TFlowFocus::ffField) {
        result.TrackBarPosition =
            result.FieldMaximum > 0.0
                ? TrackBarPosition(TrackBarMaximum * result.FieldValue / result.FieldMaximum)
                : TrackBarMinimum;
    } else if (input.Focus == TFlowFocus::ffTrackBar) {
        const auto p = static_cast<double>(result.TrackBarPosition);
        result.FieldValue =
            static_cast<double>(Base::RoundHalfEven(p / TrackBarMaximum * result.FieldMaximum));
    }

    Speed::TPumpDetails record = SpeedRecord(input.Pump, result.FieldValue);
    const bool ok = Speed::CalculatePumpSpeed(record);
    result.Info = record.Info;
    if (!ok) {
        result.PumpCommand = "/1T";
        result.Achievable = 0.0;
        result.SpeedLabel = Speed::PumpSpeedInfoName(record.Info);
    } else if (record.PumpFrequency <= 0) {
        result.PumpCommand = "/1T";
        result.Achievable = 0.0;
        result.SpeedLabel = "0";
    } else {
        result.PumpCommand = PumpRunCommand(input.Pump.MaxSpeed, input.Pump.Steps, record.PumpFrequency);
        result.Achievable = record.AchievedDispense_ugpm;
        result.SpeedLabel = std::to_string(record.PumpFrequency);
        result.PumpFrequency = record.PumpFrequency;
    }

    std::string& memo = result.MemoPump;
    memo = record.Feedback;
    memo += Base::CRLF;
    memo += "     Status   : " + Speed::PumpSpeedInfoName(record.Info);
    memo += Base::CRLF;
    memo += "     Speed Hz : " + std::to_string(record.PumpFrequency);
    memo += Base::CRLF;
    memo += "Dispense µg/m : " + Base::FormatGeneral(record.AchievedDispense_ugpm);
    memo += Base::CRLF;
    return result;
}

TTrackBarPositions UpdateTrackbars(const SerialPortVogtlin::TMFCDetails& mfcA, std::int64_t flowA,
                                   const SerialPortVogtlin::TMFCDetails& mfcB, std::int64_t flowB,
                                   double fluidFlow, double fluidMaximum, const TTrackBarPositions& current) {
    const auto gasPosition = [](const SerialPortVogtlin::TMFCDetails& mfc, std::int64_t flow, int keep) {
        const SerialPortVogtlin::TLUTData* entry = UnitMain::ActiveLUTData(mfc);
        if (entry == nullptr) {
            return ClampTrackBar(keep);
        }
        const double rMax = static_cast<double>(entry->RangeMax) * MicrogramsPerGram;
        const double rMin = static_cast<double>(entry->RangeMin) * MicrogramsPerGram;
        if (rMax - rMin == 0.0) {
            return ClampTrackBar(keep);
        }
        return TrackBarPosition((static_cast<double>(flow) - rMin) / (rMax - rMin) * TrackBarMaximum);
    };

    TTrackBarPositions positions;
    positions.A = gasPosition(mfcA, flowA, current.A);
    positions.B = gasPosition(mfcB, flowB, current.B);
    positions.C = fluidMaximum > 0.0 ? TrackBarPosition(fluidFlow / fluidMaximum * TrackBarMaximum)
                                     : ClampTrackBar(current.C);
    return positions;
}

} // namespace Design
