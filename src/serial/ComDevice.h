#pragma once
// One open serial device, owned: the operating-system calls of the serial transport all sit behind
// this small class (ComDevicePosix.cpp on Linux), so another platform needs only another backend
// file. The device is closed by the destructor on every path.

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <vector>

namespace SerialPort {

// Line settings in the codes the port record uses.
struct TLineSettings {
    std::int32_t BaudRate = 9600;
    std::int32_t Parity = 0;   // 0 none, 1 odd, 2 even, 3 mark, 4 space
    std::int32_t StopBits = 0; // 0 one, 1 one and a half, 2 two
};

// Read and write time-outs in ms. A read returns when the requested count has arrived, or
// ReadIntervalMS after the last byte when no further byte follows, or after
// ReadTotalMultiplierMS per requested byte plus ReadTotalConstantMS in all. A write gives up after
// WriteTotalMultiplierMS per byte plus WriteTotalConstantMS.
struct TTimeouts {
    std::uint32_t ReadIntervalMS = 20;
    std::uint32_t ReadTotalMultiplierMS = 10;
    std::uint32_t ReadTotalConstantMS = 200;
    std::uint32_t WriteTotalMultiplierMS = 10;
    std::uint32_t WriteTotalConstantMS = 1000;
};

// The length of a whole reply judged from the bytes received so far; 0 while they do not tell it.
using TReplyLength = std::function<std::size_t(std::span<const std::uint8_t> received)>;

class TComDevice {
public:
    TComDevice() = default;
    ~TComDevice();
    TComDevice(const TComDevice&) = delete;
    TComDevice& operator=(const TComDevice&) = delete;
    TComDevice(TComDevice&& other) noexcept;
    TComDevice& operator=(TComDevice&& other) noexcept;

    // Opens the device for reading and writing, for this process alone. False when the device is
    // missing, not accessible or held by someone else; LastError() says why.
    bool Open(const std::string& devicePath);
    bool IsOpen() const { return fFd >= 0; }
    void Close() noexcept;

    // Raw 8-bit line with the given baud, parity and stop bits, no handshake, DTR and RTS on.
    bool ApplyLineSettings(const TLineSettings& settings);
    bool ApplyTimeouts(const TTimeouts& timeouts);
    bool ApplyQueueSizes(std::uint32_t inputBytes, std::uint32_t outputBytes);
    // Throws away every byte that arrived before now; `discarded` gets the bytes that were queued
    // when it looked (for the log; a byte that comes in the same instant may go unseen).
    bool DiscardInput(std::vector<std::uint8_t>& discarded);
    // Writes all bytes within the write time-out.
    bool Write(const void* data, std::size_t size);
    // Number of received bytes waiting to be read.
    bool QueuedInput(std::size_t& count);
    // Waits up to limit for input and wakes as soon as some arrives; true when there is input to
    // read. A device that can deliver nothing more (hung up, unplugged) waits out the limit and
    // gives false, as a look at an empty queue and a pause would.
    bool WaitForInput(std::chrono::milliseconds limit);
    // Reads up to maximum bytes under the read time-outs; received may be 0 when none came. A
    // device that goes away during the read fails it, also when part of the reply had come.
    bool Read(void* buffer, std::size_t maximum, std::size_t& received);
    // The same with two changes. The time-outs count from timeoutsFrom (when that is later than
    // now), while bytes that arrive before it are taken as they come. And when replyLength is set,
    // the read stops as soon as it says the bytes in are a whole reply, and never takes a byte
    // beyond that length: whatever follows stays queued. Until it can tell the length the read
    // takes one byte at a time, so no byte of what follows is taken either.
    bool Read(void* buffer, std::size_t maximum, std::size_t& received,
              std::chrono::steady_clock::time_point timeoutsFrom, const TReplyLength& replyLength);

    const std::string& LastError() const { return fLastError; }

private:
    int fFd = -1;
    bool fExclusive = false;
    TTimeouts fTimeouts;
    std::string fLastError;
};

// The device path of a port name: a plain name ("ttyUSB0") lives under /dev, an absolute path
// (a link made by the virtual instruments) stands as it is.
std::string DevicePathOf(const std::string& portName);

// The names of the machine's real serial devices, e.g. "ttyUSB0", in name order.
std::vector<std::string> SerialDeviceNames();

} // namespace SerialPort
