#include "logging/LiveSink.h"

#include <cerrno>
#include <climits>
#include <csignal>
#include <fcntl.h>
#include <mutex>
#include <string>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

namespace Logging {

namespace {

constexpr std::size_t LongestLine = PIPE_BUF;

} // namespace

void IgnoreBrokenPipe() {
    static std::once_flag once;
    std::call_once(once, [] { std::signal(SIGPIPE, SIG_IGN); });
}

TLiveSink::~TLiveSink() {
    if (fOwn >= 0) {
        ::close(fOwn);
    }
}

// Finds out what standard error is now, and opens our own description when it changed.
void TLiveSink::Follow() {
    struct stat info {};
    if (::fstat(STDERR_FILENO, &info) != 0) {
        fKind = skNone;
        fKnown = false;
        return;
    }
    if (fKnown && info.st_dev == fDevice && info.st_ino == fInode) {
        return;
    }
    if (fOwn >= 0) {
        ::close(fOwn);
        fOwn = -1;
    }
    fKnown = true;
    fDevice = info.st_dev;
    fInode = info.st_ino;
    if (S_ISREG(info.st_mode) || S_ISBLK(info.st_mode)) {
        fKind = skFile;
    } else if (S_ISSOCK(info.st_mode)) {
        fKind = skSocket;
    } else {
        // A pipe whose reader is gone cannot be opened (ENXIO): nothing can reach a viewer there.
        fOwn = ::open("/proc/self/fd/2", O_WRONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
        fKind = fOwn >= 0 ? skOwnDescriptor : skNone;
    }
}

bool TLiveSink::WriteNow(std::string_view line) {
    ssize_t written = -1;
    do {
        switch (fKind) {
        case skNone:
            return false;
        case skFile:
            written = ::write(STDERR_FILENO, line.data(), line.size());
            break;
        case skSocket:
            written = ::send(STDERR_FILENO, line.data(), line.size(), MSG_DONTWAIT | MSG_NOSIGNAL);
            break;
        case skOwnDescriptor:
            written = ::write(fOwn, line.data(), line.size());
            break;
        }
    } while (written < 0 && errno == EINTR);
    // A terminal may take part of a line; the rest is lost with it.
    return written > 0;
}

bool TLiveSink::Write(std::string_view line) {
    Follow();
    std::string cut;
    if (line.size() > LongestLine) {
        cut.assign(line.substr(0, LongestLine - 4));
        cut += "...\n";
        line = cut;
    }
    if (fLostUntold > 0) {
        const std::string note = "---------------- " + std::to_string(fLostUntold) +
                                 " live log lines lost (the viewer did not keep up) ----------------\n";
        if (!WriteNow(note)) {
            ++fLost;
            ++fLostUntold;
            return false;
        }
        fLostUntold = 0;
    }
    if (!WriteNow(line)) {
        ++fLost;
        ++fLostUntold;
        return false;
    }
    return true;
}

} // namespace Logging
