#pragma once
// A minimal serial client on the test side of the wire, as the program's transport is one: open,
// raw 9600 8N2, discard stale input; then plain writes and reads under generous limits.

#include "support/ModbusFrames.h"

#include <cstddef>
#include <string>
#include <string_view>

namespace TestSupport {

class TRawPort {
public:
    explicit TRawPort(const std::string& path);
    ~TRawPort();
    TRawPort(const TRawPort&) = delete;
    TRawPort& operator=(const TRawPort&) = delete;

    bool IsOpen() const { return fFd >= 0; }
    int OpenErrno() const { return fOpenErrno; }
    int Fd() const { return fFd; }
    void Write(const TBytes& bytes);
    void Write(std::string_view text);
    // Reads until `count` bytes came or `limitMs` passed (a generous limit, not a judged time).
    TBytes Read(std::size_t count, int limitMs = 3000);
    // Reads until a line feed came (the end of every pump answer) or `limitMs` passed.
    std::string ReadLine(int limitMs = 3000);
    // Whatever arrives within `ms`.
    TBytes ReadFor(int ms);
    TBytes Exchange(const TBytes& request, std::size_t replyLength) {
        Write(request);
        return Read(replyLength);
    }
    std::string Ask(std::string_view line) {
        Write(line);
        return ReadLine();
    }

private:
    int fFd = -1;
    int fOpenErrno = 0;
};

} // namespace TestSupport
