// How often the exchanges of a run fail on the virtual instruments with the 9600-baud wire timing
// when no fault is injected, and whose wait is missed. Two threads do what a run does: the worker's
// pass (MFC A's set-point, totalizer and flow, MFC B's flow, each a read with the 50 ms first-byte
// wait, then the 50 ms pause) and the tick's set-point write to MFC B (a write, 50 ms wait) every
// 50 ms. Figures, not assertions: each exchange's failures by Status, and how late the virtual
// instruments put their reply bytes on the line against the wire time (the program's waits allow a
// first byte 60 ms after its request, and 20 ms between two bytes).
// With "probe" as third argument a raw client replaces the two threads: it sends MFC A's flow read
// and times, on its side of the line, the first reply byte against the nominal 12.2 ms (request
// on the wire, 3 ms turnaround) and the longest gap between two reply bytes.
// With "no-tick" the tick's writes are left out: the worker's reads alone.
// Run: exchange_failures [SECONDS [BUSY [probe|no-tick]]]   (default 30 s; BUSY busy-looping processes)

#include "mfc/VogtlinFrame.h"
#include "mfc/VogtlinPort.h"
#include "modbus/VogtlinRegisters.h"
#include "sim/Simulator.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <map>
#include <mutex>
#include <poll.h>
#include <string>
#include <sys/wait.h>
#include <termios.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

using namespace SerialPortVogtlin;

struct TTally {
    long Count = 0;
    std::map<std::string, long> Failures; // by Status
};

void Note(TTally& tally, const std::string& status) {
    ++tally.Count;
    if (!status.empty()) {
        ++tally.Failures[status];
    }
}

void Print(const char* what, const TTally& tally) {
    long failed = 0;
    for (const auto& [status, count] : tally.Failures) {
        failed += count;
    }
    std::printf("  %-22s %6ld exchanges, %5ld failed (%.2f %%)\n", what, tally.Count, failed,
                tally.Count > 0 ? 100.0 * static_cast<double>(failed) / static_cast<double>(tally.Count)
                                : 0.0);
    for (const auto& [status, count] : tally.Failures) {
        std::printf("  %-22s        %5ld  %s\n", "", count, status.c_str());
    }
}

double LoadAverage() {
    double load = 0.0;
    if (std::FILE* f = std::fopen("/proc/loadavg", "r")) {
        if (std::fscanf(f, "%lf", &load) != 1) {
            load = 0.0;
        }
        std::fclose(f);
    }
    return load;
}

} // namespace

