#pragma once
// Test side of the wire: the virtual instruments in a temporary folder with a hand-moved clock,
// a minimal raw serial client, and Modbus request builders.

#include "sim/Simulator.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace SimTest {

using TBytes = std::vector<std::uint8_t>;

// The sim in a fresh temporary folder: fast mode, no flow noise, time moved by Advance.
class TSimHarness {
public:
    explicit TSimHarness(const std::function<void(Sim::TSimConfig&)>& adjust = {});
    ~TSimHarness();
    TSimHarness(const TSimHarness&) = delete;
    TSimHarness& operator=(const TSimHarness&) = delete;

    Sim::TSimulator& Sim() { return *fSimulator; }
    std::string Path(Sim::TSimDevice device) const { return fSimulator->PortPath(device); }
    const std::string& Folder() const { return fFolder; }
    void Advance(double seconds) { fTime.store(fTime.load() + seconds); }
    bool Started() const { return fStarted; }
    const std::string& Error() const { return fError; }

private:
    std::string fFolder;
    std::atomic<double> fTime{1000.0};
    std::unique_ptr<Sim::TSimulator> fSimulator;
    bool fStarted = false;
    std::string fError;
};

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
