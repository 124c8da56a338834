// One register read on the wire against a peer that answers as we choose: the read ends when the
// reply its request asks for is whole (a refusal included), a reply in bursts is still taken whole,
// a short one fails as a wrong length, one that is whole but invalid fails by the check it misses, and what
// an overlong one brings beyond its length is thrown away and logged by the next exchange.

#include "mfc/VogtlinFrame.h"
#include "mfc/VogtlinPort.h"
#include "support/LogCapture.h"
#include "support/PtyPeer.h"

#include <bit>
#include <chrono>
#include <cstdint>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <optional>
#include <string>

namespace {

using namespace SerialPortVogtlin;
using SerialPort::TSerialResponse;
using TestSupport::TPeerReply;
using TestSupport::TPtyPeer;

// The reply to a read of two registers at device 1 holding 1.5, with its CRC.
const std::string OnePointFive("\x01\x03\x04\x3F\xC0\x00\x00\xF6\x1B", 9);
// The same device refusing the read: exception 2, illegal data address.
const std::string Refusal("\x01\x83\x02\xC0\xF1", 5);
// 1.5 with a flipped CRC byte, and whole valid frames from device 2 and with function 4.
const std::string BrokenCrc("\x01\x03\x04\x3F\xC0\x00\x00\xF6\x1C", 9);
const std::string FromDevice2("\x02\x03\x04\x3F\xC0\x00\x00\xC5\x1B", 9);
const std::string Function4("\x01\x04\x04\x3F\xC0\x00\x00\xF7\xAC", 9);

struct TExchangeCase {
    const char* Name;
    TPeerReply Reply;
    std::string Status;
    std::size_t ResponseLength;
    std::uint32_t FloatBits;
    std::size_t Stale; // bytes the next exchange discards
};

void PrintTo(const TExchangeCase& c, std::ostream* os) {
    *os << c.Name;
}

TPeerReply InBursts(const std::string& bytes, std::size_t burst, std::chrono::milliseconds gap) {
    TPeerReply reply{bytes};
    reply.BurstBytes = burst;
    reply.BurstGap = gap;
    return reply;
}

const TExchangeCase ExchangeCases[] = {
    // A USB serial adapter hands a reply on in bursts about 16 ms apart: not the end of it.
    {"TwoBursts16msApart", InBursts(OnePointFive, 4, std::chrono::milliseconds(16)), "", 9,
     std::bit_cast<std::uint32_t>(1.5F), 0},
    {"RefusalEndsAtFiveBytes", TPeerReply{Refusal + "\x01\x03"}, "Wrong amount of data waiting", 5,
     FailedFloatPattern, 2},
    {"ShortReply", TPeerReply{OnePointFive.substr(0, 7)}, "Wrong amount of data waiting", 7,
     FailedFloatPattern, 0},
    // Replies of the right length that are no valid reply end the read as soon as they are whole.
    {"BrokenCrc", TPeerReply{BrokenCrc}, "Reply CRC wrong", 9, FailedFloatPattern, 0},
    {"FromAnotherDevice", TPeerReply{FromDevice2}, "Reply from another device address", 9, FailedFloatPattern,
     0},
    {"AnotherFunction", TPeerReply{Function4}, "Reply with another function code", 9, FailedFloatPattern, 0},
    // The late acknowledgement of an earlier write ahead of the reply: the read waits for the reply.
    {"LateAcknowledgementAhead",
     TPeerReply{std::string("\x01\x10\x00\x06\x00\x02\xA1\xC9", 8) + OnePointFive}, "", 17,
     std::bit_cast<std::uint32_t>(1.5F), 0},
    {"OverlongReply", TPeerReply{OnePointFive + std::string("\x00\xEE\x01", 3)}, "", 9,
     std::bit_cast<std::uint32_t>(1.5F), 3},
};

class VogtlinExchange : public ::testing::TestWithParam<TExchangeCase> {};

TEST_P(VogtlinExchange, ReadEndsWithTheReplyItAskedFor) {
    const TExchangeCase& c = GetParam();
    // A loaded machine can stretch the peer's gap between two bursts past the 20 ms that end a
    // reply; a transport that cuts a reply at a shorter silence gets every try wrong.
    constexpr int Tries = 5;
    for (int attempt = 0; attempt < Tries; ++attempt) {
        TPtyPeer peer(std::nullopt);
        peer.Script({c.Reply, {OnePointFive}});
        TVogtlinPort port;
        ConfigureForMFC(port, peer.SlavePath(), 1000); // generous: the machine may be busy
        TestSupport::TLogCapture log;

        TSerialResponse r;
        port.ReadF32(1, 0x0000, r);
        if (attempt + 1 < Tries && r.Status != c.Status) {
            continue;
        }
        SCOPED_TRACE(::testing::Message() << "attempt " << attempt + 1);
        EXPECT_EQ(r.Status, c.Status);
        EXPECT_EQ(r.ResponseLength, c.ResponseLength);
        EXPECT_EQ(std::bit_cast<std::uint32_t>(r.AsFloat), c.FloatBits);
        EXPECT_EQ(r.rArray[1], static_cast<std::uint8_t>(c.Reply.Bytes[1]));

        // The peer has sent everything by now; the next read gets its own reply all the same.
        ASSERT_TRUE(peer.WaitUntilQueued(c.Stale));
        TSerialResponse next;
        port.ReadF32(1, 0x0000, next);
        EXPECT_EQ(next.Status, "");
        EXPECT_EQ(next.AsFloat, 1.5F);
        const std::string logged = "Serial port " + peer.SlavePath() + ": discarded " +
                                   std::to_string(c.Stale) + " stale bytes before the request: ";
        EXPECT_EQ(::testing::Matches(::testing::Contains(::testing::StartsWith(logged)))(log.Messages()),
                  c.Stale > 0)
            << ::testing::PrintToString(log.Messages());
        return;
    }
}

INSTANTIATE_TEST_SUITE_P(Replies, VogtlinExchange, ::testing::ValuesIn(ExchangeCases),
                         [](const auto& testInfo) { return std::string(testInfo.param.Name); });

} // namespace
