// Faults injected into the virtual instruments, at start and while running, seen from the wire.

#include "SimTestSupport.h"
#include "mfc/VogtlinRegisters.h"
#include "sim/ControlCommand.h"

#include <cerrno>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using namespace SimTest;
namespace SV = SerialPortVogtlin;

constexpr std::uint8_t AddressA = 1;

void SetFault(TSimHarness& sim, Sim::TSimDevice device, Sim::TSimFault fault, bool on) {
    std::string error;
    ASSERT_TRUE(sim.Sim().SetFault(device, fault, on, error)) << error;
}

bool LinkExists(const std::string& path) {
    struct stat info {};
    return ::lstat(path.c_str(), &info) == 0;
}

TEST(SimFaults, MfcReplyFaults) {
    TSimHarness sim(ManualClock());
    ASSERT_TRUE(sim.Started()) << sim.Error();
    TRawPort port(sim.Path(Sim::sdMfcA));
    const TBytes request = ReadRequest(AddressA, SV::regSerialNumber, 2);
    const TBytes good = port.Exchange(request, 9);
    ASSERT_TRUE(CrcOk(good));

    SetFault(sim, Sim::sdMfcA, Sim::sfBadCrc, true);
    const TBytes badCrc = port.Exchange(request, 9);
    ASSERT_EQ(badCrc.size(), 9U);
    EXPECT_EQ(TBytes(badCrc.begin(), badCrc.begin() + 7), TBytes(good.begin(), good.begin() + 7));
    EXPECT_FALSE(CrcOk(badCrc));
    SetFault(sim, Sim::sdMfcA, Sim::sfBadCrc, false);

    SetFault(sim, Sim::sdMfcA, Sim::sfWrongLength, true);
    EXPECT_EQ(port.Exchange(request, 8), TBytes(good.begin(), good.end() - 1));
    EXPECT_TRUE(port.ReadFor(50).empty());
    SetFault(sim, Sim::sdMfcA, Sim::sfWrongLength, false);

    SetFault(sim, Sim::sdMfcA, Sim::sfException, true);
    EXPECT_EQ(port.Exchange(request, 5), WithCrc({AddressA, 0x83, 4}));
    // A failing device carries out no write either.
    EXPECT_EQ(port.Exchange(WriteF32Request(AddressA, SV::regSetPoint, 1.0F), 5),
              WithCrc({AddressA, 0x90, 4}));
    EXPECT_EQ(sim.Sim().MfcState(Sim::sdMfcA).SetPoint, 0.0F);
    SetFault(sim, Sim::sdMfcA, Sim::sfException, false);

    EXPECT_EQ(port.Exchange(request, 9), good);
    EXPECT_TRUE(port.ReadFor(50).empty());
}

TEST(SimFaults, SilentDevicesNeitherActNorAnswer) {
    TSimHarness sim(ManualClock());
    ASSERT_TRUE(sim.Started()) << sim.Error();
    TRawPort mfc(sim.Path(Sim::sdMfcA));
    TRawPort pump(sim.Path(Sim::sdPump));
    SetFault(sim, Sim::sdMfcA, Sim::sfSilent, true);
    SetFault(sim, Sim::sdPump, Sim::sfSilent, true);
    EXPECT_TRUE(sim.Sim().HasFault(Sim::sdPump, Sim::sfSilent));
    mfc.Write(WriteF32Request(AddressA, SV::regSetPoint, 3.0F));
    pump.Write("/1TZ2R\r");
    EXPECT_TRUE(mfc.ReadFor(100).empty());
    EXPECT_TRUE(pump.ReadFor(1).empty());
    SetFault(sim, Sim::sdMfcA, Sim::sfSilent, false);
    SetFault(sim, Sim::sdPump, Sim::sfSilent, false);
    // What was sent meanwhile had no effect, and the first answers are to the new requests.
    EXPECT_EQ(F32Of(mfc.Exchange(ReadRequest(AddressA, SV::regSetPoint, 2), 9)), 0.0F);
    EXPECT_EQ(pump.Ask("/1Q\r"), "/0`\x03\r\n");
    EXPECT_FALSE(sim.Sim().PumpState().Initialised);
}

TEST(SimFaults, PumpNeverIdleAndShortAnswers) {
    TSimHarness sim(
        ManualClock([](Sim::TSimConfig& config) { config.Faults[Sim::sdPump] = {Sim::sfNeverIdle}; }));
    ASSERT_TRUE(sim.Started()) << sim.Error();
    TRawPort pump(sim.Path(Sim::sdPump));
    EXPECT_EQ(pump.Ask("/1Q\r"), "/0@\x03\r\n");
    sim.Advance(100.0);
    EXPECT_EQ(pump.Ask("/1Q\r"), "/0@\x03\r\n");
    EXPECT_NE(pump.Ask("/1?23\r").find("C24000"), std::string::npos);
    SetFault(sim, Sim::sdPump, Sim::sfNeverIdle, false);
    EXPECT_EQ(pump.Ask("/1Q\r"), "/0`\x03\r\n");

    SetFault(sim, Sim::sdPump, Sim::sfWrongLength, true);
    pump.Write("/1Q\r");
    EXPECT_EQ(pump.Read(3, 300), (TBytes{'/', '0'}));
}

