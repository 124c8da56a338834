// The tick's longest stall in the run data file: the recorder's Sample (what the tick calls once a
// tick, one data line a second of run time) timed on the main thread, idle and with other writers
// hammering the same disk with large writes and fsyncs. Figures, not assertions.
// Run: data_file_stall [FOLDER [SECONDS [HAMMERS]]]   (FOLDER on the disk to measure; default the
// current folder, 20 s, 2 hammering threads; HAMMERS 0 measures the idle disk)

#include "base/Clock.h"
#include "base/MemoryTextPane.h"
#include "run/RunRecorder.h"
#include "state/MoistrelState.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <string>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

// Writes 8 MiB and syncs it, over and over, into a file of its own beside the data file.
void Hammer(const std::string& path, const std::atomic<bool>& stop, std::atomic<long>& syncs) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) {
        return;
    }
    const std::vector<char> block(8 << 20, 'x');
    while (!stop) {
        if (::pwrite(fd, block.data(), block.size(), 0) < 0 || ::fsync(fd) != 0) {
            break;
        }
        ++syncs;
    }
    ::close(fd);
    ::unlink(path.c_str());
}

} // namespace

int main(int argc, char** argv) {
    const std::string base = argc > 1 ? argv[1] : ".";
    const double seconds = argc > 2 ? std::atof(argv[2]) : 20.0;
    const int hammers = argc > 3 ? std::atoi(argv[3]) : 2;
    std::string folder = (std::filesystem::path(base) / "moistrel-stall-XXXXXX").string();
    if (::mkdtemp(folder.data()) == nullptr) {
        std::fprintf(stderr, "cannot make a folder in %s\n", base.c_str());
        return 1;
    }

    std::filesystem::create_directories(std::filesystem::path(folder) / "Userdata");
    std::atomic<bool> stop{false};
    std::atomic<long> syncs{0};
    std::vector<std::thread> others;
    for (int i = 0; i < hammers; ++i) {
        others.emplace_back(Hammer, folder + "/hammer" + std::to_string(i), std::cref(stop), std::ref(syncs));
    }

    Base::TManualClock clock(46000.0);
    Base::TMemoryTextPane memoLog;
    UnitMain::TRunRecorder recorder(memoLog, clock);
    UnitMain::TMoistrelState state;
    state.MixerState = UnitMain::msRunning;
    recorder.Begin(folder, clock.Now());
    std::vector<double> stalls;
    const auto start = Clock::now();
    while (Clock::now() - start < std::chrono::duration<double>(seconds)) {
        clock.AdvanceSeconds(1.0); // one data line per tick
        const auto t0 = Clock::now();
        recorder.Sample(state);
        stalls.push_back(std::chrono::duration<double, std::milli>(Clock::now() - t0).count());
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    const auto t0 = Clock::now();
    recorder.End(state);
    const double endMs = std::chrono::duration<double, std::milli>(Clock::now() - t0).count();
    stop = true;
    for (std::thread& t : others) {
        t.join();
    }
    std::sort(stalls.begin(), stalls.end());
    const auto at = [&](double q) {
        return stalls[static_cast<std::size_t>(q * static_cast<double>(stalls.size() - 1))];
    };
    std::printf("%d hammering writers (%ld syncs of 8 MiB): %zu data lines, tick's time in the data file "
                "median %.3f ms, 99%% %.3f ms, longest %.3f ms; the stop's End %.1f ms\n",
                hammers, syncs.load(), stalls.size(), at(0.5), at(0.99), stalls.back(), endMs);
    for (const std::string& line : memoLog.Lines()) {
        if (line.find("Run data file") != std::string::npos) {
            std::printf("%s\n", line.c_str());
        }
    }
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
    return 0;
}
