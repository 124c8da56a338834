#include "run/MFCThread.h"

#include "logging/LogOld.h"

namespace UnitMain {

// Placeholder worker until the real one lands: exchanges until told to stop.
TMFCThread::TMFCThread(TMoistrelState& state, Base::TMainThread& mainThread, const Base::TClock& clock,
                       Base::TTextPane& memoLog)
    : fState(state), fMainThread(mainThread), fClock(clock), fMemoLog(memoLog) {}

TMFCThread::~TMFCThread() {
    if (fThread.joinable()) {
        fThread.join();
    }
}

void TMFCThread::Start() {
    fThread = std::thread([this] { Run(); });
}

void TMFCThread::Run() {
    Execute();
    fFinished.store(true);
}

void TMFCThread::Abandon() {
    fAbandoned = true;
}

bool TMFCThread::ReadTotalizer(double& Value) {
    Value = 0.0;
    return false;
}

bool TMFCThread::ReadFlow(const std::string& /*Port*/, std::int32_t /*Addr*/, double& Flow) {
    Flow = -1.0;
    return false;
}

bool TMFCThread::SetFlow(double /*Flow*/) {
    return false;
}

void TMFCThread::Exchange() {
    fMainThread.CallAndWait([this] { DataExchange(); });
}

void TMFCThread::DataExchange() {
    if (fAbandoned) {
        ToStop = true;
        return;
    }
    ToStop = fState.Run.ThreadData.In_ToStop;
    fState.Run.ThreadData.Out_Stopped = fStopped.load();
    if (!aMessage.empty()) {
        Logging::LogOld(fMemoLog, aMessage, fClock);
        aMessage.clear();
    }
    fState.Run.ThreadData.SomethingToTell = true;
}

void TMFCThread::Execute() {
    while (!ToStop) {
        fStopped.store(false);
        Exchange();
        fClock.Sleep(std::chrono::milliseconds(50));
    }
    SetFlow(0.0);
    fStopped.store(true);
    Exchange();
}

} // namespace UnitMain
