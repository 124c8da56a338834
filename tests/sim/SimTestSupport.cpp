#include "SimTestSupport.h"

#include "mfc/ModbusCrc.h"

#include <bit>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>
#include <utility>

namespace SimTest {

namespace {

TBytes Word(std::uint16_t value) {
    return {static_cast<std::uint8_t>(value >> 8U), static_cast<std::uint8_t>(value & 0xFFU)};
}

int RemainingMs(std::chrono::steady_clock::time_point deadline) {
    const auto left = deadline - std::chrono::steady_clock::now();
    return std::max(0, static_cast<int>(std::chrono::duration_cast<std::chrono::milliseconds>(left).count()));
}

} // namespace

TSimOptions ManualClock(std::function<void(Sim::TSimConfig&)> adjust, TSimTiming timing) {
    return {.Timing = timing, .Clock = TSimClock::Manual, .Adjust = std::move(adjust)};
}

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

TBytes WithCrc(TBytes frame) {
    const std::uint16_t crc = SerialPortVogtlin::ComputeCRC16(frame);
    frame.push_back(static_cast<std::uint8_t>(crc & 0xFFU));
    frame.push_back(static_cast<std::uint8_t>(crc >> 8U));
    return frame;
}

bool CrcOk(const TBytes& frame) {
    if (frame.size() < 4) {
        return false;
    }
    const TBytes body(frame.begin(), frame.end() - 2);
    return WithCrc(body) == frame;
}

TBytes ReadRequest(std::uint8_t address, std::uint16_t reg, std::uint16_t count) {
    TBytes frame{address, 3};
    for (const auto& part : {Word(reg), Word(count)}) {
        frame.insert(frame.end(), part.begin(), part.end());
    }
    return WithCrc(frame);
}

TBytes WriteU8Request(std::uint8_t address, std::uint16_t reg, std::uint16_t value) {
    TBytes frame{address, 6};
    for (const auto& part : {Word(reg), Word(value)}) {
        frame.insert(frame.end(), part.begin(), part.end());
    }
    return WithCrc(frame);
}

TBytes WriteU16Request(std::uint8_t address, std::uint16_t reg, std::uint16_t value) {
    TBytes frame{address, 16};
    for (const auto& part : {Word(reg), Word(1), TBytes{2}, Word(value)}) {
        frame.insert(frame.end(), part.begin(), part.end());
    }
    return WithCrc(frame);
}

TBytes WriteF32Request(std::uint8_t address, std::uint16_t reg, float value) {
    const std::uint32_t bits = std::bit_cast<std::uint32_t>(value);
    TBytes frame{address, 16};
    for (const auto& part : {Word(reg), Word(2), TBytes{4}, Word(static_cast<std::uint16_t>(bits >> 16U)),
                             Word(static_cast<std::uint16_t>(bits & 0xFFFFU))}) {
        frame.insert(frame.end(), part.begin(), part.end());
    }
    return WithCrc(frame);
}

std::uint32_t U32Of(const TBytes& reply) {
    if (reply.size() < 7) {
        return 0;
    }
    return (static_cast<std::uint32_t>(reply[3]) << 24U) | (static_cast<std::uint32_t>(reply[4]) << 16U) |
           (static_cast<std::uint32_t>(reply[5]) << 8U) | reply[6];
}

float F32Of(const TBytes& reply) {
    return std::bit_cast<float>(U32Of(reply));
}

std::uint16_t U16Of(const TBytes& reply) {
    return reply.size() < 5 ? 0 : static_cast<std::uint16_t>((reply[3] << 8U) | reply[4]);
}

std::string TextOf(const TBytes& reply) {
    std::string text;
    for (std::size_t i = 3; i + 2 < reply.size() && reply[i] != 0; ++i) {
        text += static_cast<char>(reply[i]);
    }
    return text;
}

std::string Hex(const TBytes& bytes) {
    std::string text;
    char buffer[4];
    for (const std::uint8_t byte : bytes) {
        std::snprintf(buffer, sizeof buffer, "%02X ", byte);
        text += buffer;
    }
    return text;
}

} // namespace SimTest
