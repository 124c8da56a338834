#include "support/RawPort.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

namespace TestSupport {

namespace {

int RemainingMs(std::chrono::steady_clock::time_point deadline) {
    const auto left = deadline - std::chrono::steady_clock::now();
    return std::max(0, static_cast<int>(std::chrono::duration_cast<std::chrono::milliseconds>(left).count()));
}

} // namespace

TRawPort::TRawPort(const std::string& path) {
    fFd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fFd < 0) {
        fOpenErrno = errno;
        return;
    }
    termios tio{};
    ::tcgetattr(fFd, &tio);
    ::cfmakeraw(&tio);
    tio.c_cflag |= CLOCAL | CREAD | CSTOPB;
    ::cfsetispeed(&tio, B9600);
    ::cfsetospeed(&tio, B9600);
    ::tcsetattr(fFd, TCSANOW, &tio);
    ::tcflush(fFd, TCIFLUSH);
}

TRawPort::~TRawPort() {
    if (fFd >= 0) {
        ::close(fFd);
    }
}

void TRawPort::Write(const TBytes& bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fFd, bytes.data() + done, bytes.size() - done);
        if (n > 0) {
            done += static_cast<std::size_t>(n);
        } else if (n < 0 && errno != EINTR && errno != EAGAIN) {
            return;
        }
    }
}

void TRawPort::Write(std::string_view text) {
    Write(TBytes(text.begin(), text.end()));
}

TBytes TRawPort::Read(std::size_t count, int limitMs) {
    TBytes result;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(limitMs);
    while (result.size() < count) {
        pollfd pfd{fFd, POLLIN, 0};
        if (::poll(&pfd, 1, RemainingMs(deadline)) <= 0 || (pfd.revents & POLLIN) == 0) {
            break;
        }
        std::uint8_t buffer[256];
        const std::size_t want = std::min(sizeof buffer, count - result.size());
        const ssize_t n = ::read(fFd, buffer, want);
        if (n <= 0) {
            break;
        }
        result.insert(result.end(), buffer, buffer + n);
    }
    return result;
}

std::string TRawPort::ReadLine(int limitMs) {
    std::string line;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(limitMs);
    while (line.empty() || line.back() != '\n') {
        pollfd pfd{fFd, POLLIN, 0};
        if (::poll(&pfd, 1, RemainingMs(deadline)) <= 0 || (pfd.revents & POLLIN) == 0) {
            break;
        }
        char c = 0;
        if (::read(fFd, &c, 1) != 1) {
            break;
        }
        line += c;
    }
    return line;
}

TBytes TRawPort::ReadFor(int ms) {
    TBytes result;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    for (;;) {
        pollfd pfd{fFd, POLLIN, 0};
        if (::poll(&pfd, 1, RemainingMs(deadline)) <= 0 || (pfd.revents & POLLIN) == 0) {
            return result;
        }
        std::uint8_t buffer[256];
        const ssize_t n = ::read(fFd, buffer, sizeof buffer);
        if (n <= 0) {
            return result;
        }
        result.insert(result.end(), buffer, buffer + n);
    }
}

} // namespace TestSupport
