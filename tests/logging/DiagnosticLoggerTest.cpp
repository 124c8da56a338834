// The diagnostic logger on a real temporary folder: modes, file name, whole and ordered lines from
// two threads, method nesting, the live echo on standard error, and the "installed" check.

#include "logging/DiagnosticLogger.h"

#include "base/DateTime.h"
#include "base/FormatSettings.h"
#include "base/Paths.h"
#include "support/TempFolder.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <map>
#include <regex>
#include <sstream>
#include <string>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

namespace fs = std::filesystem;
using namespace Logging;
using TestSupport::TTempFolder;

struct TLine {
    std::string Time;
    std::string Thread;
    int Depth = -1;
    std::string Text; // indentation included
};

// Splits the file into lines; a line that is not time, thread, depth and text fails the test.
std::vector<TLine> ReadLines(const std::string& path) {
    static const std::regex pattern(R"((\d{4}-\d\d-\d\d \d\d:\d\d:\d\d\.\d{3})\t(\d+)\t(\d+)\t(.*))");
    std::ifstream in(path);
    std::vector<TLine> lines;
    std::string raw;
    while (std::getline(in, raw)) {
        std::smatch m;
        if (!std::regex_match(raw, m, pattern)) {
            ADD_FAILURE() << "malformed log line: [" << raw << "]";
            continue;
        }
        lines.push_back({m[1], m[2], std::stoi(m[3]), m[4]});
    }
    return lines;
}

class DiagnosticLogger : public ::testing::Test {
protected:
    TLogDestination FileDestination() const {
        TLogDestination d;
        d.LogFile.Active = true;
        d.LogFile.FileName = LogFileNameFor(Base::SystemNow());
        d.LogFile.FilePath = fFolder.Path();
        return d;
    }

    Base::TScopedFormatSettings fFormat{Base::TFormatSettings{".", ":"}};
    TTempFolder fFolder{"moistrel-log"};
    TDiagnosticLogger fLogger;
};

TEST_F(DiagnosticLogger, FileNameCarriesTheStartTime) {
    const Base::TDateTime when = Base::EncodeDateTime({2026, 12, 9, 23, 31, 50, 0});
    EXPECT_EQ(LogFileNameFor(when), "MoistrelLog 2026-12-09 23_31_50.csl");
    const Base::TDateTime morning = Base::EncodeDateTime({2025, 1, 2, 3, 4, 5, 600});
    EXPECT_EQ(LogFileNameFor(morning), "MoistrelLog 2025-01-02 03_04_05.csl");
}

TEST_F(DiagnosticLogger, FileLiesInTheNamedFolderOrBesideTheProgram) {
    TLogDestination d = FileDestination();
    d.LogFile.FileName = "MoistrelLog 2026-12-09 23_31_50.csl";
    fLogger.SetDestination(d);
    EXPECT_EQ(fLogger.LogFilePath(), fFolder.Path() + "/MoistrelLog 2026-12-09 23_31_50.csl");

    d.LogFile.FilePath.clear();
    fLogger.SetDestination(d);
    EXPECT_EQ(fLogger.LogFilePath(), Base::ProgramFolder() + "/MoistrelLog 2026-12-09 23_31_50.csl");

    // Without a name the logger names the file after its own start.
    d.LogFile.FileName.clear();
    d.LogFile.FilePath = fFolder.Path();
    fLogger.SetDestination(d);
    const std::string name = fs::path(fLogger.LogFilePath()).filename().string();
    EXPECT_TRUE(std::regex_match(name, std::regex(R"(MoistrelLog \d{4}-\d\d-\d\d \d\d_\d\d_\d\d\.csl)")))
        << name;
}

TEST_F(DiagnosticLogger, OffWritesNothingAndCreatesNoFile) {
    fLogger.SetDestination(FileDestination());
    fLogger.SetEnabled(false);
    ::testing::internal::CaptureStderr();
    fLogger.Send("nobody hears this");
    fLogger.EnterMethod("Quiet");
    fLogger.ExitMethod("Quiet");
    fLogger.Clear();
    fLogger.CloseDispatcher();
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
    EXPECT_TRUE(fFolder.Entries().empty());

    // Enabled, but neither destination active: still nothing.
    fLogger.SetDestination(TLogDestination{});
    fLogger.SetEnabled(true);
    fLogger.Send("no destination");
    EXPECT_TRUE(fFolder.Entries().empty());
}

