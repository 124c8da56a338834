#include "mfc/VogtlinReply.h"

#include "mfc/VogtlinFrame.h"

#include <span>

namespace SerialPortVogtlin {

std::uint16_t RegisterCountOf(TVogtlinReadKind kind) {
    switch (kind) {
    case TVogtlinReadKind::vrU16:
        return RegistersU16;
    case TVogtlinReadKind::vrU32:
        return RegistersU32;
    case TVogtlinReadKind::vrS8:
        return RegistersS8;
    case TVogtlinReadKind::vrS50:
        return RegistersS50;
    case TVogtlinReadKind::vrF32:
        return RegistersF32;
    }
    return 0;
}

namespace {

// The reply within what the read received: after any late write acknowledgement ahead of it.
std::span<const std::uint8_t> ReplyOf(std::uint32_t deviceAddress,
                                      const SerialPort::TSerialResponse& response) {
    const std::span<const std::uint8_t> received(response.rArray.data(), response.ResponseLength);
    return received.subspan(ReplyOffset(deviceAddress, received));
}

} // namespace

std::string_view CheckReadReply(TVogtlinReadKind kind, std::uint32_t deviceAddress,
                                const SerialPort::TSerialResponse& response) {
    const std::uint16_t registers = RegisterCountOf(kind);
    const std::size_t expected = ExpectedReplyLength(registers);
    if (response.ResponseLength == 0) {
        return StatusNoResult;
    }
    const std::span<const std::uint8_t> reply = ReplyOf(deviceAddress, response);
    if (reply.size() != expected) {
        return StatusWrongLength;
    }
    // The CRC first: in a corrupted frame no other byte can be trusted.
    if (ComputeCRC16(reply) != 0) {
        return StatusBadCrc;
    }
    if (reply[0] != (deviceAddress & 0xFFU)) {
        return StatusOtherAddress;
    }
    if (reply[1] != fnReadHoldingRegisters) {
        return StatusOtherFunction;
    }
    if (reply[2] != 2U * registers) {
        return StatusWrongByteCount;
    }
    return {};
}

void DecodeReadReply(TVogtlinReadKind kind, std::uint32_t deviceAddress,
                     SerialPort::TSerialResponse& response) {
    if (const std::string_view failed = CheckReadReply(kind, deviceAddress, response); !failed.empty()) {
        if (kind == TVogtlinReadKind::vrF32) {
            response.AsFloat = FailedReadFloat();
        }
        response.Status = std::string(failed);
        return;
    }
    const std::span<const std::uint8_t> reply = ReplyOf(deviceAddress, response);
    AppendHexListing(response.AsHex, reply);
    AppendDecimalListing(response.AsInt, reply);
    switch (kind) {
    case TVogtlinReadKind::vrU16: {
        const std::uint16_t value = DecodeU16(reply);
        response.AsInteger = value;
        response.AsFloat = value;
        break;
    }
    case TVogtlinReadKind::vrU32: {
        const std::uint32_t value = DecodeU32(reply);
        response.AsInteger = static_cast<std::int32_t>(value);
        response.AsFloat = static_cast<float>(value);
        break;
    }
    case TVogtlinReadKind::vrS8:
        response.AsString = TrimBlanks(DecodeText(reply, TextLengthS8));
        break;
    case TVogtlinReadKind::vrS50:
        response.AsString = DecodeText(reply, TextLengthS50);
        break;
    case TVogtlinReadKind::vrF32:
        response.AsFloat = DecodeF32(reply);
        break;
    }
    response.Status.clear();
}

} // namespace SerialPortVogtlin
