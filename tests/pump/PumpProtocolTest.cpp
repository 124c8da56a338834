// The pump protocol against a scripted pump on a real pseudo-terminal.

#include "pump/PumpProtocol.h"

#include "base/MemoryTextPane.h"
#include "support/PtyPeer.h"
#include "support/TempFolder.h"

#include <atomic>
#include <cstdlib>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <memory>
#include <regex>
#include <string>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

using Base::TMemoryTextPane;
using TestSupport::TPeerReply;
using TestSupport::TPtyPeer;
using UnitMain::TPumpFindInitOptions;

const std::string NoPumpLine =
    " -> No pump found on this port, or a problem with the port. Read manual about "
    "drivers. Turn the Moistrel off and few seconds later on, and try again.";
const std::string StandbyLine = " -> Pump is OK and on standby.";
const std::string NoStandbyLine = " -> Pump failed to report standby and error free within timeout period.";

// A pump reduced to what the detection relies on. The stop line sent without waiting gets no
// answer here, so a late answer can never stand in for the model query's.
struct TScriptedPump {
    std::string ModelAnswer = "/0`C24000";
    bool AnswersModelQuery = true;
    int BusyPolls = 0; // polls answered busy before the first idle answer; -1 never idle
    std::string BusyAnswer = "/0@";
    bool AnswersPolls = true;
    std::function<void()> OnInitialise;
    std::atomic<int> Polls{0};

    TPtyPeer::TResponder Responder() {
        return [this](const std::string& request) -> std::optional<TPeerReply> {
            if (request == "\r") {
                return TPeerReply{"/0`\x03\r\n"};
            }
            if (request == "/1?23\r") {
                return AnswersModelQuery ? std::optional<TPeerReply>(TPeerReply{ModelAnswer + "\x03\r\n"})
                                         : std::nullopt;
            }
            if (request == "/1TZ2IV48000A192000R\r") {
                if (OnInitialise) {
                    OnInitialise();
                }
                return TPeerReply{"/0`\x03\r\n"}; // accepted; busy from now on
            }
            if (request == "/1Q\r") {
                const int poll = ++Polls;
                if (!AnswersPolls) {
                    return std::nullopt;
                }
                const bool busy = BusyPolls < 0 || poll <= BusyPolls;
                return TPeerReply{(busy ? BusyAnswer : std::string("/0`")) + "\x03\r\n"};
            }
            return std::nullopt;
        };
    }
};

// Short looks and pauses; the read-out time stays generous for prompt answers on a slow machine.
TPumpFindInitOptions QuickOptions() {
    TPumpFindInitOptions options;
    options.ShortPause = std::chrono::milliseconds(20);
    options.PollPause = std::chrono::milliseconds(20);
    options.ReadLoopTimeoutMS = 10;
    options.ReadoutTimeoutMS = 3000;
    return options;
}

std::vector<std::string> FoundPrefix(const std::string& port, const std::string& limitSeconds) {
    return {"",
            "Query port         :" + port,
            "Found pump on port :" + port,
            "Initializing correct settings...",
            " -> /1TZ2IV48000A192000R",
            " -> Wait until pump is silent. Timeout in " + limitSeconds + " seconds"};
}

void ExpectFound(const std::vector<std::string>& lines, const std::string& port,
                 const std::string& limitSeconds, const std::string& verdict) {
    const std::vector<std::string> prefix = FoundPrefix(port, limitSeconds);
    ASSERT_EQ(lines.size(), prefix.size() + 2) << ::testing::PrintToString(lines);
    for (std::size_t i = 0; i < prefix.size(); ++i) {
        EXPECT_EQ(lines[i], prefix[i]);
    }
    EXPECT_TRUE(std::regex_match(lines[prefix.size()], std::regex(" -> Elapsed: [0-9]* s")))
        << lines[prefix.size()];
    EXPECT_EQ(lines.back(), verdict);
}

std::vector<std::string> NotFound(const std::string& port, const std::string& status,
                                  const std::string& response) {
    return {"",
            "Query port         :" + port,
            "Send data          :/1?23",
            "Comm Status        :" + status,
            "Comm Response      :\"" + response + "\"",
            NoPumpLine};
}

class PumpFindInitModels : public ::testing::TestWithParam<std::string> {};

