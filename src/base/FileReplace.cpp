#include "base/FileReplace.h"

#include <cerrno>
#include <cstdlib>
#include <sys/stat.h>
#include <unistd.h>

namespace Base {

namespace {

// Closes the descriptor and removes the temporary file unless the write got as far as the rename.
class TTemporaryFile {
public:
    explicit TTemporaryFile(const std::string& target) : fPath(target + ".XXXXXX") {
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

} // namespace

bool ReplaceFileContents(const std::string& path, std::string_view text) {
    // A new file gets the usual permissions; a rewritten one keeps its own.
    mode_t mode = S_IRUSR | S_IWUSR | S_IRGRP | S_IROTH;
    struct stat old {};
    if (::stat(path.c_str(), &old) == 0) {
        mode = old.st_mode & 07777;
    }
    TTemporaryFile temporary(path);
    return temporary.Made() && temporary.WriteAll(text) && temporary.Finish(path, mode);
}

} // namespace Base
