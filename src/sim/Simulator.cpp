#include "sim/Simulator.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <future>
#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

namespace Sim {

namespace {

using TSteady = std::chrono::steady_clock;
constexpr int MaxPendingForClient = 2048; // bytes left unread in a port before the sim drops them
constexpr std::size_t MaxLineLength = 512;

TSteady::duration Seconds(double seconds) {
    return std::chrono::duration_cast<TSteady::duration>(std::chrono::duration<double>(seconds));
}

// Expected length of the Modbus frame at the start of `rx`, when its function code tells.
std::optional<std::size_t> ExpectedFrameLength(const std::vector<std::uint8_t>& rx) {
    if (rx.size() < 2) {
        return std::nullopt;
    }
    const std::uint8_t function = rx[1];
    if (function >= 1 && function <= 6) {
        return 8;
    }
    if (function == 15 || function == 16) {
        if (rx.size() < 7) {
            return std::nullopt;
        }
        return 9U + rx[6];
    }
    return std::nullopt;
}

std::string Hex(const std::vector<std::uint8_t>& bytes) {
    std::string text;
    char buffer[4];
    for (const std::uint8_t byte : bytes) {
        std::snprintf(buffer, sizeof buffer, "%02X ", byte);
        text += buffer;
    }
    if (!text.empty()) {
        text.pop_back();
    }
    return text;
}

std::string Printable(const std::vector<std::uint8_t>& bytes) {
    std::string text;
    char buffer[8];
    for (const std::uint8_t byte : bytes) {
        if (byte >= 32 && byte < 127) {
            text += static_cast<char>(byte);
        } else {
            std::snprintf(buffer, sizeof buffer, "\\x%02X", byte);
            text += buffer;
        }
    }
    return text;
}

} // namespace

TSimulator::TSimulator(TSimConfig config) : fConfig(std::move(config)), fStartDate(fConfig.Clock->Now()) {
    const double now = DeviceNow();
    fPump = std::make_unique<TVirtualPump>(fConfig.Pump, now);
    fMfcA = std::make_unique<TVirtualMfc>(fConfig.MfcA, now);
    fMfcB = std::make_unique<TVirtualMfc>(fConfig.MfcB, now);
    for (int i = 0; i < SimDeviceCount; ++i) {
        const auto device = static_cast<TSimDevice>(i);
        fPorts[static_cast<std::size_t>(i)].Device = device;
        fPorts[static_cast<std::size_t>(i)].LinkPath =
            (std::filesystem::path(fConfig.Directory) / std::string(DeviceName(device))).string();
    }
}

TSimulator::~TSimulator() {
    Stop();
}

double TSimulator::DeviceNow() const {
    return (fConfig.Clock->Now() - fStartDate) * Base::SecondsPerDay;
}

TVirtualMfc& TSimulator::Mfc(TSimDevice device) {
    return device == sdMfcB ? *fMfcB : *fMfcA;
}

std::string TSimulator::PortPath(TSimDevice device) const {
    return fPorts.at(static_cast<std::size_t>(device)).LinkPath;
}

std::string TSimulator::SerialPortsVariable() const {
    return PortPath(sdPump) + ":" + PortPath(sdMfcA) + ":" + PortPath(sdMfcB);
}

void TSimulator::SetTrace(std::function<void(const std::string&)> trace) {
    RunInLoop([this, &trace] { fTrace = std::move(trace); });
}

bool TSimulator::Plug(TPort& port, std::string& error) {
    port.Pty = TPseudoTerminal::Open(port.LinkPath, error);
    if (!port.Pty) {
        return false;
    }
    port.Unplugged = false;
    port.Rx.clear();
    port.Tx.clear();
    if (port.Held && !port.Pty->Hold(error)) {
        return false;
    }
    return true;
}

bool TSimulator::Start(std::string& error) {
    if (Running()) {
        return true;
    }
    if (fConfig.Directory.empty()) {
        error = "No folder given for the virtual instruments";
        return false;
    }
    std::error_code ec;
    std::filesystem::create_directories(fConfig.Directory, ec);
    if (ec) {
        error = "Cannot create " + fConfig.Directory + ": " + ec.message();
        return false;
    }
    fWake.Reset(::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC));
    if (!fWake.Valid()) {
        error = std::string("eventfd: ") + std::strerror(errno);
        return false;
    }
    for (TPort& port : fPorts) {
        if (!Plug(port, error)) {
            for (TPort& opened : fPorts) {
                opened.Pty.reset();
            }
            return false;
        }
    }
    for (int i = 0; i < SimDeviceCount; ++i) {
        for (const TSimFault fault : fConfig.Faults[static_cast<std::size_t>(i)]) {
            if (!SetFault(static_cast<TSimDevice>(i), fault, true, error)) {
                for (TPort& opened : fPorts) {
                    opened.Pty.reset();
                }
                return false;
            }
        }
    }
    fStopRequested = false;
    {
        const std::lock_guard lock(fTasksMutex);
        fLoopAlive = true;
    }
    fThread = std::thread([this] { Loop(); });
    return true;
}

