// What a run leaves behind, against the virtual instruments on one manual clock: the run data file
// (one line a second of instrument time, complete up to its last line even when the program is
// killed) and the end-of-run report.

#include "design/MixtureSnapshot.h"
#include "program/Recipe.h"
#include "run/RunRecorder.h"
#include "support/DesignStates.h"
#include "support/RunFixture.h"
#include "support/TempFolder.h"

#include <algorithm>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <functional>
#include <gtest/gtest.h>
#include <iterator>
#include <sstream>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

using namespace TestSupport;
namespace fs = std::filesystem;

std::vector<std::string> Split(const std::string& line) {
    std::vector<std::string> fields;
    std::stringstream stream(line);
    std::string field;
    while (std::getline(stream, field, ',')) {
        fields.push_back(field);
    }
    if (!line.empty() && line.back() == ',') {
        fields.emplace_back();
    }
    return fields;
}

std::vector<std::string> ReadLines(const fs::path& path) {
    std::ifstream file(path);
    std::vector<std::string> lines;
    std::string line;
    while (std::getline(file, line)) {
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        lines.push_back(line);
    }
    return lines;
}

// The one file in Userdata whose name starts with "Run " and ends with `suffix`.
fs::path RunFile(const std::string& folder, const std::string& suffix) {
    for (const auto& entry : fs::directory_iterator(fs::path(folder) / "Userdata")) {
        const std::string name = entry.path().filename().string();
        if (name.rfind("Run ", 0) == 0 && name.size() > suffix.size() &&
            name.compare(name.size() - suffix.size(), suffix.size(), suffix) == 0) {
            return entry.path();
        }
    }
    return {};
}

// The number the design panel shows after `label` ("Current ppm -> 44 123 ppm" gives 44123).
double PanelFigure(const std::string& panel, const std::string& label) {
    const std::size_t at = panel.find(label);
    if (at == std::string::npos) {
        return -1.0;
    }
    std::string digits;
    for (std::size_t i = at + label.size(); i < panel.size() && panel[i] != '\r'; ++i) {
        if (std::isdigit(static_cast<unsigned char>(panel[i])) != 0) {
            digits += panel[i];
        }
    }
    return digits.empty() ? -1.0 : std::stod(digits);
}

class RunRecordTest : public TRunFixture {
protected:
    // A designed segment: A and B in µg/min, the achievable water flow, 20 ºC and 1500 mbar.
    GasMixtures::TGasItem Designed(const std::string& name, double hours, std::int64_t a, std::int64_t b,
                                   double c) {
        GasMixtures::TGasItem segment = Design::CreateMixture(state, DesignScreen(a, b, c));
        segment.StepName = name;
        segment.StepTime = hours;
        return segment;
    }
};

