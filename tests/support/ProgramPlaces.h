#pragma once
// The program's files in a test's own temporary folder, each kind in a folder of its own, so that a
// file written to the wrong place shows: "Userdata" in the folder itself (the program's folder),
// the settings file in "settings/", the diagnostic log in "log/". The working folder of the test
// process is none of them.

#include "app/TMoistrel.h"
#include "support/TempFolder.h"

#include <filesystem>

namespace TestSupport {

inline App::TProgramPlaces PlacesIn(const TTempFolder& folder) {
    std::error_code ignored; // a folder that cannot be made fails the test at its first file
    std::filesystem::create_directories(folder.File("settings"), ignored);
    std::filesystem::create_directories(folder.File("log"), ignored);
    return {folder.File("settings/moistrel.ini"), folder.File("log"), folder.Path()};
}

} // namespace TestSupport