void TSimulator::Stop() {
    if (fThread.joinable()) {
        fStopRequested = true;
        Wake();
        fThread.join();
    }
    for (TPort& port : fPorts) {
        port.Pty.reset();
        port.Rx.clear();
        port.Tx.clear();
    }
    fWake.Reset();
}

void TSimulator::Wake() {
    if (fWake.Valid()) {
        const std::uint64_t one = 1;
        [[maybe_unused]] const ssize_t n = ::write(fWake.Get(), &one, sizeof one);
    }
}

void TSimulator::RunInLoop(const std::function<void()>& task) {
    if (std::this_thread::get_id() == fThread.get_id()) {
        task();
        return;
    }
    auto done = std::make_shared<std::promise<void>>();
    std::future<void> finished = done->get_future();
    {
        const std::lock_guard lock(fTasksMutex);
        if (!fLoopAlive) {
            task(); // no loop running: nothing else touches the state
            return;
        }
        fTasks.emplace_back([&task, done] {
            task();
            done->set_value();
        });
    }
    Wake();
    finished.wait();
}

bool TSimulator::SetFault(TSimDevice device, TSimFault fault, bool on, std::string& error) {
    if (!FaultApplies(device, fault)) {
        error = "The fault " + std::string(FaultName(fault)) + " does not apply to " +
                std::string(DeviceName(device));
        return false;
    }
    bool ok = true;
    RunInLoop([&] {
        TPort& port = fPorts.at(static_cast<std::size_t>(device));
        switch (fault) {
        case sfPortHeld:
            port.Held = on;
            if (port.Pty) {
                if (on) {
                    ok = port.Pty->Hold(error);
                } else {
                    port.Pty->Release();
                }
            }
            break;
        case sfUnplugged:
            if (on && !port.Unplugged) {
                port.Pty.reset(); // removes the link; a client holding the port sees it hang up
                port.Rx.clear();
                port.Tx.clear();
                port.Unplugged = true;
            } else if (!on && port.Unplugged) {
                ok = Plug(port, error);
            }
            break;
        default:
            if (device == sdPump) {
                fPump->SetFault(fault, on);
            } else {
                Mfc(device).SetFault(fault, on);
            }
            break;
        }
    });
    return ok;
}

bool TSimulator::HasFault(TSimDevice device, TSimFault fault) {
    bool result = false;
    RunInLoop([&] {
        const TPort& port = fPorts.at(static_cast<std::size_t>(device));
        if (fault == sfPortHeld) {
            result = port.Held;
        } else if (fault == sfUnplugged) {
            result = port.Unplugged;
        } else if (device == sdPump) {
            result = fPump->HasFault(fault);
        } else {
            result = Mfc(device).HasFault(fault);
        }
    });
    return result;
}

TMfcState TSimulator::MfcState(TSimDevice device) {
    TMfcState state;
    RunInLoop([&] { state = Mfc(device).State(DeviceNow()); });
    return state;
}

void TSimulator::PowerBlip(TSimDevice device) {
    RunInLoop([&] { Mfc(device).PowerBlip(DeviceNow()); });
}

TPumpState TSimulator::PumpState() {
    TPumpState state;
    RunInLoop([&] { state = fPump->State(DeviceNow()); });
    return state;
}

void TSimulator::EditMfc(TSimDevice device, const std::function<void(TMfcConfig&)>& edit) {
    RunInLoop([&] { edit(Mfc(device).Config()); });
}

void TSimulator::EditPump(const std::function<void(TPumpConfig&)>& edit) {
    RunInLoop([&] { edit(fPump->Config()); });
}

void TSimulator::Trace(const TPort& port, const char* direction, const std::vector<std::uint8_t>& bytes) {
    if (!fTrace) {
        return;
    }
    const std::string body = port.Device == sdPump ? Printable(bytes) : Hex(bytes);
    fTrace(std::string(DeviceName(port.Device)) + " " + direction + " " + body);
}

