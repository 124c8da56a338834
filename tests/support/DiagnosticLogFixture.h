#pragma once
// A fixture for tests of what reaches the diagnostic log: each test gets its own folder for the log
// file, reads the messages back from the file the logger really wrote, and leaves the logger off
// with no destination, as the next test expects to find it.

#include "support/TempFolder.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace TestSupport {

class TDiagnosticLogTest : public ::testing::Test {
protected:
    void TearDown() override;

    // Where the test lets the logger write its file.
    const std::string& LogFolder() const { return fFolder.Path(); }
    // The messages of the log file a logger set up at `started` writes into the folder, in order,
    // their depth indent removed. Closes the dispatcher first, so that everything sent is in it.
    std::vector<std::string> LoggedMessages(double started);
    // What the folder holds now.
    std::vector<std::filesystem::path> FilesInFolder() const { return fFolder.Entries(); }
    std::string FileInFolder(const std::string& name) const { return fFolder.File(name); }

private:
    TTempFolder fFolder{"moistrel-log"};
};

} // namespace TestSupport
