// The MFC frames byte for byte: known answers, the layout of every request, the reply decodings.

#include "mfc/VogtlinFrame.h"

#include "modbus/VogtlinRegisters.h"

#include <bit>
#include <cmath>
#include <gtest/gtest.h>
#include <string>

namespace {

using namespace SerialPortVogtlin;

TFrame Bytes(std::initializer_list<int> values) {
    TFrame frame;
    for (const int v : values) {
        frame.push_back(static_cast<std::uint8_t>(v));
    }
    return frame;
}

// A read reply of the given data bytes: address 1, function 3, byte count, data, CRC.
TFrame Reply(const TFrame& data) {
    TFrame frame{1, 3, static_cast<std::uint8_t>(data.size())};
    frame.insert(frame.end(), data.begin(), data.end());
    AppendCRC(frame);
    return frame;
}

TEST(VogtlinFrame, ReadRequestKnownAnswer) {
    EXPECT_EQ(BuildReadRequest(1, regMeasuredFlow, RegistersF32),
              Bytes({0x01, 0x03, 0x00, 0x00, 0x00, 0x02, 0xC4, 0x0B}));
}

TEST(VogtlinFrame, WriteF32KnownAnswer) {
    EXPECT_EQ(BuildWriteF32Request(2, regSetPoint, 0.0F),
              Bytes({0x02, 0x10, 0x00, 0x06, 0x00, 0x02, 0x04, 0x00, 0x00, 0x00, 0x00, 0x7C, 0xC1}));
}

// Every request: length, function code, register address, the count/value words, a valid CRC.
TEST(VogtlinFrame, EveryRequestLayout) {
    struct TCase {
        const char* Name;
        TFrame Frame;
        std::size_t Length;
        std::uint8_t Function;
        TFrame Payload; // the bytes between the register address and the CRC
    };
    const TCase cases[] = {
        {"ReadU8/U16", BuildReadRequest(0x1FE, 0x4139, RegistersU16), 8, 3, Bytes({0x00, 0x01})},
        {"ReadU32", BuildReadRequest(0x1FE, 0x4139, RegistersU32), 8, 3, Bytes({0x00, 0x02})},
        {"ReadS8", BuildReadRequest(0x1FE, 0x4139, RegistersS8), 8, 3, Bytes({0x00, 0x04})},
        {"ReadS50", BuildReadRequest(0x1FE, 0x4139, RegistersS50), 8, 3, Bytes({0x00, 0x19})},
        {"WriteU8", BuildWriteSingleRequest(0x1FE, 0x4139, 0xABCD), 8, 6, Bytes({0xAB, 0xCD})},
        {"WriteU16", BuildWriteU16Request(0x1FE, 0x4139, 0x1234ABCD), 11, 16,
         Bytes({0x00, 0x01, 0x02, 0xAB, 0xCD})},
        {"WriteF32", BuildWriteF32Request(0x1FE, 0x4139, -1.5F), 13, 16,
         Bytes({0x00, 0x02, 0x04, 0xBF, 0xC0, 0x00, 0x00})},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        ASSERT_EQ(c.Frame.size(), c.Length);
        EXPECT_EQ(c.Frame[0], 0xFE); // only the low byte of the device address is sent
        EXPECT_EQ(c.Frame[1], c.Function);
        EXPECT_EQ(c.Frame[2], 0x41);
        EXPECT_EQ(c.Frame[3], 0x39);
        EXPECT_EQ(TFrame(c.Frame.begin() + 4, c.Frame.end() - 2), c.Payload);
        EXPECT_EQ(ComputeCRC16(c.Frame), 0);
    }
}

TEST(VogtlinFrame, WriteS50PadsAndCuts) {
    const TFrame shortText = BuildWriteS50Request(3, regTableNameCustom, "Air 5.0");
    ASSERT_EQ(shortText.size(), 59U);
    EXPECT_EQ(TFrame(shortText.begin(), shortText.begin() + 7),
              Bytes({0x03, 0x10, 0x60, 0x22, 0x00, 0x19, 0x32}));
    EXPECT_EQ(std::string(shortText.begin() + 7, shortText.begin() + 57), "Air 5.0" + std::string(43, ' '));
    EXPECT_EQ(ComputeCRC16(shortText), 0);

    const std::string sixty = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz01234567";
    ASSERT_EQ(sixty.size(), 60U);
    const TFrame longText = BuildWriteS50Request(3, regTableNameCustom, sixty);
    ASSERT_EQ(longText.size(), 59U);
    EXPECT_EQ(std::string(longText.begin() + 7, longText.begin() + 57), sixty.substr(0, 50));
    EXPECT_EQ(ComputeCRC16(longText), 0);
}

TEST(VogtlinFrame, ExpectedReplyLengths) {
    EXPECT_EQ(ExpectedReplyLength(RegistersU16), 7U);
    EXPECT_EQ(ExpectedReplyLength(RegistersU32), 9U);
    EXPECT_EQ(ExpectedReplyLength(RegistersF32), 9U);
    EXPECT_EQ(ExpectedReplyLength(RegistersS8), 13U);
    EXPECT_EQ(ExpectedReplyLength(RegistersS50), 55U);
}

// How much of a reply to wait for, judged from its first bytes.
TEST(VogtlinFrame, ReadReplyLengthFromTheFirstBytes) {
    struct TCase {
        std::uint16_t Registers;
        TFrame Received;
        std::size_t Length;
    };
    const TCase cases[] = {
        {RegistersF32, Bytes({}), 0},
        {RegistersF32, Bytes({1}), 0},               // the function code is not in yet
        {RegistersF32, Bytes({1, 3}), 9},            // a reply to the read
        {RegistersS50, Bytes({1, 3, 50, 0x41}), 55}, // the length does not hang on the byte count
        {RegistersU16, Bytes({2, 3}), 7},            // nor on the address
        {RegistersF32, Bytes({1, 0x83}), 5},         // a refusal of the read
        {RegistersS50, Bytes({1, 0x83, 2, 0xC0, 0xF1}), 5},
        {RegistersF32, Bytes({1, 0x90}), 5}, // any function code with the high bit set
        // A late write acknowledgement ahead of the reply: the reply is judged after its 8 bytes.
        {RegistersF32, Bytes({1, 0x10}), 0},
        {RegistersF32, Bytes({1, 0x10, 0, 6, 0, 2, 0xA1, 0xC9, 1}), 0},
        {RegistersF32, Bytes({1, 0x10, 0, 6, 0, 2, 0xA1, 0xC9, 1, 3}), 17},
        {RegistersF32, Bytes({1, 0x06, 0, 6, 0, 0, 0, 0, 1, 0x83}), 13},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(::testing::Message()
                     << c.Registers << " registers, " << c.Received.size() << " bytes in");
        EXPECT_EQ(ReadReplyLength(c.Registers, c.Received), c.Length);
    }
}

TEST(VogtlinFrame, NumberDecodings) {
    EXPECT_EQ(DecodeF32(Reply(Bytes({0x3F, 0xC0, 0x00, 0x00}))), 1.5F);
    EXPECT_EQ(DecodeF32(Reply(Bytes({0xC1, 0x20, 0x00, 0x00}))), -10.0F);
    EXPECT_EQ(DecodeF32(Reply(Bytes({0x00, 0x00, 0x00, 0x00}))), 0.0F);
    EXPECT_EQ(DecodeU32(Reply(Bytes({0x80, 0x00, 0x00, 0x01}))), 0x80000001U);
    EXPECT_EQ(DecodeU32(Reply(Bytes({0x00, 0x01, 0xE2, 0x40}))), 123456U);
    EXPECT_EQ(DecodeU16(Reply(Bytes({0xFF, 0xFE}))), 0xFFFE);
    // Too short to hold the value: nothing is read past the end.
    EXPECT_EQ(DecodeU32(Bytes({1, 3, 4, 0x12})), 0U);
    EXPECT_EQ(DecodeU16(Bytes({1, 3, 2, 0x12})), 0U);
}

TEST(VogtlinFrame, FailedReadFloatIsTheQuietNaNPattern) {
    const float nan = FailedReadFloat();
    EXPECT_TRUE(std::isnan(nan));
    EXPECT_EQ(std::bit_cast<std::uint32_t>(nan), 0xFFC00000U);
    EXPECT_FALSE(nan > 0.0F);
}

TEST(VogtlinFrame, TextKeepsOnlyAllowedCharacters) {
    struct TCase {
        std::string Stored;
        std::size_t Characters;
        std::string Read;
    };
    const TCase cases[] = {
        {"N2(5.0)-", 8, "N250"},
        {"GSC-B4SA", 8, "GSCB4SA"},
        {"g/min   ", 8, "g/min   "},
        {"%*,/_09z", 8, "%*,/_09z"},
        // Both edges of every allowed range, with the neighbours just outside.
        {"@AZ[`az{", 8, "AZaz"},
        {"ZZZZZZZZ", 8, "ZZZZZZZZ"},
        {"./09:^_`", 8, "/09_"},
        {"\x1F !$%&)*", 8, " %*"},
        {"+,-.Z[Y@", 8, ",ZY"},
        {std::string("A\0B\x7F"
                     "C\xB5"
                     "D\t",
                     8),
         8, "ABCD"},
        {"Air [bottled] 5.0" + std::string(33, ' '), 50, "Air bottled 50" + std::string(33, ' ')},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Stored);
        const TFrame reply = Reply(TFrame(c.Stored.begin(), c.Stored.end()));
        EXPECT_EQ(DecodeText(reply, c.Characters), c.Read);
    }
}

