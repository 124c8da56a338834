// The operation log line and its mirror on the diagnostic channel, and the logger set up from the
// logging mode. The diagnostic channel is read back from the log file the logger really writes.

#include "logging/LogOld.h"

#include "base/Clock.h"
#include "base/DateTime.h"
#include "base/MemoryTextPane.h"
#include "logging/DiagnosticLogger.h"
#include "logging/LoggingSetup.h"
#include "support/DiagnosticLogFixture.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

// Built at run time, not at static initialisation: the date functions use constants of their own.
Base::TDateTime MakeOn20th() {
    return Base::EncodeDateTime({2024, 5, 20, 14, 5, 33, 0});
}

TEST(OperationLogLine, StampsDayHourMinuteSecond) {
    const struct {
        Base::TDateTime When;
        const char* Message;
        const char* Line;
    } cases[] = {
        {MakeOn20th(), "Tick:Stop", "20-14-05-33 Tick:Stop"},
        {MakeOn20th(), "", "20-14-05-33 "},
        {Base::EncodeDateTime({2025, 1, 3, 0, 0, 0, 999}), "A Handled", "03-00-00-00 A Handled"},
        {Base::EncodeDateTime({2025, 12, 31, 23, 59, 59, 0}), "  MFC B stopped: False",
         "31-23-59-59   MFC B stopped: False"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Logging::OperationLogLine(c.When, c.Message), c.Line);
    }
}

// Each test gets its own folder for the log file and leaves the logger off.
class DiagnosticChannelTest : public TestSupport::TDiagnosticLogTest {
protected:
    std::vector<std::string> LoggedMessages() { return TDiagnosticLogTest::LoggedMessages(MakeOn20th()); }
};

TEST_F(DiagnosticChannelTest, LogOldLineAppearsOnceInThePaneAndOnceOnTheChannel) {
    Logging::SetupDiagnosticLogging(Logging::lmFile, MakeOn20th(), LogFolder());
    Base::TManualClock clock(MakeOn20th());
    Base::TMemoryTextPane pane;
    Logging::LogOld(pane, "Tick:Stop", clock);
    Logging::LogOld(pane, "", clock);

    EXPECT_EQ(pane.Lines(), (std::vector<std::string>{"20-14-05-33 Tick:Stop", "20-14-05-33 "}));
    const std::vector<std::string> messages = LoggedMessages();
    EXPECT_EQ(std::count(messages.begin(), messages.end(), "LogOld: Tick:Stop"), 1);
    EXPECT_EQ(std::count(messages.begin(), messages.end(), "LogOld: "), 1);
    EXPECT_EQ(std::count(messages.begin(), messages.end(), "Logging system initialized"), 1);
}

TEST_F(DiagnosticChannelTest, FileModeWritesTheNamedFileInTheFolder) {
    Logging::SetupDiagnosticLogging(Logging::lmFile, MakeOn20th(), LogFolder());
    EXPECT_TRUE(Logging::Logger().Enabled());
    const Logging::TLogDestination destination = Logging::Logger().Destination();
    EXPECT_TRUE(destination.LogFile.Active);
    EXPECT_FALSE(destination.Viewer.Active);
    EXPECT_EQ(destination.LogFile.FileName, "MoistrelLog 2024-05-20 14_05_33.csl");
    ASSERT_EQ(LoggedMessages(), std::vector<std::string>{"Logging system initialized"});
    EXPECT_EQ(FilesInFolder(), std::vector<fs::path>{FileInFolder("MoistrelLog 2024-05-20 14_05_33.csl")});
}

TEST_F(DiagnosticChannelTest, LiveModeAlsoActivatesTheViewerAndClearsItFirst) {
    // The live viewer is standard error: its clear mark must come before the first message.
    ::testing::internal::CaptureStderr();
    Logging::SetupDiagnosticLogging(Logging::lmLive, MakeOn20th(), LogFolder());
    const std::string viewer = ::testing::internal::GetCapturedStderr();
    const auto clearAt = viewer.find("---------------- Clear ----------------");
    ASSERT_NE(clearAt, std::string::npos) << viewer;
    EXPECT_LT(clearAt, viewer.find("Logging system initialized")) << viewer;
    EXPECT_TRUE(Logging::Logger().Enabled());
    EXPECT_TRUE(Logging::Logger().Destination().LogFile.Active);
    EXPECT_TRUE(Logging::Logger().Destination().Viewer.Active);
    EXPECT_EQ(LoggedMessages(), std::vector<std::string>{"Logging system initialized"});
}

TEST_F(DiagnosticChannelTest, OffModeCreatesNoFileAndSendsNothingWhilePanesAreWritten) {
    for (const int mode : {Logging::lmOff, 3, -1}) {
        Logging::SetupDiagnosticLogging(mode, MakeOn20th(), LogFolder());
        EXPECT_FALSE(Logging::Logger().Enabled()) << mode;
        Base::TManualClock clock(MakeOn20th());
        Base::TMemoryTextPane pane;
        Logging::LogOld(pane, "Tick:Stop", clock);
        EXPECT_EQ(pane.Lines(), std::vector<std::string>{"20-14-05-33 Tick:Stop"});
        Logging::Logger().CloseDispatcher();
        EXPECT_TRUE(FilesInFolder().empty()) << mode;
    }
}

} // namespace
