#pragma once
// Owns one file descriptor and closes it on every path.

#include <unistd.h>
#include <utility>

namespace Sim {

class TUniqueFd {
public:
    TUniqueFd() = default;
    explicit TUniqueFd(int fd) : fFd(fd) {}
    TUniqueFd(const TUniqueFd&) = delete;
    TUniqueFd& operator=(const TUniqueFd&) = delete;
    TUniqueFd(TUniqueFd&& other) noexcept : fFd(std::exchange(other.fFd, -1)) {}
    TUniqueFd& operator=(TUniqueFd&& other) noexcept {
        if (this != &other) {
            Reset(std::exchange(other.fFd, -1));
        }
        return *this;
    }
    ~TUniqueFd() { Reset(); }

    int Get() const { return fFd; }
    bool Valid() const { return fFd >= 0; }
    void Reset(int fd = -1) {
        if (fFd >= 0) {
            ::close(fFd);
        }
        fFd = fd;
    }

private:
    int fFd = -1;
};

} // namespace Sim