// Every byte value against the allowed set written out in full.
TEST(VogtlinFrame, AllowedTextCharactersAreExactlyTheDocumentedSet) {
    const std::string allowed = " %*,/0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ_abcdefghijklmnopqrstuvwxyz";
    for (int byte = 0; byte < 256; ++byte) {
        const bool expected = allowed.find(static_cast<char>(byte)) != std::string::npos;
        EXPECT_EQ(IsAllowedTextCharacter(static_cast<std::uint8_t>(byte)), expected) << "byte " << byte;
    }
}

TEST(VogtlinFrame, TrimBlanksAndListings) {
    EXPECT_EQ(TrimBlanks("  CO2  "), "CO2");
    EXPECT_EQ(TrimBlanks("        "), "");
    EXPECT_EQ(TrimBlanks("N 2"), "N 2");
    std::string hex = "X ";
    std::string dec = "Y ";
    AppendHexListing(hex, Bytes({0x01, 0xAF, 0x00}));
    AppendDecimalListing(dec, Bytes({0x01, 0xAF, 0x00}));
    EXPECT_EQ(hex, "X 01 AF 00 ");
    EXPECT_EQ(dec, "Y 1 175 0 ");
}

} // namespace

namespace {

// The device's answer to a write: the request's first six bytes (or the refusal's three) and a CRC.
TFrame WithCRC(TFrame frame) {
    AppendCRC(frame);
    return frame;
}

TEST(VogtlinFrame, WriteAcknowledgementChecks) {
    const TFrame multiple = BuildWriteF32Request(2, regSetPoint, 0.5F);
    const TFrame single = BuildWriteSingleRequest(1, regActiveGasTable, 3);
    const TFrame echo = WithCRC(TFrame(multiple.begin(), multiple.begin() + 6));
    TFrame badCrc = echo;
    badCrc.back() ^= 0x01U;
    struct TCase {
        const char* Name;
        TFrame Request;
        TFrame Received;
        std::size_t Length; // WriteReplyLength of the received bytes
        std::string Problem;
    };
    const TCase cases[] = {
        {"EchoOfMultiple", multiple, echo, 8, ""},
        {"EchoOfSingle", single, single, 8, ""},
        {"Nothing", multiple, {}, 0, "No acknowledgement"},
        {"OneByte", multiple, Bytes({0x02}), 0, "Acknowledgement of wrong length (1 bytes)"},
        {"Short", multiple, TFrame(echo.begin(), echo.begin() + 7), 8,
         "Acknowledgement of wrong length (7 bytes)"},
        {"BadCrc", multiple, badCrc, 8, "Acknowledgement CRC wrong"},
        {"OtherDevice", multiple, WithCRC(Bytes({0x01, 0x10, 0x00, 0x06, 0x00, 0x02})), 8,
         "Acknowledgement from another device address"},
        {"OtherFunction", multiple, WithCRC(Bytes({0x02, 0x06, 0x00, 0x06, 0x00, 0x02})), 8,
         "Acknowledgement with another function code"},
        {"OtherRegister", multiple, WithCRC(Bytes({0x02, 0x10, 0x00, 0x07, 0x00, 0x02})), 8,
         "Acknowledgement does not echo the request"},
        {"OtherValue", single, WithCRC(Bytes({0x01, 0x06, 0x41, 0x39, 0x00, 0x04})), 8,
         "Acknowledgement does not echo the request"},
        {"Refusal", multiple, WithCRC(Bytes({0x02, 0x90, 0x02})), 5, "Write refused with exception code 2"},
        {"RefusalOfAnotherFunction", multiple, WithCRC(Bytes({0x02, 0x83, 0x02})), 5,
         "Acknowledgement with another function code"},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        EXPECT_EQ(WriteReplyLength(c.Received), c.Length);
        EXPECT_EQ(WriteAcknowledgementProblem(c.Request, c.Received), c.Problem);
    }
}

} // namespace
