#pragma once
// TVogtlinPort: Modbus RTU register access to a mass flow controller. Each call is one request on
// its own transaction (the port is opened and closed inside it). Reads wait for the reply, check
// it as Modbus RTU requires (length, CRC, address, function, byte count) and decode it into the
// caller's response record. Writes read the device's acknowledgement inside their own transaction
// (into rArray and ResponseLength); a missing or invalid one is logged and does not fail the write,
// whose Status is empty once the request was written. Each write is followed by a 10 ms pause.

#include "serial/SerialPort.h"
#include "serial/SerialResponse.h"

#include <cstdint>
#include <string>

namespace SerialPortVogtlin {

class TVogtlinPort : public SerialPort::TSerialPort {
public:
    using SerialPort::TSerialPort::TSerialPort;

    // One 16-bit register (ReadU8 is for byte-sized values): AsInteger and AsFloat.
    void ReadU8(std::uint32_t deviceAddress, std::uint32_t memoryAddress,
                SerialPort::TSerialResponse& response);
    void ReadU16(std::uint32_t deviceAddress, std::uint32_t memoryAddress,
                 SerialPort::TSerialResponse& response);
    // Two registers, high half first: AsInteger (signed) and AsFloat (the same bits unsigned).
    void ReadU32(std::uint32_t deviceAddress, std::uint32_t memoryAddress,
                 SerialPort::TSerialResponse& response);
    // 8 characters (trimmed) / 50 characters (not trimmed) into AsString.
    void ReadS8(std::uint32_t deviceAddress, std::uint32_t memoryAddress,
                SerialPort::TSerialResponse& response);
    void ReadS50(std::uint32_t deviceAddress, std::uint32_t memoryAddress,
                 SerialPort::TSerialResponse& response);
    // IEEE 754 single into AsFloat; NaN (0xFFC00000) when the read failed.
    void ReadF32(std::uint32_t deviceAddress, std::uint32_t memoryAddress,
                 SerialPort::TSerialResponse& response);

    void WriteU8(std::uint32_t deviceAddress, std::uint32_t memoryAddress, std::uint16_t value,
                 SerialPort::TSerialResponse& response);
    // The low 16 bits of value.
    void WriteU16(std::uint32_t deviceAddress, std::uint32_t memoryAddress, std::uint32_t value,
                  SerialPort::TSerialResponse& response);
    // The text (UTF-8 here, one byte per character on the wire) cut or padded with blanks to 50.
    void WriteS50(std::uint32_t deviceAddress, std::uint32_t memoryAddress, const std::string& value,
                  SerialPort::TSerialResponse& response);
    void WriteF32(std::uint32_t deviceAddress, std::uint32_t memoryAddress, float value,
                  SerialPort::TSerialResponse& response);
};

// The line every MFC transaction uses: 9600 baud, 8 data bits, no parity, two stop bits; 10 ms
// between looks at the input, readoutTimeoutMS for the first reply byte (50, the worker's
// set-point write 75).
void ConfigureForMFC(TVogtlinPort& port, const std::string& portName, std::uint32_t readoutTimeoutMS = 50);

} // namespace SerialPortVogtlin
