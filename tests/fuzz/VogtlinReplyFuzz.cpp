// What a register read makes of the bytes an MFC sends back. The first input byte picks the value
// kind, the second the device address; the rest is what came over the wire.

#include "FuzzCheck.h"
#include "mfc/VogtlinFrame.h"
#include "mfc/VogtlinReply.h"
#include "modbus/ModbusCrc.h"
#include "serial/SerialResponse.h"

#include <algorithm>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

using namespace SerialPortVogtlin;

namespace {

constexpr TVogtlinReadKind Kinds[] = {TVogtlinReadKind::vrU16, TVogtlinReadKind::vrU32,
                                      TVogtlinReadKind::vrS8, TVogtlinReadKind::vrS50,
                                      TVogtlinReadKind::vrF32};

bool OnlyAllowedText(const std::string& text) {
    return std::all_of(text.begin(), text.end(),
                       [](char c) { return IsAllowedTextCharacter(static_cast<std::uint8_t>(c)); });
}

// The free decoders take any span: too short gives 0 or "", never a read past the end.
void CheckDecoders(std::span<const std::uint8_t> bytes) {
    if (bytes.size() < 5) {
        FUZZ_CHECK(DecodeU16(bytes) == 0);
    }
    if (bytes.size() < 7) {
        FUZZ_CHECK(DecodeU32(bytes) == 0);
    }
    (void)DecodeF32(bytes);
    for (const std::size_t characters : {TextLengthS8, TextLengthS50, bytes.size()}) {
        const std::string text = DecodeText(bytes, characters);
        FUZZ_CHECK(text.size() <= characters);
        FUZZ_CHECK(OnlyAllowedText(text));
        const std::string trimmed = TrimBlanks(text);
        FUZZ_CHECK(trimmed.empty() || (trimmed.front() != ' ' && trimmed.back() != ' '));
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2) {
        return 0;
    }
    const TVogtlinReadKind kind = Kinds[data[0] % std::size(Kinds)];
    const std::uint32_t address = data[1];
    const std::span<const std::uint8_t> input(data + 2, size - 2);

    SerialPort::TSerialResponse response;
    // The record holds at most 256 bytes and counts them modulo 256, as SendData fills it.
    const std::size_t kept = std::min(input.size(), response.rArray.size());
    std::copy_n(input.begin(), kept, response.rArray.begin());
    response.ResponseLength = static_cast<std::uint8_t>(kept);
    response.AsInteger = 12345;
    response.AsString = "before";
    const std::span<const std::uint8_t> received(response.rArray.data(), response.ResponseLength);
    CheckDecoders(received);

    const std::string_view check = CheckReadReply(kind, address, response);
    DecodeReadReply(kind, address, response);
    FUZZ_CHECK(response.Status == check);

    const std::uint16_t registers = RegisterCountOf(kind);
    const std::size_t expected = ExpectedReplyLength(registers);
    if (!response.Status.empty()) {
        FUZZ_CHECK(response.AsHex.empty() && response.AsInt.empty());
        if (kind == TVogtlinReadKind::vrF32) {
            FUZZ_CHECK(std::bit_cast<std::uint32_t>(response.AsFloat) == FailedFloatPattern);
        } else {
            FUZZ_CHECK(response.AsInteger == 12345 && response.AsString == "before");
        }
        return 0;
    }
    // A valid reply: the length it says, its CRC, its device, function 3 and its byte count, after
    // nothing but whole write acknowledgements of that device.
    const std::size_t offset = ReplyOffset(address, received);
    FUZZ_CHECK(offset % WriteAcknowledgementLength == 0);
    const std::span<const std::uint8_t> reply = received.subspan(offset);
    FUZZ_CHECK(reply.size() == expected);
    FUZZ_CHECK(ComputeCRC16(reply) == 0);
    FUZZ_CHECK(reply[0] == address && reply[1] == fnReadHoldingRegisters && reply[2] == 2U * registers);
    // The read that waits for these bytes waits for exactly this many.
    FUZZ_CHECK(ReadReplyLength(registers, received) == received.size());
    FUZZ_CHECK(response.AsHex.size() == 3 * reply.size() && response.AsInt.size() >= 2 * reply.size());
    const auto word = [&reply](std::size_t at) {
        return static_cast<std::uint32_t>(reply[3 + 2 * at]) << 8U | reply[4 + 2 * at];
    };
    switch (kind) {
    case TVogtlinReadKind::vrU16:
        FUZZ_CHECK(response.AsInteger == static_cast<std::int32_t>(word(0)));
        break;
    case TVogtlinReadKind::vrU32:
        FUZZ_CHECK(static_cast<std::uint32_t>(response.AsInteger) == (word(0) << 16U | word(1)));
        break;
    case TVogtlinReadKind::vrF32:
        FUZZ_CHECK(std::bit_cast<std::uint32_t>(response.AsFloat) == (word(0) << 16U | word(1)));
        break;
    case TVogtlinReadKind::vrS8:
        FUZZ_CHECK(response.AsString.size() <= TextLengthS8 && OnlyAllowedText(response.AsString));
        break;
    case TVogtlinReadKind::vrS50:
        FUZZ_CHECK(response.AsString.size() <= TextLengthS50 && OnlyAllowedText(response.AsString));
        break;
    }
    return 0;
}