TEST_F(RunRecordTest, TheDataFileHasALineASecondAndTheReportOneLineASegment) {
    // 0.0015 h: 5.4 s of instrument time each.
    state.SegmentProgram = {Designed("wet", 0.0015, 20000, 50000, 2000),
                            Designed("dry", 0.0015, 10000, 30000, 0),
                            Designed("last", 0.0015, 15000, 20000, 1000)};
    const std::string panel = Design::DesignPanelText(state.SegmentProgram[0], 20.0, 1500.0);
    run->ButtonApplyClick();
    ASSERT_EQ(state.MixerState, UnitMain::msRunning);
    // MFC B silent for a while in the second segment.
    ASSERT_TRUE(TurnUntil([this] { return state.Run.CurrentSegment == 1 && state.Run.FlowBObserved > 0.0; }));
    Fault(Sim::sdMfcB, Sim::sfSilent, true);
    const Base::TDateTime silentFrom = sim.Clock().Now();
    ASSERT_TRUE(TurnUntil([&] { return (sim.Clock().Now() - silentFrom) * Base::SecondsPerDay > 3.0; }));
    Fault(Sim::sdMfcB, Sim::sfSilent, false);
    ASSERT_TRUE(TurnUntil([this] { return state.MixerState == UnitMain::msValidated; })) << memoLog.Text();

    const std::vector<std::string> lines = ReadLines(RunFile(folder.Path(), ".csv"));
    ASSERT_GT(lines.size(), 12U);
    EXPECT_EQ(lines[0], UnitMain::RunDataHeader());
    int changedAt = -1;
    int lastAt = -1;
    double lastTotalizer = -1.0;
    bool sawSilentB = false;
    const double designPPM = PanelFigure(panel, "Current ppm ->");
    const double designRH = PanelFigure(panel, "               RH ->");
    ASSERT_GT(designPPM, 0.0) << panel;
    for (std::size_t i = 1; i < lines.size(); ++i) {
        const std::vector<std::string> f = Split(lines[i]);
        ASSERT_EQ(f.size(), 15U) << lines[i];
        if (i + 1 < lines.size()) {
            // One line a second of run time: 0, 1, 2, ...
            EXPECT_EQ(f[1], std::to_string(i - 1) + ".000") << lines[i];
        }
        const int segment = std::stoi(f[3]);
        if (segment == 2 && changedAt < 0) {
            changedAt = static_cast<int>(i - 1);
        }
        if (segment == 3 && lastAt < 0) {
            lastAt = static_cast<int>(i - 1);
        }
        EXPECT_EQ(f[4], segment == 1 ? "wet" : segment == 2 ? "dry" : "last");
        if (!f[8].empty()) {
            const double totalizer = std::stod(f[8]);
            EXPECT_GE(totalizer, lastTotalizer) << lines[i];
            lastTotalizer = totalizer;
        }
        if (segment == 1) {
            // The design's own figures, as its panel rounds them.
            EXPECT_NEAR(std::stod(f[12]), designPPM, 0.5) << lines[i];
            EXPECT_NEAR(std::stod(f[13]), designRH, 0.5) << lines[i];
            EXPECT_EQ(f[11], "/1TgV48000IA192000V64OA0G0R");
        } else if (segment == 2) {
            EXPECT_EQ(f[11], "/1TIV48000A192000R");
        }
        if (f[2] == "2" && f[10].empty()) {
            sawSilentB = true;
        }
    }
    // The first segment lasts 5.4 s: its lines are those of seconds 0 to 5 (the change is judged on
    // the tick after the time has passed, and a failed reading holds it).
    EXPECT_GE(changedAt, 5);
    EXPECT_LE(changedAt, 7);
    // The second lasts its 5.4 s too (MFC B's silence holds the judgement, not the segment's clock).
    EXPECT_GE(lastAt, changedAt + 5);
    EXPECT_LE(lastAt, changedAt + 7);
    EXPECT_TRUE(sawSilentB) << "MFC B silent: its observed flow is an empty field";
    EXPECT_EQ(Split(lines.back())[2], "1") << "the last line is the stop's verdict";
    EXPECT_GT(lastTotalizer, 0.0);

    // The report, in the log and beside the data file: B short of its set-point in the second segment.
    const std::vector<std::string> report = ReadLines(RunFile(folder.Path(), " report.txt"));
    ASSERT_EQ(report.size(), 4U);
    EXPECT_NE(report[0].find(": ran to its end, flows stopped"), std::string::npos) << report[0];
    EXPECT_EQ(report[1].rfind("  Segment 1 \"wet\": planned 0:00:05, actual 0:00:0", 0), 0U) << report[1];
    EXPECT_EQ(report[2].rfind("  Segment 2 \"dry\": planned 0:00:05, actual 0:00:", 0), 0U) << report[2];
    const std::size_t bShare = report[2].find("g/min (");
    ASSERT_NE(bShare, std::string::npos) << report[2];
    EXPECT_LT(std::stod(report[2].substr(bShare + 7)), 90.0) << report[2];
    EXPECT_EQ(report[3].rfind("  Segment 3 \"last\": planned 0:00:05, actual 0:00:0", 0), 0U) << report[3];
    EXPECT_TRUE(Logged(report[2]));
}

TEST_F(RunRecordTest, ARunStoppedEarlyReportsItsActualDuration) {
    state.SegmentProgram = {Segment("long", 1.0, {Flow(0, 0.02F), Flow(1, 0.05F)})};
    run->ButtonApplyClick();
    const Base::TDateTime start = sim.Clock().Now();
    ASSERT_TRUE(TurnUntil([&] { return (sim.Clock().Now() - start) * Base::SecondsPerDay > 3.0; }));
    run->ButtonStopClick();
    ASSERT_TRUE(TurnUntil([this] { return state.MixerState == UnitMain::msValidated; }));
    EXPECT_TRUE(Logged(": stopped by the operator, flows stopped"));
    const std::vector<std::string> report = ReadLines(RunFile(folder.Path(), " report.txt"));
    ASSERT_EQ(report.size(), 2U);
    EXPECT_EQ(report[1].rfind("  Segment 1 \"long\": planned 1:00:00, actual 0:00:0", 0), 0U) << report[1];
}