TEST(SimFaults, PortHeldByAnotherProcess) {
    TSimHarness sim(
        ManualClock([](Sim::TSimConfig& config) { config.Faults[Sim::sdMfcB] = {Sim::sfPortHeld}; }));
    ASSERT_TRUE(sim.Started()) << sim.Error();
    for (const Sim::TSimDevice device : {Sim::sdMfcB, Sim::sdPump}) {
        SCOPED_TRACE(Sim::DeviceName(device));
        if (device == Sim::sdPump) {
            SetFault(sim, device, Sim::sfPortHeld, true);
        }
        TRawPort port(sim.Path(device));
        ASSERT_TRUE(port.IsOpen()); // opening works, the exclusive lock does not
        EXPECT_EQ(::flock(port.Fd(), LOCK_EX | LOCK_NB), -1);
        EXPECT_EQ(errno, EWOULDBLOCK);
        SetFault(sim, device, Sim::sfPortHeld, false);
        EXPECT_EQ(::flock(port.Fd(), LOCK_EX | LOCK_NB), 0);
    }
}

TEST(SimFaults, UnpluggedPortDisappearsAndComesBack) {
    TSimHarness sim(ManualClock());
    ASSERT_TRUE(sim.Started()) << sim.Error();
    const std::string path = sim.Path(Sim::sdMfcA);
    ASSERT_TRUE(LinkExists(path));
    TRawPort before(path);
    SetFault(sim, Sim::sdMfcA, Sim::sfUnplugged, true);
    EXPECT_FALSE(LinkExists(path));
    TRawPort missing(path);
    EXPECT_FALSE(missing.IsOpen());
    EXPECT_EQ(missing.OpenErrno(), ENOENT);
    // A client that had the port open sees it hang up.
    pollfd pfd{before.Fd(), POLLIN, 0};
    ASSERT_EQ(::poll(&pfd, 1, 1000), 1);
    EXPECT_NE(pfd.revents & (POLLHUP | POLLERR), 0);

    SetFault(sim, Sim::sdMfcA, Sim::sfUnplugged, false);
    ASSERT_TRUE(LinkExists(path));
    TRawPort after(path);
    ASSERT_TRUE(after.IsOpen());
    const TBytes reply = after.Exchange(ReadRequest(AddressA, SV::regDeviceType, 4), 13);
    EXPECT_EQ(TextOf(reply), "GSC-B9TA");
}

TEST(SimFaults, UnpluggedAtStartAndHeldAfterReplug) {
    TSimHarness sim(ManualClock([](Sim::TSimConfig& config) {
        config.Faults[Sim::sdPump] = {Sim::sfUnplugged, Sim::sfPortHeld};
    }));
    ASSERT_TRUE(sim.Started()) << sim.Error();
    EXPECT_FALSE(LinkExists(sim.Path(Sim::sdPump)));
    EXPECT_TRUE(LinkExists(sim.Path(Sim::sdMfcA)));
    SetFault(sim, Sim::sdPump, Sim::sfUnplugged, false);
    TRawPort port(sim.Path(Sim::sdPump));
    ASSERT_TRUE(port.IsOpen());
    EXPECT_EQ(::flock(port.Fd(), LOCK_EX | LOCK_NB), -1);
}

TEST(SimFaults, FaultsThatDoNotApplyAreRefused) {
    TSimHarness sim(ManualClock());
    ASSERT_TRUE(sim.Started()) << sim.Error();
    std::string error;
    EXPECT_FALSE(sim.Sim().SetFault(Sim::sdPump, Sim::sfBadCrc, true, error));
    EXPECT_FALSE(error.empty());
    EXPECT_FALSE(sim.Sim().SetFault(Sim::sdMfcB, Sim::sfNeverIdle, true, error));
}

TEST(SimFaults, ControlCommands) {
    TSimHarness sim(ManualClock());
    ASSERT_TRUE(sim.Started()) << sim.Error();
    struct TCase {
        const char* Line;
        const char* Reply;
    };
    const TCase cases[] = {
        {"fault mfc-b exception on", "mfc-b exception on\n"},
        {"  fault   pump never-idle on  ", "pump never-idle on\n"},
        {"unplug mfc-a", "mfc-a unplugged on\n"},
        {"replug mfc-a", "mfc-a unplugged off\n"},
        {"fault pump never-idle off", "pump never-idle off\n"},
    };
    for (const TCase& c : cases) {
        EXPECT_EQ(Sim::ApplyControlCommand(sim.Sim(), c.Line), c.Reply);
    }
    EXPECT_TRUE(sim.Sim().HasFault(Sim::sdMfcB, Sim::sfException));
    EXPECT_FALSE(sim.Sim().HasFault(Sim::sdPump, Sim::sfNeverIdle));
    EXPECT_TRUE(LinkExists(sim.Path(Sim::sdMfcA)));
    for (const char* bad : {"fault mfc-c silent on", "fault mfc-a loud on", "fault mfc-a silent maybe",
                            "fault pump bad-crc on", "jump", "unplug"}) {
        EXPECT_EQ(Sim::ApplyControlCommand(sim.Sim(), bad).rfind("error:", 0), 0U) << bad;
    }
    const std::string status = Sim::ApplyControlCommand(sim.Sim(), "status");
    EXPECT_NE(status.find("mfc-b faults=exception"), std::string::npos) << status;
    EXPECT_EQ(Sim::ApplyControlCommand(sim.Sim(), ""), "");
}

} // namespace
