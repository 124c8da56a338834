// The moistrel-sim program: links, the port list line, the control FIFO, and a clean exit on
// SIGTERM. Also one exchange with the wire timing switched on.

#include "modbus/VogtlinRegisters.h"
#include "support/RawPort.h"
#include "support/SimHarness.h"
#include "support/TempFolder.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <utility>

namespace {

using namespace TestSupport;
namespace SV = SerialPortVogtlin;

// The program as a child process with its standard output on a pipe.
class TSimProcess {
public:
    explicit TSimProcess(const std::vector<std::string>& args) {
        int out[2];
        if (::pipe(out) != 0) {
            return;
        }
        fPid = ::fork();
        if (fPid == 0) {
            ::dup2(out[1], STDOUT_FILENO);
            ::close(out[0]);
            ::close(out[1]);
            const int devnull = ::open("/dev/null", O_RDONLY);
            ::dup2(devnull, STDIN_FILENO);
            std::vector<char*> argv;
            argv.push_back(const_cast<char*>(MOISTREL_SIM_PATH));
            for (const std::string& arg : args) {
                argv.push_back(const_cast<char*>(arg.c_str()));
            }
            argv.push_back(nullptr);
            ::execv(MOISTREL_SIM_PATH, argv.data());
            ::_exit(127);
        }
        ::close(out[1]);
        fOut = out[0];
    }
    ~TSimProcess() {
        if (fPid > 0) {
            ::kill(fPid, SIGKILL);
            ::waitpid(fPid, nullptr, 0);
        }
        if (fOut >= 0) {
            ::close(fOut);
        }
    }
    // The next line of output, or empty after `limitMs`.
    std::string Line(int limitMs = 10000) {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(limitMs);
        while (fBuffer.find('\n') == std::string::npos) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                deadline - std::chrono::steady_clock::now());
            pollfd pfd{fOut, POLLIN, 0};
            if (left.count() <= 0 || ::poll(&pfd, 1, static_cast<int>(left.count())) <= 0) {
                return {};
            }
            char chunk[256];
            const ssize_t n = ::read(fOut, chunk, sizeof chunk);
            if (n <= 0) {
                return {};
            }
            fBuffer.append(chunk, static_cast<std::size_t>(n));
        }
        const std::string line = fBuffer.substr(0, fBuffer.find('\n'));
        fBuffer.erase(0, line.size() + 1);
        return line;
    }
    // Everything up to the end of the output.
    std::string All(int limitMs = 10000) {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(limitMs);
        for (;;) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                deadline - std::chrono::steady_clock::now());
            pollfd pfd{fOut, POLLIN, 0};
            if (left.count() <= 0 || ::poll(&pfd, 1, static_cast<int>(left.count())) <= 0) {
                break;
            }
            char chunk[256];
            const ssize_t n = ::read(fOut, chunk, sizeof chunk);
            if (n <= 0) {
                break;
            }
            fBuffer.append(chunk, static_cast<std::size_t>(n));
        }
        return std::exchange(fBuffer, std::string());
    }
    // Sends the signal and returns the exit status (-1 when it did not exit normally).
    int Terminate(int signal) {
        ::kill(fPid, signal);
        int status = 0;
        ::waitpid(fPid, &status, 0);
        fPid = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

private:
    pid_t fPid = -1;
    int fOut = -1;
    std::string fBuffer;
};

TEST(SimProgram, ServesThePortsAndCleansUpOnSigterm) {
    const TestSupport::TTempFolder temp("moistrel-simprog");
    ASSERT_TRUE(temp.Made()) << temp.Error();
    const std::string folder = temp.File("ports");
    TSimProcess sim({"--dir", folder, "--fast", "--fault", "mfc-b:exception", "--pump-model", "C3000"});
    const std::string pump = sim.Line();
    const std::string mfcA = sim.Line();
    const std::string mfcB = sim.Line();
    EXPECT_EQ(pump, folder + "/pump");
    EXPECT_EQ(mfcA, folder + "/mfc-a");
    EXPECT_EQ(mfcB, folder + "/mfc-b");
    EXPECT_EQ(sim.Line(), "MOISTREL_SERIAL_PORTS=" + pump + ":" + mfcA + ":" + mfcB);
    const std::string control = sim.Line();
    ASSERT_EQ(control, "control: " + folder + "/control");

    {
        TRawPort port(pump);
        EXPECT_NE(port.Ask("/1?23\r").find("C3000"), std::string::npos);
        TRawPort a(mfcA);
        EXPECT_EQ(TextOf(a.Exchange(ReadRequest(1, SV::regDeviceType, 4), 13)), "GSC-B9TA");
        TRawPort b(mfcB);
        EXPECT_EQ(b.Exchange(ReadRequest(2, SV::regDeviceType, 4), 5), WithCrc({2, 0x83, 4}));
    }
    {
        const int fifo = ::open((folder + "/control").c_str(), O_WRONLY);
        ASSERT_GE(fifo, 0);
        const std::string commands = "fault mfc-b exception off\nunplug mfc-a\n";
        ASSERT_EQ(::write(fifo, commands.data(), commands.size()), static_cast<ssize_t>(commands.size()));
        ::close(fifo);
    }
    EXPECT_EQ(sim.Line(), "mfc-b exception off");
    EXPECT_EQ(sim.Line(), "mfc-a unplugged on");
    EXPECT_FALSE(std::filesystem::exists(std::filesystem::symlink_status(mfcA)));
    {
        TRawPort b(mfcB);
        EXPECT_EQ(TextOf(b.Exchange(ReadRequest(2, SV::regDeviceType, 4), 13)), "GSC-C5SA");
    }

    EXPECT_EQ(sim.Terminate(SIGTERM), 0);
    EXPECT_FALSE(std::filesystem::exists(folder)) << "links, FIFO and the folder it made are gone";
}

