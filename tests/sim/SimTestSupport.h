#pragma once
// Test side of the wire: the virtual instruments on a hand-moved clock, a minimal raw serial
// client, and Modbus request builders.

#include "sim/Simulator.h"
#include "support/SimHarness.h"

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace SimTest {

using TBytes = std::vector<std::uint8_t>;

using TestSupport::TSimClock;
using TestSupport::TSimHarness;
using TestSupport::TSimOptions;
using TestSupport::TSimTiming;

// The instruments' own tests run on the manual clock: time moves only when a test says so.
TSimOptions ManualClock(std::function<void(Sim::TSimConfig&)> adjust = {},
                        TSimTiming timing = TSimTiming::Fast);

// A serial client as the program's transport is one: open, raw 9600 8N2, discard stale input.
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

TBytes WithCrc(TBytes frame);
bool CrcOk(const TBytes& frame);
TBytes ReadRequest(std::uint8_t address, std::uint16_t reg, std::uint16_t count);
TBytes WriteU8Request(std::uint8_t address, std::uint16_t reg, std::uint16_t value);  // function 6
TBytes WriteU16Request(std::uint8_t address, std::uint16_t reg, std::uint16_t value); // function 16
TBytes WriteF32Request(std::uint8_t address, std::uint16_t reg, float value);         // function 16
float F32Of(const TBytes& reply); // data bytes 0-3 of a read reply
std::uint32_t U32Of(const TBytes& reply);
std::uint16_t U16Of(const TBytes& reply);
std::string TextOf(const TBytes& reply); // data bytes up to the first NUL
std::string Hex(const TBytes& bytes);

} // namespace SimTest
