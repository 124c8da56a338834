#include "support/PtyBridge.h"

#include <array>
#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <fcntl.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <termios.h>
#include <unistd.h>

namespace TestSupport {

namespace {

// A new pseudo-terminal pair with a raw slave (no echo, no line editing) held open.
bool OpenPair(int& master, int& slave, std::string& path) {
    master = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (master < 0 || ::grantpt(master) != 0 || ::unlockpt(master) != 0) {
        return false;
    }
    const char* name = ::ptsname(master);
    if (name == nullptr) {
        return false;
    }
    path = name;
    slave = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (slave < 0) {
        return false;
    }
    termios settings{};
    if (::tcgetattr(slave, &settings) != 0) {
        return false;
    }
    ::cfmakeraw(&settings);
    return ::tcsetattr(slave, TCSANOW, &settings) == 0;
}

void CloseFd(int& fd) {
    if (fd >= 0) {
        ::close(fd);
        fd = -1;
    }
}

bool WriteAll(int fd, const std::uint8_t* data, std::size_t size) {
    while (size > 0) {
        const ssize_t written = ::write(fd, data, size);
        if (written < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        data += written;
        size -= static_cast<std::size_t>(written);
    }
    return true;
}

} // namespace

TPtyBridge::TPtyBridge() {
    fStop = ::eventfd(0, EFD_CLOEXEC);
    fReady = fStop >= 0 && OpenPair(fMasterA, fSlaveA, fPathA) && OpenPair(fMasterB, fSlaveB, fPathB);
    if (fReady) {
        fThread = std::thread([this] { Run(); });
    }
}

TPtyBridge::~TPtyBridge() {
    if (fThread.joinable()) {
        const std::uint64_t one = 1;
        [[maybe_unused]] const ssize_t written = ::write(fStop, &one, sizeof one);
        fThread.join();
    }
    CloseFd(fSlaveA);
    CloseFd(fSlaveB);
    CloseFd(fMasterA);
    CloseFd(fMasterB);
    CloseFd(fStop);
}

void TPtyBridge::Run() {
    std::array<pollfd, 3> fds{{{fMasterA, POLLIN, 0}, {fMasterB, POLLIN, 0}, {fStop, POLLIN, 0}}};
    std::array<std::uint8_t, 512> buffer{};
    for (;;) {
        if (::poll(fds.data(), fds.size(), -1) < 0) {
            if (errno == EINTR) {
                continue;
            }
            return;
        }
        if (fds[2].revents != 0) {
            return;
        }
        for (int side = 0; side < 2; ++side) {
            if ((fds[side].revents & (POLLERR | POLLNVAL)) != 0) {
                return;
            }
            if ((fds[side].revents & POLLIN) == 0) {
                continue;
            }
            const ssize_t got = ::read(fds[side].fd, buffer.data(), buffer.size());
            if (got > 0) {
                WriteAll(side == 0 ? fMasterB : fMasterA, buffer.data(), static_cast<std::size_t>(got));
            }
        }
    }
}

} // namespace TestSupport
