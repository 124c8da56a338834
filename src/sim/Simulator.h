#pragma once
// The virtual instruments at work: a pump, MFC A and MFC B, each on its own pseudo-terminal whose
// far end is a stable link in one folder ("pump", "mfc-a", "mfc-b"). One event-loop thread serves
// all three ports with the wire timing of 9600 baud (dropped in fast mode). Every public method may
// be called from any thread; changes are carried out by the loop thread, so they never race a
// request in progress.

#include "sim/PseudoTerminal.h"
#include "sim/SimConfig.h"
#include "sim/UniqueFd.h"
#include "sim/VirtualMfc.h"
#include "sim/VirtualPump.h"

#include <array>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace Sim {

class TSimulator {
public:
    explicit TSimulator(TSimConfig config);
    TSimulator(const TSimulator&) = delete;
    TSimulator& operator=(const TSimulator&) = delete;
    ~TSimulator();

    // Creates the folder and the three links and starts serving. False with a reason on failure
    // (nothing is left behind then).
    bool Start(std::string& error);
    // Stops the loop thread, closes every descriptor and removes the links. Safe to call twice.
    void Stop();
    bool Running() const { return fThread.joinable(); }

    const std::string& Directory() const { return fConfig.Directory; }
    std::string PortPath(TSimDevice device) const;
    // The three link paths joined by ':' for MOISTREL_SERIAL_PORTS.
    std::string SerialPortsVariable() const;

    // Injects or clears a fault. False with a reason when the fault does not apply to the device
    // or the port could not be replugged / held.
    bool SetFault(TSimDevice device, TSimFault fault, bool on, std::string& error);
    bool HasFault(TSimDevice device, TSimFault fault);

    TMfcState MfcState(TSimDevice device);
    // The MFC loses its set-point for a moment of no power (it comes back at 0).
    void PowerBlip(TSimDevice device);
    TPumpState PumpState();
    // Changes a device's configuration in place while it runs (silent registers, overrides, ...).
    void EditMfc(TSimDevice device, const std::function<void(TMfcConfig&)>& edit);
    void EditPump(const std::function<void(TPumpConfig&)>& edit);

    // Called on the loop thread with one line per request and reply ("mfc-a <- 01 03 ...").
    void SetTrace(std::function<void(const std::string&)> trace);

    // How late the reply bytes reached the pseudo-terminals against their wire time, since the
    // start or the last reset (wire timing only): the bench's view of the emulation's own delays.
    struct TWireLateness {
        long Bytes = 0;
        long LateBytes = 0; // more than LateSeconds after their wire time
        double LongestSeconds = 0.0;
    };
    static constexpr double LateSeconds = 0.005;
    TWireLateness WireLateness();
    void ResetWireLateness();

private:
    using TClockPoint = std::chrono::steady_clock::time_point;

    struct TPort {
        TSimDevice Device = sdPump;
        std::string LinkPath;
        std::unique_ptr<TPseudoTerminal> Pty;
        bool Held = false;
        bool Unplugged = false;
        std::vector<std::uint8_t> Rx;
        TClockPoint LastRx{};
        std::deque<std::pair<TClockPoint, std::uint8_t>> Tx; // bytes and when they reach the wire
    };

    void Loop();
    void NoteLateness(TClockPoint due, TClockPoint now);
    void RunInLoop(const std::function<void()>& task);
    void Wake();
    // Seconds of the configured clock since the instruments were made.
    double DeviceNow() const;
    TVirtualMfc& Mfc(TSimDevice device);
    bool Plug(TPort& port, std::string& error);
    void ReadPort(TPort& port, TClockPoint now);
    void ProcessMfc(TPort& port, TClockPoint now);
    void ProcessPump(TPort& port, TClockPoint now);
    void GiveWay(TPort& port, TClockPoint now);
    void Enqueue(TPort& port, const std::vector<std::uint8_t>& reply, std::size_t requestBytes,
                 TClockPoint now);
    void FlushTx(TPort& port, TClockPoint now);
    void Trace(const TPort& port, const char* direction, const std::vector<std::uint8_t>& bytes);

    TSimConfig fConfig;
    Base::TDateTime fStartDate;
    std::unique_ptr<TVirtualPump> fPump;
    std::unique_ptr<TVirtualMfc> fMfcA;
    std::unique_ptr<TVirtualMfc> fMfcB;
    std::array<TPort, SimDeviceCount> fPorts;
    std::function<void(const std::string&)> fTrace;
    TWireLateness fLateness; // loop thread only

    TUniqueFd fWake;
    std::thread fThread;
    std::atomic<bool> fStopRequested{false};
    std::mutex fTasksMutex;
    bool fLoopAlive = false; // guarded by fTasksMutex
    std::deque<std::function<void()>> fTasks;
};

} // namespace Sim
