#pragma once
// A fresh folder under the system's temporary folder for the life of the object, removed with
// everything in it at the end (a read-only folder inside is made writable first). A folder that
// cannot be made fails the running test with the reason, and Path() stays empty.

#include <filesystem>
#include <string>
#include <vector>

namespace TestSupport {

class TTempFolder {
public:
    // The folder is named "<prefix>-XXXXXX", so a left-over one tells which test made it.
    explicit TTempFolder(const std::string& prefix = "moistrel-test");
    ~TTempFolder();
    TTempFolder(const TTempFolder&) = delete;
    TTempFolder& operator=(const TTempFolder&) = delete;

    bool Made() const { return !fPath.empty(); }
    const std::string& Path() const { return fPath; }
    const std::string& Error() const { return fError; }
    // Path() joined with a name inside it.
    std::string File(const std::string& name) const { return (std::filesystem::path(fPath) / name).string(); }
    // What the folder holds right now (not recursive, in no particular order); a folder that
    // cannot be read fails the running test.
    std::vector<std::filesystem::path> Entries() const;

private:
    std::string fPath;
    std::string fError;
};

} // namespace TestSupport
