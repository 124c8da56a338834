#include "logging/DiagnosticLogger.h"

#include "base/DateTime.h"
#include "base/Paths.h"

#include <cstdlib>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace Logging {

namespace {

// One file line per message: local time, thread, nesting depth, then the message indented by
// its depth. Line breaks inside a message are written as "\n" so that a message stays one line.
std::string ComposeLine(int depth, std::string_view message) {
    std::string line = Base::FormatDateTime("yyyy-mm-dd hh:nn:ss.zzz", Base::SystemNow());
    line += '\t';
    line += std::to_string(static_cast<long long>(::gettid()));
    line += '\t';
    line += std::to_string(depth);
    line += '\t';
    line.append(static_cast<std::size_t>(depth) * 2, ' ');
    for (std::size_t i = 0; i < message.size(); ++i) {
        const char c = message[i];
        if (c == '\r') {
            if (i + 1 < message.size() && message[i + 1] == '\n') {
                ++i;
            }
            line += "\\n";
        } else if (c == '\n') {
            line += "\\n";
        } else {
            line += c;
        }
    }
    line += '\n';
    return line;
}

std::string FolderOf(const TLogFileDestination& file) {
    std::string folder = file.FilePath.empty() ? Base::ProgramFolder() : file.FilePath;
    while (folder.size() > 1 && folder.back() == '/') {
        folder.pop_back();
    }
    return folder;
}

} // namespace

bool LogFileCanBeCreatedIn(const std::string& folder) {
    struct stat info {};
    if (folder.empty() || ::stat(folder.c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) {
        return false;
    }
    std::string probe = folder + "/.moistrel-log-probe-XXXXXX";
    const int fd = ::mkstemp(probe.data());
    if (fd < 0) {
        return false;
    }
    ::close(fd);
    ::unlink(probe.c_str());
    return true;
}

TDiagnosticLogger::TDiagnosticLogger() : fStartTime(Base::SystemNow()) {}

TDiagnosticLogger::~TDiagnosticLogger() = default;

bool TDiagnosticLogger::Enabled() const {
    return fEnabled.load();
}

void TDiagnosticLogger::SetEnabled(bool enabled) {
    fEnabled.store(enabled);
}

void TDiagnosticLogger::Send(std::string_view message) {
    if (!fEnabled.load()) {
        return;
    }
    try {
        const std::lock_guard lock(fMutex);
        WriteLocked(ChangeDepthLocked(0), message);
    } catch (...) {
        // A message that cannot be written is lost; the program goes on.
    }
}

void TDiagnosticLogger::EnterMethod(std::string_view methodName) {
    if (!fEnabled.load()) {
        return;
    }
    try {
        const std::lock_guard lock(fMutex);
        const int depth = ChangeDepthLocked(+1) - 1;
        WriteLocked(depth, std::string("Enter ").append(methodName));
    } catch (...) {
    }
}

void TDiagnosticLogger::ExitMethod(std::string_view methodName) {
    if (!fEnabled.load()) {
        return;
    }
    try {
        const std::lock_guard lock(fMutex);
        const int depth = ChangeDepthLocked(-1);
        WriteLocked(depth, std::string("Exit ").append(methodName));
    } catch (...) {
    }
}

void TDiagnosticLogger::Clear() {
    if (!fEnabled.load()) {
        return;
    }
    try {
        const std::lock_guard lock(fMutex);
        if (fDestination.Viewer.Active) {
            fLive.Write("---------------- Clear ----------------\n");
        }
    } catch (...) {
    }
}

bool TDiagnosticLogger::Installed() const {
    try {
        std::string folder;
        {
            const std::lock_guard lock(fMutex);
            folder = FolderOf(fDestination.LogFile);
        }
        return LogFileCanBeCreatedIn(folder);
    } catch (...) {
        return false;
    }
}

void TDiagnosticLogger::CloseDispatcher() {
    try {
        const std::lock_guard lock(fMutex);
        fFile.reset();
        fFileOpenPath.clear();
    } catch (...) {
    }
}

TLogDestination TDiagnosticLogger::Destination() const {
    try {
        const std::lock_guard lock(fMutex);
        return fDestination;
    } catch (...) {
        return {};
    }
}

void TDiagnosticLogger::SetDestination(const TLogDestination& destination) {
    try {
        if (destination.Viewer.Active) {
            IgnoreBrokenPipe(); // a viewer that goes away must not end the program
        }
        const std::lock_guard lock(fMutex);
        fDestination = destination;
        // A file of the previous destination is closed; the next message opens the new one.
        if (fFile && (!fDestination.LogFile.Active || LogFilePathLocked() != fFileOpenPath)) {
            fFile.reset();
            fFileOpenPath.clear();
        }
    } catch (...) {
    }
}

std::string TDiagnosticLogger::LogFilePath() const {
    try {
        const std::lock_guard lock(fMutex);
        return LogFilePathLocked();
    } catch (...) {
        return {};
    }
}

std::uint64_t TDiagnosticLogger::LiveLinesLost() const {
    try {
        const std::lock_guard lock(fMutex);
        return fLive.Lost();
    } catch (...) {
        return 0;
    }
}

std::string TDiagnosticLogger::LogFilePathLocked() const {
    const TLogFileDestination& file = fDestination.LogFile;
    const std::string name = file.FileName.empty() ? LogFileNameFor(fStartTime) : file.FileName;
    return FolderOf(file) + "/" + name;
}

// Changes the calling thread's nesting depth by `change` (never below 0) and returns the new depth.
int TDiagnosticLogger::ChangeDepthLocked(int change) {
    const auto id = std::this_thread::get_id();
    auto it = fDepths.find(id);
    const int current = it == fDepths.end() ? 0 : it->second;
    const int depth = current + change < 0 ? 0 : current + change;
    if (change != 0) {
        if (depth == 0) {
            if (it != fDepths.end()) {
                fDepths.erase(it);
            }
        } else {
            fDepths[id] = depth;
        }
    }
    return depth;
}

void TDiagnosticLogger::WriteLocked(int depth, std::string_view message) {
    if (!fDestination.LogFile.Active && !fDestination.Viewer.Active) {
        return;
    }
    const std::string line = ComposeLine(depth, message);
    if (fDestination.LogFile.Active) {
        WriteToFileLocked(line);
    }
    if (fDestination.Viewer.Active) {
        fLive.Write(line);
    }
}

void TDiagnosticLogger::WriteToFileLocked(const std::string& line) {
    if (!fFile) {
        const std::string path = LogFilePathLocked();
        // Appending: after CloseDispatcher a later message continues the same file.
        fFile.reset(std::fopen(path.c_str(), "ae"));
        if (!fFile) {
            return; // tried again with the next message
        }
        fFileOpenPath = path;
    }
    // Flushed at once: the log is read most after a crash.
    if (std::fwrite(line.data(), 1, line.size(), fFile.get()) != line.size() ||
        std::fflush(fFile.get()) != 0) {
        fFile.reset();
        fFileOpenPath.clear();
    }
}

TDiagnosticLogger& Logger() {
    static TDiagnosticLogger logger;
    return logger;
}

std::string LogFileNameFor(double dateTime) {
    return "MoistrelLog " + Base::FormatDateTime("yyyy-mm-dd hh_mm_ss", dateTime) + ".csl";
}

} // namespace Logging
