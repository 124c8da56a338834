#include "mfc/VogtlinPort.h"

#include "base/Text.h"
#include "logging/DiagnosticLogger.h"
#include "mfc/VogtlinFrame.h"
#include "mfc/VogtlinReply.h"
#include "serial/SerialStatus.h"

#include <chrono>
#include <cstdint>
#include <span>
#include <thread>

namespace SerialPortVogtlin {

namespace {

constexpr std::chrono::milliseconds PauseAfterWrite{10};

} // namespace

void ConfigureForMFC(TVogtlinPort& port, const std::string& portName, std::uint32_t readoutTimeoutMS) {
    port.fPort = portName;
    port.fBaudRate = 9600;
    port.fStopBits = 2;
    port.fParity = 0;
    port.fWindowsReadLoopTimeoutMS = 10;
    port.fReadoutTimeoutMS = readoutTimeoutMS;
}

namespace {

void Read(TVogtlinPort& port, TVogtlinReadKind kind, std::uint32_t deviceAddress, std::uint32_t memoryAddress,
          SerialPort::TSerialResponse& response) {
    response.Status = std::string(StatusUnknownCondition);
    const std::uint16_t registers = RegisterCountOf(kind);
    const TFrame request = BuildReadRequest(deviceAddress, memoryAddress, registers);
    // The reply's length follows from the request, so the read ends the moment it is complete.
    port.SendData(
        request.data(), static_cast<std::uint32_t>(request.size()), true, response,
        [registers](std::span<const std::uint8_t> received) { return ReadReplyLength(registers, received); });
    DecodeReadReply(kind, deviceAddress, response);
}

void Write(TVogtlinPort& port, const TFrame& request, SerialPort::TSerialResponse& response) {
    response.Status = std::string(StatusUnknownCondition);
    // The device's acknowledgement is taken inside the write's own transaction: left on the line it
    // would be there, ahead of the reply, when the next request on this port (perhaps the other
    // thread's) reads. It does not decide the write, which went out once SendData wrote it.
    port.SendData(request.data(), static_cast<std::uint32_t>(request.size()), true, response,
                  WriteReplyLength);
    const bool written = response.Status.empty() || response.Status == SerialPort::StatusTimeout ||
                         response.Status == SerialPort::StatusReadFailed;
    if (written) {
        const std::span<const std::uint8_t> received(response.rArray.data(),
                                                     response.Status.empty() ? response.ResponseLength : 0U);
        if (const std::string problem = WriteAcknowledgementProblem(request, received); !problem.empty()) {
            std::string message = "Serial port " + port.fPort + ": write to device " +
                                  std::to_string(request[0]) + " at register ";
            AppendHexListing(message, std::span<const std::uint8_t>(request).subspan(2, 2));
            message.pop_back();
            message += ": " + problem;
            if (!received.empty()) {
                message += ": ";
                AppendHexListing(message, received);
                message.pop_back();
            }
            Logging::Logger().Send(message);
        }
        response.Status.clear();
    }
    std::this_thread::sleep_for(PauseAfterWrite);
}

} // namespace

void TVogtlinPort::ReadU8(std::uint32_t deviceAddress, std::uint32_t memoryAddress,
                          SerialPort::TSerialResponse& response) {
    Read(*this, TVogtlinReadKind::vrU16, deviceAddress, memoryAddress, response);
}

void TVogtlinPort::ReadU16(std::uint32_t deviceAddress, std::uint32_t memoryAddress,
                           SerialPort::TSerialResponse& response) {
    Read(*this, TVogtlinReadKind::vrU16, deviceAddress, memoryAddress, response);
}

void TVogtlinPort::ReadU32(std::uint32_t deviceAddress, std::uint32_t memoryAddress,
                           SerialPort::TSerialResponse& response) {
    Read(*this, TVogtlinReadKind::vrU32, deviceAddress, memoryAddress, response);
}

void TVogtlinPort::ReadS8(std::uint32_t deviceAddress, std::uint32_t memoryAddress,
                          SerialPort::TSerialResponse& response) {
    Read(*this, TVogtlinReadKind::vrS8, deviceAddress, memoryAddress, response);
}

void TVogtlinPort::ReadS50(std::uint32_t deviceAddress, std::uint32_t memoryAddress,
                           SerialPort::TSerialResponse& response) {
    Read(*this, TVogtlinReadKind::vrS50, deviceAddress, memoryAddress, response);
}

void TVogtlinPort::ReadF32(std::uint32_t deviceAddress, std::uint32_t memoryAddress,
                           SerialPort::TSerialResponse& response) {
    Read(*this, TVogtlinReadKind::vrF32, deviceAddress, memoryAddress, response);
}

void TVogtlinPort::WriteU8(std::uint32_t deviceAddress, std::uint32_t memoryAddress, std::uint16_t value,
                           SerialPort::TSerialResponse& response) {
    Write(*this, BuildWriteSingleRequest(deviceAddress, memoryAddress, value), response);
}

void TVogtlinPort::WriteU16(std::uint32_t deviceAddress, std::uint32_t memoryAddress, std::uint32_t value,
                            SerialPort::TSerialResponse& response) {
    Write(*this, BuildWriteU16Request(deviceAddress, memoryAddress, value), response);
}

void TVogtlinPort::WriteS50(std::uint32_t deviceAddress, std::uint32_t memoryAddress,
                            const std::string& value, SerialPort::TSerialResponse& response) {
    Write(*this, BuildWriteS50Request(deviceAddress, memoryAddress, Base::Utf8ToLatin1(value)), response);
}

void TVogtlinPort::WriteF32(std::uint32_t deviceAddress, std::uint32_t memoryAddress, float value,
                            SerialPort::TSerialResponse& response) {
    Write(*this, BuildWriteF32Request(deviceAddress, memoryAddress, value), response);
}

} // namespace SerialPortVogtlin
