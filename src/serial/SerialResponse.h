#pragma once
// The record every serial transaction reports into: what was sent, what came back (as text and as
// bytes), the decoded words and the Status text, empty on success. The caller owns it and passes
// it by reference; an operation changes only the fields it names, so a record reused for a series
// of transactions can still hold results of earlier ones.

#include <array>
#include <cstdint>
#include <string>

namespace SerialPort {

struct TSerialResponse {
    std::string SentMessage;                  // the text that was sent (Send2)
    std::string Response;                     // the reply as text, one character per received byte
    double rDouble = 0.0;                     // reserved
    std::array<std::uint8_t, 256> rArray{};   // the raw reply bytes (SendData)
    std::array<std::uint8_t, 32> WordArray{}; // reserved
    std::int32_t ValueOfFirstWord = 0;        // reply bytes 3 and 4 as a big-endian word (SendData)
    std::int32_t ValueOfSecondWord = 0;       // reply bytes 5 and 6 as a big-endian word (SendData)
    std::string Status;                       // empty on success, else one of the texts in SerialStatus.h
    std::uint8_t ResponseLength = 0;          // bytes received, modulo 256 (SendData)
    std::string AsHex;                        // register reads: bytes as "0A 1B "
    std::string AsInt;                        // register reads: bytes as "10 27 "
    float AsFloat = 0.0F;                     // register reads: the value as a float
    std::int32_t AsInteger = 0;               // register reads: the value as an integer
    std::string AsString;                     // string register reads: the text
};

} // namespace SerialPort
