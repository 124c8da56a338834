#include "run/TotalizerInGrams.h"

#include "modbus/VogtlinRegisters.h"

namespace UnitMain {

TTotalizerGrams TotalizerInGrams(double raw, std::uint32_t activeLUT, const std::string& totalizerUnit,
                                 double densityGPL) {
    TTotalizerGrams result;
    result.Grams = activeLUT == SerialPortVogtlin::FirstGasTable ? raw : raw * 0.001;
    if (totalizerUnit == "ln" || totalizerUnit == "ln*") {
        result.Grams *= densityGPL;
        result.Conversion = TTotalizerConversion::tcNormalLitres;
    } else if (totalizerUnit == "kg") {
        result.Grams = raw * 1000.0;
        result.Conversion = TTotalizerConversion::tcKilograms;
    }
    return result;
}

} // namespace UnitMain
