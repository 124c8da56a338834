// TVogtlinPort against a Modbus RTU server we did not write (libmodbus): its reads decode what the
// server holds, its writes land in the server's registers, and the server's own refusals (exception
// replies, silence for another address) come out as the failures the program knows.

#include "mfc/VogtlinPort.h"
#include "modbus/VogtlinRegisters.h"
#include "support/PtyBridge.h"

#include <atomic>
#include <bit>
#include <cerrno>
#include <cstdint>
#include <gtest/gtest.h>
#include <modbus.h>
#include <mutex>
#include <string>
#include <thread>

namespace {

using namespace SerialPortVogtlin;
using SerialPort::TSerialResponse;

constexpr int ServerAddress = 1;
constexpr int RegisterCount = 0x6400; // 0x0000 .. 0x63FF: every register of the map

// A libmodbus RTU server at address 1 on one end of a pseudo-terminal bridge; TVogtlinPort talks
// to the other end.
class TModbusPeer : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(fBridge.Ready());
        fContext = modbus_new_rtu(fBridge.PathA().c_str(), 9600, 'N', 8, 2);
        ASSERT_NE(fContext, nullptr);
        ASSERT_EQ(modbus_set_slave(fContext, ServerAddress), 0);
        // The server looks up from waiting now and then, so that it can be stopped.
        ASSERT_EQ(modbus_set_indication_timeout(fContext, 0, 100000), 0);
        ASSERT_EQ(modbus_connect(fContext), 0) << modbus_strerror(errno);
        fMapping = modbus_mapping_new_start_address(0, 0, 0, 0, 0, RegisterCount, 0, 0);
        ASSERT_NE(fMapping, nullptr);
        fServer = std::thread([this] { Serve(); });
        ConfigureForMFC(fPort, fBridge.PathB(), 1000); // generous: the machine may be busy
    }

    void TearDown() override {
        fStop = true;
        if (fServer.joinable()) {
            fServer.join();
        }
        if (fMapping != nullptr) {
            modbus_mapping_free(fMapping);
        }
        if (fContext != nullptr) {
            modbus_close(fContext);
            modbus_free(fContext);
        }
    }

    void Serve() {
        std::uint8_t query[MODBUS_RTU_MAX_ADU_LENGTH];
        while (!fStop) {
            const int length = modbus_receive(fContext, query);
            if (length > 0) {
                const std::lock_guard lock(fMappingLock);
                modbus_reply(fContext, query, length, fMapping);
            }
        }
    }

    void SetRegisters(int start, std::initializer_list<std::uint16_t> words) {
        const std::lock_guard lock(fMappingLock);
        for (const std::uint16_t word : words) {
            fMapping->tab_registers[start++] = word;
        }
    }

    void SetText(int start, const std::string& text, std::size_t characters) {
        const std::lock_guard lock(fMappingLock);
        for (std::size_t i = 0; i < characters; i += 2) {
            const auto high = static_cast<std::uint8_t>(i < text.size() ? text[i] : ' ');
            const auto low = static_cast<std::uint8_t>(i + 1 < text.size() ? text[i + 1] : ' ');
            fMapping->tab_registers[start + static_cast<int>(i / 2)] =
                static_cast<std::uint16_t>((high << 8U) | low);
        }
    }

    std::uint16_t Register(int address) {
        const std::lock_guard lock(fMappingLock);
        return fMapping->tab_registers[address];
    }

    TestSupport::TPtyBridge fBridge;
    modbus_t* fContext = nullptr;
    modbus_mapping_t* fMapping = nullptr;
    std::mutex fMappingLock;
    std::atomic<bool> fStop{false};
    std::thread fServer;
    TVogtlinPort fPort;
};

