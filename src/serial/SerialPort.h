#pragma once
// One request/response transaction per call on a serial port: open, configure, discard stale input,
// write, optionally wait for and read the reply, close. No port stays open between calls. Inside the
// program a transaction waits for its turn on the device (TPortTurn), so two threads never
// interleave on one port nor make each other fail; another program holding the port makes the
// transaction fail with "port in use".
//
// Callers create a TSerialPort for one operation, set its public fields and run transactions into
// a TSerialResponse of their own. Every outcome is reported in that record; nothing is thrown.

#include "serial/ComDevice.h"
#include "serial/SerialResponse.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace SerialPort {

class TSerialPort {
public:
    TSerialPort() = default;
    virtual ~TSerialPort() = default;
    TSerialPort(const TSerialPort&) = default;
    TSerialPort& operator=(const TSerialPort&) = default;

    // Settings; callers set them directly after construction.
    bool fDebug = false;   // SendData records a timing trace in fDebugMSG
    std::string fDebugMSG; // the timing trace of the last SendData
    std::string fPort;     // "ttyUSB0" opens /dev/ttyUSB0; an absolute path opens as it is
    std::uint32_t fWindowsReadLoopTimeoutMS = 333; // pause between two looks at the input queue
    std::uint32_t fReadoutTimeoutMS = 1000;        // how long to wait for the first reply byte
    std::int32_t fBaudRate = 9600;
    std::int32_t fStopBits = 0; // 0 one, 1 one and a half (sent as two), 2 two
    std::int32_t fParity = 0;   // 0 none, 1 odd, 2 even, 3 mark, 4 space

    // Configure an open device; false for a device that is not open or refuses the setting.
    bool SetDCBState(TComDevice& ComDevice) const;
    bool SetTimeOuts(TComDevice& ComDevice) const;
    bool SetBuffers(TComDevice& ComDevice) const;

    // Text transaction. The message is UTF-8 text and goes out as one byte per character
    // (Latin-1); reply bytes come back as the Latin-1 characters of the same code, at most 80
    // of them, with leading and trailing blanks and control characters removed. Sets
    // SentMessage and, as the outcome requires, Response and Status. A transaction that succeeds
    // leaves Status as the record held it. The reply is what came in until one pause after its first
    // byte, and then until 20 ms pass without another.
    void Send2(const std::string& aMessage, bool WaitForResponse, TSerialResponse& response);

    // Binary transaction: writes dataSize bytes and takes up to 256 reply bytes into rArray and,
    // untrimmed, Response; sets Status (empty on success), ResponseLength and the two words.
    // With a replyLength the read ends as soon as the reply is whole, and bytes beyond its length
    // are left to the next transaction's discard of stale input (which logs them). A reply that
    // stops short still ends 20 ms after its last byte, as every reply without a known length does.
    void SendData(const void* Data, std::uint32_t dataSize, bool WaitForResponse, TSerialResponse& response,
                  const TReplyLength& replyLength = {});

private:
    enum TOpenResult { orOK, orSetupFailed, orTimeoutsFailed, orBuffersFailed };

    static std::string_view StatusOf(TOpenResult result);
    TOpenResult OpenAndConfigure(TComDevice& device);
    // Looks at the input queue until a byte is there or the read-out time is over: between two looks
    // it waits up to one pause for input and wakes as soon as a byte comes; the last wait ends at
    // the read-out time. True when something arrived.
    bool WaitForFirstByte(TComDevice& device) const;
    // The longest a transaction with these settings may take, from its open to its close, apart
    // from the open itself: what another transaction waiting for the port allows it.
    std::uint32_t LongestTransactionMS(std::size_t requestBytes, bool waitForResponse, bool data) const;
    void LogNoTurn() const;
    void Trace(int point);
    void LogStale(const std::vector<std::uint8_t>& stale) const;
    void Log(const std::string& what, const TComDevice& device) const;
};

} // namespace SerialPort
