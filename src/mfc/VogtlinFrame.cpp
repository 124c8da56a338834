#include "mfc/VogtlinFrame.h"

#include <algorithm>
#include <bit>

namespace SerialPortVogtlin {

namespace {

constexpr std::size_t DataOffset = 3;

TFrame StartFrame(std::uint32_t deviceAddress, std::uint8_t function, std::uint32_t memoryAddress) {
    return TFrame{static_cast<std::uint8_t>(deviceAddress & 0xFFU), function,
                  static_cast<std::uint8_t>((memoryAddress >> 8U) & 0xFFU),
                  static_cast<std::uint8_t>(memoryAddress & 0xFFU)};
}

void AppendWord(TFrame& frame, std::uint32_t word) {
    frame.push_back(static_cast<std::uint8_t>((word >> 8U) & 0xFFU));
    frame.push_back(static_cast<std::uint8_t>(word & 0xFFU));
}

} // namespace

namespace {

bool IsWriteFunction(std::uint8_t function) {
    return function == fnWriteSingleRegister || function == fnWriteMultipleRegisters;
}

} // namespace

std::size_t ReadReplyLength(std::uint16_t registerCount, std::span<const std::uint8_t> received) {
    std::size_t skipped = 0;
    // Late write acknowledgements ahead of the reply (a corrupted one only makes the read wait for
    // bytes that do not come: it still ends at the silence or the deadline of the read).
    while (received.size() >= 2 && IsWriteFunction(received[1])) {
        skipped += WriteAcknowledgementLength;
        received = received.size() > WriteAcknowledgementLength ? received.subspan(WriteAcknowledgementLength)
                                                                : std::span<const std::uint8_t>();
    }
    if (received.size() < 2) {
        return 0;
    }
    return skipped +
           ((received[1] & ExceptionFlag) != 0 ? ExceptionReplyLength : ExpectedReplyLength(registerCount));
}

std::size_t WriteReplyLength(std::span<const std::uint8_t> received) {
    if (received.size() < 2) {
        return 0;
    }
    return (received[1] & ExceptionFlag) != 0 ? ExceptionReplyLength : WriteAcknowledgementLength;
}

std::string WriteAcknowledgementProblem(std::span<const std::uint8_t> request,
                                        std::span<const std::uint8_t> received) {
    if (received.empty()) {
        return "No acknowledgement";
    }
    const bool refusal = received.size() >= 2 && (received[1] & ExceptionFlag) != 0;
    if (received.size() != (refusal ? ExceptionReplyLength : WriteAcknowledgementLength)) {
        return "Acknowledgement of wrong length (" + std::to_string(received.size()) + " bytes)";
    }
    // The CRC first: in a corrupted frame no other byte can be trusted.
    if (ComputeCRC16(received) != 0) {
        return "Acknowledgement CRC wrong";
    }
    if (request.size() < WriteAcknowledgementLength || received[0] != request[0]) {
        return "Acknowledgement from another device address";
    }
    if (refusal) {
        if ((received[1] & static_cast<std::uint8_t>(~ExceptionFlag)) != request[1]) {
            return "Acknowledgement with another function code";
        }
        return "Write refused with exception code " + std::to_string(received[2]);
    }
    if (received[1] != request[1]) {
        return "Acknowledgement with another function code";
    }
    // Register and value (function 6) or register and count (function 16).
    if (!std::equal(received.begin() + 2, received.begin() + 6, request.begin() + 2)) {
        return "Acknowledgement does not echo the request";
    }
    return {};
}

std::size_t ReplyOffset(std::uint32_t deviceAddress, std::span<const std::uint8_t> received) {
    std::size_t offset = 0;
    while (received.size() - offset > WriteAcknowledgementLength) {
        const auto frame = received.subspan(offset, WriteAcknowledgementLength);
        if (frame[0] != (deviceAddress & 0xFFU) || !IsWriteFunction(frame[1]) || ComputeCRC16(frame) != 0) {
            break;
        }
        offset += WriteAcknowledgementLength;
    }
    return offset;
}

float FailedReadFloat() {
    return std::bit_cast<float>(FailedFloatPattern);
}

TFrame BuildReadRequest(std::uint32_t deviceAddress, std::uint32_t memoryAddress,
                        std::uint16_t registerCount) {
    TFrame frame = StartFrame(deviceAddress, fnReadHoldingRegisters, memoryAddress);
    AppendWord(frame, registerCount);
    AppendCRC(frame);
    return frame;
}

TFrame BuildWriteSingleRequest(std::uint32_t deviceAddress, std::uint32_t memoryAddress,
                               std::uint16_t value) {
    TFrame frame = StartFrame(deviceAddress, fnWriteSingleRegister, memoryAddress);
    AppendWord(frame, value);
    AppendCRC(frame);
    return frame;
}

TFrame BuildWriteMultipleRequest(std::uint32_t deviceAddress, std::uint32_t memoryAddress,
                                 std::span<const std::uint8_t> data) {
    TFrame frame = StartFrame(deviceAddress, fnWriteMultipleRegisters, memoryAddress);
    AppendWord(frame, static_cast<std::uint32_t>(data.size() / 2U));
    frame.push_back(static_cast<std::uint8_t>(data.size() & 0xFFU));
    frame.insert(frame.end(), data.begin(), data.end());
    AppendCRC(frame);
    return frame;
}

TFrame BuildWriteU16Request(std::uint32_t deviceAddress, std::uint32_t memoryAddress, std::uint32_t value) {
    const std::uint8_t data[2] = {static_cast<std::uint8_t>((value >> 8U) & 0xFFU),
                                  static_cast<std::uint8_t>(value & 0xFFU)};
    return BuildWriteMultipleRequest(deviceAddress, memoryAddress, data);
}

TFrame BuildWriteF32Request(std::uint32_t deviceAddress, std::uint32_t memoryAddress, float value) {
    const auto bits = std::bit_cast<std::uint32_t>(value);
    const std::uint8_t data[4] = {
        static_cast<std::uint8_t>(bits >> 24U), static_cast<std::uint8_t>((bits >> 16U) & 0xFFU),
        static_cast<std::uint8_t>((bits >> 8U) & 0xFFU), static_cast<std::uint8_t>(bits & 0xFFU)};
    return BuildWriteMultipleRequest(deviceAddress, memoryAddress, data);
}

TFrame BuildWriteS50Request(std::uint32_t deviceAddress, std::uint32_t memoryAddress,
                            std::string_view singleByteText) {
    std::uint8_t data[TextLengthS50];
    for (std::size_t i = 0; i < TextLengthS50; ++i) {
        data[i] =
            i < singleByteText.size() ? static_cast<std::uint8_t>(singleByteText[i]) : std::uint8_t{' '};
    }
    return BuildWriteMultipleRequest(deviceAddress, memoryAddress, data);
}

std::uint16_t DecodeU16(std::span<const std::uint8_t> reply) {
    if (reply.size() < DataOffset + 2) {
        return 0;
    }
    return static_cast<std::uint16_t>((reply[DataOffset] << 8U) | reply[DataOffset + 1]);
}

std::uint32_t DecodeU32(std::span<const std::uint8_t> reply) {
    if (reply.size() < DataOffset + 4) {
        return 0;
    }
    return (static_cast<std::uint32_t>(reply[DataOffset]) << 24U) |
           (static_cast<std::uint32_t>(reply[DataOffset + 1]) << 16U) |
           (static_cast<std::uint32_t>(reply[DataOffset + 2]) << 8U) |
           static_cast<std::uint32_t>(reply[DataOffset + 3]);
}

float DecodeF32(std::span<const std::uint8_t> reply) {
    return std::bit_cast<float>(DecodeU32(reply));
}

bool IsAllowedTextCharacter(std::uint8_t byte) {
    return byte == ' ' || byte == '%' || byte == '*' || byte == ',' || byte == '/' || byte == '_' ||
           (byte >= '0' && byte <= '9') || (byte >= 'A' && byte <= 'Z') || (byte >= 'a' && byte <= 'z');
}

std::string DecodeText(std::span<const std::uint8_t> reply, std::size_t characters) {
    std::string text;
    for (std::size_t i = DataOffset; i < DataOffset + characters && i < reply.size(); ++i) {
        if (IsAllowedTextCharacter(reply[i])) {
            text.push_back(static_cast<char>(reply[i]));
        }
    }
    return text;
}

std::string TrimBlanks(std::string_view text) {
    const std::size_t first = text.find_first_not_of(' ');
    if (first == std::string_view::npos) {
        return {};
    }
    const std::size_t last = text.find_last_not_of(' ');
    return std::string(text.substr(first, last - first + 1));
}

void AppendHexListing(std::string& text, std::span<const std::uint8_t> bytes) {
    static constexpr char Digits[] = "0123456789ABCDEF";
    for (const std::uint8_t byte : bytes) {
        text.push_back(Digits[byte >> 4U]);
        text.push_back(Digits[byte & 0x0FU]);
        text.push_back(' ');
    }
}

void AppendDecimalListing(std::string& text, std::span<const std::uint8_t> bytes) {
    for (const std::uint8_t byte : bytes) {
        text += std::to_string(byte);
        text.push_back(' ');
    }
}

} // namespace SerialPortVogtlin
