// POSIX backend of the serial transport: every operating-system call of the serial module is here.

#include "serial/ComDevice.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <thread>
#include <unistd.h>
#include <utility>

namespace SerialPort {

namespace {

using TSteadyClock = std::chrono::steady_clock;

std::string ErrnoText(const std::string& what, int error) {
    return what + ": " + std::strerror(error);
}

bool SpeedOf(std::int32_t baudRate, speed_t& speed) {
    static constexpr std::pair<std::int32_t, speed_t> Speeds[] = {
        {50, B50},           {75, B75},           {110, B110},         {134, B134},
        {150, B150},         {200, B200},         {300, B300},         {600, B600},
        {1200, B1200},       {1800, B1800},       {2400, B2400},       {4800, B4800},
        {9600, B9600},       {19200, B19200},     {38400, B38400},     {57600, B57600},
        {115200, B115200},   {230400, B230400},   {460800, B460800},   {500000, B500000},
        {576000, B576000},   {921600, B921600},   {1000000, B1000000}, {1152000, B1152000},
        {1500000, B1500000}, {2000000, B2000000}, {2500000, B2500000}, {3000000, B3000000},
        {3500000, B3500000}, {4000000, B4000000},
    };
    for (const auto& [rate, code] : Speeds) {
        if (rate == baudRate) {
            speed = code;
            return true;
        }
    }
    return false;
}

// Time left until the deadline in whole ms for poll(), rounded up so we never wake too early.
int PollTimeout(TSteadyClock::duration left) {
    if (left <= TSteadyClock::duration::zero()) {
        return 0;
    }
    const auto ms = std::chrono::ceil<std::chrono::milliseconds>(left).count();
    return static_cast<int>(std::min<long long>(ms, 1000LL * 60 * 60));
}

} // namespace

TComDevice::~TComDevice() {
    Close();
}

TComDevice::TComDevice(TComDevice&& other) noexcept
    : fFd(std::exchange(other.fFd, -1)), fExclusive(std::exchange(other.fExclusive, false)),
      fTimeouts(other.fTimeouts), fLastError(std::move(other.fLastError)) {}

TComDevice& TComDevice::operator=(TComDevice&& other) noexcept {
    if (this != &other) {
        Close();
        fFd = std::exchange(other.fFd, -1);
        fExclusive = std::exchange(other.fExclusive, false);
        fTimeouts = other.fTimeouts;
        fLastError = std::move(other.fLastError);
    }
    return *this;
}

bool TComDevice::Open(const std::string& devicePath) {
    Close();
    fLastError.clear();
    // Non-blocking: a modem line without carrier must not hold up the open; reads and writes wait
    // in poll() under our own time-outs.
    const int fd = ::open(devicePath.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        fLastError = ErrnoText("open " + devicePath, errno);
        return false;
    }
    // The advisory lock is what keeps two of our own transactions (and well-behaved programs) apart;
    // TIOCEXCL below also keeps other openers out, except the superuser.
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        fLastError = ErrnoText("lock " + devicePath, errno);
        ::close(fd);
        return false;
    }
    fFd = fd;
    // Fails for something that is not a terminal; the line settings refuse that one anyway.
    fExclusive = ::ioctl(fd, TIOCEXCL) == 0;
    return true;
}

void TComDevice::Close() noexcept {
    if (fFd < 0) {
        return;
    }
    // The exclusive mode belongs to the terminal, not to our descriptor: when someone else keeps the
    // terminal open (the far end of a pseudo-terminal), it would outlive us and lock out the next
    // transaction.
    if (fExclusive) {
        ::ioctl(fFd, TIOCNXCL);
    }
    ::close(fFd);
    fFd = -1;
    fExclusive = false;
}

