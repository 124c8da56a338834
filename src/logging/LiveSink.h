#pragma once
// The live display of the diagnostic log: standard error, written so that the caller is never held
// up. A viewer that reads slowly, stalls or went away must not stop the tick or the worker, so a
// line that cannot be written at once is dropped and counted; when writing goes through again, a
// line says how many were lost. A broken pipe is an error return here, never a signal that ends
// the program (IgnoreBrokenPipe).
//
// How the line never blocks: standard error is looked at on every write (a test or the shell may
// have put something else there since) and is written through a description of its own.
// - A pipe, FIFO or terminal is opened anew, non-blocking, through /proc/self/fd/2, so the flag is
//   ours alone and does not change the descriptor the program shares with its parent. A line is
//   cut to PIPE_BUF bytes, so on a pipe it goes in whole or not at all.
// - A socket (a service manager's journal) is written with send(MSG_DONTWAIT).
// - A regular file is written as it is: a file takes what it is given.
// Not thread-safe: the logger calls it under its lock.

#include <cstdint>
#include <string_view>
#include <sys/types.h>

namespace Logging {

// SIG_IGN for SIGPIPE, once per process: a write to a pipe whose reader is gone then fails with
// EPIPE instead of killing the program.
void IgnoreBrokenPipe();

class TLiveSink {
public:
    TLiveSink() = default;
    ~TLiveSink();
    TLiveSink(const TLiveSink&) = delete;
    TLiveSink& operator=(const TLiveSink&) = delete;

    // Writes the line (ending in a line break) to standard error if it can go at once; true when
    // it went.
    bool Write(std::string_view line);
    // Lines dropped so far.
    std::uint64_t Lost() const { return fLost; }

private:
    enum TKind { skNone, skFile, skSocket, skOwnDescriptor };

    void Follow();
    bool WriteNow(std::string_view line);

    TKind fKind = skNone;
    int fOwn = -1; // our non-blocking description of a pipe or terminal
    dev_t fDevice = 0;
    ino_t fInode = 0;
    bool fKnown = false;
    std::uint64_t fLost = 0;
    std::uint64_t fLostUntold = 0; // dropped since the last line that said so
};

} // namespace Logging