TEST_F(TModbusPeer, ReadsDecodeWhatTheServerHolds) {
    SetRegisters(regTableRangeMax, {0x3FC0, 0x0000}); // 1.5
    SetRegisters(regSerialNumber, {0x8000, 0x0001});  // 2^31 + 1
    SetRegisters(regTableDynamicRange, {100});
    SetText(regDeviceType, "GSC-B9TA", 8);
    SetText(regTableNameCustom, "Nitrogen (N2) 5.0", 50);

    TSerialResponse response;
    fPort.ReadF32(ServerAddress, regTableRangeMax, response);
    EXPECT_EQ(response.Status, "");
    EXPECT_EQ(response.AsFloat, 1.5F);
    EXPECT_EQ(response.ResponseLength, 9);
    // The server's whole reply, its CRC included.
    EXPECT_EQ(response.AsHex, "01 03 04 3F C0 00 00 F6 1B ");

    fPort.ReadU32(ServerAddress, regSerialNumber, response);
    EXPECT_EQ(response.Status, "");
    EXPECT_EQ(response.AsInteger, -2147483647);
    EXPECT_EQ(response.AsFloat, 2147483648.0F);

    fPort.ReadU16(ServerAddress, regTableDynamicRange, response);
    EXPECT_EQ(response.Status, "");
    EXPECT_EQ(response.AsInteger, 100);

    fPort.ReadS8(ServerAddress, regDeviceType, response);
    EXPECT_EQ(response.Status, "");
    EXPECT_EQ(response.AsString, "GSCB9TA");

    fPort.ReadS50(ServerAddress, regTableNameCustom, response);
    EXPECT_EQ(response.Status, "");
    EXPECT_EQ(response.AsString, "Nitrogen N2 50" + std::string(33, ' '));
}

TEST_F(TModbusPeer, WritesLandInTheServerRegisters) {
    TSerialResponse response;
    fPort.WriteF32(ServerAddress, regSetPoint, 2.5F, response);
    EXPECT_EQ(response.Status, "");
    fPort.WriteU16(ServerAddress, regShownGasTable, 0x12345, response); // only the low 16 bits go
    EXPECT_EQ(response.Status, "");
    fPort.WriteU8(ServerAddress, regActiveGasTable, 7, response);
    EXPECT_EQ(response.Status, "");
    fPort.WriteS50(ServerAddress, regTableNameCustom, "Argon 5.0", response);
    EXPECT_EQ(response.Status, "");

    // The server answers in order, so once this read is back every write before it is done.
    fPort.ReadF32(ServerAddress, regSetPoint, response);
    ASSERT_EQ(response.Status, "");
    EXPECT_EQ(response.AsFloat, 2.5F);

    EXPECT_EQ(Register(regSetPoint), 0x4020);
    EXPECT_EQ(Register(regSetPoint + 1), 0x0000);
    EXPECT_EQ(Register(regShownGasTable), 0x2345);
    EXPECT_EQ(Register(regActiveGasTable), 7);
    const std::string expected = "Argon 5.0" + std::string(41, ' ');
    for (std::size_t i = 0; i < 25; ++i) {
        SCOPED_TRACE(i);
        const auto word = static_cast<std::uint16_t>((static_cast<std::uint8_t>(expected[2 * i]) << 8U) |
                                                     static_cast<std::uint8_t>(expected[2 * i + 1]));
        EXPECT_EQ(Register(regTableNameCustom + static_cast<int>(i)), word);
    }
    EXPECT_EQ(Register(regTableNameCustom + 25), 0); // nothing beyond the 50 characters
}

TEST_F(TModbusPeer, RefusalsAndSilence) {
    TSerialResponse response;
    response.AsInteger = 42;
    // Beyond the server's registers: a 5-byte exception reply.
    fPort.ReadU16(ServerAddress, RegisterCount, response);
    EXPECT_EQ(response.Status, "Wrong amount of data waiting");
    EXPECT_EQ(response.ResponseLength, 5);
    EXPECT_EQ(response.rArray[1], 0x83);
    EXPECT_EQ(response.AsInteger, 42);

    fPort.ReadF32(ServerAddress, RegisterCount - 1, response); // straddles the end
    EXPECT_EQ(response.Status, "Wrong amount of data waiting");
    EXPECT_EQ(std::bit_cast<std::uint32_t>(response.AsFloat), 0xFFC00000U);

    // Another address: the server keeps quiet.
    fPort.fReadoutTimeoutMS = 100;
    fPort.ReadF32(ServerAddress + 1, regSetPoint, response);
    EXPECT_EQ(response.Status, "No result to read");
    EXPECT_EQ(std::bit_cast<std::uint32_t>(response.AsFloat), 0xFFC00000U);
}

} // namespace
