// The virtual MFCs over real pseudo-terminals: identity, gas tables, set-point, flow, totalizer,
// framing and exception replies.

#include "modbus/VogtlinRegisters.h"
#include "support/RawPort.h"
#include "support/SimHarness.h"

#include <cmath>
#include <gtest/gtest.h>

namespace {

using namespace TestSupport;
namespace SV = SerialPortVogtlin;

constexpr std::uint8_t AddressA = 1;
constexpr std::uint8_t AddressB = 2;

TEST(VirtualMfc, KnownRequestOfTwoRegistersIsAnsweredWithAValidFrame) {
    TSimHarness sim(ManualClock());
    ASSERT_TRUE(sim.Started()) << sim.Error();
    TRawPort port(sim.Path(Sim::sdMfcA));
    ASSERT_TRUE(port.IsOpen());
    // Read 2 registers at address 0 of device 1, as the frame layer documents it.
    const TBytes request{0x01, 0x03, 0x00, 0x00, 0x00, 0x02, 0xC4, 0x0B};
    ASSERT_EQ(ReadRequest(1, 0, 2), request);
    const TBytes reply = port.Exchange(request, 9);
    EXPECT_EQ(reply, WithCrc({0x01, 0x03, 0x04, 0x00, 0x00, 0x00, 0x00})) << Hex(reply);
}

TEST(VirtualMfc, IdentityRegistersOfBothInstruments) {
    TSimHarness sim(ManualClock());
    ASSERT_TRUE(sim.Started()) << sim.Error();
    struct TCase {
        Sim::TSimDevice Device;
        std::uint8_t Address;
        const char* Type;
        std::uint32_t Serial;
    };
    for (const TCase& c : {TCase{Sim::sdMfcA, AddressA, "GSC-B9TA", 215001},
                           TCase{Sim::sdMfcB, AddressB, "GSC-C5SA", 215002}}) {
        TRawPort port(sim.Path(c.Device));
        const TBytes type = port.Exchange(ReadRequest(c.Address, SV::regDeviceType, 4), 13);
        ASSERT_EQ(type.size(), 13U) << Hex(type);
        EXPECT_TRUE(CrcOk(type));
        EXPECT_EQ(type[0], c.Address);
        EXPECT_EQ(type[1], 3);
        EXPECT_EQ(type[2], 8);
        EXPECT_EQ(TextOf(type), c.Type);
        const TBytes serial = port.Exchange(ReadRequest(c.Address, SV::regSerialNumber, 2), 9);
        EXPECT_EQ(U32Of(serial), c.Serial);
    }
}

TEST(VirtualMfc, ValuesAreEncodedHighByteFirst) {
    TSimHarness sim(ManualClock([](Sim::TSimConfig& config) {
        config.MfcA.Serial = 0x80000001U; // a serial number of 2^31 or more
        config.MfcA.Tables[0].FullScale = 1.5F;
        config.MfcA.Tables[0].NameCustom = "N2 (5.0)-dry";
    }));
    ASSERT_TRUE(sim.Started()) << sim.Error();
    TRawPort port(sim.Path(Sim::sdMfcA));
    const TBytes serial = port.Exchange(ReadRequest(AddressA, SV::regSerialNumber, 2), 9);
    EXPECT_EQ(TBytes(serial.begin() + 3, serial.begin() + 7), (TBytes{0x80, 0x00, 0x00, 0x01}));
    const TBytes range = port.Exchange(ReadRequest(AddressA, SV::regTableRangeMax, 2), 9);
    EXPECT_EQ(TBytes(range.begin() + 3, range.begin() + 7), (TBytes{0x3F, 0xC0, 0x00, 0x00}));
    // Text goes out as it is stored; the reader decides which characters it keeps.
    const TBytes custom = port.Exchange(ReadRequest(AddressA, SV::regTableNameCustom, 25), 55);
    ASSERT_EQ(custom.size(), 55U);
    EXPECT_EQ(TextOf(custom), "N2 (5.0)-dry");
    EXPECT_EQ(custom[3 + 12], 0); // padded with NUL bytes
}

TEST(VirtualMfc, ShownTableSelectsWhatTheTableRegistersShow) {
    TSimHarness sim(ManualClock());
    ASSERT_TRUE(sim.Started()) << sim.Error();
    const Sim::TMfcConfig expected = Sim::DefaultMfcB();
    TRawPort port(sim.Path(Sim::sdMfcB));
    for (std::uint16_t table = 2; table <= 5; ++table) {
        SCOPED_TRACE(table);
        const TBytes ack = port.Exchange(WriteU16Request(AddressB, SV::regShownGasTable, table), 8);
        EXPECT_EQ(ack, WithCrc({AddressB, 16, 0x5F, 0xFF, 0x00, 0x01})) << Hex(ack);
        EXPECT_EQ(U16Of(port.Exchange(ReadRequest(AddressB, SV::regShownGasTable, 1), 7)), table);
        const std::size_t index = table - 2U;
        const bool present = index < expected.Tables.size();
        const std::string name = TextOf(port.Exchange(ReadRequest(AddressB, SV::regTableNameShort, 4), 13));
        EXPECT_EQ(name, present ? expected.Tables[index].NameShort : "");
        const float range = F32Of(port.Exchange(ReadRequest(AddressB, SV::regTableRangeMax, 2), 9));
        EXPECT_EQ(range, present ? expected.Tables[index].FullScale : 0.0F);
        if (!present) {
            continue;
        }
        EXPECT_EQ(TextOf(port.Exchange(ReadRequest(AddressB, SV::regTableUnit, 4), 13)), "g/min");
        EXPECT_EQ(TextOf(port.Exchange(ReadRequest(AddressB, SV::regTableNameCustom, 25), 55)),
                  expected.Tables[index].NameCustom);
        EXPECT_EQ(U16Of(port.Exchange(ReadRequest(AddressB, SV::regTableDynamicRange, 1), 7)), 100);
        EXPECT_EQ(F32Of(port.Exchange(ReadRequest(AddressB, SV::regTableDensity, 2), 9)),
                  expected.Tables[index].Density_gpl);
        EXPECT_EQ(TextOf(port.Exchange(ReadRequest(AddressB, SV::regTotalizerUnit, 4), 13)),
                  expected.Tables[index].TotalizerUnit);
        EXPECT_EQ(F32Of(port.Exchange(ReadRequest(AddressB, SV::regTotalizerScaling, 2), 9)),
                  expected.Tables[index].TotalizerScaling);
    }
    // The table numbers run from 2 to 11; others are refused and change nothing.
    for (const std::uint16_t wrong : {std::uint16_t{1}, std::uint16_t{12}}) {
        const TBytes refused = port.Exchange(WriteU16Request(AddressB, SV::regShownGasTable, wrong), 5);
        EXPECT_EQ(refused, WithCrc({AddressB, 0x90, 3})) << Hex(refused);
    }
    EXPECT_EQ(U16Of(port.Exchange(ReadRequest(AddressB, SV::regShownGasTable, 1), 7)), 5);
}

TEST(VirtualMfc, ActiveTableReadsBackAndRefusesAnAbsentTable) {
    TSimHarness sim(ManualClock());
    ASSERT_TRUE(sim.Started()) << sim.Error();
    TRawPort port(sim.Path(Sim::sdMfcA));
    EXPECT_EQ(U16Of(port.Exchange(ReadRequest(AddressA, SV::regActiveGasTable, 1), 7)), 2);
    const TBytes ack = port.Exchange(WriteU8Request(AddressA, SV::regActiveGasTable, 4), 8);
    EXPECT_EQ(ack, WriteU8Request(AddressA, SV::regActiveGasTable, 4)); // function 6 echoes the request
    EXPECT_EQ(U16Of(port.Exchange(ReadRequest(AddressA, SV::regActiveGasTable, 1), 7)), 4);
    const TBytes refused = port.Exchange(WriteU8Request(AddressA, SV::regActiveGasTable, 5), 5);
    EXPECT_EQ(refused, WithCrc({AddressA, 0x86, 3}));
    EXPECT_EQ(U16Of(port.Exchange(ReadRequest(AddressA, SV::regActiveGasTable, 1), 7)), 4);
    EXPECT_EQ(sim.Sim().MfcState(Sim::sdMfcA).ActiveTable, 4);
}

TEST(VirtualMfc, ControlCheckIsClearedByTheReleaseWord) {
    TSimHarness sim(ManualClock());
    ASSERT_TRUE(sim.Started()) << sim.Error();
    TRawPort port(sim.Path(Sim::sdMfcA));
    EXPECT_EQ(U16Of(port.Exchange(ReadRequest(AddressA, SV::regControlCheck, 1), 7)), 1);
    port.Exchange(WriteU16Request(AddressA, SV::regControlRelease, 0x1234), 8);
    EXPECT_EQ(U16Of(port.Exchange(ReadRequest(AddressA, SV::regControlCheck, 1), 7)), 1);
    port.Exchange(WriteU16Request(AddressA, SV::regControlRelease, 0xFFFF), 8);
    EXPECT_EQ(U16Of(port.Exchange(ReadRequest(AddressA, SV::regControlCheck, 1), 7)), 0);
    port.Exchange(WriteU16Request(AddressA, SV::regEndIdentification, 0), 8);
    EXPECT_EQ(sim.Sim().MfcState(Sim::sdMfcA).EndIdentification, 0);
}

TEST(VirtualMfc, SetPointMovesTheFlowAndTheTotalizerIntegratesIt) {
    TSimHarness sim(ManualClock([](Sim::TSimConfig& config) {
        config.MfcA.Tables[0].TotalizerUnit = "g";
        config.MfcA.TimeConstantSeconds = 0.5;
    }));
    ASSERT_TRUE(sim.Started()) << sim.Error();
    TRawPort port(sim.Path(Sim::sdMfcA));
    const TBytes ack = port.Exchange(WriteF32Request(AddressA, SV::regSetPoint, 6.0F), 8);
    EXPECT_EQ(ack, WithCrc({AddressA, 16, 0x00, 0x06, 0x00, 0x02}));
    EXPECT_EQ(F32Of(port.Exchange(ReadRequest(AddressA, SV::regSetPoint, 2), 9)), 6.0F);

    // One time constant after the step the flow has covered 1 - 1/e of it.
    sim.Advance(0.5);
    const float early = F32Of(port.Exchange(ReadRequest(AddressA, SV::regMeasuredFlow, 2), 9));
    EXPECT_NEAR(early, 6.0 * (1.0 - std::exp(-1.0)), 1e-4);
    sim.Advance(59.5);
    const float settled = F32Of(port.Exchange(ReadRequest(AddressA, SV::regMeasuredFlow, 2), 9));
    EXPECT_NEAR(settled, 6.0, 1e-5);
    // 60 s at 6 g/min less what the lag held back (6 g/min x 0.5 s).
    const double expectedGrams = (6.0 * 60.0 - 6.0 * 0.5) / 60.0;
    const float total = F32Of(port.Exchange(ReadRequest(AddressA, SV::regTotalizer, 2), 9));
    EXPECT_NEAR(total, expectedGrams, 1e-4);

    port.Exchange(WriteF32Request(AddressA, SV::regSetPoint, 0.0F), 8);
    sim.Advance(30.0);
    EXPECT_EQ(F32Of(port.Exchange(ReadRequest(AddressA, SV::regMeasuredFlow, 2), 9)), 0.0F);
    const float after = F32Of(port.Exchange(ReadRequest(AddressA, SV::regTotalizer, 2), 9));
    EXPECT_NEAR(after, expectedGrams + 6.0 * 0.5 / 60.0, 1e-4); // the lag's share comes after the stop
}

TEST(VirtualMfc, FlowIsLimitedToTheActiveFullScaleAndNoiseStaysNearTheSetPoint) {
    TSimHarness sim(ManualClock([](Sim::TSimConfig& config) { config.MfcA.NoiseFraction = 0.001; }));
    ASSERT_TRUE(sim.Started()) << sim.Error();
    TRawPort port(sim.Path(Sim::sdMfcA));
    port.Exchange(WriteU8Request(AddressA, SV::regActiveGasTable, 4), 8); // O2, full scale 5
    port.Exchange(WriteF32Request(AddressA, SV::regSetPoint, 8.0F), 8);
    sim.Advance(30.0);
    bool varies = false;
    float first = -1.0F;
    for (int i = 0; i < 20; ++i) {
        const float flow = F32Of(port.Exchange(ReadRequest(AddressA, SV::regMeasuredFlow, 2), 9));
        EXPECT_NEAR(flow, 5.0, 0.05); // ten standard deviations of the noise
        varies = varies || (first >= 0.0F && flow != first);
        first = first < 0.0F ? flow : first;
    }
    EXPECT_TRUE(varies) << "the measured flow carries a little noise";
}

TEST(VirtualMfc, TotalizerCountsInTheUnitOfTheActiveTable) {
    TSimHarness sim(ManualClock([](Sim::TSimConfig& config) { config.MfcA.TimeConstantSeconds = 0.0; }));
    ASSERT_TRUE(sim.Started()) << sim.Error();
    TRawPort port(sim.Path(Sim::sdMfcA));
    port.Exchange(WriteF32Request(AddressA, SV::regSetPoint, 2.0F), 8);
    sim.Advance(120.0); // 4 g
    const Sim::TMfcConfig tables = Sim::DefaultMfcA();
    struct TCase {
        std::uint16_t Table;
        double Expected;
    };
    for (const TCase& c : {TCase{2, 4.0 / tables.Tables[0].Density_gpl}, // litres at normal conditions
                           TCase{3, 4000.0}}) {                          // milligrams
        port.Exchange(WriteU8Request(AddressA, SV::regActiveGasTable, c.Table), 8);
        EXPECT_NEAR(F32Of(port.Exchange(ReadRequest(AddressA, SV::regTotalizer, 2), 9)), c.Expected,
                    c.Expected * 1e-6);
    }
    // Writing the totalizer resets it.
    port.Exchange(WriteF32Request(AddressA, SV::regTotalizer, 0.0F), 8);
    EXPECT_EQ(F32Of(port.Exchange(ReadRequest(AddressA, SV::regTotalizer, 2), 9)), 0.0F);
}

// Every totalizer unit the virtual MFC offers, integrating two set-points in turn: 2 g/min for two
// minutes and 6 g/min for half a minute make 7 g. Litre units go through the table's density.
TEST(VirtualMfc, TotalizerIntegratesInEveryUnit) {
    struct TCase {
        const char* Unit;
        double Expected;
    };
    const TCase cases[] = {
        {"g", 7.0},   {"mg", 7000.0},  {"kg", 0.007}, {"ln", 5.6},
        {"ln*", 5.6}, {"mln", 5600.0}, {"lb", 7.0}, // a unit it does not know counts grams
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Unit);
        TSimHarness sim(ManualClock([&c](Sim::TSimConfig& config) {
            config.MfcA.TimeConstantSeconds = 0.0;
            config.MfcA.Tables[0].TotalizerUnit = c.Unit;
            config.MfcA.Tables[0].Density_gpl = 1.25F;
        }));
        ASSERT_TRUE(sim.Started()) << sim.Error();
        TRawPort port(sim.Path(Sim::sdMfcA));
        port.Exchange(WriteF32Request(AddressA, SV::regSetPoint, 2.0F), 8);
        sim.Advance(120.0);
        port.Exchange(WriteF32Request(AddressA, SV::regSetPoint, 6.0F), 8);
        sim.Advance(30.0);
        port.Exchange(WriteF32Request(AddressA, SV::regSetPoint, 0.0F), 8);
        sim.Advance(60.0); // nothing more flows
        const TBytes reply = port.Exchange(ReadRequest(AddressA, SV::regTotalizer, 2), 9);
        ASSERT_EQ(reply.size(), 9U) << Hex(reply);
        EXPECT_NEAR(F32Of(reply), c.Expected, c.Expected * 1e-6);
    }
}