// The data file's last lines, those written once the safe stop has given its verdict, say what
// was commanded then: no flow and the pump stopped, after a run that ended by itself as after a Stop.
TEST_F(RunRecordTest, TheLinesAfterTheStopsVerdictCarryNoSetPoints) {
    for (const bool pressStop : {false, true}) {
        SCOPED_TRACE(pressStop ? "Stop pressed" : "ran to its end");
        fs::remove_all(fs::path(folder.Path()) / "Userdata"); // one run's files at a time
        state.SegmentProgram = {Designed("first", 0.001, 20000, 50000, 2000),
                                Designed("second", pressStop ? 1.0 : 0.001, 15000, 30000, 1000)};
        run->ButtonApplyClick();
        ASSERT_EQ(state.MixerState, UnitMain::msRunning);
        ASSERT_TRUE(TurnUntil([this] { return state.Run.CurrentSegment == 1; }));
        if (pressStop) {
            const Base::TDateTime from = sim.Clock().Now();
            ASSERT_TRUE(TurnUntil([&] { return (sim.Clock().Now() - from) * Base::SecondsPerDay > 2.0; }));
            run->ButtonStopClick();
        }
        ASSERT_TRUE(TurnUntil([this] { return state.MixerState == UnitMain::msValidated; }))
            << memoLog.Text();

        const std::vector<std::string> lines = ReadLines(RunFile(folder.Path(), ".csv"));
        ASSERT_GT(lines.size(), 3U);
        std::size_t afterVerdict = 0;
        bool sawSecondRunning = false;
        for (std::size_t i = 1; i < lines.size(); ++i) {
            const std::vector<std::string> f = Split(lines[i]);
            ASSERT_EQ(f.size(), 15U) << lines[i];
            if (f[2] == "2" && f[3] == "2") {
                // While the second segment runs, its own set-points stand in the file.
                sawSecondRunning = true;
                EXPECT_NEAR(std::stod(f[5]), 0.015, 1e-6) << lines[i];
                EXPECT_NEAR(std::stod(f[9]), 0.030, 1e-6) << lines[i];
            }
            if (f[2] == "1") {
                ++afterVerdict;
                EXPECT_EQ(f[5], "0.000000") << lines[i];
                EXPECT_EQ(f[9], "0.000000") << lines[i];
                EXPECT_EQ(f[11], "/1TIR") << lines[i];
            }
        }
        EXPECT_TRUE(sawSecondRunning);
        EXPECT_GE(afterVerdict, 1U);
        EXPECT_EQ(Split(lines.back())[2], "1") << "the last line is the stop's verdict";
    }
}

TEST_F(RunRecordTest, AFileThatCannotBeWrittenIsSaidOnceAndTheRunGoesOn) {
    // A folder where the data file should go: the name is taken.
    const Base::TDateTime start = sim.Clock().Now();
    fs::create_directories(fs::path(folder.Path()) / "Userdata" / UnitMain::RunDataFileName(start));
    state.SegmentProgram = {Segment("one", 0.0005, {Flow(0, 0.02F), Flow(1, 0.05F)})};
    run->ButtonApplyClick();
    ASSERT_EQ(state.MixerState, UnitMain::msRunning);
    ASSERT_TRUE(TurnUntil([this] { return state.MixerState == UnitMain::msValidated; }));
    EXPECT_EQ(CountLogged("; the run goes on without it"), 1) << memoLog.Text();
    EXPECT_TRUE(Logged("Tick:Stop"));
}

// The files of this process may not grow beyond a size while it lives: the kernel refuses the
// write as a full disk does (SIGXFSZ ignored, the write cut at the limit or failed with EFBIG).
class TFileSizeLimit {
public:
    TFileSizeLimit() {
        ::signal(SIGXFSZ, SIG_IGN);
        ::getrlimit(RLIMIT_FSIZE, &fSaved);
    }
    ~TFileSizeLimit() { Lift(); }
    TFileSizeLimit(const TFileSizeLimit&) = delete;
    TFileSizeLimit& operator=(const TFileSizeLimit&) = delete;

