// libmodbus, someone else's Modbus RTU master, talks to the virtual MFCs: our frames and CRCs
// are checked by an implementation we did not write.

#include "modbus/VogtlinRegisters.h"
#include "support/RawPort.h"
#include "support/SimHarness.h"

#include <bit>
#include <cerrno>
#include <gtest/gtest.h>
#include <memory>
#include <modbus.h>

namespace {

using namespace TestSupport;
namespace SV = SerialPortVogtlin;

struct TModbusDeleter {
    void operator()(modbus_t* context) const {
        modbus_close(context);
        modbus_free(context);
    }
};
using TModbus = std::unique_ptr<modbus_t, TModbusDeleter>;

TModbus Connect(const std::string& path, int slave) {
    TModbus context(modbus_new_rtu(path.c_str(), 9600, 'N', 8, 2));
    if (!context || modbus_set_slave(context.get(), slave) != 0 || modbus_connect(context.get()) != 0) {
        return nullptr;
    }
    modbus_set_response_timeout(context.get(), 2, 0);
    return context;
}

// Register pairs hold the IEEE 754 pattern high word first.
float FloatOf(const std::uint16_t* words) {
    return std::bit_cast<float>((static_cast<std::uint32_t>(words[0]) << 16U) | words[1]);
}

std::string Text(const std::uint16_t* words, int count) {
    std::string text;
    for (int i = 0; i < count; ++i) {
        for (const unsigned shift : {8U, 0U}) {
            const auto c = static_cast<char>((words[i] >> shift) & 0xFFU);
            if (c != '\0') {
                text += c;
            }
        }
    }
    return text;
}

TEST(SimLibmodbus, ReadsIdentityAndTablesWritesTheSetPoint) {
    TSimHarness sim(ManualClock());
    ASSERT_TRUE(sim.Started()) << sim.Error();
    const TModbus mfc = Connect(sim.Path(Sim::sdMfcB), 2);
    ASSERT_TRUE(mfc) << modbus_strerror(errno);

    std::uint16_t words[25] = {};
    ASSERT_EQ(modbus_read_registers(mfc.get(), SV::regDeviceType, 4, words), 4) << modbus_strerror(errno);
    EXPECT_EQ(Text(words, 4), "GSC-C5SA");
    ASSERT_EQ(modbus_read_registers(mfc.get(), SV::regSerialNumber, 2, words), 2);
    EXPECT_EQ((static_cast<std::uint32_t>(words[0]) << 16U) | words[1], 215002U);

    const std::uint16_t third = 4;
    ASSERT_EQ(modbus_write_registers(mfc.get(), SV::regShownGasTable, 1, &third), 1)
        << modbus_strerror(errno);
    ASSERT_EQ(modbus_read_registers(mfc.get(), SV::regTableNameShort, 4, words), 4);
    EXPECT_EQ(Text(words, 4), "Xe");
    ASSERT_EQ(modbus_read_registers(mfc.get(), SV::regTableNameCustom, 25, words), 25);
    EXPECT_EQ(Text(words, 25), "Xenon 0-2 g/min");
    ASSERT_EQ(modbus_read_registers(mfc.get(), SV::regTableRangeMax, 2, words), 2);
    EXPECT_EQ(FloatOf(words), 2.0F);

    ASSERT_EQ(modbus_write_register(mfc.get(), SV::regActiveGasTable, 3), 1) << modbus_strerror(errno);
    ASSERT_EQ(modbus_read_registers(mfc.get(), SV::regActiveGasTable, 1, words), 1);
    EXPECT_EQ(words[0], 3);

    const auto bits = std::bit_cast<std::uint32_t>(1.25F);
    const std::uint16_t setPoint[2] = {static_cast<std::uint16_t>(bits >> 16U),
                                       static_cast<std::uint16_t>(bits & 0xFFFFU)};
    ASSERT_EQ(modbus_write_registers(mfc.get(), SV::regSetPoint, 2, setPoint), 2) << modbus_strerror(errno);
    ASSERT_EQ(modbus_read_registers(mfc.get(), SV::regSetPoint, 2, words), 2);
    EXPECT_EQ(FloatOf(words), 1.25F);
    sim.Advance(10.0);
    ASSERT_EQ(modbus_read_registers(mfc.get(), SV::regMeasuredFlow, 2, words), 2);
    EXPECT_NEAR(FloatOf(words), 1.25F, 1e-5);
}

TEST(SimLibmodbus, ExceptionsReachTheMasterAsModbusErrors) {
    TSimHarness sim(ManualClock());
    ASSERT_TRUE(sim.Started()) << sim.Error();
    const TModbus mfc = Connect(sim.Path(Sim::sdMfcA), 1);
    ASSERT_TRUE(mfc) << modbus_strerror(errno);
    std::uint16_t words[2] = {};
    EXPECT_EQ(modbus_read_registers(mfc.get(), 0x0100, 1, words), -1);
    EXPECT_EQ(errno, EMBXILADD);
    EXPECT_EQ(modbus_read_input_registers(mfc.get(), 0, 2, words), -1);
    EXPECT_EQ(errno, EMBXILFUN);
    EXPECT_EQ(modbus_write_register(mfc.get(), SV::regActiveGasTable, 11), -1);
    EXPECT_EQ(errno, EMBXILVAL);
    // Still answering after the refusals.
    EXPECT_EQ(modbus_read_registers(mfc.get(), SV::regActiveGasTable, 1, words), 1);
    EXPECT_EQ(words[0], 2);
}

} // namespace