TEST(VirtualMfc, FramesWithABadCrcOrAnotherAddressGetNoAnswer) {
    TSimHarness sim(ManualClock());
    ASSERT_TRUE(sim.Started()) << sim.Error();
    TRawPort port(sim.Path(Sim::sdMfcA));
    TBytes badCrc = ReadRequest(AddressA, SV::regDeviceType, 4);
    badCrc.back() ^= 0x01;
    const TBytes otherAddress = ReadRequest(AddressB, SV::regDeviceType, 4);
    const TBytes broadcast = WriteF32Request(0, SV::regSetPoint, 1.0F);
    for (const TBytes& quiet : {badCrc, otherAddress, broadcast}) {
        SCOPED_TRACE(Hex(quiet));
        port.Write(quiet);
        // The next answer is the one to the good request: nothing came before it.
        const TBytes reply = port.Exchange(ReadRequest(AddressA, SV::regSerialNumber, 2), 9);
        EXPECT_EQ(reply, WithCrc({AddressA, 3, 4, 0x00, 0x03, 0x47, 0xD9})) << Hex(reply);
    }
    EXPECT_TRUE(port.ReadFor(100).empty());
    const Sim::TMfcState state = sim.Sim().MfcState(Sim::sdMfcA);
    EXPECT_EQ(state.FramesForMe, 4U); // three good reads and the broadcast
    EXPECT_EQ(state.Replies, 3U);
    EXPECT_EQ(state.SetPoint, 1.0F) << "a broadcast write is carried out";
}