TEST_P(PumpFindInitModels, IdlePumpIsFoundInitialisedAndPolledOnce) {
    TPtyPeer peer;
    TScriptedPump pump;
    pump.ModelAnswer = GetParam();
    peer.SetResponder(pump.Responder());
    TMemoryTextPane pane;
    int processed = 0;
    TPumpFindInitOptions options = QuickOptions();
    options.ProcessMessages = [&processed] { ++processed; };

    EXPECT_TRUE(UnitMain::PumpFindInit(peer.SlavePath(), pane, options));

    ExpectFound(pane.Lines(), peer.SlavePath(), "50", StandbyLine);
    EXPECT_THAT(peer.Requests(),
                ::testing::ElementsAre("\r", "/1TIR\r", "/1?23\r", "/1TZ2IV48000A192000R\r", "/1Q\r"));
    EXPECT_EQ(processed, 2); // after the initialisation and after the one poll
}

INSTANTIATE_TEST_SUITE_P(Answers, PumpFindInitModels,
                         ::testing::Values("/0`C24000", "/0`C3000", "/0`Cavro XLP 6000 C24000 V2.1",
                                           "/0@ firmware C3000"));

TEST(PumpFindInit, BusyPumpIsPolledUntilIdle) {
    TPtyPeer peer;
    TScriptedPump pump;
    pump.BusyPolls = 3;
    peer.SetResponder(pump.Responder());
    TMemoryTextPane pane;
    EXPECT_TRUE(UnitMain::PumpFindInit(peer.SlavePath(), pane, QuickOptions()));
    ExpectFound(pane.Lines(), peer.SlavePath(), "50", StandbyLine);
    EXPECT_EQ(pump.Polls.load(), 4);
}

struct TNoStandbyCase {
    const char* Name;
    std::string BusyAnswer;
    bool AnswersPolls;
};

class PumpFindInitNoStandby : public ::testing::TestWithParam<TNoStandbyCase> {};

TEST_P(PumpFindInitNoStandby, StillFoundButReportedAfterTheLimit) {
    const TNoStandbyCase& c = GetParam();
    TPtyPeer peer;
    TScriptedPump pump;
    pump.BusyPolls = -1;
    pump.BusyAnswer = c.BusyAnswer;
    pump.AnswersPolls = c.AnswersPolls;
    peer.SetResponder(pump.Responder());
    TMemoryTextPane pane;
    TPumpFindInitOptions options = QuickOptions();
    options.PollLimit = std::chrono::seconds(1);
    options.ReadoutTimeoutMS = c.AnswersPolls ? 3000 : 100;

    EXPECT_TRUE(UnitMain::PumpFindInit(peer.SlavePath(), pane, options));

    ExpectFound(pane.Lines(), peer.SlavePath(), "1", NoStandbyLine);
    EXPECT_GE(pump.Polls.load(), 1);
}

INSTANTIATE_TEST_SUITE_P(Answers, PumpFindInitNoStandby,
                         ::testing::Values(TNoStandbyCase{"Busy", "/0@", true},
                                           TNoStandbyCase{"TwoCharacters", "/0", true},
                                           TNoStandbyCase{"ErrorStatus", "/0b", true},
                                           TNoStandbyCase{"Silent", "", false}),
                         [](const auto& testInfo) { return std::string(testInfo.param.Name); });

TEST(PumpFindInit, AnswerWithoutModelIsNoPumpAndShowsTheSharedRecord) {
    TPtyPeer peer;
    TScriptedPump pump;
    pump.ModelAnswer = "/0`";
    peer.SetResponder(pump.Responder());
    TMemoryTextPane pane;
    EXPECT_FALSE(UnitMain::PumpFindInit(peer.SlavePath(), pane, QuickOptions()));
    // The status is what the stop line sent without waiting left in the record.
    EXPECT_EQ(pane.Lines(), NotFound(peer.SlavePath(), "Exit read/write without waiting for reply", "/0`"));
    EXPECT_THAT(peer.Requests(), ::testing::ElementsAre("\r", "/1TIR\r", "/1?23\r"));
}

TEST(PumpFindInit, UnansweredModelQueryTimesOut) {
    TPtyPeer peer;
    TScriptedPump pump;
    pump.AnswersModelQuery = false;
    peer.SetResponder(pump.Responder());
    TMemoryTextPane pane;
    TPumpFindInitOptions options = QuickOptions();
    options.ReadoutTimeoutMS = 200;
    EXPECT_FALSE(UnitMain::PumpFindInit(peer.SlavePath(), pane, options));
    EXPECT_EQ(pane.Lines(), NotFound(peer.SlavePath(), "Timeout while waiting for response", ""));
}

