// The Modbus RTU CRC against known answers: the CRC-16/MODBUS check value and the frames the MFC
// protocol documents, appended low byte first.

#include "modbus/ModbusCrc.h"

#include <cstdint>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

using SerialPortVogtlin::AppendCRC;
using SerialPortVogtlin::ComputeCRC16;
using TBytes = std::vector<std::uint8_t>;

TEST(ModbusCrc, CheckValue) {
    const std::string check = "123456789";
    EXPECT_EQ(ComputeCRC16(TBytes(check.begin(), check.end())), 0x4B37);
    EXPECT_EQ(ComputeCRC16(TBytes{}), 0xFFFF); // the start value, untouched
}

TEST(ModbusCrc, AppendedLowByteFirstToKnownFrames) {
    struct TCase {
        const char* What;
        TBytes Frame;
        TBytes Crc;
    };
    const TCase cases[] = {
        {"read 2 registers at 0 of device 1", {0x01, 0x03, 0x00, 0x00, 0x00, 0x02}, {0xC4, 0x0B}},
        {"write 0.0 to register 6 of device 2",
         {0x02, 0x10, 0x00, 0x06, 0x00, 0x02, 0x04, 0x00, 0x00, 0x00, 0x00},
         {0x7C, 0xC1}},
        {"exception reply 2 to a read of device 1", {0x01, 0x83, 0x02}, {0xC0, 0xF1}},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.What);
        TBytes frame = c.Frame;
        AppendCRC(frame);
        TBytes expected = c.Frame;
        expected.insert(expected.end(), c.Crc.begin(), c.Crc.end());
        EXPECT_EQ(frame, expected);
        // A frame followed by its own CRC checks to zero; one changed bit does not.
        EXPECT_EQ(ComputeCRC16(frame), 0);
        frame[1] ^= 0x01;
        EXPECT_NE(ComputeCRC16(frame), 0);
    }
}

} // namespace
