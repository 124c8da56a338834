// The shared test plumbing itself: a temporary folder goes with all it holds, and the harness
// gives the instruments the clock, timing and folder the test asked for.

#include "support/SimHarness.h"
#include "support/TempFolder.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
using TestSupport::TSimClock;
using TestSupport::TSimHarness;
using TestSupport::TSimOptions;
using TestSupport::TTempFolder;

TEST(TempFolder, IsMadeUnderTheTemporaryFolderAndRemovedWithReadOnlyContent) {
    std::string path;
    {
        const TTempFolder folder("moistrel-support");
        ASSERT_TRUE(folder.Made()) << folder.Error();
        path = folder.Path();
        EXPECT_TRUE(fs::is_directory(path));
        EXPECT_TRUE(fs::equivalent(fs::path(path).parent_path(), fs::temp_directory_path()));
        EXPECT_EQ(fs::path(path).filename().string().rfind("moistrel-support-", 0), 0U) << path;
        EXPECT_TRUE(folder.Entries().empty());

        const fs::path locked = fs::path(folder.File("locked"));
        fs::create_directories(locked / "inner");
        std::ofstream(locked / "inner" / "data.txt") << "kept until the end";
        fs::permissions(locked / "inner", fs::perms::owner_read | fs::perms::owner_exec);
        fs::permissions(locked, fs::perms::owner_read | fs::perms::owner_exec);
        ASSERT_EQ(folder.Entries(), std::vector<fs::path>{locked});
    }
    EXPECT_FALSE(fs::exists(path)) << "the folder and its read-only content are gone";
}

TEST(TempFolder, FolderThatCannotBeMadeFailsTheTestWithTheReason) {
    const char* old = std::getenv("TMPDIR");
    const std::string saved = old != nullptr ? old : "";
    ::setenv("TMPDIR", "/proc/self/moistrel-no-such-folder", 1);
    std::string path = "unset";
    EXPECT_NONFATAL_FAILURE(
        {
            const TTempFolder folder("moistrel-support");
            EXPECT_FALSE(folder.Made());
            path = folder.Path();
        },
        "temporary folder");
    EXPECT_EQ(path, "");
    if (old != nullptr) {
        ::setenv("TMPDIR", saved.c_str(), 1);
    } else {
        ::unsetenv("TMPDIR");
    }
}

TEST(SimHarness, FolderHoldsThePortsWhileRunningAndGoesAfterwards) {
    std::string folder;
    {
        TSimHarness sim;
        ASSERT_TRUE(sim.Started()) << sim.Error();
        folder = sim.Folder();
        for (const Sim::TSimDevice device : {Sim::sdPump, Sim::sdMfcA, Sim::sdMfcB}) {
            const std::string path = sim.Path(device);
            EXPECT_EQ(fs::path(path).parent_path(), fs::path(folder));
            EXPECT_TRUE(fs::exists(path)) << path;
        }
    }
    EXPECT_FALSE(fs::exists(folder));
}

TEST(SimHarness, AdjustRunsLastAndNoiseIsOff) {
    bool ran = false;
    TSimOptions options;
    options.Adjust = [&ran](Sim::TSimConfig& config) {
        EXPECT_TRUE(config.Fast);
        EXPECT_EQ(config.MfcA.NoiseFraction, 0.0);
        EXPECT_EQ(config.MfcB.NoiseFraction, 0.0);
        EXPECT_EQ(config.Clock, &Base::SystemClock()) << "the system clock unless asked for the manual one";
        ran = true;
    };
    TSimHarness sim(options);
    ASSERT_TRUE(sim.Started()) << sim.Error();
    EXPECT_TRUE(ran);
}

TEST(SimHarness, ManualClockIsGivenToTheInstrumentsOnlyWhenAskedFor) {
    const Base::TClock* clock = nullptr;
    TSimOptions options;
    options.Clock = TSimClock::Manual;
    options.Adjust = [&clock](Sim::TSimConfig& config) { clock = config.Clock; };
    TSimHarness sim(options);
    ASSERT_TRUE(sim.Started()) << sim.Error();
    ASSERT_EQ(clock, &sim.Clock());
    const double start = clock->Now();
    EXPECT_EQ(clock->Now(), start) << "time stands still";
    sim.Advance(2.5);
    EXPECT_NEAR((clock->Now() - start) * Base::SecondsPerDay, 2.5, 1e-6);

    EXPECT_NONFATAL_FAILURE(
        {
            TSimHarness steady;
            steady.Advance(1.0);
        },
        "Advance moves only the manual clock");
}

} // namespace