TEST(PumpFindInit, MissingPortIsNoPump) {
    const std::string port = "/nonexistent-moistrel/pump";
    TMemoryTextPane pane;
    EXPECT_FALSE(UnitMain::PumpFindInit(port, pane, QuickOptions()));
    EXPECT_EQ(pane.Lines(), NotFound(port, "Failed to setup Com port, port in use", ""));
}

TEST(PumpFindInit, PortInUseIsNoPump) {
    TPtyPeer peer;
    TScriptedPump pump;
    peer.SetResponder(pump.Responder());
    TestSupport::TPortHolder holder(peer.SlavePath());
    ASSERT_TRUE(holder.Locked());
    TMemoryTextPane pane;
    EXPECT_FALSE(UnitMain::PumpFindInit(peer.SlavePath(), pane, QuickOptions()));
    EXPECT_EQ(pane.Lines(), NotFound(peer.SlavePath(), "Failed to setup Com port, port in use", ""));
    EXPECT_TRUE(peer.Requests().empty());
}

// The pump is unplugged right after it accepted the initialisation: no poll gets through, and
// the idle answer to the initialisation must not pass for standby.
TEST(PumpFindInit, PortLostAfterInitialisationIsNotStandby) {
    TPtyPeer peer;
    const TestSupport::TTempFolder folder("moistrel-pump");
    ASSERT_TRUE(folder.Made()) << folder.Error();
    const std::string link = folder.File("pump");
    ASSERT_EQ(::symlink(peer.SlavePath().c_str(), link.c_str()), 0);
    TScriptedPump pump;
    // Runs before the answer is written, while the detection still holds the open port.
    pump.OnInitialise = [&link] { ::unlink(link.c_str()); };
    peer.SetResponder(pump.Responder());
    TMemoryTextPane pane;
    TPumpFindInitOptions options = QuickOptions();
    options.PollLimit = std::chrono::milliseconds(300);

    EXPECT_TRUE(UnitMain::PumpFindInit(link, pane, options));

    ExpectFound(pane.Lines(), link, "0", NoStandbyLine);
    EXPECT_EQ(pump.Polls.load(), 0);
}

TEST(PumpFindInit, DefaultTimingFindsAnIdlePump) {
    TPtyPeer peer;
    TScriptedPump pump;
    peer.SetResponder(pump.Responder());
    TMemoryTextPane pane;
    EXPECT_TRUE(UnitMain::PumpFindInit(peer.SlavePath(), pane));
    ExpectFound(pane.Lines(), peer.SlavePath(), "50", StandbyLine);
    EXPECT_EQ(pump.Polls.load(), 1);
}

// ---- SendPumpCommand ----

TEST(SendPumpCommand, AnsweredCommandIsTrueAndGoesOutWithCR) {
    TPtyPeer peer;
    peer.Script({{"/0`\x03\r\n"}});
    UnitMain::TPumpDetails pump;
    pump.Port = peer.SlavePath();
    pump.Status = "@";
    const UnitMain::TPumpDetails before = pump;
    EXPECT_TRUE(UnitMain::SendPumpCommand(pump, "/1TgV48000IA192000V64OA0G0R"));
    EXPECT_THAT(peer.Requests(), ::testing::ElementsAre("/1TgV48000IA192000V64OA0G0R\r"));
    EXPECT_EQ(pump.Port, before.Port);
    EXPECT_EQ(pump.Status, before.Status);
}

TEST(SendPumpCommand, NoAnswerOrNoPortIsFalse) {
    TPtyPeer silent;
    UnitMain::TPumpDetails pump;
    pump.Port = silent.SlavePath();
    EXPECT_FALSE(UnitMain::SendPumpCommand(pump, "/1TIV48000A192000R"));
    EXPECT_THAT(silent.Requests(), ::testing::ElementsAre("/1TIV48000A192000R\r"));

    for (const std::string port : {"SIM", "/nonexistent-moistrel/pump"}) {
        pump.Port = port;
        EXPECT_FALSE(UnitMain::SendPumpCommand(pump, "/1TIV48000A192000R")) << port;
    }

    // An answer of blanks and control characters only is trimmed to nothing: no answer.
    TPtyPeer blank;
    blank.Script({{"\r\n"}});
    pump.Port = blank.SlavePath();
    EXPECT_FALSE(UnitMain::SendPumpCommand(pump, "/1Q"));
}

} // namespace