void TSimulator::ReadPort(TPort& port, TClockPoint now) {
    std::uint8_t buffer[512];
    for (;;) {
        const ssize_t n = ::read(port.Pty->Master(), buffer, sizeof buffer);
        if (n > 0) {
            port.Rx.insert(port.Rx.end(), buffer, buffer + n);
            port.LastRx = now;
            continue;
        }
        if (n < 0 && errno == EINTR) {
            continue;
        }
        return; // EAGAIN: all read; EIO cannot last while the pair keeps its own slave open
    }
}

void TSimulator::ProcessMfc(TPort& port, TClockPoint now) {
    TVirtualMfc& mfc = Mfc(port.Device);
    while (!port.Rx.empty()) {
        std::vector<std::uint8_t> frame;
        const auto expected = ExpectedFrameLength(port.Rx);
        if (expected && port.Rx.size() >= *expected) {
            frame.assign(port.Rx.begin(), port.Rx.begin() + static_cast<std::ptrdiff_t>(*expected));
            port.Rx.erase(port.Rx.begin(), port.Rx.begin() + static_cast<std::ptrdiff_t>(*expected));
        } else if (now - port.LastRx >= Seconds(FrameSilenceSeconds)) {
            // A frame whose length its function code does not tell (or a broken one) ends with
            // the silence after it; the CRC decides whether it is a frame at all.
            frame.swap(port.Rx);
        } else {
            return;
        }
        GiveWay(port, now);
        Trace(port, "<-", frame);
        const auto reply = mfc.HandleFrame(frame, DeviceNow());
        if (reply) {
            Enqueue(port, *reply, frame.size(), now);
        }
    }
}

void TSimulator::ProcessPump(TPort& port, TClockPoint now) {
    for (;;) {
        const auto cr = std::find(port.Rx.begin(), port.Rx.end(), static_cast<std::uint8_t>('\r'));
        if (cr == port.Rx.end()) {
            if (port.Rx.size() > MaxLineLength) {
                port.Rx.clear(); // no pump line is this long
            }
            return;
        }
        const std::vector<std::uint8_t> line(port.Rx.begin(), cr + 1);
        port.Rx.erase(port.Rx.begin(), cr + 1);
        GiveWay(port, now);
        Trace(port, "<-", line);
        const auto answer = fPump->HandleLine(
            std::string_view(reinterpret_cast<const char*>(line.data()), line.size() - 1), DeviceNow());
        if (answer) {
            Enqueue(port, std::vector<std::uint8_t>(answer->begin(), answer->end()), line.size(), now);
        }
    }
}

void TSimulator::GiveWay(TPort& port, TClockPoint now) {
    // A new request while the instrument still has reply bytes to send: the instrument gives way
    // and the rest of that reply is lost, as on a half-duplex line. This also keeps the
    // acknowledgement of a write that nobody waits for out of the reply to the next request.
    // (In fast mode every reply is already on its way, so nothing is lost.)
    std::size_t dropped = 0;
    while (!port.Tx.empty() && port.Tx.back().first > now) {
        port.Tx.pop_back();
        ++dropped;
    }
    if (dropped > 0 && fTrace) {
        fTrace(std::string(DeviceName(port.Device)) + " -- " + std::to_string(dropped) +
               " reply bytes dropped: a new request came first");
    }
}

void TSimulator::Enqueue(TPort& port, const std::vector<std::uint8_t>& reply, std::size_t requestBytes,
                         TClockPoint now) {
    Trace(port, "->", reply);
    if (fConfig.Fast) {
        for (const std::uint8_t byte : reply) {
            port.Tx.emplace_back(now, byte);
        }
        return;
    }
    // The request needs its own time on the wire before the instrument has all of it; then the
    // instrument turns the line around and sends one byte per character time.
    const auto byteTime = Seconds(WireSecondsPerByte);
    TClockPoint due = now + byteTime * static_cast<long>(requestBytes) + Seconds(fConfig.TurnaroundSeconds);
    if (!port.Tx.empty()) {
        due = std::max(due, port.Tx.back().first + byteTime);
    }
    for (const std::uint8_t byte : reply) {
        port.Tx.emplace_back(due, byte);
        due += byteTime;
    }
}

TSimulator::TWireLateness TSimulator::WireLateness() {
    TWireLateness result;
    RunInLoop([&] { result = fLateness; });
    return result;
}

