// TVogtlinPort against a Modbus RTU server we did not write (libmodbus): its reads decode what the
// server holds, its writes land in the server's registers, and the server's own refusals (exception
// replies, silence for another address) come out as the failures the program knows. A write takes the
// server's answer inside its own transaction, so nothing of it is left on the line for the next one.

#include "mfc/VogtlinFrame.h"
#include "mfc/VogtlinPort.h"
#include "modbus/VogtlinRegisters.h"
#include "support/LogCapture.h"
#include "support/PtyBridge.h"

#include <atomic>
#include <bit>
#include <cerrno>
#include <cstdint>
#include <functional>
#include <gmock/gmock.h>
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

struct TWriteCase {
    const char* Name;
    std::uint32_t DeviceAddress;
    std::function<TFrame(std::uint32_t address)> Request; // what the write puts on the wire
    std::function<void(TVogtlinPort&, std::uint32_t address, TSerialResponse&)> Write;
    std::size_t AnswerLength; // 8 an acknowledgement, 5 a refusal, 0 silence
    std::string Logged;       // the problem logged, empty for none
};

void PrintTo(const TWriteCase& c, std::ostream* os) {
    *os << c.Name;
}

const TWriteCase WriteCases[] = {
    {"SetPoint", ServerAddress, [](std::uint32_t a) { return BuildWriteF32Request(a, regSetPoint, 2.5F); },
     [](TVogtlinPort& p, std::uint32_t a, TSerialResponse& r) { p.WriteF32(a, regSetPoint, 2.5F, r); }, 8,
     ""},
    {"SingleRegister", ServerAddress,
     [](std::uint32_t a) { return BuildWriteSingleRequest(a, regActiveGasTable, 7); },
     [](TVogtlinPort& p, std::uint32_t a, TSerialResponse& r) { p.WriteU8(a, regActiveGasTable, 7, r); }, 8,
     ""},
    {"Text", ServerAddress,
     [](std::uint32_t a) { return BuildWriteS50Request(a, regTableNameCustom, "Argon 5.0"); },
     [](TVogtlinPort& p, std::uint32_t a, TSerialResponse& r) {
         p.WriteS50(a, regTableNameCustom, "Argon 5.0", r);
     },
     8, ""},
    // The server refuses a register beyond its map: the write went out, the refusal is logged.
    {"Refused", ServerAddress, [](std::uint32_t a) { return BuildWriteU16Request(a, RegisterCount, 1); },
     [](TVogtlinPort& p, std::uint32_t a, TSerialResponse& r) { p.WriteU16(a, RegisterCount, 1, r); }, 5,
     "Write refused with exception code 2"},
    // Nobody at address 2: no answer comes, which is logged and no failure of the write.
    {"NoAnswer", ServerAddress + 1,
     [](std::uint32_t a) { return BuildWriteF32Request(a, regSetPoint, 2.5F); },
     [](TVogtlinPort& p, std::uint32_t a, TSerialResponse& r) { p.WriteF32(a, regSetPoint, 2.5F, r); }, 0,
     "No acknowledgement"},
};

class VogtlinWrite : public TModbusPeer, public ::testing::WithParamInterface<TWriteCase> {};

TEST_P(VogtlinWrite, TakesTheDevicesAnswerWithinItsTransaction) {
    const TWriteCase& c = GetParam();
    if (c.AnswerLength == 0) {
        fPort.fReadoutTimeoutMS = 100;
    }
    TestSupport::TLogCapture log;
    TSerialResponse response;
    c.Write(fPort, c.DeviceAddress, response);
    EXPECT_EQ(response.Status, "");

    // What the server answered is in the write's own record: the echo of the request's address,
    // function, register and value or count, or its refusal.
    const TFrame request = c.Request(c.DeviceAddress);
    TFrame expected;
    if (c.AnswerLength == WriteAcknowledgementLength) {
        expected.assign(request.begin(), request.begin() + 6);
        AppendCRC(expected);
    } else if (c.AnswerLength == ExceptionReplyLength) {
        expected = {request[0], static_cast<std::uint8_t>(request[1] | ExceptionFlag), 2};
        AppendCRC(expected);
    }
    EXPECT_EQ(TFrame(response.rArray.begin(), response.rArray.begin() + response.ResponseLength), expected);

    const std::string prefix = "Serial port " + fBridge.PathB() + ": write to device " +
                               std::to_string(c.DeviceAddress) + " at register ";
    if (c.Logged.empty()) {
        EXPECT_THAT(log.Messages(),
                    ::testing::Not(::testing::Contains(::testing::HasSubstr(": write to device "))));
    } else {
        EXPECT_THAT(log.Messages(), ::testing::Contains(::testing::AllOf(::testing::StartsWith(prefix),
                                                                         ::testing::HasSubstr(c.Logged))));
    }

    // The next exchange finds nothing of the write's answer on the line.
    fPort.fReadoutTimeoutMS = 1000;
    if (c.AnswerLength == 0) {
        // libmodbus, having passed over a frame for another address, can miss the request after it.
        fPort.ReadF32(ServerAddress, regSetPoint, response);
    }
    fPort.ReadF32(ServerAddress, regSetPoint, response);
    EXPECT_EQ(response.Status, "");
    EXPECT_EQ(response.AsFloat, c.Name == std::string("SetPoint") ? 2.5F : 0.0F);
    EXPECT_THAT(log.Messages(), ::testing::Not(::testing::Contains(::testing::HasSubstr("stale bytes"))));
}

INSTANTIATE_TEST_SUITE_P(Answers, VogtlinWrite, ::testing::ValuesIn(WriteCases),
                         [](const auto& testInfo) { return std::string(testInfo.param.Name); });

} // namespace
