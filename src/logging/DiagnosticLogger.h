#pragma once
// The diagnostic channel: short text messages from both threads for the developer or service
// technician, written to a log file and, in live mode, also to the console at once.
// One logger serves the whole program (Logger()); it is configured once at start-up.
// Every member may be called from several threads at once; each message is written whole and the
// messages of one thread keep their order. Nothing here ever reports a failure to the caller: a
// message that cannot be delivered is lost without effect on the mixer.

#include "logging/LiveSink.h"

#include <atomic>
#include <cstdint>
#include <cstdio>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>

namespace Logging {

struct TLogFileDestination {
    bool Active = false;
    std::string FileName; // e.g. "MoistrelLog 2026-12-09 23_31_50.csl"
    std::string FilePath; // folder; empty means the program's folder
};

struct TLiveViewerDestination {
    bool Active = false;
};

struct TLogDestination {
    TLogFileDestination LogFile;
    TLiveViewerDestination Viewer;
};

class TDiagnosticLogger {
public:
    TDiagnosticLogger();
    ~TDiagnosticLogger();
    TDiagnosticLogger(const TDiagnosticLogger&) = delete;
    TDiagnosticLogger& operator=(const TDiagnosticLogger&) = delete;

    bool Enabled() const;
    void SetEnabled(bool enabled);

    // The log file gets one line per message: local date-time with milliseconds, the OS thread id,
    // the thread's EnterMethod depth, then the message indented two blanks per level, separated by
    // tabs. A line break inside a message is written as "\n", so every message stays one line.
    // The live viewer (standard error) gets the same line at once if it can take it; a viewer
    // that is slow, stalled or gone never holds up the caller (TLiveSink).
    void Send(std::string_view message);
    void EnterMethod(std::string_view methodName);
    void ExitMethod(std::string_view methodName);
    // Empties the live display (the console cannot be emptied; a separator line marks the point).
    void Clear();
    // True when a log file can be created where the destination puts it (the program's folder
    // unless the destination names another).
    bool Installed() const;
    // Flushes and closes the log file; later messages reopen it.
    void CloseDispatcher();

    TLogDestination Destination() const;
    void SetDestination(const TLogDestination& destination);

    // The full path of the log file the destination names.
    std::string LogFilePath() const;

    // Lines the live viewer could not take at once and that were dropped for it.
    std::uint64_t LiveLinesLost() const;

private:
    struct TFileCloser {
        void operator()(std::FILE* file) const noexcept { std::fclose(file); }
    };
    using TFileHandle = std::unique_ptr<std::FILE, TFileCloser>;

    std::string LogFilePathLocked() const;
    int ChangeDepthLocked(int change);
    void WriteLocked(int depth, std::string_view message);
    void WriteToFileLocked(const std::string& line);

    mutable std::mutex fMutex;
    std::atomic<bool> fEnabled{false};
    TLogDestination fDestination;
    double fStartTime;                      // names the file when the destination does not
    TFileHandle fFile;                      // the open log file, if any
    std::string fFileOpenPath;              // where fFile is open
    std::map<std::thread::id, int> fDepths; // EnterMethod nesting, per thread (0 is not kept)
    TLiveSink fLive;
};

// True when a new log file can be created in `folder` (a probe file is really made and removed, so
// permissions, read-only mounts and full quotas all count).
bool LogFileCanBeCreatedIn(const std::string& folder);

// The one logger of the program.
TDiagnosticLogger& Logger();

// "MoistrelLog yyyy-mm-dd hh_mm_ss.csl" for the given local date-time.
std::string LogFileNameFor(double dateTime);

} // namespace Logging