bool TComDevice::ApplyLineSettings(const TLineSettings& settings) {
    if (fFd < 0) {
        fLastError = "line settings: no open device";
        return false;
    }
    speed_t speed{};
    if (!SpeedOf(settings.BaudRate, speed)) {
        fLastError = "line settings: baud rate " + std::to_string(settings.BaudRate) + " not supported";
        return false;
    }
    tcflag_t parity = 0;
    switch (settings.Parity) {
    case 0:
        parity = 0;
        break;
    case 1:
        parity = PARENB | PARODD;
        break;
    case 2:
        parity = PARENB;
        break;
    case 3:
        parity = PARENB | CMSPAR | PARODD;
        break;
    case 4:
        parity = PARENB | CMSPAR;
        break;
    default:
        fLastError = "line settings: parity code " + std::to_string(settings.Parity) + " unknown";
        return false;
    }
    tcflag_t stopBits = 0;
    switch (settings.StopBits) {
    case 0:
        stopBits = 0;
        break;
    case 1: // one and a half exists only for 5 data bits; the nearest longer frame is two
    case 2:
        stopBits = CSTOPB;
        break;
    default:
        fLastError = "line settings: stop-bit code " + std::to_string(settings.StopBits) + " unknown";
        return false;
    }

    termios tio{};
    if (::tcgetattr(fFd, &tio) != 0) {
        fLastError = ErrnoText("tcgetattr", errno);
        return false;
    }
    // Everything off: no parity checking, no handshake, no XON/XOFF, no translation of any byte,
    // reads governed by poll() rather than VMIN/VTIME.
    tio.c_iflag = 0;
    tio.c_oflag = 0;
    tio.c_lflag = 0;
    tio.c_cflag = CS8 | CREAD | CLOCAL | parity | stopBits;
    std::fill(std::begin(tio.c_cc), std::end(tio.c_cc), cc_t{0});
    if (::cfsetispeed(&tio, speed) != 0 || ::cfsetospeed(&tio, speed) != 0) {
        fLastError = ErrnoText("cfsetspeed", errno);
        return false;
    }
    if (::tcsetattr(fFd, TCSANOW, &tio) != 0) {
        fLastError = ErrnoText("tcsetattr", errno);
        return false;
    }
    int lines = TIOCM_DTR | TIOCM_RTS;
    if (::ioctl(fFd, TIOCMBIS, &lines) != 0 && errno != ENOTTY && errno != EINVAL) {
        // Pseudo-terminals have no modem lines; only a real refusal counts.
        fLastError = ErrnoText("TIOCMBIS", errno);
        return false;
    }
    return true;
}

bool TComDevice::ApplyTimeouts(const TTimeouts& timeouts) {
    if (fFd < 0) {
        fLastError = "time-outs: no open device";
        return false;
    }
    fTimeouts = timeouts;
    return true;
}

bool TComDevice::ApplyQueueSizes(std::uint32_t /*inputBytes*/, std::uint32_t /*outputBytes*/) {
    // The kernel sizes its own tty buffers; there is nothing to set, only a handle to check.
    if (fFd < 0) {
        fLastError = "queue sizes: no open device";
        return false;
    }
    return true;
}

bool TComDevice::DiscardInput(std::vector<std::uint8_t>& discarded) {
    discarded.clear();
    // Take what is queued first, so the caller can say what was thrown away. Nothing here decides
    // the outcome: a device that fails these calls fails the flush below as well.
    int queued = 0;
    if (fFd >= 0 && ::ioctl(fFd, FIONREAD, &queued) == 0 && queued > 0) {
        discarded.resize(static_cast<std::size_t>(queued));
        const ssize_t n = ::read(fFd, discarded.data(), discarded.size());
        discarded.resize(n > 0 ? static_cast<std::size_t>(n) : 0);
    }
    if (fFd < 0 || ::tcflush(fFd, TCIFLUSH) != 0) {
        fLastError = fFd < 0 ? "discard input: no open device" : ErrnoText("tcflush", errno);
        return false;
    }
    return true;
}

bool TComDevice::Write(const void* data, std::size_t size) {
    if (fFd < 0) {
        fLastError = "write: no open device";
        return false;
    }
    const auto deadline = TSteadyClock::now() +
                          std::chrono::milliseconds(static_cast<long long>(fTimeouts.WriteTotalMultiplierMS) *
                                                        static_cast<long long>(size) +
                                                    fTimeouts.WriteTotalConstantMS);
    const auto* bytes = static_cast<const unsigned char*>(data);
    std::size_t written = 0;
    while (written < size) {
        const ssize_t n = ::write(fFd, bytes + written, size - written);
        if (n > 0) {
            written += static_cast<std::size_t>(n);
            continue;
        }
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0 && errno != EAGAIN) {
            fLastError = ErrnoText("write", errno);
            return false;
        }
        pollfd p{fFd, POLLOUT, 0};
        const int r = ::poll(&p, 1, PollTimeout(deadline - TSteadyClock::now()));
        if (r < 0 && errno != EINTR) {
            fLastError = ErrnoText("poll for write", errno);
            return false;
        }
        if (r == 0) {
            fLastError =
                "write: time-out after " + std::to_string(written) + " of " + std::to_string(size) + " bytes";
            return false;
        }
    }
    return true;
}

bool TComDevice::QueuedInput(std::size_t& count) {
    int queued = 0;
    if (fFd < 0 || ::ioctl(fFd, FIONREAD, &queued) != 0) {
        fLastError = fFd < 0 ? "queued input: no open device" : ErrnoText("FIONREAD", errno);
        return false;
    }
    count = queued > 0 ? static_cast<std::size_t>(queued) : 0;
    return true;
}

