#include "support/TempFolder.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <gtest/gtest.h>
#include <iostream>

namespace TestSupport {

namespace fs = std::filesystem;

TTempFolder::TTempFolder(const std::string& prefix) {
    std::error_code ec;
    const fs::path base = fs::temp_directory_path(ec);
    if (ec) {
        fError = "no temporary folder: " + ec.message();
        ADD_FAILURE() << fError;
        return;
    }
    std::string pattern = (base / (prefix + "-XXXXXX")).string();
    if (::mkdtemp(pattern.data()) == nullptr) {
        fError = "cannot make a temporary folder " + pattern + ": " + std::strerror(errno);
        ADD_FAILURE() << fError;
        return;
    }
    fPath = pattern;
}

TTempFolder::~TTempFolder() {
    if (fPath.empty()) {
        return;
    }
    std::error_code ec;
    // A test may have taken away the write right to see a failure; give it back so all can go.
    fs::permissions(fPath, fs::perms::owner_all, fs::perm_options::add, ec);
    const fs::recursive_directory_iterator end;
    for (auto it = fs::recursive_directory_iterator(fPath, ec); !ec && it != end; it.increment(ec)) {
        if (it->is_directory(ec) && !it->is_symlink(ec)) {
            fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ec);
        }
    }
    ec.clear();
    fs::remove_all(fPath, ec);
    if (ec) {
        std::cerr << "could not remove the temporary folder " << fPath << ": " << ec.message() << '\n';
    }
}

std::vector<fs::path> TTempFolder::Entries() const {
    std::vector<fs::path> entries;
    std::error_code ec;
    const fs::directory_iterator end;
    for (auto it = fs::directory_iterator(fPath, ec); !ec && it != end; it.increment(ec)) {
        entries.push_back(it->path());
    }
    if (ec) {
        ADD_FAILURE() << "cannot list the temporary folder " << fPath << ": " << ec.message();
    }
    return entries;
}

} // namespace TestSupport