int main(int argc, char** argv) {
    const double seconds = argc > 1 ? std::atof(argv[1]) : 30.0;
    const int busy = argc > 2 ? std::atoi(argv[2]) : 0;
    std::vector<pid_t> loaders;
    for (int i = 0; i < busy; ++i) {
        const pid_t pid = ::fork();
        if (pid == 0) {
            if (const char* nice = std::getenv("BUSY_NICE")) {
                [[maybe_unused]] const int ignored = ::nice(std::atoi(nice));
            }
            const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds + 30.0);
            std::atomic<unsigned long> spin{0};
            while (std::chrono::steady_clock::now() < end) {
                spin.fetch_add(1, std::memory_order_relaxed);
            }
            ::_exit(0);
        }
        loaders.push_back(pid);
    }

    std::string folder = (std::filesystem::temp_directory_path() / "moistrel-failures-XXXXXX").string();
    if (::mkdtemp(folder.data()) == nullptr) {
        return 1;
    }
    Sim::TSimConfig config = Sim::DefaultSimConfig(folder);
    config.Fast = false; // 9600 baud on the wire
    Sim::TSimulator sim(config);
    std::string error;
    if (!sim.Start(error)) {
        std::fprintf(stderr, "virtual instruments: %s\n", error.c_str());
        return 1;
    }
    const std::string portA = sim.PortPath(Sim::sdMfcA);
    const std::string portB = sim.PortPath(Sim::sdMfcB);
    sim.ResetWireLateness();

    const bool probe = argc > 3 && std::string(argv[3]) == "probe";
    if (probe) {
        std::vector<double> firsts;
        double longestGap = 0.0;
        long incomplete = 0;
        double oversleep = 0.0;
        const TFrame request = BuildReadRequest(1, regMeasuredFlow, 2);
        // When the instruments' loop took in the request: the trace runs on its thread then.
        std::atomic<std::int64_t> takenIn{0};
        sim.SetTrace([&](const std::string& line) {
            if (line.rfind("mfc-a <-", 0) == 0) {
                takenIn = std::chrono::steady_clock::now().time_since_epoch().count();
            }
        });
        double longestRequestDelay = 0.0; // the write until the loop took the request in
        double longestReplyDelay = 0.0;   // the reply's first wire time until the client had it
        constexpr double NominalFirstMs = 8 * 1.1458 + 3.0;
        const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
        while (std::chrono::steady_clock::now() < end) {
            const int fd = ::open(portA.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
            termios tio{};
            ::tcgetattr(fd, &tio);
            ::cfmakeraw(&tio);
            ::tcsetattr(fd, TCSANOW, &tio);
            ::tcflush(fd, TCIFLUSH);
            const auto sent = std::chrono::steady_clock::now();
            [[maybe_unused]] const ssize_t w = ::write(fd, request.data(), request.size());
            std::size_t got = 0;
            auto last = sent;
            while (got < 9) {
                pollfd p{fd, POLLIN, 0};
                if (::poll(&p, 1, 2000) <= 0) {
                    ++incomplete;
                    break;
                }
                std::uint8_t buffer[16];
                const ssize_t n = ::read(fd, buffer, sizeof buffer);
                if (n <= 0) {
                    break;
                }
                const auto now = std::chrono::steady_clock::now();
                if (got == 0) {
                    firsts.push_back(std::chrono::duration<double, std::milli>(now - sent).count());
                    const std::chrono::steady_clock::time_point in{
                        std::chrono::steady_clock::duration(takenIn.load())};
                    const double requestDelay = std::chrono::duration<double, std::milli>(in - sent).count();
                    longestRequestDelay = std::max(longestRequestDelay, requestDelay);
                    longestReplyDelay = std::max(longestReplyDelay,
                                                 std::chrono::duration<double, std::milli>(now - in).count() -
                                                     NominalFirstMs);
                } else {
                    longestGap =
                        std::max(longestGap, std::chrono::duration<double, std::milli>(now - last).count());
                }
                last = now;
                got += static_cast<std::size_t>(n);
            }
            ::close(fd);
            // The client's own lateness: how much longer than asked a 50 ms pause takes.
            const auto asleep = std::chrono::steady_clock::now();
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
            oversleep = std::max(
                oversleep,
                std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - asleep).count() -
                    50.0);
        }
        const Sim::TSimulator::TWireLateness late = sim.WireLateness();
        const double load = LoadAverage();
        sim.Stop();
        for (const pid_t pid : loaders) {
            ::kill(pid, SIGKILL);
            ::waitpid(pid, nullptr, 0);
        }
        std::sort(firsts.begin(), firsts.end());
        const auto at = [&](double q) {
            return firsts.empty()
                       ? 0.0
                       : firsts[static_cast<std::size_t>(q * static_cast<double>(firsts.size() - 1))];
        };
        std::printf(
            "probe, %d busy, load %.2f: %zu replies, first byte after %.1f ms median, %.1f ms 99 %%, %.1f ms "
            "latest (nominal 12.2, the program gives up at 60); longest gap between bytes %.1f ms (the "
            "program ends a reply after 20); %ld replies incomplete; the instruments' own lateness at "
            "most %.1f ms; the client's own longest oversleep %.1f ms; longest from the write until the loop "
            "took the request in %.1f ms, from the reply's wire time until the client had it %.1f ms\n",
            busy, load, firsts.size(), at(0.5), at(0.99), firsts.empty() ? 0.0 : firsts.back(), longestGap,
            incomplete, 1000.0 * late.LongestSeconds, oversleep, longestRequestDelay, longestReplyDelay);
        std::error_code ignoredError;
        std::filesystem::remove_all(folder, ignoredError);
        return 0;
    }

    std::mutex mutex;
    TTally setPointA, totalizerA, flowA, flowB, writeB;
    std::atomic<bool> stop{false};
    std::thread worker([&] {
        while (!stop) {
            const auto read = [&](const std::string& port, std::uint32_t address, std::uint32_t reg,
                                  TTally& tally) {
                TVogtlinPort p;
                ConfigureForMFC(p, port, 50);
                SerialPort::TSerialResponse r;
                p.ReadF32(address, reg, r);
                const std::lock_guard lock(mutex);
                Note(tally, r.Status);
            };
            read(portA, 1, regSetPoint, setPointA);
            read(portA, 1, regTotalizer, totalizerA);
            read(portA, 1, regMeasuredFlow, flowA);
            read(portB, 2, regMeasuredFlow, flowB);
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
    });
    const bool withTick = !(argc > 3 && std::string(argv[3]) == "no-tick");
    std::thread tick([&] {
        while (!stop && withTick) {
            TVogtlinPort p;
            ConfigureForMFC(p, portB);
            SerialPort::TSerialResponse r;
            p.WriteF32(2, regSetPoint, 0.5F, r);
            {
                const std::lock_guard lock(mutex);
                Note(writeB, r.Status);
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
    });
    std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
    const double load = LoadAverage();
    stop = true;
    worker.join();
    tick.join();
    const Sim::TSimulator::TWireLateness late = sim.WireLateness();
    sim.Stop();
    for (const pid_t pid : loaders) {
        ::kill(pid, SIGKILL);
        ::waitpid(pid, nullptr, 0);
    }
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);

    std::printf("%.0f s, %d busy-looping processes, load average %.2f at the end\n", seconds, busy, load);
    Print("worker: A set-point", setPointA);
    Print("worker: A totalizer", totalizerA);
    Print("worker: A flow", flowA);
    Print("worker: B flow", flowB);
    Print("tick: B set-point write", writeB);
    std::printf(
        "  virtual instruments: %ld reply bytes, %ld more than %.0f ms after their wire time, the latest "
        "%.1f ms\n",
        late.Bytes, late.LateBytes, 1000.0 * Sim::TSimulator::LateSeconds, 1000.0 * late.LongestSeconds);
    return 0;
}