bool TComDevice::WaitForInput(std::chrono::milliseconds limit) {
    if (fFd < 0) {
        fLastError = "wait for input: no open device";
        return false;
    }
    const auto deadline = TSteadyClock::now() + limit;
    for (;;) {
        pollfd p{fFd, POLLIN, 0};
        const int r = ::poll(&p, 1, PollTimeout(deadline - TSteadyClock::now()));
        if (r < 0 && errno == EINTR) {
            continue;
        }
        if (r < 0) {
            fLastError = ErrnoText("poll for input", errno);
            break;
        }
        if (r == 0) {
            return false;
        }
        // A hung-up terminal reports itself readable for ever; answering at once would turn the
        // caller's waiting loop into a busy one.
        if ((p.revents & (POLLHUP | POLLERR | POLLNVAL)) != 0) {
            fLastError = "wait for input: the device hung up";
            break;
        }
        return (p.revents & POLLIN) != 0;
    }
    std::this_thread::sleep_until(deadline);
    return false;
}

bool TComDevice::Read(void* buffer, std::size_t maximum, std::size_t& received) {
    return Read(buffer, maximum, received, TSteadyClock::now(), TReplyLength{});
}

bool TComDevice::Read(void* buffer, std::size_t maximum, std::size_t& received,
                      TSteadyClock::time_point timeoutsFrom, const TReplyLength& replyLength) {
    received = 0;
    if (fFd < 0) {
        fLastError = "read: no open device";
        return false;
    }
    const auto start = std::max(TSteadyClock::now(), timeoutsFrom);
    const auto totalDeadline =
        start + std::chrono::milliseconds(static_cast<long long>(fTimeouts.ReadTotalMultiplierMS) *
                                              static_cast<long long>(maximum) +
                                          fTimeouts.ReadTotalConstantMS);
    const auto interval = std::chrono::milliseconds(fTimeouts.ReadIntervalMS);
    auto* bytes = static_cast<unsigned char*>(buffer);
    // The silence that ends a read counts from the last byte, but never from before the start.
    auto lastByte = start;
    while (received < maximum) {
        std::size_t wanted = maximum - received;
        if (replyLength) {
            const std::size_t whole = replyLength(std::span<const std::uint8_t>(bytes, received));
            if (whole > 0 && received >= whole) {
                break; // the reply is complete
            }
            wanted = whole > 0 ? std::min(wanted, whole - received) : 1;
        }
        const auto now = TSteadyClock::now();
        auto until = totalDeadline;
        if (received > 0 && fTimeouts.ReadIntervalMS > 0) {
            until = std::min(until, lastByte + interval);
        }
        if (now >= until) {
            break; // out of time, or the line went quiet after the reply
        }
        pollfd p{fFd, POLLIN, 0};
        const int r = ::poll(&p, 1, PollTimeout(until - now));
        if (r < 0) {
            if (errno == EINTR) {
                continue;
            }
            fLastError = ErrnoText("poll for read", errno);
            return false;
        }
        if (r == 0) {
            continue; // the limits are judged at the top
        }
        const ssize_t n = ::read(fFd, bytes + received, wanted);
        if (n > 0) {
            received += static_cast<std::size_t>(n);
            lastByte = std::max(start, TSteadyClock::now());
            continue;
        }
        if (n < 0 && (errno == EAGAIN || errno == EINTR)) {
            continue;
        }
        // End of file or an error such as EIO: the device went away (unplugged, the far end
        // hung up). A reply it cut off is no reply, so the read fails whatever had come.
        fLastError = n == 0 ? std::string("read: device closed") : ErrnoText("read", errno);
        return false;
    }
    return true;
}

std::string DevicePathOf(const std::string& portName) {
    if (!portName.empty() && portName.front() == '/') {
        return portName;
    }
    return "/dev/" + portName;
}

namespace {

// "ttyS2" before "ttyS10": the text before the trailing number first, then the number.
bool NaturalLess(const std::string& a, const std::string& b) {
    auto split = [](const std::string& s) {
        std::size_t i = s.size();
        while (i > 0 && std::isdigit(static_cast<unsigned char>(s[i - 1])) != 0) {
            --i;
        }
        const std::string digits = s.substr(i);
        return std::pair<std::string, std::string>(s.substr(0, i), digits);
    };
    const auto [pa, na] = split(a);
    const auto [pb, nb] = split(b);
    if (pa != pb) {
        return pa < pb;
    }
    if (na.size() != nb.size()) {
        return na.size() < nb.size();
    }
    return na < nb;
}

} // namespace

std::vector<std::string> SerialDeviceNames() {
    namespace fs = std::filesystem;
    std::vector<std::string> names;
    std::error_code ec;
    const fs::path root("/sys/class/tty");
    for (fs::directory_iterator it(root, ec), end; !ec && it != end; it.increment(ec)) {
        const fs::path entry = it->path();
        std::error_code ec2;
        // Virtual consoles and pseudo-terminals have no device behind them.
        if (!fs::exists(entry / "device", ec2)) {
            continue;
        }
        // A serial-core port without hardware behind it (the usual ttyS1..ttyS31) reports type 0.
        std::ifstream typeFile(entry / "type");
        int type = -1;
        if (typeFile && (typeFile >> type) && type == 0) {
            continue;
        }
        names.push_back(entry.filename().string());
    }
    std::sort(names.begin(), names.end(), NaturalLess);
    return names;
}

} // namespace SerialPort