TEST_F(DiagnosticLogger, FileModeWritesOneLinePerMessage) {
    fLogger.SetDestination(FileDestination());
    fLogger.SetEnabled(true);
    fLogger.Send("Logging system initialized");
    fLogger.Send("two\r\nlines");
    fLogger.Send("");
    fLogger.CloseDispatcher();

    ASSERT_EQ(fFolder.Entries().size(), 1u);
    EXPECT_EQ(fFolder.Entries()[0].string(), fLogger.LogFilePath());
    const auto lines = ReadLines(fLogger.LogFilePath());
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0].Text, "Logging system initialized");
    EXPECT_EQ(lines[1].Text, "two\\nlines");
    EXPECT_EQ(lines[2].Text, "");
    for (const auto& line : lines) {
        EXPECT_EQ(line.Thread, std::to_string(::gettid()));
        EXPECT_EQ(line.Depth, 0);
    }
}

TEST_F(DiagnosticLogger, CloseFlushesAndALaterMessageContinuesTheFile) {
    fLogger.SetDestination(FileDestination());
    fLogger.SetEnabled(true);
    fLogger.Send("before close");
    fLogger.CloseDispatcher();
    ASSERT_EQ(ReadLines(fLogger.LogFilePath()).size(), 1u);
    fLogger.Send("after close");
    fLogger.CloseDispatcher();
    const auto lines = ReadLines(fLogger.LogFilePath());
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0].Text, "before close");
    EXPECT_EQ(lines[1].Text, "after close");
}

TEST_F(DiagnosticLogger, TwoThreadsKeepEveryLineWholeAndInOrder) {
    fLogger.SetDestination(FileDestination());
    fLogger.SetEnabled(true);
    constexpr int Count = 2000;
    // A long body makes a torn or interleaved write visible.
    const std::string padding(120, 'x');
    auto work = [&](char who) {
        for (int i = 0; i < Count; ++i) {
            fLogger.Send(std::string("thread ") + who + " seq " + std::to_string(i) + " " + padding);
        }
    };
    std::thread a(work, 'A');
    std::thread b(work, 'B');
    a.join();
    b.join();
    fLogger.CloseDispatcher();

    const auto lines = ReadLines(fLogger.LogFilePath());
    ASSERT_EQ(lines.size(), 2u * Count);
    const std::regex body(R"(thread ([AB]) seq (\d+) (x+))");
    std::map<char, int> next{{'A', 0}, {'B', 0}};
    std::map<char, std::string> threadOf;
    for (const auto& line : lines) {
        std::smatch m;
        ASSERT_TRUE(std::regex_match(line.Text, m, body)) << line.Text;
        ASSERT_EQ(m[3].length(), 120);
        const char who = m[1].str()[0];
        EXPECT_EQ(std::stoi(m[2]), next[who]) << "thread " << who;
        next[who] = std::stoi(m[2]) + 1;
        if (threadOf.count(who) == 0) {
            threadOf[who] = line.Thread;
        }
        EXPECT_EQ(line.Thread, threadOf[who]);
    }
    EXPECT_EQ(next['A'], Count);
    EXPECT_EQ(next['B'], Count);
    EXPECT_NE(threadOf['A'], threadOf['B']);
}

TEST_F(DiagnosticLogger, EnterAndExitShowTheNesting) {
    fLogger.SetDestination(FileDestination());
    fLogger.SetEnabled(true);
    fLogger.EnterMethod("FormCreate");
    fLogger.Send("reading settings");
    fLogger.EnterMethod("LoadIni");
    fLogger.Send("IniFileLoaded");
    // Another thread's nesting is its own.
    std::thread([this] { fLogger.Send("worker message"); }).join();
    fLogger.ExitMethod("LoadIni");
    fLogger.ExitMethod("FormCreate");
    fLogger.ExitMethod("Unbalanced"); // never below the top level
    fLogger.Send("after");
    fLogger.CloseDispatcher();

    struct TExpected {
        int Depth;
        const char* Text;
    };
    const TExpected expected[] = {
        {0, "Enter FormCreate"},  {1, "  reading settings"}, {1, "  Enter LoadIni"},
        {2, "    IniFileLoaded"}, {0, "worker message"},     {1, "  Exit LoadIni"},
        {0, "Exit FormCreate"},   {0, "Exit Unbalanced"},    {0, "after"},
    };
    const auto lines = ReadLines(fLogger.LogFilePath());
    ASSERT_EQ(lines.size(), std::size(expected));
    for (std::size_t i = 0; i < lines.size(); ++i) {
        EXPECT_EQ(lines[i].Depth, expected[i].Depth) << i;
        EXPECT_EQ(lines[i].Text, expected[i].Text) << i;
    }
}

