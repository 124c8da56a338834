// The run data file on the disk: each data line is synchronised to the disk by the file's writer
// before the next one is, and a segment name with a line break stays one quoted field.

#include "run/RunDataFile.h"
#include "support/SyscallGate.h"
#include "support/TempFolder.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <mutex>
#include <optional>
#include <string>
#include <sys/syscall.h>

namespace {

using namespace UnitMain;

std::string Contents(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::size_t LineEnds(const std::string& text) {
    return static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n'));
}

// Every line is on the disk (an fsync saw it in the file) before the next line is handed over:
// at each synchronisation the file holds whole lines, and each line is seen by one of them.
TEST(RunDataFileOnDisk, EveryLineIsSynchronisedToTheDisk) {
    TestSupport::TTempFolder folder("moistrel-sync");
    const std::string path = folder.Path() + "/Run.csv";
    constexpr std::size_t Lines = 5;
    std::mutex mutex;
    std::condition_variable synced;
    std::size_t linesSynced = 0;
    bool partLineSynced = false;
    bool allSeen = true;
    std::string closeError;
    bool closed = false;

    std::string error;
    const bool gated = TestSupport::RunWithSyscallGate(
        {{SYS_fsync, std::nullopt}, {SYS_fdatasync, std::nullopt}},
        [&] {
            TRunDataFile file;
            std::string openError;
            if (!file.Open(path, openError)) {
                ADD_FAILURE() << openError;
                return;
            }
            for (std::size_t i = 0; i < Lines; ++i) {
                std::string writeError;
                EXPECT_TRUE(file.WriteLine("line " + std::to_string(i), writeError)) << writeError;
                std::unique_lock lock(mutex);
                // Generous: the writer needs moments, the machine may be loaded.
                if (!synced.wait_for(lock, std::chrono::seconds(60), [&] { return linesSynced > i; })) {
                    allSeen = false;
                    break;
                }
            }
            closed = file.Close(closeError);
        },
        [&](int) {
            const std::string now = Contents(path);
            const std::lock_guard lock(mutex);
            partLineSynced = partLineSynced || (!now.empty() && now.back() != '\n');
            linesSynced = LineEnds(now);
            synced.notify_all();
        },
        error);
    if (!gated) {
        GTEST_SKIP() << "cannot watch system calls here: " << error;
    }
    EXPECT_TRUE(allSeen) << "a line was never synchronised to the disk (" << linesSynced << " were)";
    EXPECT_FALSE(partLineSynced);
    EXPECT_TRUE(closed) << closeError;
    EXPECT_EQ(Contents(path), "line 0\nline 1\nline 2\nline 3\nline 4\n");
}

// A text field is quoted when it holds a separator, a quote or a line break of either kind, so a
// reading program still sees one line and one field.
TEST(RunDataFileOnDisk, SegmentNamesThatWouldBreakTheLineAreQuoted) {
    struct TCase {
        std::string Name;
        std::string Field;
    };
    const TCase cases[] = {
        {"plain", ",plain,"},
        {"two\nlines", ",\"two\nlines\","},
        {"two\rlines", ",\"two\rlines\","},
        {"two\r\nlines", ",\"two\r\nlines\","},
        {"a,b", ",\"a,b\","},
        {"say \"wet\"", ",\"say \"\"wet\"\"\","},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        TRunDataRow row;
        row.Segment = 3;
        row.SegmentName = c.Name;
        const std::string line = RunDataLine(row);
        EXPECT_NE(line.find(",3" + c.Field), std::string::npos) << line;
    }
}

} // namespace
