#pragma once
// The far end of a serial line for tests: a real pseudo-terminal pair. The port under test opens
// SlavePath(); a thread on the master side collects each request and answers it from a script or
// a responder function, optionally after a delay and in bursts. The fixture keeps its own
// descriptor of the slave open, so the master never sees a hang-up when the port under test
// closes, and so the tests can look at the slave's input queue and line settings. HangUp() closes
// the master, as a device that is unplugged: from then on the slave's reads see end of file and its
// writes and ioctls fail with EIO.

#include <array>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <fcntl.h>
#include <functional>
#include <mutex>
#include <optional>
#include <poll.h>
#include <stdexcept>
#include <string>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <thread>
#include <unistd.h>
#include <utility>
#include <vector>

namespace TestSupport {

struct TPeerReply {
    std::string Bytes;
    std::chrono::milliseconds Delay{0};
    // Sent in bursts of this many bytes (0: all at once) with BurstGap between them, as a USB
    // serial adapter hands a reply on.
    std::size_t BurstBytes = 0;
    std::chrono::milliseconds BurstGap{0};
};

class TPtyPeer {
public:
    using TResponder = std::function<std::optional<TPeerReply>(const std::string& request)>;

    // With a terminator a request ends at that byte (the pump's CR); without one a request is
    // whatever arrived before the line went quiet for a few ms (binary frames).
    explicit TPtyPeer(std::optional<char> terminator = '\r') : fTerminator(terminator) {
        fMaster = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
        if (fMaster < 0 || ::grantpt(fMaster) != 0 || ::unlockpt(fMaster) != 0) {
            Fail("posix_openpt");
        }
        std::array<char, 128> name{};
        if (::ptsname_r(fMaster, name.data(), name.size()) != 0) {
            Fail("ptsname_r");
        }
        fSlavePath = name.data();
        fSlave = ::open(fSlavePath.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
        if (fSlave < 0) {
            Fail("open slave");
        }
        termios tio{};
        ::tcgetattr(fSlave, &tio);
        ::cfmakeraw(&tio);
        ::tcsetattr(fSlave, TCSANOW, &tio);
        ::fcntl(fMaster, F_SETFL, ::fcntl(fMaster, F_GETFL) | O_NONBLOCK);
        if (::pipe2(fWake.data(), O_CLOEXEC | O_NONBLOCK) != 0) {
            Fail("pipe2");
        }
        fThread = std::thread([this] { Run(); });
    }

    ~TPtyPeer() {
        fStop = true;
        const char wake = 'x';
        [[maybe_unused]] const auto n = ::write(fWake[1], &wake, 1);
        if (fThread.joinable()) {
            fThread.join();
        }
        for (const int fd : {fWake[0], fWake[1], fSlave, fMaster}) {
            if (fd >= 0) {
                ::close(fd);
            }
        }
    }

    TPtyPeer(const TPtyPeer&) = delete;
    TPtyPeer& operator=(const TPtyPeer&) = delete;

    const std::string& SlavePath() const { return fSlavePath; }
    int SlaveFd() const { return fSlave; }

    void SetResponder(TResponder responder) {
        std::lock_guard lock(fMutex);
        fResponder = std::move(responder);
    }

    // Answers the coming requests in this order; silence once the script is used up.
    void Script(std::vector<TPeerReply> replies) {
        auto queue = std::make_shared<std::deque<TPeerReply>>(replies.begin(), replies.end());
        SetResponder([queue](const std::string&) -> std::optional<TPeerReply> {
            if (queue->empty()) {
                return std::nullopt;
            }
            TPeerReply reply = queue->front();
            queue->pop_front();
            return reply;
        });
    }

    std::vector<std::string> Requests() const {
        std::lock_guard lock(fMutex);
        return fRequests;
    }

    bool WaitForRequests(std::size_t count,
                         std::chrono::milliseconds limit = std::chrono::seconds(10)) const {
        std::unique_lock lock(fMutex);
        return fChanged.wait_for(lock, limit, [&] { return fRequests.size() >= count; });
    }

    // Bytes the peer sends on its own, outside any request.
    void WriteToPort(const std::string& bytes) { WriteAll(bytes); }

    // Closes the master side and returns once it is closed. The peer thread does it, between two
    // looks at the master, so no call of its own ever meets a descriptor closed under it.
    void HangUp() {
        std::unique_lock lock(fMutex);
        fHangUpAsked = true;
        const char wake = 'h';
        [[maybe_unused]] const auto n = ::write(fWake[1], &wake, 1);
        fChanged.wait(lock, [this] { return fMaster < 0; });
    }

    // Waits until the port's input queue holds at least count bytes.
    bool WaitUntilQueued(std::size_t count,
                         std::chrono::milliseconds limit = std::chrono::seconds(10)) const {
        const auto deadline = std::chrono::steady_clock::now() + limit;
        while (std::chrono::steady_clock::now() < deadline) {
            int queued = 0;
            if (::ioctl(fSlave, FIONREAD, &queued) == 0 && queued >= static_cast<int>(count)) {
                return true;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
        return false;
    }

    // The line settings the port under test left on the terminal.
    termios LineSettings() const {
        termios tio{};
        ::tcgetattr(fSlave, &tio);
        return tio;
    }

private:
    [[noreturn]] static void Fail(const char* what) {
        throw std::runtime_error(std::string("pty peer: ") + what + ": " + std::strerror(errno));
    }

    void WriteAll(const std::string& bytes) {
        std::size_t done = 0;
        while (done < bytes.size() && !fStop) {
            const ssize_t n = ::write(fMaster, bytes.data() + done, bytes.size() - done);
            if (n > 0) {
                done += static_cast<std::size_t>(n);
            } else if (n < 0 && (errno == EAGAIN || errno == EINTR)) {
                pollfd p{fMaster, POLLOUT, 0};
                ::poll(&p, 1, 10);
            } else {
                return;
            }
        }
    }

    // Sleeps, but wakes at once when the fixture is torn down.
    void Delay(std::chrono::milliseconds delay) {
        if (delay.count() <= 0) {
            return;
        }
        pollfd p{fWake[0], POLLIN, 0};
        ::poll(&p, 1, static_cast<int>(delay.count()));
    }

    void Handle(const std::string& request) {
        TResponder responder;
        {
            std::lock_guard lock(fMutex);
            fRequests.push_back(request);
            responder = fResponder;
        }
        fChanged.notify_all();
        if (!responder) {
            return;
        }
        const std::optional<TPeerReply> reply = responder(request);
        if (!reply) {
            return;
        }
        Delay(reply->Delay);
        const std::size_t burst = reply->BurstBytes > 0 ? reply->BurstBytes : reply->Bytes.size();
        for (std::size_t at = 0; at < reply->Bytes.size(); at += burst) {
            if (at > 0) {
                Delay(reply->BurstGap);
            }
            WriteAll(reply->Bytes.substr(at, burst));
        }
    }

    void Run() {
        std::string pending;
        while (!fStop) {
            if (TakeHangUp()) {
                pending.clear();
            }
            std::array<pollfd, 2> fds{{{fMaster, POLLIN, 0}, {fWake[0], POLLIN, 0}}};
            const int quietMS = 15;
            const int timeout = (!fTerminator && !pending.empty()) ? quietMS : 1000;
            const int r = ::poll(fds.data(), fds.size(), timeout);
            if (fStop) {
                break;
            }
            if (r == 0) {
                if (!fTerminator && !pending.empty()) {
                    Handle(std::exchange(pending, std::string()));
                }
                continue;
            }
            if (r < 0) {
                continue;
            }
            if ((fds[1].revents & POLLIN) != 0) {
                std::array<char, 16> drain{};
                [[maybe_unused]] const auto n = ::read(fWake[0], drain.data(), drain.size());
            }
            if ((fds[0].revents & POLLIN) != 0) {
                std::array<char, 512> buffer{};
                const ssize_t n = ::read(fMaster, buffer.data(), buffer.size());
                if (n > 0) {
                    pending.append(buffer.data(), static_cast<std::size_t>(n));
                }
            } else if ((fds[0].revents & (POLLHUP | POLLERR)) != 0) {
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
            }
            if (fTerminator) {
                std::size_t end = 0;
                while ((end = pending.find(*fTerminator)) != std::string::npos) {
                    Handle(pending.substr(0, end + 1));
                    pending.erase(0, end + 1);
                }
            }
        }
    }

    // Closes the master when HangUp asked for it; true when it did.
    bool TakeHangUp() {
        std::lock_guard lock(fMutex);
        if (!fHangUpAsked || fMaster < 0) {
            return false;
        }
        ::close(fMaster);
        fMaster = -1;
        fChanged.notify_all();
        return true;
    }

    std::optional<char> fTerminator;
    int fMaster = -1;
    int fSlave = -1;
    std::array<int, 2> fWake{-1, -1};
    std::string fSlavePath;
    mutable std::mutex fMutex;
    mutable std::condition_variable fChanged;
    TResponder fResponder;
    std::vector<std::string> fRequests;
    bool fHangUpAsked = false; // guarded by fMutex
    std::atomic<bool> fStop{false};
    std::thread fThread;
};

// Holds the advisory lock on a port, as another program using the port would.
class TPortHolder {
public:
    explicit TPortHolder(const std::string& path) {
        fFd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
        fLocked = fFd >= 0 && ::flock(fFd, LOCK_EX | LOCK_NB) == 0;
    }
    ~TPortHolder() {
        if (fFd >= 0) {
            ::close(fFd);
        }
    }
    TPortHolder(const TPortHolder&) = delete;
    TPortHolder& operator=(const TPortHolder&) = delete;
    bool Locked() const { return fLocked; }

private:
    int fFd = -1;
    bool fLocked = false;
};

} // namespace TestSupport
