// The live display when standard error is a real pipe: a viewer that goes away does not end the
// program, and a viewer that stops reading does not hold up the caller; the log file gets every
// message all the same.

#include "base/DateTime.h"
#include "logging/DiagnosticLogger.h"
#include "support/TempFolder.h"

#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <csignal>
#include <fcntl.h>
#include <fstream>
#include <gtest/gtest.h>
#include <mutex>
#include <poll.h>
#include <string>
#include <thread>
#include <unistd.h>

namespace {

using namespace Logging;
using TestSupport::TTempFolder;

// A generous bound for work that takes milliseconds: the machine may be loaded.
constexpr auto Watchdog = std::chrono::seconds(120);

// Puts the write end of a fresh pipe on standard error for the test's life.
class TStderrPipe {
public:
    TStderrPipe() {
        int ends[2] = {-1, -1};
        fReady = ::pipe2(ends, O_CLOEXEC) == 0;
        fSaved = ::dup(STDERR_FILENO);
        fReady = fReady && fSaved >= 0 && ::dup2(ends[1], STDERR_FILENO) == STDERR_FILENO;
        ::close(ends[1]);
        fReader = ends[0];
    }
    ~TStderrPipe() {
        Restore();
        CloseReader();
    }
    TStderrPipe(const TStderrPipe&) = delete;
    TStderrPipe& operator=(const TStderrPipe&) = delete;

    bool Ready() const { return fReady; }
    void Restore() {
        if (fSaved >= 0) {
            ::dup2(fSaved, STDERR_FILENO);
            ::close(fSaved);
            fSaved = -1;
        }
    }
    void CloseReader() {
        if (fReader >= 0) {
            ::close(fReader);
            fReader = -1;
        }
    }
    // Reads what is there now, waiting up to the watchdog for the first bytes.
    std::string ReadSome() const {
        pollfd p{fReader, POLLIN, 0};
        if (::poll(&p, 1, static_cast<int>(std::chrono::milliseconds(Watchdog).count())) <= 0) {
            return {};
        }
        char buffer[1 << 16];
        const ssize_t n = ::read(fReader, buffer, sizeof buffer);
        return n > 0 ? std::string(buffer, static_cast<std::size_t>(n)) : std::string();
    }
    // Everything queued in the pipe, without waiting.
    std::string Drain() const {
        std::string all;
        ::fcntl(fReader, F_SETFL, ::fcntl(fReader, F_GETFL) | O_NONBLOCK);
        char buffer[1 << 16];
        ssize_t n = 0;
        while ((n = ::read(fReader, buffer, sizeof buffer)) > 0) {
            all.append(buffer, static_cast<std::size_t>(n));
        }
        return all;
    }

private:
    bool fReady = false;
    int fSaved = -1;
    int fReader = -1;
};

std::size_t LinesIn(const std::string& path) {
    std::ifstream in(path);
    std::size_t count = 0;
    std::string line;
    while (std::getline(in, line)) {
        ++count;
    }
    return count;
}

TLogDestination LiveAndFile(const TTempFolder& folder) {
    TLogDestination d;
    d.LogFile.Active = true;
    d.LogFile.FileName = LogFileNameFor(Base::SystemNow());
    d.LogFile.FilePath = folder.Path();
    d.Viewer.Active = true;
    return d;
}

TEST(LiveSink, AViewerThatGoesAwayEndsNothing) {
    TTempFolder folder("moistrel-live");
    TDiagnosticLogger logger;
    TStderrPipe pipe;
    ASSERT_TRUE(pipe.Ready());
    logger.SetDestination(LiveAndFile(folder));
    logger.SetEnabled(true);
    struct sigaction action {};
    ASSERT_EQ(::sigaction(SIGPIPE, nullptr, &action), 0);
    EXPECT_EQ(action.sa_handler, SIG_IGN);

    logger.Send("the viewer reads this");
    EXPECT_NE(pipe.ReadSome().find("\tthe viewer reads this\n"), std::string::npos);
    pipe.CloseReader();
    for (int i = 0; i < 100; ++i) {
        logger.Send("after the viewer left " + std::to_string(i));
    }
    pipe.Restore();
    // Still here, and the file has every message.
    logger.CloseDispatcher();
    EXPECT_EQ(LinesIn(logger.LogFilePath()), 101U);
    EXPECT_EQ(logger.LiveLinesLost(), 100U);
}

TEST(LiveSink, AViewerThatStopsReadingHoldsUpNoCaller) {
    TTempFolder folder("moistrel-live");
    TDiagnosticLogger logger;
    TStderrPipe pipe;
    ASSERT_TRUE(pipe.Ready());
    logger.SetDestination(LiveAndFile(folder));
    logger.SetEnabled(true);

    // Far more than a pipe holds (64 KiB): the pipe fills to the brim and stays full.
    constexpr int Messages = 20000;
    std::mutex mutex;
    std::condition_variable done;
    bool finished = false;
    std::thread sender([&] {
        for (int i = 0; i < Messages; ++i) {
            logger.Send("a message nobody reads live, number " + std::to_string(i));
        }
        const std::lock_guard lock(mutex);
        finished = true;
        done.notify_all();
    });
    {
        std::unique_lock lock(mutex);
        const bool returned = done.wait_for(lock, Watchdog, [&] { return finished; });
        EXPECT_TRUE(returned) << "Send blocked on a full pipe";
    }
    if (!finished) {
        // Free the blocked sender so that the test can end.
        while (!finished) {
            pipe.Drain();
            std::this_thread::yield();
        }
    }
    sender.join();
    logger.CloseDispatcher();
    EXPECT_EQ(LinesIn(logger.LogFilePath()), static_cast<std::size_t>(Messages));
    const std::uint64_t lost = logger.LiveLinesLost();
    EXPECT_GT(lost, 0U);

    // What the viewer got is whole lines only; once it reads again, it is told what it missed.
    const std::string got = pipe.Drain();
    ASSERT_FALSE(got.empty());
    EXPECT_EQ(got.back(), '\n');
    EXPECT_EQ(got.find("number " + std::to_string(Messages - 1) + "\n"), std::string::npos);
    logger.Send("read again");
    const std::string after = pipe.ReadSome();
    EXPECT_NE(after.find(std::to_string(lost) + " live log lines lost"), std::string::npos) << after;
    EXPECT_NE(after.find("\tread again\n"), std::string::npos) << after;
}

} // namespace
