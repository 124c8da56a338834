#include "sim/VirtualMfc.h"

#include "modbus/ModbusCrc.h"
#include "modbus/VogtlinRegisters.h"
#include "sim/RegisterWords.h"

#include <algorithm>
#include <bit>
#include <cmath>

namespace Sim {

namespace SV = SerialPortVogtlin;

namespace {

constexpr std::uint8_t ExceptionIllegalFunction = 1;
constexpr std::uint8_t ExceptionIllegalAddress = 2;
constexpr std::uint8_t ExceptionIllegalValue = 3;
constexpr std::uint8_t ExceptionDeviceFailure = 4;
constexpr std::uint16_t MaxReadRegisters = 125;
constexpr std::uint16_t MaxWriteRegisters = 123;

std::uint16_t Word(std::span<const std::uint8_t> bytes, std::size_t at) {
    return static_cast<std::uint16_t>((bytes[at] << 8U) | bytes[at + 1]);
}

void PutWord(std::vector<std::uint8_t>& out, std::uint16_t value) {
    out.push_back(static_cast<std::uint8_t>(value >> 8U));
    out.push_back(static_cast<std::uint8_t>(value & 0xFFU));
}

std::vector<std::uint8_t> ExceptionReply(std::uint8_t address, std::uint8_t function, std::uint8_t code) {
    std::vector<std::uint8_t> reply{address, static_cast<std::uint8_t>(function | 0x80U), code};
    SV::AppendCRC(reply);
    return reply;
}

// Totalizer units and their size in grams (litre units need the density).
double UnitsPerGram(const TGasTableConfig* table) {
    if (table == nullptr) {
        return 1.0;
    }
    const std::string& unit = table->TotalizerUnit;
    const double density = table->Density_gpl > 0.0F ? table->Density_gpl : 1.0;
    if (unit == "mg") {
        return 1000.0;
    }
    if (unit == "kg") {
        return 0.001;
    }
    if (unit == "ln" || unit == "ln*") {
        return 1.0 / density;
    }
    if (unit == "mln") {
        return 1000.0 / density;
    }
    return 1.0;
}

} // namespace

TVirtualMfc::TVirtualMfc(TMfcConfig config, double nowSeconds)
    : fConfig(std::move(config)), fLastTime(nowSeconds), fActiveTable(fConfig.InitialActiveTable),
      fControlCheck(fConfig.ControlCheck), fRandom(fConfig.NoiseSeed) {}

void TVirtualMfc::SetFault(TSimFault fault, bool on) {
    const unsigned bit = 1U << static_cast<unsigned>(fault);
    fFaults = on ? (fFaults | bit) : (fFaults & ~bit);
}

bool TVirtualMfc::HasFault(TSimFault fault) const {
    return (fFaults & (1U << static_cast<unsigned>(fault))) != 0;
}

const TGasTableConfig* TVirtualMfc::Table(std::uint16_t number) const {
    if (number < SV::FirstGasTable || number > SV::LastGasTable) {
        return nullptr;
    }
    const std::size_t index = number - SV::FirstGasTable;
    return index < fConfig.Tables.size() ? &fConfig.Tables[index] : nullptr;
}

double TVirtualMfc::ActiveFullScale() const {
    const TGasTableConfig* table = ActiveTable();
    return table != nullptr ? std::max(0.0F, table->FullScale) : 0.0;
}

void TVirtualMfc::Advance(double now) {
    const double dt = now - fLastTime;
    if (!(dt > 0.0)) {
        return;
    }
    fLastTime = now;
    const float setPoint = std::bit_cast<float>(fSetPointBits);
    const double target =
        std::isfinite(setPoint) ? std::clamp(static_cast<double>(setPoint), 0.0, ActiveFullScale()) : 0.0;
    const double tau = fConfig.TimeConstantSeconds;
    double integral = 0.0; // g/min times seconds
    if (tau > 0.0) {
        const double decay = std::exp(-dt / tau);
        integral = target * dt + (fFlow - target) * tau * (1.0 - decay);
        fFlow = target + (fFlow - target) * decay;
    } else {
        integral = target * dt;
        fFlow = target;
    }
    fTotalizer_g += integral / 60.0;
    if (target == 0.0 && fFlow < 1e-9) {
        fFlow = 0.0;
    }
}

float TVirtualMfc::MeasuredFlow() {
    const double fullScale = ActiveFullScale();
    const float setPoint = std::bit_cast<float>(fSetPointBits);
    // Zero suppression: a closed valve reads exactly 0, as real MFCs show it.
    if (!(setPoint > 0.0F) && fFlow < 0.001 * fullScale) {
        return 0.0F;
    }
    const double noisy = fFlow + fConfig.NoiseFraction * fullScale * fNoise(fRandom);
    return static_cast<float>(std::max(0.0, noisy));
}

double TVirtualMfc::TotalizerInUnit() const {
    return fTotalizer_g * UnitsPerGram(ActiveTable());
}

void TVirtualMfc::SetTotalizerFromUnit(double value) {
    fTotalizer_g = value / UnitsPerGram(ActiveTable());
}

bool TVirtualMfc::IsSilent(std::uint16_t start, std::uint16_t count) const {
    const TGasTableConfig* shown = Table(fShownTable);
    for (std::uint32_t reg = start; reg < static_cast<std::uint32_t>(start) + count; ++reg) {
        const auto r = static_cast<std::uint16_t>(reg);
        if (fConfig.SilentRegisters.contains(r) || (shown != nullptr && shown->SilentRegisters.contains(r))) {
            return true;
        }
    }
    return false;
}

// The value that register `reg` belongs to, as whole words; `fieldStart` receives its first register.
std::optional<std::vector<std::uint16_t>> TVirtualMfc::FieldWords(std::uint16_t reg,
                                                                  std::uint16_t& fieldStart) {
    for (const SV::TRegisterInfo& field : SV::VogtlinRegisterMap) {
        const std::uint32_t width = SV::RegisterWidth(field.Type);
        if (reg < field.Register || reg >= field.Register + width) {
            continue;
        }
        fieldStart = field.Register;
        static const TGasTableConfig EmptyTable{.NameShort = "",
                                                .NameCustom = "",
                                                .Unit = "",
                                                .FullScale = 0.0F,
                                                .DynamicRange = 0,
                                                .Density_gpl = 0.0F,
                                                .TotalizerUnit = "",
                                                .TotalizerScaling = 0.0F,
                                                .SilentRegisters = {}};
        const TGasTableConfig* shownPtr = Table(fShownTable);
        const TGasTableConfig& shown = shownPtr != nullptr ? *shownPtr : EmptyTable;
        switch (field.Register) {
        case SV::regMeasuredFlow:
            return WordsOfF32(MeasuredFlow());
        case SV::regTotalizer:
            return WordsOfF32(static_cast<float>(TotalizerInUnit()));
        case SV::regSetPoint:
            return WordsOfU32(HasFault(sfStuckSetPoint) ? std::bit_cast<std::uint32_t>(1.0F) : fSetPointBits);
        case SV::regControlCheck:
            return std::vector<std::uint16_t>{fControlCheck};
        case SV::regSerialNumber:
            return WordsOfU32(fConfig.Serial);
        case SV::regDeviceType:
            return WordsOfText(fConfig.DeviceType, width);
        case SV::regControlRelease:
            return std::vector<std::uint16_t>{fControlRelease};
        case SV::regEndIdentification:
            return std::vector<std::uint16_t>{fEndIdentification};
        case SV::regActiveGasTable:
            return std::vector<std::uint16_t>{fActiveTable};
        case SV::regShownGasTable:
            return std::vector<std::uint16_t>{fShownTable};
        case SV::regTableRangeMax:
            return WordsOfF32(shown.FullScale);
        case SV::regTableNameCustom:
            return WordsOfText(shown.NameCustom, width);
        case SV::regTableNameShort:
            return WordsOfText(shown.NameShort, width);
        case SV::regTableUnit:
            return WordsOfText(shown.NameShort.empty() ? std::string() : shown.Unit, width);
        case SV::regTableDensity:
            return WordsOfF32(shown.Density_gpl);
        case SV::regTableDynamicRange:
            return std::vector<std::uint16_t>{shown.DynamicRange};
        case SV::regTotalizerScaling:
            return WordsOfF32(shown.TotalizerScaling);
        case SV::regTotalizerUnit:
            return WordsOfText(shown.TotalizerUnit, width);
        default:
            return std::nullopt;
        }
    }
    return std::nullopt;
}

std::optional<std::uint16_t> TVirtualMfc::ReadWord(std::uint16_t reg) {
    if (const auto found = fConfig.ReadOverrides.find(reg); found != fConfig.ReadOverrides.end()) {
        return found->second;
    }
    std::uint16_t start = 0;
    const auto words = FieldWords(reg, start);
    if (!words) {
        return std::nullopt;
    }
    return (*words)[reg - start];
}

TVirtualMfc::TWriteResult TVirtualMfc::Write(std::uint16_t start, std::span<const std::uint16_t> words) {
    // Check the whole request before changing anything: a refused write changes nothing.
    std::uint32_t setPointBits = fSetPointBits;
    std::uint32_t totalizerBits = std::bit_cast<std::uint32_t>(static_cast<float>(TotalizerInUnit()));
    bool setPointWritten = false;
    bool totalizerWritten = false;
    std::optional<std::uint16_t> active;
    std::optional<std::uint16_t> shown;
    std::optional<std::uint16_t> release;
    std::optional<std::uint16_t> endIdentification;
    for (std::size_t i = 0; i < words.size(); ++i) {
        const auto reg = static_cast<std::uint32_t>(start + i);
        const std::uint16_t value = words[i];
        switch (reg) {
        case SV::regSetPoint:
            setPointBits = (setPointBits & 0x0000FFFFU) | (static_cast<std::uint32_t>(value) << 16U);
            setPointWritten = true;
            break;
        case SV::regSetPoint + 1:
            setPointBits = (setPointBits & 0xFFFF0000U) | value;
            setPointWritten = true;
            break;
        case SV::regTotalizer:
            totalizerBits = (totalizerBits & 0x0000FFFFU) | (static_cast<std::uint32_t>(value) << 16U);
            totalizerWritten = true;
            break;
        case SV::regTotalizer + 1:
            totalizerBits = (totalizerBits & 0xFFFF0000U) | value;
            totalizerWritten = true;
            break;
        case SV::regControlRelease:
            release = value;
            break;
        case SV::regEndIdentification:
            endIdentification = value;
            break;
        case SV::regActiveGasTable:
            if (Table(value) == nullptr || Table(value)->NameShort.empty()) {
                return wrIllegalValue;
            }
            active = value;
            break;
        case SV::regShownGasTable:
            if (value < SV::FirstGasTable || value > SV::LastGasTable) {
                return wrIllegalValue;
            }
            shown = value;
            break;
        default:
            return wrIllegalAddress;
        }
    }
    if (setPointWritten && !std::isfinite(std::bit_cast<float>(setPointBits))) {
        return wrIllegalValue;
    }
    if (totalizerWritten && !std::isfinite(std::bit_cast<float>(totalizerBits))) {
        return wrIllegalValue;
    }
    fSetPointBits = setPointBits;
    if (active) {
        fActiveTable = *active;
        if (!fConfig.KeepSetPointOnTableChange) {
            fSetPointBits = 0;
        }
    }
    if (totalizerWritten) {
        SetTotalizerFromUnit(std::bit_cast<float>(totalizerBits));
    }
    if (shown) {
        fShownTable = *shown;
    }
    if (release) {
        fControlRelease = *release;
        if (*release == 0xFFFF) {
            fControlCheck = 0;
        }
    }
    if (endIdentification) {
        fEndIdentification = *endIdentification;
    }
    return wrOk;
}

std::optional<std::vector<std::uint8_t>> TVirtualMfc::HandleFrame(std::span<const std::uint8_t> frame,
                                                                  double now) {
    if (frame.size() < 4) {
        return std::nullopt;
    }
    const std::size_t n = frame.size();
    const auto crc = static_cast<std::uint16_t>(frame[n - 2] | (frame[n - 1] << 8U));
    if (SV::ComputeCRC16(frame.first(n - 2)) != crc) {
        return std::nullopt;
    }
    const std::uint8_t address = frame[0];
    const bool broadcast = address == 0;
    if (address != fConfig.Address && !broadcast) {
        return std::nullopt;
    }
    ++fFramesForMe;
    if (HasFault(sfSilent)) {
        return std::nullopt;
    }
    Advance(now);
    const std::uint8_t function = frame[1];
    std::vector<std::uint8_t> reply;
    if (HasFault(sfException)) {
        reply = ExceptionReply(address, function, ExceptionDeviceFailure);
    } else if (function == 3 && !broadcast) {
        if (n != 8) {
            return std::nullopt;
        }
        const std::uint16_t start = Word(frame, 2);
        const std::uint16_t count = Word(frame, 4);
        if (count == 0 || count > MaxReadRegisters || start + count > 0x10000) {
            reply = ExceptionReply(address, function, ExceptionIllegalValue);
        } else if (IsSilent(start, count)) {
            return std::nullopt;
        } else {
            reply = {address, function, static_cast<std::uint8_t>(2 * count)};
            bool mapped = true;
            for (std::uint32_t reg = start; mapped && reg < static_cast<std::uint32_t>(start) + count;
                 ++reg) {
                const auto word = ReadWord(static_cast<std::uint16_t>(reg));
                mapped = word.has_value();
                if (mapped) {
                    PutWord(reply, *word);
                }
            }
            if (mapped) {
                SV::AppendCRC(reply);
            } else {
                reply = ExceptionReply(address, function, ExceptionIllegalAddress);
            }
        }
    } else if (function == 6 || function == 16) {
        std::uint16_t start = Word(frame, 2);
        std::vector<std::uint16_t> words;
        bool wellFormed = false;
        if (function == 6) {
            wellFormed = n == 8;
            if (wellFormed) {
                words.push_back(Word(frame, 4));
            }
        } else if (n >= 9) {
            const std::uint16_t count = Word(frame, 4);
            const std::uint8_t byteCount = frame[6];
            wellFormed =
                count >= 1 && count <= MaxWriteRegisters && byteCount == 2 * count && n == 9U + byteCount;
            for (std::size_t i = 0; wellFormed && i < count; ++i) {
                words.push_back(Word(frame, 7 + 2 * i));
            }
        }
        if (!wellFormed) {
            reply = ExceptionReply(address, function, ExceptionIllegalValue);
        } else if (IsSilent(start, static_cast<std::uint16_t>(words.size()))) {
            return std::nullopt;
        } else {
            switch (Write(start, words)) {
            case wrOk:
                // Function 6 echoes address and value, function 16 address and count: both are
                // the first six bytes of the request.
                reply.assign(frame.begin(), frame.begin() + 6);
                SV::AppendCRC(reply);
                break;
            case wrIllegalAddress:
                reply = ExceptionReply(address, function, ExceptionIllegalAddress);
                break;
            case wrIllegalValue:
                reply = ExceptionReply(address, function, ExceptionIllegalValue);
                break;
            }
        }
    } else if (!broadcast) {
        reply = ExceptionReply(address, function, ExceptionIllegalFunction);
    }
    if (broadcast || reply.empty()) {
        return std::nullopt; // a broadcast is never answered
    }
    if (HasFault(sfBadCrc)) {
        reply[reply.size() - 2] ^= 0xA5U;
        reply[reply.size() - 1] ^= 0x5AU;
    }
    if (HasFault(sfWrongLength)) {
        reply.pop_back();
    }
    ++fReplies;
    return reply;
}

void TVirtualMfc::PowerBlip(double now) {
    Advance(now);
    fSetPointBits = 0;
}

TMfcState TVirtualMfc::State(double now) {
    Advance(now);
    TMfcState state;
    state.SetPoint = std::bit_cast<float>(fSetPointBits);
    state.Flow = fFlow;
    state.Totalizer_g = fTotalizer_g;
    state.ActiveTable = fActiveTable;
    state.ShownTable = fShownTable;
    state.ControlCheck = fControlCheck;
    state.ControlRelease = fControlRelease;
    state.EndIdentification = fEndIdentification;
    state.FramesForMe = fFramesForMe;
    state.Replies = fReplies;
    return state;
}

} // namespace Sim