TEST_F(DiagnosticLogger, LiveModeEchoesToStandardError) {
    TLogDestination d = FileDestination();
    d.Viewer.Active = true;
    fLogger.SetDestination(d);
    fLogger.SetEnabled(true);
    ::testing::internal::CaptureStderr();
    fLogger.Clear();
    fLogger.Send("live message");
    fLogger.EnterMethod("Tick");
    const std::string echoed = ::testing::internal::GetCapturedStderr();
    fLogger.CloseDispatcher();

    EXPECT_NE(echoed.find("\tlive message\n"), std::string::npos) << echoed;
    EXPECT_NE(echoed.find("\tEnter Tick\n"), std::string::npos) << echoed;
    EXPECT_LT(echoed.find("Clear"), echoed.find("live message"));
    // The file gets the same messages.
    const auto lines = ReadLines(fLogger.LogFilePath());
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0].Text, "live message");

    // Viewer alone: the echo, and no file.
    TTempFolder other("moistrel-log");
    TLogDestination viewerOnly;
    viewerOnly.Viewer.Active = true;
    viewerOnly.LogFile.FilePath = other.Path();
    fLogger.SetDestination(viewerOnly);
    ::testing::internal::CaptureStderr();
    fLogger.Send("viewer only"); // still inside Tick: one level deep
    EXPECT_NE(::testing::internal::GetCapturedStderr().find("\t1\t  viewer only\n"), std::string::npos);
    EXPECT_TRUE(other.Entries().empty());
}

TEST_F(DiagnosticLogger, InstalledOnlyWhereALogFileCanBeCreated) {
    TLogDestination d = FileDestination();
    fLogger.SetDestination(d);
    EXPECT_TRUE(fLogger.Installed());
    EXPECT_TRUE(fFolder.Entries().empty()) << "the check leaves nothing behind";

    d.LogFile.FilePath = fFolder.Path() + "/does-not-exist";
    fLogger.SetDestination(d);
    EXPECT_FALSE(fLogger.Installed());

    const std::string plainFile = fFolder.Path() + "/plain-file";
    std::ofstream(plainFile) << "x";
    d.LogFile.FilePath = plainFile;
    fLogger.SetDestination(d);
    EXPECT_FALSE(fLogger.Installed());

    // The superuser may write anywhere; for everyone else a read-only folder refuses.
    if (::geteuid() != 0) {
        const std::string readOnly = fFolder.Path() + "/read-only";
        fs::create_directory(readOnly);
        fs::permissions(readOnly, fs::perms::owner_read | fs::perms::owner_exec);
        d.LogFile.FilePath = readOnly;
        fLogger.SetDestination(d);
        EXPECT_FALSE(fLogger.Installed());
        fs::permissions(readOnly, fs::perms::owner_all);
    }
}

TEST_F(DiagnosticLogger, MessagesToAnUnwritableFolderAreLostQuietly) {
    TLogDestination d = FileDestination();
    d.LogFile.FilePath = fFolder.Path() + "/does-not-exist";
    fLogger.SetDestination(d);
    fLogger.SetEnabled(true);
    fLogger.Send("lost");
    fLogger.CloseDispatcher();
    EXPECT_FALSE(fs::exists(fLogger.LogFilePath()));
    // Once the folder is there, the next message arrives.
    fs::create_directory(d.LogFile.FilePath);
    fLogger.Send("found");
    fLogger.CloseDispatcher();
    const auto lines = ReadLines(fLogger.LogFilePath());
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].Text, "found");
}

TEST(DiagnosticLoggerInstance, OneLoggerForTheProgram) {
    EXPECT_EQ(&Logger(), &Logger());
}

} // namespace
