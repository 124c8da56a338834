#include "serial/SerialPort.h"

#include "base/DateTime.h"
#include "base/Text.h"
#include "logging/DiagnosticLogger.h"
#include "serial/PortTurn.h"
#include "serial/SerialStatus.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <string_view>
#include <thread>
#include <vector>

namespace SerialPort {

namespace {

constexpr std::uint32_t QueueSizeBytes = 4096;
constexpr std::size_t TextReadSize = 80;
constexpr std::size_t DataReadSize = 256;
// The read total time-out for a whole read (see TTimeouts).
constexpr std::uint32_t ReadTotalMS(std::size_t bytes) {
    const TTimeouts timeouts;
    return timeouts.ReadTotalMultiplierMS * static_cast<std::uint32_t>(bytes) + timeouts.ReadTotalConstantMS;
}
constexpr std::uint32_t WriteTotalMS(std::size_t bytes) {
    const TTimeouts timeouts;
    return timeouts.WriteTotalMultiplierMS * static_cast<std::uint32_t>(bytes) +
           timeouts.WriteTotalConstantMS;
}

void Pause(std::uint32_t milliseconds) {
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

// Code of the reply byte at index, 0 beyond the reply.
std::int32_t ByteAt(const unsigned char* bytes, std::size_t count, std::size_t index) {
    return index < count ? static_cast<std::int32_t>(bytes[index]) : 0;
}

} // namespace

bool TSerialPort::SetDCBState(TComDevice& ComDevice) const {
    try {
        if (!ComDevice.IsOpen()) {
            return false;
        }
        return ComDevice.ApplyLineSettings(TLineSettings{fBaudRate, fParity, fStopBits});
    } catch (...) {
        return false;
    }
}

bool TSerialPort::SetTimeOuts(TComDevice& ComDevice) const {
    try {
        if (!ComDevice.IsOpen()) {
            return false;
        }
        return ComDevice.ApplyTimeouts(TTimeouts{});
    } catch (...) {
        return false;
    }
}

bool TSerialPort::SetBuffers(TComDevice& ComDevice) const {
    try {
        if (!ComDevice.IsOpen()) {
            return false;
        }
        return ComDevice.ApplyQueueSizes(QueueSizeBytes, QueueSizeBytes);
    } catch (...) {
        return false;
    }
}

void TSerialPort::Trace(int point) {
    if (!fDebug) {
        return;
    }
    fDebugMSG +=
        "Time  " + std::to_string(point) + ": " + Base::FormatDateTime("hh:nn:ss.zzz", Base::SystemNow());
    fDebugMSG += Base::CRLF;
}

void TSerialPort::LogNoTurn() const {
    Logging::Logger().Send("Serial port " + fPort +
                           ": another transaction of this program held the port beyond its longest");
}

std::uint32_t TSerialPort::LongestTransactionMS(std::size_t requestBytes, bool waitForResponse,
                                                bool data) const {
    std::uint32_t longest = WriteTotalMS(requestBytes);
    if (!waitForResponse) {
        return longest;
    }
    if (data) {
        // The pause, the wait for the first byte, the read's pause and its total time-out.
        longest += 2 * fWindowsReadLoopTimeoutMS + fReadoutTimeoutMS + ReadTotalMS(DataReadSize);
    } else {
        // The wait for the first byte, the read's pause and its total time-out.
        longest += fWindowsReadLoopTimeoutMS + fReadoutTimeoutMS + ReadTotalMS(TextReadSize);
    }
    return longest;
}

void TSerialPort::Log(const std::string& what, const TComDevice& device) const {
    std::string message = "Serial port " + fPort + ": " + what;
    if (!device.LastError().empty()) {
        message += " (" + device.LastError() + ")";
    }
    Logging::Logger().Send(message);
}

TSerialPort::TOpenResult TSerialPort::OpenAndConfigure(TComDevice& device) {
    // A device that cannot be opened (missing, held by another program) makes the line settings
    // fail, so both read "port in use" to the caller; the log keeps the real reason.
    device.Open(DevicePathOf(fPort));
    Trace(2);
    if (!SetDCBState(device)) {
        Log("cannot open or configure the port", device);
        return orSetupFailed;
    }
    Trace(3);
    if (!SetTimeOuts(device)) {
        Log("cannot set the time-outs", device);
        return orTimeoutsFailed;
    }
    Trace(4);
    if (!SetBuffers(device)) {
        Log("cannot set the queue sizes", device);
        return orBuffersFailed;
    }
    // Whatever arrived before this request (a late answer to an earlier one, or the bytes of an
    // overlong reply that its read left behind) is not its reply.
    std::vector<std::uint8_t> stale;
    if (!device.DiscardInput(stale)) {
        Log("cannot discard stale input", device);
        return orBuffersFailed;
    }
    if (!stale.empty()) {
        LogStale(stale);
    }
    Trace(5);
    return orOK;
}

bool TSerialPort::WaitForFirstByte(TComDevice& device) const {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(fReadoutTimeoutMS);
    for (;;) {
        std::size_t queued = 0;
        if (device.QueuedInput(queued) && queued > 0) {
            return true;
        }
        const auto left =
            std::chrono::ceil<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) {
            return false;
        }
        const std::chrono::milliseconds pause(fWindowsReadLoopTimeoutMS);
        device.WaitForInput(pause.count() > 0 ? std::min(pause, left) : left);
    }
}

void TSerialPort::LogStale(const std::vector<std::uint8_t>& stale) const {
    // A long run of stale bytes is shown by its start; the count says how much there was.
    constexpr std::size_t Shown = 64;
    static constexpr char Digits[] = "0123456789ABCDEF";
    std::string hex;
    for (std::size_t i = 0; i < stale.size() && i < Shown; ++i) {
        hex += Digits[stale[i] >> 4U];
        hex += Digits[stale[i] & 0x0FU];
        hex += ' ';
    }
    if (stale.size() > Shown) {
        hex += "...";
    } else {
        hex.pop_back();
    }
    Logging::Logger().Send("Serial port " + fPort + ": discarded " + std::to_string(stale.size()) +
                           " stale bytes before the request: " + hex);
}

std::string_view TSerialPort::StatusOf(TOpenResult result) {
    switch (result) {
    case orOK:
        return {};
    case orSetupFailed:
        return StatusSetupFailed;
    case orTimeoutsFailed:
        return StatusTimeoutsFailed;
    case orBuffersFailed:
        return StatusBuffersFailed;
    }
    return StatusUnknownProblem;
}

void TSerialPort::Send2(const std::string& aMessage, bool WaitForResponse, TSerialResponse& response) {
    try {
        response.SentMessage = aMessage;
        const std::string wire = Base::Utf8ToLatin1(aMessage);
        // The turn outlives the device: it is closed before the next transaction may open it.
        const TPortTurn turn(DevicePathOf(fPort), LongestTransactionMS(wire.size(), WaitForResponse, false));
        if (!turn.Taken()) {
            LogNoTurn();
            response.Status = StatusSetupFailed;
            return;
        }
        TComDevice device;
        if (const TOpenResult opened = OpenAndConfigure(device); opened != orOK) {
            response.Status = StatusOf(opened);
            return;
        }
        if (!device.Write(wire.data(), wire.size())) {
            Log("write failed", device);
            response.Status = StatusWriteFailed;
            return;
        }
        response.SentMessage = aMessage;
        if (!WaitForResponse) {
            response.Status = StatusNoWait;
            response.Response.clear();
            return;
        }
        if (!WaitForFirstByte(device)) {
            response.Response.clear();
            response.Status = StatusTimeout;
            return;
        }
        // Once the first byte is seen, one more pause lets the rest of the answer come in (the pump
        // may answer an earlier line too, and the reply holds all of it), the read's time-outs
        // counted from its end as after a pause slept out. Waking on the first byte instead of
        // looking once a pause: a silent pump holds the tick for the read-out time, not beyond.
        const auto pauseOver =
            std::chrono::steady_clock::now() + std::chrono::milliseconds(fWindowsReadLoopTimeoutMS);
        std::array<char, TextReadSize> buffer{};
        std::size_t received = 0;
        if (!device.Read(buffer.data(), buffer.size(), received, pauseOver, TReplyLength{})) {
            Log("read failed", device);
            response.Status = StatusReadFailed;
            return;
        }
        response.Response = Base::TrimControl(Base::Latin1ToUtf8(std::string_view(buffer.data(), received)));
    } catch (...) {
        response.Status = StatusUnknownProblem;
    }
}

void TSerialPort::SendData(const void* Data, std::uint32_t dataSize, bool WaitForResponse,
                           TSerialResponse& response, const TReplyLength& replyLength) {
    try {
        fDebugMSG.clear();
        Trace(1);
        response.Status = StatusUnknownProblem;
        response.ResponseLength = 0;
        const TPortTurn turn(DevicePathOf(fPort), LongestTransactionMS(dataSize, WaitForResponse, true));
        if (!turn.Taken()) {
            LogNoTurn();
            response.Status = StatusSetupFailed;
            return;
        }
        TComDevice device;
        if (const TOpenResult opened = OpenAndConfigure(device); opened != orOK) {
            response.Status = StatusOf(opened);
            return;
        }
        if (dataSize > 0 && (Data == nullptr || !device.Write(Data, dataSize))) {
            Log("write failed", device);
            response.Status = StatusWriteFailed;
            return;
        }
        Trace(6);
        if (!WaitForResponse) {
            response.Response.clear();
            response.Status.clear();
            return;
        }
        Pause(fWindowsReadLoopTimeoutMS);
        Trace(7);
        const bool received = WaitForFirstByte(device);
        Trace(8);
        if (!received) {
            response.Response.clear();
            response.Status = StatusTimeout;
            return;
        }
        // Once the first byte is seen, one more pause lets the rest of the reply come in before the
        // read. The pause and the read run as one: the read takes the bytes as they come, but its
        // time-outs (the 20 ms of silence after the last byte among them) count from the end of
        // the pause, as after a pause slept out. So it takes what a slept-out pause and a read
        // would have taken, and with a known reply length it ends as soon as the reply is whole
        // instead of sleeping out a pause the reply does not need.
        const auto pauseOver =
            std::chrono::steady_clock::now() + std::chrono::milliseconds(fWindowsReadLoopTimeoutMS);
        std::array<unsigned char, DataReadSize> buffer{};
        std::size_t count = 0;
        if (!device.Read(buffer.data(), buffer.size(), count, pauseOver, replyLength)) {
            Log("read failed", device);
            response.Status = StatusReadFailed;
            return;
        }
        std::string bytes;
        bytes.reserve(count);
        for (std::size_t i = 0; i < count; ++i) {
            response.rArray[i] = buffer[i];
            bytes.push_back(static_cast<char>(buffer[i]));
        }
        response.Response = Base::Latin1ToUtf8(bytes);
        response.Status.clear();
        response.ResponseLength = static_cast<std::uint8_t>(count % 256);
        Trace(9);
        response.ValueOfFirstWord = ByteAt(buffer.data(), count, 3) * 256 + ByteAt(buffer.data(), count, 4);
        response.ValueOfSecondWord = ByteAt(buffer.data(), count, 5) * 256 + ByteAt(buffer.data(), count, 6);
    } catch (...) {
        response.Status = StatusUnknownProblem;
    }
}

} // namespace SerialPort