TEST(VirtualMfc, ExceptionReplies) {
    TSimHarness sim(ManualClock());
    ASSERT_TRUE(sim.Started()) << sim.Error();
    TRawPort port(sim.Path(Sim::sdMfcA));
    struct TCase {
        const char* What;
        TBytes Request;
        TBytes Reply;
    };
    const TCase cases[] = {
        {"unknown function", WithCrc({AddressA, 0x2B, 0x0E, 0x01, 0x00}), WithCrc({AddressA, 0xAB, 1})},
        {"read input registers", WithCrc({AddressA, 0x04, 0x00, 0x00, 0x00, 0x02}),
         WithCrc({AddressA, 0x84, 1})},
        {"unmapped register", ReadRequest(AddressA, 0x0100, 1), WithCrc({AddressA, 0x83, 2})},
        {"read running past a value", ReadRequest(AddressA, SV::regDeviceType, 5),
         WithCrc({AddressA, 0x83, 2})},
        {"no registers", ReadRequest(AddressA, SV::regSetPoint, 0), WithCrc({AddressA, 0x83, 3})},
        {"write to the serial number", WriteU16Request(AddressA, SV::regSerialNumber, 7),
         WithCrc({AddressA, 0x90, 2})},
        {"write single to the measured flow", WriteU8Request(AddressA, SV::regMeasuredFlow, 7),
         WithCrc({AddressA, 0x86, 2})},
        {"set-point that is not a number", WriteF32Request(AddressA, SV::regSetPoint, std::nanf("")),
         WithCrc({AddressA, 0x90, 3})},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.What);
        const TBytes reply = port.Exchange(c.Request, c.Reply.size());
        EXPECT_EQ(reply, c.Reply) << Hex(reply);
    }
    EXPECT_EQ(sim.Sim().MfcState(Sim::sdMfcA).SetPoint, 0.0F);
    EXPECT_TRUE(port.ReadFor(50).empty());
}