void TSimulator::ResetWireLateness() {
    RunInLoop([&] { fLateness = {}; });
}

void TSimulator::NoteLateness(TClockPoint due, TClockPoint now) {
    const double late = std::chrono::duration<double>(now - due).count();
    ++fLateness.Bytes;
    if (late > LateSeconds) {
        ++fLateness.LateBytes;
    }
    fLateness.LongestSeconds = std::max(fLateness.LongestSeconds, late);
}

void TSimulator::FlushTx(TPort& port, TClockPoint now) {
    std::vector<std::uint8_t> ready;
    while (!port.Tx.empty() && port.Tx.front().first <= now) {
        if (!fConfig.Fast) {
            NoteLateness(port.Tx.front().first, now);
        }
        ready.push_back(port.Tx.front().second);
        port.Tx.pop_front();
    }
    if (ready.empty() || !port.Pty) {
        return;
    }
    // Replies nobody reads (a client that closed its port before the answer came) pile up in the
    // pair; a real port would have dropped them.
    if (port.Pty->PendingForClient() > MaxPendingForClient) {
        port.Pty->DiscardClientInput();
    }
    std::size_t written = 0;
    while (written < ready.size()) {
        const ssize_t n = ::write(port.Pty->Master(), ready.data() + written, ready.size() - written);
        if (n > 0) {
            written += static_cast<std::size_t>(n);
        } else if (n < 0 && errno == EINTR) {
            continue;
        } else {
            port.Pty->DiscardClientInput();
            const ssize_t retry = ::write(port.Pty->Master(), ready.data() + written, ready.size() - written);
            if (retry <= 0) {
                return; // the line is jammed: the rest of this reply is lost
            }
            written += static_cast<std::size_t>(retry);
        }
    }
}

void TSimulator::Loop() {
    std::vector<pollfd> fds;
    std::vector<TPort*> owners;
    while (!fStopRequested) {
        std::deque<std::function<void()>> tasks;
        {
            const std::lock_guard lock(fTasksMutex);
            tasks.swap(fTasks);
        }
        for (auto& task : tasks) {
            task();
        }

        fds.clear();
        owners.clear();
        fds.push_back({fWake.Get(), POLLIN, 0});
        owners.push_back(nullptr);
        TClockPoint now = TSteady::now();
        TClockPoint wakeAt = TClockPoint::max();
        for (TPort& port : fPorts) {
            if (!port.Pty) {
                continue;
            }
            fds.push_back({port.Pty->Master(), POLLIN, 0});
            owners.push_back(&port);
            if (!port.Tx.empty()) {
                wakeAt = std::min(wakeAt, port.Tx.front().first);
            }
            if (!port.Rx.empty()) {
                wakeAt = std::min(wakeAt, port.LastRx + Seconds(FrameSilenceSeconds));
            }
        }
        timespec timeout{};
        timespec* timeoutPtr = nullptr;
        if (wakeAt != TClockPoint::max()) {
            const auto wait = std::max(TSteady::duration::zero(), wakeAt - now);
            const auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(wait).count();
            timeout.tv_sec = static_cast<time_t>(ns / 1000000000);
            timeout.tv_nsec = static_cast<long>(ns % 1000000000);
            timeoutPtr = &timeout;
        }
        const int ready = ::ppoll(fds.data(), fds.size(), timeoutPtr, nullptr);
        if (ready < 0 && errno != EINTR) {
            break;
        }
        if ((fds[0].revents & POLLIN) != 0) {
            std::uint64_t count = 0;
            [[maybe_unused]] const ssize_t n = ::read(fWake.Get(), &count, sizeof count);
        }
        now = TSteady::now();
        for (std::size_t i = 1; i < fds.size(); ++i) {
            if ((fds[i].revents & POLLIN) != 0) {
                ReadPort(*owners[i], now);
            }
        }
        for (TPort& port : fPorts) {
            if (!port.Pty) {
                continue;
            }
            if (port.Device == sdPump) {
                ProcessPump(port, now);
            } else {
                ProcessMfc(port, now);
            }
            FlushTx(port, now);
        }
    }
    // Run what was asked while stopping, so no caller waits for ever.
    std::deque<std::function<void()>> tasks;
    {
        const std::lock_guard lock(fTasksMutex);
        fLoopAlive = false;
        tasks.swap(fTasks);
    }
    for (auto& task : tasks) {
        task();
    }
}

} // namespace Sim
