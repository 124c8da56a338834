// The program files themselves, placed in a folder of their own and started from another working
// folder, as a desktop icon or a terminal starts them: the settings file, the recipes, the run data
// file and the report land beside the program file, and nothing in the folder it was started from.

#include "support/TempFolder.h"

#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <functional>
#include <gtest/gtest.h>
#include <iterator>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

namespace fs = std::filesystem;

std::string ReadWhole(const fs::path& path) {
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

std::vector<std::string> Names(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) {
        names.push_back(entry.path().filename().string());
    }
    return names;
}

bool HasNameLike(const std::vector<std::string>& names, const std::string& prefix,
                 const std::string& suffix) {
    for (const std::string& name : names) {
        if (name.size() >= prefix.size() + suffix.size() && name.rfind(prefix, 0) == 0 &&
            name.compare(name.size() - suffix.size(), suffix.size(), suffix) == 0) {
            return true;
        }
    }
    return false;
}

// A program file placed in "program/" of a fresh folder (a hard link, or a copy where none can be
// made: the program finds its folder from its own file, which a symbolic link would hide), started
// from "elsewhere/" with its output in "output.txt".
class ProgramFolderTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(folder.Made()) << folder.Error();
        fs::create_directories(programFolder);
        fs::create_directories(workingFolder);
    }
    void TearDown() override {
        if (fPid > 0) {
            ::kill(fPid, SIGKILL);
            ::waitpid(fPid, nullptr, 0);
        }
    }

    fs::path Place(const std::string& program) {
        const fs::path placed = programFolder / fs::path(program).filename();
        std::error_code error;
        fs::create_hard_link(program, placed, error);
        if (error) {
            fs::copy_file(program, placed, error);
        }
        EXPECT_FALSE(error) << error.message();
        return placed;
    }

    void Start(const fs::path& program) {
        const std::string output = folder.File("output.txt");
        // The environment made before the fork: offscreen, and no serial ports of the test's own.
        std::vector<std::string> environment{"QT_QPA_PLATFORM=offscreen"};
        for (char** entry = environ; *entry != nullptr; ++entry) {
            const std::string text = *entry;
            if (text.rfind("QT_QPA_PLATFORM=", 0) != 0 && text.rfind("MOISTREL_SERIAL_PORTS=", 0) != 0) {
                environment.push_back(text);
            }
        }
        std::vector<char*> envp;
        for (std::string& text : environment) {
            envp.push_back(text.data());
        }
        envp.push_back(nullptr);
        const std::string path = program.string();
        char* argv[] = {const_cast<char*>(path.c_str()), nullptr};
        fPid = ::fork();
        ASSERT_GE(fPid, 0);
        if (fPid == 0) {
            const int fd = ::open(output.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            if (fd < 0 || ::chdir(workingFolder.c_str()) != 0) {
                ::_exit(126);
            }
            ::dup2(fd, STDOUT_FILENO);
            ::dup2(fd, STDERR_FILENO);
            ::execve(path.c_str(), argv, envp.data());
            ::_exit(127);
        }
    }

    // Waits until `done` or the program has ended; true when `done`. A hang is cut off after a few
    // minutes of wall time.
    bool WaitFor(const std::function<bool()>& done) {
        const auto limit = std::chrono::steady_clock::now() + std::chrono::minutes(3);
        while (std::chrono::steady_clock::now() < limit) {
            if (done()) {
                return true;
            }
            if (fPid > 0 && ::waitpid(fPid, &fStatus, WNOHANG) == fPid) {
                fPid = 0;
                return done();
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        return false;
    }
    // Waits for the program to end by itself; its wait status, or -1 when it did not end.
    int WaitForEnd() {
        WaitFor([] { return false; });
        return fPid == 0 ? fStatus : -1;
    }
    void Kill() {
        ASSERT_GT(fPid, 0) << "the program ended by itself: " << Output();
        ::kill(fPid, SIGTERM);
        ::waitpid(fPid, &fStatus, 0);
        fPid = 0;
    }
    std::string Output() const { return ReadWhole(folder.File("output.txt")); }

    TestSupport::TTempFolder folder{"moistrel-placed"};
    fs::path programFolder = fs::path(folder.Path()) / "program";
    fs::path workingFolder = fs::path(folder.Path()) / "elsewhere";

private:
    pid_t fPid = 0;
    int fStatus = 0;
};

TEST_F(ProgramFolderTest, TheProgramStartedFromAnotherFolderKeepsItsFilesBesideItself) {
    const fs::path program = Place(MOISTREL_PROGRAM);
    Start(program);
    // The recipes' folder is the start-up's last step; the settings file of a first start comes before.
    ASSERT_TRUE(WaitFor([&] {
        return fs::is_directory(programFolder / "Userdata") || fs::is_directory(workingFolder / "Userdata");
    })) << Output();
    Kill();
    EXPECT_TRUE(fs::is_directory(programFolder / "Userdata"));
    const fs::path settings = fs::path(program).replace_extension(".ini");
    ASSERT_TRUE(fs::is_regular_file(settings)) << Output();
    EXPECT_NE(ReadWhole(settings).find("Mixture name=Water pure"), std::string::npos);
    EXPECT_TRUE(fs::is_empty(workingFolder))
        << "written into the folder it was started from: " << Names(workingFolder).front();
}

TEST_F(ProgramFolderTest, ARunsRecipeDataFileAndReportLandBesideTheProgramFile) {
    const fs::path program = Place(PROGRAM_FOLDER_CHILD);
    Start(program);
    const int status = WaitForEnd();
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status << "\n" << Output();

    ASSERT_TRUE(fs::is_directory(programFolder / "Userdata")) << Output();
    const std::vector<std::string> files = Names(programFolder / "Userdata");
    EXPECT_TRUE(HasNameLike(files, "Recipe ", ".txt"));
    EXPECT_TRUE(HasNameLike(files, "Run ", ".csv"));
    EXPECT_TRUE(HasNameLike(files, "Run ", " report.txt"));
    EXPECT_EQ(files.size(), 3U);
    EXPECT_TRUE(fs::is_regular_file(fs::path(program).replace_extension(".ini")));
    EXPECT_TRUE(fs::is_empty(workingFolder))
        << "written into the folder it was started from: " << Names(workingFolder).front();
}

} // namespace
