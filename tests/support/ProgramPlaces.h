#pragma once
// The program's files (settings file, log folder, "Userdata") in a test's own temporary folder.

#include "app/TMoistrel.h"
#include "support/TempFolder.h"

namespace TestSupport {

inline App::TProgramPlaces PlacesIn(const TTempFolder& folder) {
    return {folder.File("moistrel.ini"), folder.Path(), folder.Path()};
}

} // namespace TestSupport
