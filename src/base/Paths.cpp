#include "base/Paths.h"

#include <array>
#include <unistd.h>

namespace Base {

std::string ProgramFilePath() {
    std::array<char, 4096> buffer{};
    const ssize_t length = readlink("/proc/self/exe", buffer.data(), buffer.size() - 1);
    if (length <= 0) {
        return {};
    }
    return std::string(buffer.data(), static_cast<std::size_t>(length));
}

std::string ProgramFolder() {
    const std::string path = ProgramFilePath();
    const auto slash = path.find_last_of('/');
    if (slash == std::string::npos) {
        return ".";
    }
    if (slash == 0) {
        return "/";
    }
    return path.substr(0, slash);
}

} // namespace Base