TEST(SimProgram, RefusesBadOptions) {
    for (const std::vector<std::string>& args : {std::vector<std::string>{"--fault", "mfc-a:loud"},
                                                 {"--fault", "pump:bad-crc"},
                                                 {"--pump-model", "C9"},
                                                 {"--pump-init", "-1"},
                                                 {"--table-change", "sometimes"},
                                                 {"--frobnicate"}}) {
        TSimProcess sim(args);
        EXPECT_EQ(sim.Line(2000), "");
        EXPECT_EQ(sim.Terminate(0), 2) << args[0];
    }
}

TEST(SimProgram, HelpNamesTheControlChannel) {
    TSimProcess sim({"--help"});
    const std::string all = sim.All();
    EXPECT_NE(all.find("DIR/control"), std::string::npos) << all;
    EXPECT_NE(all.find("MOISTREL_SERIAL_PORTS"), std::string::npos);
    EXPECT_NE(all.find("--table-change WHAT"), std::string::npos);
    EXPECT_NE(all.find("table-change MFC keep|zero"), std::string::npos);
    EXPECT_NE(all.find("stuck-set-point"), std::string::npos);
    EXPECT_EQ(sim.Terminate(0), 0);
}

// With the wire timing on, replies trickle in byte by byte after a turnaround; the content is
// what fast mode gives. Nothing here judges how long it took.
TEST(SimWireTiming, RepliesAreCompleteWithTheTimingOn) {
    TSimHarness sim(ManualClock({}, TSimTiming::Wire));
    ASSERT_TRUE(sim.Started()) << sim.Error();
    TRawPort mfc(sim.Path(Sim::sdMfcA));
    EXPECT_EQ(TextOf(mfc.Exchange(ReadRequest(1, SV::regDeviceType, 4), 13)), "GSC-B9TA");
    EXPECT_EQ(mfc.Exchange(WriteF32Request(1, SV::regSetPoint, 2.0F), 8),
              WithCrc({1, 16, 0x00, 0x06, 0x00, 0x02}));
    EXPECT_EQ(F32Of(mfc.Exchange(ReadRequest(1, SV::regSetPoint, 2), 9)), 2.0F);
    TRawPort pump(sim.Path(Sim::sdPump));
    EXPECT_EQ(pump.Ask("/1Q\r"), "/0`\x03\r\n");
}

// A write whose acknowledgement nobody reads, followed at once by a read: the instrument gives
// way to the new request, so the read gets its own reply and nothing else.
TEST(SimWireTiming, UnreadAcknowledgementDoesNotSpillIntoTheNextReply) {
    TSimHarness sim(
        ManualClock([](Sim::TSimConfig& config) { config.TurnaroundSeconds = 0.3; }, TSimTiming::Wire));
    ASSERT_TRUE(sim.Started()) << sim.Error();
    {
        TRawPort writer(sim.Path(Sim::sdMfcA));
        writer.Write(WriteF32Request(1, SV::regSetPoint, 3.0F));
    }
    TRawPort reader(sim.Path(Sim::sdMfcA));
    const TBytes reply = reader.Exchange(ReadRequest(1, SV::regSetPoint, 2), 9);
    EXPECT_EQ(reply, WithCrc({1, 3, 4, 0x40, 0x40, 0x00, 0x00})) << Hex(reply);
    EXPECT_TRUE(reader.ReadFor(400).empty());
}

} // namespace