    void Set(rlim_t bytes) {
        rlimit small = fSaved;
        small.rlim_cur = bytes;
        ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    }
    void Lift() { ::setrlimit(RLIMIT_FSIZE, &fSaved); }

private:
    rlimit fSaved{};
};

std::string ReadBytes(const fs::path& path) {
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

std::vector<std::string> Names(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

// A program folder where the recipe cannot be saved, and the message that says so.
struct TUnsavableRecipe {
    const char* Name;
    std::function<std::string(const TTempFolder&, Base::TDateTime)> Make; // the program folder
    std::function<std::string(const std::string&, Base::TDateTime)> Message;
};

const TUnsavableRecipe UnsavableRecipes[] = {
    {"FolderThatCannotBeMade",
     [](const TTempFolder& f, Base::TDateTime) {
         std::ofstream(f.File("a-file")) << "x"; // the program folder would be inside a regular file
         return f.File("a-file/program");
     },
     [](const std::string& programFolder, Base::TDateTime) {
         return "Could not create folder " + programFolder + "/Userdata";
     }},
    {"FileThatCannotBeMade",
     [](const TTempFolder& f, Base::TDateTime now) {
         fs::create_directories(fs::path(f.File("program")) / "Userdata" / Program::RecipeFileName(now));
         return f.File("program");
     },
     [](const std::string& programFolder, Base::TDateTime now) {
         return "Cannot create file \"" + programFolder + "/Userdata/" + Program::RecipeFileName(now) +
                "\". ";
     }},
};

class RunRecipeRefusalTest : public RunRecordTest, public ::testing::WithParamInterface<TUnsavableRecipe> {};

TEST_P(RunRecipeRefusalTest, AStartWhoseRecipeCannotBeSavedIsRefused) {
    const Base::TDateTime now = sim.Clock().Now();
    const std::string programFolder = GetParam().Make(folder, now);
    run = std::make_unique<UnitMain::TRunControl>(state, window, memoLog, feedback, dialogs, mainThread,
                                                  sim.Clock(), UnitMain::TRunPlaces{programFolder});
    state.SegmentProgram = {Segment("never", 0.0005, {Flow(0, 0.02F), Flow(1, 0.05F)})};
    run->ButtonApplyClick();
    ASSERT_EQ(dialogs.Messages.size(), 1U);
    EXPECT_EQ(dialogs.Messages[0].rfind(GetParam().Message(programFolder, now), 0), 0U)
        << dialogs.Messages[0];
    EXPECT_EQ(state.MixerState, UnitMain::msValidated);
    EXPECT_EQ(run->MFCThread(), nullptr);
    EXPECT_TRUE(window.SetupPagesEnabled);
    // The ticks of a mixer that did not start hand nothing to the instruments.
    for (int i = 0; i < 20; ++i) {
        Turn();
    }
    EXPECT_EQ(setPointsB, (std::vector<float>{0.0F}));
    EXPECT_TRUE(pumpLines.empty());
    EXPECT_EQ(sim.Sim().MfcState(Sim::sdMfcA).SetPoint, 0.0F);
}

INSTANTIATE_TEST_SUITE_P(Places, RunRecipeRefusalTest, ::testing::ValuesIn(UnsavableRecipes),
                         [](const ::testing::TestParamInfo<TUnsavableRecipe>& place) {
                             return std::string(place.param.Name);
                         });

TEST_F(RunRecordTest, ARecipeTheDiskCannotTakeWholeRefusesTheStartAndLeavesNoPartOfIt) {
    state.SegmentProgram = {Segment("never", 0.0005, {Flow(0, 0.02F), Flow(1, 0.05F)})};
    TFileSizeLimit limit;
    limit.Set(64);
    run->ButtonApplyClick();
    limit.Lift();
    ASSERT_EQ(dialogs.Messages.size(), 1U);
    const std::string path =
        (fs::path(folder.Path()) / "Userdata" / Program::RecipeFileName(sim.Clock().Now())).string();
    EXPECT_EQ(dialogs.Messages[0], "Cannot create file \"" + path + "\". File too large");
    EXPECT_EQ(state.MixerState, UnitMain::msValidated);
    EXPECT_EQ(run->MFCThread(), nullptr);
    EXPECT_EQ(Names(fs::path(folder.Path()) / "Userdata"), std::vector<std::string>{}) << "no cut recipe";
}

TEST_F(RunRecordTest, OnAFullDiskTheRunGoesOnItsDataFileEndsOnAWholeLineAndItsReportIsWholeOrNone) {
    // 0.003 h: 10.8 s of instrument time, a line a second.
    state.SegmentProgram = {Segment("full", 0.003, {Flow(0, 0.02F), Flow(1, 0.05F)})};
    TFileSizeLimit limit;
    run->ButtonApplyClick();
    ASSERT_EQ(state.MixerState, UnitMain::msRunning);
    // The recipe is on the disk; the data file fills it up a few lines on (its header is queued and
    // no line is yet).
    const rlim_t dataFileLimit = 1000;
    limit.Set(dataFileLimit);
    ASSERT_TRUE(TurnUntil([this] { return Logged("; the run goes on without it"); })) << memoLog.Text();
    EXPECT_NE(memoLog.Text().find("Run data file cannot be written: File too large"), std::string::npos)
        << memoLog.Text();
    // Nothing more fits when the run ends.
    limit.Set(0);
    ASSERT_TRUE(TurnUntil([this] { return state.MixerState == UnitMain::msValidated; })) << memoLog.Text();
    limit.Lift();
    EXPECT_EQ(window.Caption, "Stopped");
    EXPECT_TRUE(Logged(": ran to its end, flows stopped")) << memoLog.Text();

    const fs::path data = RunFile(folder.Path(), ".csv");
    ASSERT_FALSE(data.empty());
    const std::string text = ReadBytes(data);
    ASSERT_FALSE(text.empty());
    EXPECT_LE(text.size(), dataFileLimit);
    EXPECT_EQ(text.back(), '\n') << "the file ends on its last whole line:\n" << text;
    const std::vector<std::string> lines = ReadLines(data);
    ASSERT_GE(lines.size(), 3U) << text;
    EXPECT_EQ(lines[0], UnitMain::RunDataHeader());
    for (std::size_t i = 1; i < lines.size(); ++i) {
        EXPECT_EQ(Split(lines[i]).size(), 15U) << lines[i];
        EXPECT_EQ(Split(lines[i])[1], std::to_string(i - 1) + ".000") << lines[i];
    }
    // No report file, no empty one, no part of one; its lines are in the operation log.
    const std::vector<std::string> files = Names(fs::path(folder.Path()) / "Userdata");
    ASSERT_EQ(files.size(), 2U) << testing::PrintToString(files);
    EXPECT_EQ(files[0].rfind("Recipe ", 0), 0U);
    EXPECT_EQ(data.filename().string(), files[1]);
    EXPECT_TRUE(Logged("; its lines are in the operation log above")) << memoLog.Text();
    EXPECT_NE(memoLog.Text().find("  Segment 1 \"full\": planned 0:00:11, actual 0:00:1"), std::string::npos)
        << memoLog.Text();
}

TEST(RunDataFileKilled, IsCompleteUpToItsLastLine) {
    // The program in a process of its own, killed without warning once a few seconds are on file.
    TestSupport::TTempFolder folder;
    const std::string child = RUN_DATA_CHILD;
    const pid_t pid = ::fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        ::execl(child.c_str(), child.c_str(), folder.Path().c_str(), static_cast<char*>(nullptr));
        ::_exit(127);
    }
    fs::path data;
    const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (std::chrono::steady_clock::now() < limit) {
        if (fs::is_directory(fs::path(folder.Path()) / "Userdata")) {
            data = RunFile(folder.Path(), ".csv");
        }
        if (!data.empty() && ReadLines(data).size() >= 6) {
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    ::kill(pid, SIGKILL);
    int status = 0;
    ::waitpid(pid, &status, 0);
    ASSERT_TRUE(WIFSIGNALED(status)) << "the program ended by itself: " << status;
    ASSERT_FALSE(data.empty());
    std::ifstream file(data, std::ios::binary);
    const std::string text((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    ASSERT_FALSE(text.empty());
    EXPECT_EQ(text.back(), '\n') << "no half line at the end";
    const std::vector<std::string> lines = ReadLines(data);
    ASSERT_GE(lines.size(), 6U);
    for (std::size_t i = 1; i < lines.size(); ++i) {
        EXPECT_EQ(Split(lines[i]).size(), 15U) << lines[i];
        EXPECT_EQ(Split(lines[i])[1], std::to_string(i - 1) + ".000") << lines[i];
    }
}

} // namespace
