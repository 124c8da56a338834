// What a register read makes of the reply in the response record, for every value kind, and what a
// failed read leaves behind.

#include "mfc/VogtlinReply.h"

#include "mfc/VogtlinFrame.h"

#include <bit>
#include <cmath>
#include <cstring>
#include <gtest/gtest.h>
#include <string>
#include <utility>
#include <vector>

namespace {

using namespace SerialPortVogtlin;
using SerialPort::TSerialResponse;

constexpr std::uint32_t Device = 1; // the address every reply here answers from

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
    DecodeReadReply(TVogtlinReadKind::vrF32, Device, response);
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
        DecodeReadReply(c.Kind, Device, response);
        EXPECT_EQ(response.Status, "");
        EXPECT_EQ(response.AsInteger, c.AsInteger);
        EXPECT_EQ(response.AsFloat, c.AsFloat);
    }
}

TEST(VogtlinReply, TextReads) {
    TSerialResponse response;
    Receive(response, Text(" (N2)-. "));
    DecodeReadReply(TVogtlinReadKind::vrS8, Device, response);
    EXPECT_EQ(response.Status, "");
    EXPECT_EQ(response.AsString, "N2"); // allowed characters only, then trimmed

    // "Z" and "z" end the letter ranges; "[" and "{" just after them, "@" and "`" just before "A"
    // and "a", are dropped.
    Receive(response, Text("@Z[A`z{a"));
    DecodeReadReply(TVogtlinReadKind::vrS8, Device, response);
    EXPECT_EQ(response.AsString, "ZAza");

    const std::string custom = " Nitrogen [N2] 5.0" + std::string(32, ' ');
    Receive(response, Text(custom));
    DecodeReadReply(TVogtlinReadKind::vrS50, Device, response);
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
            DecodeReadReply(kind, Device, response);
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

// A reply of the right length is data only when it passes every check of Modbus RTU; the first
// check it fails names the failure, and the record is left as by any failed read.
TEST(VogtlinReply, InvalidRepliesAreFailedReads) {
    // A reply of data 0x41... from device 1 with these bytes changed and, unless the case is about
    // the CRC, its CRC made to fit them.
    struct TCase {
        const char* Name;
        TVogtlinReadKind Kind;
        std::uint32_t AskedAddress;
        std::vector<std::pair<std::size_t, std::uint8_t>> Changes;
        bool MendCrc;
        std::string Status;
    };
    const TCase cases[] = {
        {"valid", TVogtlinReadKind::vrF32, 1, {}, true, ""},
        {"asked 0x101, the low byte is on the wire", TVogtlinReadKind::vrF32, 0x101, {}, true, ""},
        {"data byte changed", TVogtlinReadKind::vrF32, 1, {{4, 0x3F}}, false, "Reply CRC wrong"},
        {"CRC low byte", TVogtlinReadKind::vrU16, 1, {{5, 0x00}}, false, "Reply CRC wrong"},
        {"CRC high byte", TVogtlinReadKind::vrS8, 1, {{12, 0x00}}, false, "Reply CRC wrong"},
        {"another address, its CRC",
         TVogtlinReadKind::vrF32,
         1,
         {{0, 2}},
         true,
         "Reply from another device address"},
        {"another address, the CRC of ours", TVogtlinReadKind::vrF32, 1, {{0, 2}}, false, "Reply CRC wrong"},
        {"broadcast address",
         TVogtlinReadKind::vrU32,
         1,
         {{0, 0}},
         true,
         "Reply from another device address"},
        {"device 1 answers a read of device 2",
         TVogtlinReadKind::vrU16,
         2,
         {},
         true,
         "Reply from another device address"},
        {"function 4", TVogtlinReadKind::vrF32, 1, {{1, 4}}, true, "Reply with another function code"},
        {"function 16", TVogtlinReadKind::vrS50, 1, {{1, 16}}, true, "Reply with another function code"},
        {"byte count one short", TVogtlinReadKind::vrF32, 1, {{2, 3}}, true, "Reply byte count wrong"},
        {"byte count of 25 registers", TVogtlinReadKind::vrS8, 1, {{2, 50}}, true, "Reply byte count wrong"},
        {"address and function both wrong",
         TVogtlinReadKind::vrU16,
         1,
         {{0, 9}, {1, 4}},
         true,
         "Reply from another device address"},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        TSerialResponse response;
        Receive(response, std::vector<std::uint8_t>(2U * RegisterCountOf(c.Kind), 0x41));
        const std::size_t length = response.ResponseLength;
        for (const auto& [byte, value] : c.Changes) {
            response.rArray[byte] = value;
        }
        if (c.MendCrc) {
            TFrame frame(response.rArray.begin(),
                         response.rArray.begin() + static_cast<std::ptrdiff_t>(length - 2));
            AppendCRC(frame);
            std::memcpy(response.rArray.data(), frame.data(), frame.size());
        }
        response.AsInteger = 77;
        response.AsFloat = 7.5F;
        response.AsString = "earlier";
        response.AsHex = "01 ";
        response.AsInt = "1 ";
        DecodeReadReply(c.Kind, c.AskedAddress, response);
        EXPECT_EQ(response.Status, c.Status);
        if (!c.Status.empty()) {
            EXPECT_EQ(response.AsInteger, 77);
            EXPECT_EQ(response.AsString, "earlier");
            EXPECT_EQ(response.AsHex, "01 ");
            EXPECT_EQ(response.AsInt, "1 ");
            if (c.Kind == TVogtlinReadKind::vrF32) {
                EXPECT_EQ(std::bit_cast<std::uint32_t>(response.AsFloat), 0xFFC00000U);
            } else {
                EXPECT_EQ(response.AsFloat, 7.5F);
            }
        } else {
            EXPECT_EQ(response.AsHex.size(), 3 + 3 * length); // extended by the reply
        }
    }
}

// The late acknowledgement of an earlier write (one that came after the write stopped waiting for it) ahead
// of the reply is passed over when it is a whole, valid frame of the device; anything else ahead makes the
// reply's length wrong.
TEST(VogtlinReply, ALateWriteAcknowledgementAheadOfTheReplyIsPassedOver) {
    const TFrame acknowledgement{0x01, 0x10, 0x00, 0x06, 0x00, 0x02, 0xA1, 0xC9};
    struct TCase {
        const char* Name;
        TFrame Ahead;
        std::string Status;
    };
    TFrame otherDevice = acknowledgement;
    otherDevice[0] = 2;
    TFrame broken = acknowledgement;
    broken[7] ^= 0x01;
    const TCase cases[] = {
        {"one acknowledgement", acknowledgement, ""},
        {"two",
         [&] {
             TFrame two = acknowledgement;
             two.insert(two.end(), acknowledgement.begin(), acknowledgement.end());
             return two;
         }(),
         ""},
        {"of another device", otherDevice, "Wrong amount of data waiting"},
        {"with a broken CRC", broken, "Wrong amount of data waiting"},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        TSerialResponse response;
        Receive(response, {0x3F, 0xC0, 0x00, 0x00});
        TFrame all = c.Ahead;
        all.insert(all.end(), response.rArray.begin(), response.rArray.begin() + response.ResponseLength);
        std::memcpy(response.rArray.data(), all.data(), all.size());
        response.ResponseLength = static_cast<std::uint8_t>(all.size());
        DecodeReadReply(TVogtlinReadKind::vrF32, Device, response);
        EXPECT_EQ(response.Status, c.Status);
        if (c.Status.empty()) {
            EXPECT_EQ(response.AsFloat, 1.5F);
            EXPECT_EQ(response.AsHex, "01 03 04 3F C0 00 00 F6 1B "); // the reply alone
        } else {
            EXPECT_EQ(std::bit_cast<std::uint32_t>(response.AsFloat), 0xFFC00000U);
        }
    }
}

TEST(VogtlinReply, ZeroFloatIsAValueNotAFailure) {
    TSerialResponse response;
    Receive(response, {0, 0, 0, 0});
    DecodeReadReply(TVogtlinReadKind::vrF32, Device, response);
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