TEST(VirtualMfc, RequestsArrivingTogetherAreAnsweredInOrder) {
    TSimHarness sim(ManualClock());
    ASSERT_TRUE(sim.Started()) << sim.Error();
    TRawPort port(sim.Path(Sim::sdMfcA));
    TBytes both = WriteF32Request(AddressA, SV::regSetPoint, 2.5F);
    const TBytes read = ReadRequest(AddressA, SV::regSetPoint, 2);
    both.insert(both.end(), read.begin(), read.end());
    port.Write(both);
    const TBytes replies = port.Read(8 + 9);
    ASSERT_EQ(replies.size(), 17U);
    EXPECT_EQ(F32Of(TBytes(replies.begin() + 8, replies.end())), 2.5F);
}

TEST(VirtualMfc, ConfiguredQuirksOfAnInstrument) {
    TSimHarness sim(ManualClock([](Sim::TSimConfig& config) {
        config.MfcB.Tables.clear(); // table 2 empty
        config.MfcA.Tables[0].SilentRegisters = {SV::regTableRangeMax};
        config.MfcA.ReadOverrides[SV::regShownGasTable] = 9;
    }));
    ASSERT_TRUE(sim.Started()) << sim.Error();
    TRawPort b(sim.Path(Sim::sdMfcB));
    EXPECT_EQ(TextOf(b.Exchange(ReadRequest(AddressB, SV::regTableNameShort, 4), 13)), "");
    TRawPort a(sim.Path(Sim::sdMfcA));
    // The full-scale read of table 2 fails; table 3's answers.
    a.Write(ReadRequest(AddressA, SV::regTableRangeMax, 2));
    a.Exchange(WriteU16Request(AddressA, SV::regShownGasTable, 3), 8);
    EXPECT_EQ(F32Of(a.Exchange(ReadRequest(AddressA, SV::regTableRangeMax, 2), 9)), 10.0F);
    EXPECT_EQ(U16Of(a.Exchange(ReadRequest(AddressA, SV::regShownGasTable, 1), 7)), 9);
    EXPECT_EQ(sim.Sim().MfcState(Sim::sdMfcA).ShownTable, 3);
}

} // namespace
