// What a register read makes of the reply in the response record, for every value kind, and what a
// failed read leaves behind.

#include "mfc/VogtlinReply.h"

#include "mfc/VogtlinFrame.h"

#include <bit>
#include <cmath>
#include <cstring>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

using namespace SerialPortVogtlin;
using SerialPort::TSerialResponse;

// The record as SendData leaves it after the reply `bytes`: address 1, function 3, byte count,
// the data and its CRC.
void Receive(TSerialResponse& response, const std::vector<std::uint8_t>& data) {
    TFrame frame{1, 3, static_cast<std::uint8_t>(data.size())};
    frame.insert(frame.end(), data.begin(), data.end());
    AppendCRC(frame);
    std::memcpy(response.rArray.data(), frame.data(), frame.size());
    response.ResponseLength = static_cast<std::uint8_t>(frame.size());
    response.Status.clear();
}

std::vector<std::uint8_t> Text(const std::string& text) {
    return {text.begin(), text.end()};
}

TEST(VogtlinReply, FloatReplyKnownAnswer) {
    TSerialResponse response;
    response.AsHex = "AA ";
    response.AsInt = "170 ";
    response.Status = "Unknown condition";
    Receive(response, {0x3F, 0xC0, 0x00, 0x00});
    DecodeReadReply(TVogtlinReadKind::vrF32, response);
    EXPECT_EQ(response.Status, "");
    EXPECT_EQ(response.AsFloat, 1.5F);
    // The listings are extended, not replaced.
    EXPECT_EQ(response.AsHex, "AA 01 03 04 3F C0 00 00 F6 1B ");
    EXPECT_EQ(response.AsInt, "170 1 3 4 63 192 0 0 246 27 ");
}

TEST(VogtlinReply, IntegerDecodings) {
    struct TCase {
        TVogtlinReadKind Kind;
        std::vector<std::uint8_t> Data;
        std::int32_t AsInteger;
        float AsFloat;
    };
    const TCase cases[] = {
        {TVogtlinReadKind::vrU16, {0x00, 0x0B}, 11, 11.0F},
        {TVogtlinReadKind::vrU16, {0xFF, 0xFF}, 65535, 65535.0F},
        {TVogtlinReadKind::vrU32, {0x80, 0x00, 0x00, 0x01}, -2147483647, 2147483648.0F},
        {TVogtlinReadKind::vrU32, {0x00, 0x01, 0xE2, 0x40}, 123456, 123456.0F},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.AsInteger);
        TSerialResponse response;
        Receive(response, c.Data);
        DecodeReadReply(c.Kind, response);
        EXPECT_EQ(response.Status, "");
        EXPECT_EQ(response.AsInteger, c.AsInteger);
        EXPECT_EQ(response.AsFloat, c.AsFloat);
    }
}

TEST(VogtlinReply, TextReads) {
    TSerialResponse response;
    Receive(response, Text(" (N2)-. "));
    DecodeReadReply(TVogtlinReadKind::vrS8, response);
    EXPECT_EQ(response.Status, "");
    EXPECT_EQ(response.AsString, "N2"); // allowed characters only, then trimmed

    // "Z" and "z" end the letter ranges; "[" and "{" just after them, "@" and "`" just before "A"
    // and "a", are dropped.
    Receive(response, Text("@Z[A`z{a"));
    DecodeReadReply(TVogtlinReadKind::vrS8, response);
    EXPECT_EQ(response.AsString, "ZAza");

    const std::string custom = " Nitrogen [N2] 5.0" + std::string(32, ' ');
    Receive(response, Text(custom));
    DecodeReadReply(TVogtlinReadKind::vrS50, response);
    EXPECT_EQ(response.AsString, " Nitrogen N2 50" + std::string(32, ' ')); // not trimmed
}

// Every kind against the reply lengths it must refuse.
TEST(VogtlinReply, WrongLengthAndNoReply) {
    const TVogtlinReadKind kinds[] = {TVogtlinReadKind::vrU16, TVogtlinReadKind::vrU32,
                                      TVogtlinReadKind::vrS8, TVogtlinReadKind::vrS50,
                                      TVogtlinReadKind::vrF32};
    for (const TVogtlinReadKind kind : kinds) {
        SCOPED_TRACE(static_cast<int>(kind));
        const std::size_t expected = ExpectedReplyLength(RegisterCountOf(kind));
        for (const std::size_t length : {std::size_t{0}, std::size_t{5}, expected - 1, expected + 1}) {
            SCOPED_TRACE(length);
            TSerialResponse response;
            response.AsInteger = 77;
            response.AsFloat = 7.5F;
            response.AsString = "earlier";
            response.AsHex = "01 ";
            response.AsInt = "1 ";
            response.rArray.fill(0x41);
            response.ResponseLength = static_cast<std::uint8_t>(length);
            DecodeReadReply(kind, response);
            EXPECT_EQ(response.Status, length == 0 ? "No result to read" : "Wrong amount of data waiting");
            EXPECT_EQ(response.AsInteger, 77);
            EXPECT_EQ(response.AsString, "earlier");
            EXPECT_EQ(response.AsHex, "01 ");
            EXPECT_EQ(response.AsInt, "1 ");
            if (kind == TVogtlinReadKind::vrF32) {
                EXPECT_EQ(std::bit_cast<std::uint32_t>(response.AsFloat), 0xFFC00000U);
            } else {
                EXPECT_EQ(response.AsFloat, 7.5F);
            }
        }
    }
}

// Only the length is checked: another device's address or a broken CRC still decodes.
TEST(VogtlinReply, OnlyTheLengthIsChecked) {
    TSerialResponse response;
    Receive(response, {0x00, 0x2A});
    response.rArray[0] = 7;
    response.rArray[5] ^= 0xFF;
    DecodeReadReply(TVogtlinReadKind::vrU16, response);
    EXPECT_EQ(response.Status, "");
    EXPECT_EQ(response.AsInteger, 42);
}

TEST(VogtlinReply, ZeroFloatIsAValueNotAFailure) {
    TSerialResponse response;
    Receive(response, {0, 0, 0, 0});
    DecodeReadReply(TVogtlinReadKind::vrF32, response);
    EXPECT_EQ(response.Status, "");
    EXPECT_EQ(std::bit_cast<std::uint32_t>(response.AsFloat), 0U);
}

TEST(VogtlinReply, RegisterCounts) {
    EXPECT_EQ(RegisterCountOf(TVogtlinReadKind::vrU16), 1);
    EXPECT_EQ(RegisterCountOf(TVogtlinReadKind::vrU32), 2);
    EXPECT_EQ(RegisterCountOf(TVogtlinReadKind::vrS8), 4);
    EXPECT_EQ(RegisterCountOf(TVogtlinReadKind::vrS50), 25);
    EXPECT_EQ(RegisterCountOf(TVogtlinReadKind::vrF32), 2);
}

} // namespace
