#include "base/FileReplace.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>

namespace Base {

namespace {

namespace fs = std::filesystem;

// What follows the target's name in a temporary file's name; mkstemp fills the six X.
constexpr std::string_view TemporaryMark = ".replacing-";
constexpr std::size_t TemporaryRandomLength = 6;
// As many links in a row as the kernel itself follows.
constexpr int MaxLinkHops = 40;

// Closes the descriptor and removes the temporary file unless the write got as far as the rename.
class TTemporaryFile {
public:
    explicit TTemporaryFile(const std::string& target)
        : fPath(target + std::string(TemporaryMark) + std::string(TemporaryRandomLength, 'X')) {
        fFd = ::mkstemp(fPath.data());
    }
    ~TTemporaryFile() {
        Close();
        if (!fKept) {
            ::unlink(fPath.c_str());
        }
    }
    TTemporaryFile(const TTemporaryFile&) = delete;
    TTemporaryFile& operator=(const TTemporaryFile&) = delete;

    [[nodiscard]] bool Made() const { return fFd >= 0; }
    bool WriteAll(std::string_view text) {
        while (!text.empty()) {
            const ssize_t written = ::write(fFd, text.data(), text.size());
            if (written < 0 && errno == EINTR) {
                continue;
            }
            if (written <= 0) {
                return false;
            }
            text.remove_prefix(static_cast<std::size_t>(written));
        }
        return true;
    }
    bool Finish(const std::string& target, mode_t mode) {
        if (::fchmod(fFd, mode) != 0 || ::fsync(fFd) != 0) {
            return false;
        }
        if (!Close() || ::rename(fPath.c_str(), target.c_str()) != 0) {
            return false;
        }
        fKept = true;
        return true;
    }

private:
    bool Close() {
        if (fFd < 0) {
            return true;
        }
        const int result = ::close(fFd);
        fFd = -1;
        return result == 0;
    }

    std::string fPath;
    int fFd = -1;
    bool fKept = false;
};

std::string FolderOf(const std::string& path) {
    const fs::path folder = fs::path(path).parent_path();
    return folder.empty() ? std::string(".") : folder.string();
}

// The rename is only a change of the folder until the folder itself reaches the disk.
bool SyncFolder(const std::string& folder) {
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) {
        return false;
    }
    const bool synced = ::fsync(fd) == 0;
    return ::close(fd) == 0 && synced;
}

// No write permission bit at all counts for root too, who would get past the bits otherwise.
bool ReadOnly(const std::string& path, const struct stat& file) {
    return (file.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0 ||
           ::faccessat(AT_FDCWD, path.c_str(), W_OK, AT_EACCESS) != 0;
}

bool IsTemporaryName(const std::string& name, const std::string& prefix) {
    if (name.size() != prefix.size() + TemporaryRandomLength || name.compare(0, prefix.size(), prefix) != 0) {
        return false;
    }
    for (std::size_t i = prefix.size(); i < name.size(); ++i) {
        const char c = name[i];
        const bool alphanumeric = (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
        if (!alphanumeric) {
            return false;
        }
    }
    return true;
}

} // namespace

std::string ReplacementTarget(const std::string& path) {
    fs::path current(path);
    for (int hop = 0; hop < MaxLinkHops; ++hop) {
        std::error_code error;
        if (!fs::is_symlink(fs::symlink_status(current, error))) {
            break;
        }
        const fs::path link = fs::read_symlink(current, error);
        if (error) {
            break;
        }
        current = link.is_absolute() ? link : current.parent_path() / link;
    }
    return current.string();
}

bool ReplaceFileContents(const std::string& path, std::string_view text) {
    const std::string target = ReplacementTarget(path);
    // A new file gets the usual permissions; a rewritten one keeps its own.
    mode_t mode = S_IRUSR | S_IWUSR | S_IRGRP | S_IROTH;
    struct stat old {};
    if (::stat(target.c_str(), &old) == 0) {
        if (S_ISREG(old.st_mode) && ReadOnly(target, old)) {
            return false;
        }
        mode = old.st_mode & 07777;
    }
    {
        TTemporaryFile temporary(target);
        if (!temporary.Made() || !temporary.WriteAll(text) || !temporary.Finish(target, mode)) {
            return false;
        }
    }
    return SyncFolder(FolderOf(target));
}

std::vector<std::string> RemoveStaleReplacements(const std::string& path) {
    const std::string target = ReplacementTarget(path);
    const std::string prefix = fs::path(target).filename().string() + std::string(TemporaryMark);
    std::vector<std::string> removed;
    std::error_code error;
    // Increments with an error code: a folder that changes under us ends the look, never throws.
    for (fs::directory_iterator entry(FolderOf(target), error); !error && entry != fs::directory_iterator();
         entry.increment(error)) {
        const std::string name = entry->path().filename().string();
        std::error_code ignored;
        if (IsTemporaryName(name, prefix) && entry->is_regular_file(ignored) && !entry->is_symlink(ignored) &&
            fs::remove(entry->path(), ignored)) {
            removed.push_back(entry->path().string());
        }
    }
    return removed;
}

} // namespace Base
