#include "mfc/MFCIdentity.h"

#include "base/NumberFormat.h"
#include "logging/DiagnosticLogger.h"
#include "mfc/VogtlinFrame.h"
#include "mfc/VogtlinPort.h"
#include "modbus/VogtlinRegisters.h"
#include "model/GasCatalogue.h"

#include <cstdint>
#include <string>

namespace SerialPortVogtlin {

namespace {

using SerialPort::TSerialResponse;

bool Succeeded(const TSerialResponse& response) {
    return response.Status.empty();
}

std::string CatalogueSymbolOf(const std::string& nameShort) {
    GasMixtures::TGasItem item;
    GasMixtures::FillCatalogueGas(GasMixtures::FindCatalogueGas(nameShort), item, 0.0F);
    return item.GasNameMFC;
}

// The device's dynamic range less the cull. The usable ratio stays at least 1, so that RangeMin
// is defined: a range not above the cull would otherwise wrap round in unsigned arithmetic and
// make the lowest flow almost zero.
void ApplyDynamicRange(TLUTData& table, std::int32_t reported, std::int32_t cull, const std::string& port) {
    const std::int64_t culled = static_cast<std::int64_t>(reported) - cull;
    if (culled >= 1) {
        table.RangeDynamic = static_cast<std::uint32_t>(culled);
        Logging::Logger().Send("MFC dynamic range culled by " + std::to_string(cull) + " units");
    } else {
        table.RangeDynamic = 1;
        Logging::Logger().Send(port + " LUT " + std::to_string(table.LUTNumber) + " dynamic range " +
                               std::to_string(reported) + " too small for the cull of " +
                               std::to_string(cull) + " units: range ratio set to 1");
    }
}

// Reads table `number` (already shown by the device) into `table`. False when the table loop ends
// here: the table is absent (empty name) or its name could not be read.
bool ReadTable(TVogtlinPort& port, TMFCDetails& MFC, TLUTData& table, std::uint32_t number,
               TSerialResponse& response) {
    const std::string& portName = MFC.ComPortName;
    const std::string prefix = portName + " LUT " + std::to_string(number);
    const std::uint32_t address = MFC.ModBusAddress;

    port.ReadS8(address, regTableNameShort, response);
    if (!Succeeded(response)) {
        Logging::Logger().Send(prefix + " name not read (" + response.Status + "): no further tables read");
        return false;
    }
    if (response.AsString.empty()) {
        return false;
    }
    table.NameShort = TrimBlanks(response.AsString);
    table.NameOwn = CatalogueSymbolOf(table.NameShort);
    Logging::Logger().Send(prefix + " ID: " + response.AsString);

    port.ReadS50(address, regTableNameCustom, response);
    if (Succeeded(response) && !response.AsString.empty()) {
        table.NameCustom = TrimBlanks(response.AsString);
    }

    port.ReadS8(address, regTableUnit, response);
    if (Succeeded(response) && !response.AsString.empty()) {
        table.UnitType = TrimBlanks(response.AsString);
    }

    port.ReadF32(address, regTableRangeMax, response);
    if (Succeeded(response) && response.AsFloat > 0.0F) {
        table.RangeMax = response.AsFloat;
        Logging::Logger().Send(prefix + " max flow:" + Base::FormatGeneral(response.AsFloat));
    }

    port.ReadU16(address, regTableDynamicRange, response);
    if (Succeeded(response) && response.AsFloat > 0.0F) {
        ApplyDynamicRange(table, response.AsInteger, MFC.DynamicRangeCull, portName);
    }

    port.ReadS8(address, regTotalizerUnit, response);
    if (Succeeded(response)) {
        table.TotalizerUnit = TrimBlanks(response.AsString);
    }

    port.ReadF32(address, regTotalizerScaling, response);
    if (Succeeded(response) && response.AsFloat > 0.0F) {
        table.TotalizerScaling = response.AsFloat;
    }
    Logging::Logger().Send(prefix + " Totalizer scaling:" + Base::FormatGeneral(response.AsFloat));

    port.ReadF32(address, regTableDensity, response);
    if (Succeeded(response) && response.AsFloat > 0.0F) {
        table.DensityGPL = response.AsFloat;
    }

    table.RangeMin = table.RangeMax / static_cast<float>(table.RangeDynamic);
    table.Totalizer1 = 0.0F;
    return true;
}

} // namespace

void IdentifyMFC(TMFCDetails& MFC, const TMFCTiming& timing) {
    TVogtlinPort port;
    ConfigureForMFC(port, MFC.ComPortName, timing.ReadoutTimeoutMS);
    TSerialResponse response;
    const std::uint32_t address = MFC.ModBusAddress;

    MFC.Validated = false;
    for (std::size_t k = 0; k < MFC.LUT.size(); ++k) {
        ResetLUTData(MFC.LUT[k], k);
    }
    MFC.Serial = 0;

    port.ReadS8(address, regDeviceType, response);
    timing.Clock->Sleep(timing.AfterTypeRead);
    if (Succeeded(response) && response.AsString.starts_with("GSC")) {
        MFC.Validated = true;

        port.ReadU16(address, regControlCheck, response);
        if (Succeeded(response) && response.AsInteger > 0) {
            port.WriteU16(address, regControlRelease, 0xFFFF, response);
            timing.Clock->Sleep(timing.AfterIdentificationStep);
        }

        port.ReadU32(address, regSerialNumber, response);
        if (Succeeded(response) && response.AsInteger > 0) {
            MFC.Serial = static_cast<std::uint32_t>(response.AsInteger);
        }
        timing.Clock->Sleep(timing.AfterIdentificationStep);

        port.WriteF32(address, regSetPoint, 0.0F, response);
        timing.Clock->Sleep(timing.AfterIdentificationStep);

        for (std::uint32_t number = FirstGasTable; number <= LastGasTable; ++number) {
            port.WriteU16(address, regShownGasTable, number, response);
            timing.Clock->Sleep(timing.AfterIdentificationStep);
            MFC.ActiveLUT = number;
            if (!ReadTable(port, MFC, MFC.LUT[number - FirstGasTable], number, response)) {
                break;
            }
        }

        port.WriteU16(address, regShownGasTable, FirstGasTable, response);
        MFC.ActiveLUT = FirstGasTable;
        port.WriteU16(address, regEndIdentification, 0, response);
    }
    MFC.LastResponse = response;
}

void SetActiveLUT(TMFCDetails& MFC, std::uint32_t value, const TMFCTiming& timing) {
    TVogtlinPort port;
    ConfigureForMFC(port, MFC.ComPortName, timing.ReadoutTimeoutMS);
    const std::uint32_t address = MFC.ModBusAddress;
    const auto tableNumber = static_cast<std::uint16_t>(value);

    TSerialResponse active;
    port.WriteU8(address, regActiveGasTable, tableNumber, active);
    timing.Clock->Sleep(timing.AfterSelectionWrite);
    port.ReadU8(address, regActiveGasTable, active);

    TSerialResponse shown;
    port.WriteU8(address, regShownGasTable, tableNumber, shown);
    timing.Clock->Sleep(timing.AfterSelectionWrite);
    port.ReadU8(address, regShownGasTable, shown);

    const auto confirmed = [value](const TSerialResponse& response) {
        return Succeeded(response) && response.AsInteger >= 0 &&
               static_cast<std::uint32_t>(response.AsInteger) == value;
    };
    MFC.ActionOK = confirmed(active) && confirmed(shown);
    if (MFC.ActionOK) {
        MFC.ActiveLUT = value;
    }
    MFC.LastResponse = shown;
}

} // namespace SerialPortVogtlin
