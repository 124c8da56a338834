// The operation log line and its mirror on the diagnostic channel, and the logger set up from the
// logging mode. The diagnostic channel is read back from the log file the logger really writes.

#include "ui/LogOld.h"

#include "base/Clock.h"
#include "base/DateTime.h"
#include "base/MemoryTextPane.h"
#include "logging/DiagnosticLogger.h"
#include "support/LogMessages.h"
#include "support/TempFolder.h"
#include "ui/LoggingSetup.h"
#include "ui/widgets/TMemoPane.h"

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
        EXPECT_EQ(UnitMain::OperationLogLine(c.When, c.Message), c.Line);
    }
}

// Each test gets its own folder for the log file and leaves the logger off.
class DiagnosticChannelTest : public ::testing::Test {
protected:
    void TearDown() override {
        Logging::Logger().SetEnabled(false);
        Logging::Logger().CloseDispatcher();
        Logging::Logger().SetDestination({});
    }

    // The messages of the log file, their depth indent removed.
    std::vector<std::string> LoggedMessages() {
        Logging::Logger().CloseDispatcher();
        return TestSupport::ReadLogMessages(fFolder.File(Logging::LogFileNameFor(MakeOn20th())));
    }

    std::vector<fs::path> FilesInFolder() const { return fFolder.Entries(); }

    TestSupport::TTempFolder fFolder{"moistrel-ui-log"};
};

TEST_F(DiagnosticChannelTest, LogOldLineAppearsOnceInThePaneAndOnceOnTheChannel) {
    UnitMain::SetupDiagnosticLogging(UnitMain::lmFile, MakeOn20th(), fFolder.Path());
    Base::TManualClock clock(MakeOn20th());
    Widgets::TMemoPane pane(11, false);
    UnitMain::LogOld(pane, "Tick:Stop", clock);
    UnitMain::LogOld(pane, "", clock);

    EXPECT_EQ(pane.Lines(), (std::vector<std::string>{"20-14-05-33 Tick:Stop", "20-14-05-33 "}));
    const std::vector<std::string> messages = LoggedMessages();
    EXPECT_EQ(std::count(messages.begin(), messages.end(), "LogOld: Tick:Stop"), 1);
    EXPECT_EQ(std::count(messages.begin(), messages.end(), "LogOld: "), 1);
    EXPECT_EQ(std::count(messages.begin(), messages.end(), "Logging system initialized"), 1);
}

TEST_F(DiagnosticChannelTest, FileModeWritesTheNamedFileInTheFolder) {
    UnitMain::SetupDiagnosticLogging(UnitMain::lmFile, MakeOn20th(), fFolder.Path());
    EXPECT_TRUE(Logging::Logger().Enabled());
    const Logging::TLogDestination destination = Logging::Logger().Destination();
    EXPECT_TRUE(destination.LogFile.Active);
    EXPECT_FALSE(destination.Viewer.Active);
    EXPECT_EQ(destination.LogFile.FileName, "MoistrelLog 2024-05-20 14_05_33.csl");
    ASSERT_EQ(LoggedMessages(), std::vector<std::string>{"Logging system initialized"});
    EXPECT_EQ(FilesInFolder(), std::vector<fs::path>{fFolder.File("MoistrelLog 2024-05-20 14_05_33.csl")});
}

TEST_F(DiagnosticChannelTest, LiveModeAlsoActivatesTheViewer) {
    UnitMain::SetupDiagnosticLogging(UnitMain::lmLive, MakeOn20th(), fFolder.Path());
    EXPECT_TRUE(Logging::Logger().Enabled());
    EXPECT_TRUE(Logging::Logger().Destination().LogFile.Active);
    EXPECT_TRUE(Logging::Logger().Destination().Viewer.Active);
    EXPECT_EQ(LoggedMessages(), std::vector<std::string>{"Logging system initialized"});
}

TEST_F(DiagnosticChannelTest, OffModeCreatesNoFileAndSendsNothingWhilePanesAreWritten) {
    for (const int mode : {UnitMain::lmOff, 3, -1}) {
        UnitMain::SetupDiagnosticLogging(mode, MakeOn20th(), fFolder.Path());
        EXPECT_FALSE(Logging::Logger().Enabled()) << mode;
        Base::TManualClock clock(MakeOn20th());
        Base::TMemoryTextPane pane;
        UnitMain::LogOld(pane, "Tick:Stop", clock);
        EXPECT_EQ(pane.Lines(), std::vector<std::string>{"20-14-05-33 Tick:Stop"});
        Logging::Logger().CloseDispatcher();
        EXPECT_TRUE(FilesInFolder().empty()) << mode;
    }
}

} // namespace
