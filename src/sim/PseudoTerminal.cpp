#include "sim/PseudoTerminal.h"

#include <array>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

namespace Sim {

namespace {

std::string ErrnoText(const std::string& what) {
    return what + ": " + std::strerror(errno);
}

std::string ReadLink(const std::string& path) {
    std::array<char, 512> buffer{};
    const ssize_t n = ::readlink(path.c_str(), buffer.data(), buffer.size() - 1);
    return n > 0 ? std::string(buffer.data(), static_cast<std::size_t>(n)) : std::string();
}

} // namespace

std::unique_ptr<TPseudoTerminal> TPseudoTerminal::Open(const std::string& linkPath, std::string& error) {
    std::unique_ptr<TPseudoTerminal> pty(new TPseudoTerminal());
    pty->fMaster.Reset(::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC));
    if (!pty->fMaster.Valid()) {
        error = ErrnoText("posix_openpt");
        return nullptr;
    }
    const int master = pty->fMaster.Get();
    if (::grantpt(master) != 0 || ::unlockpt(master) != 0) {
        error = ErrnoText("grantpt/unlockpt");
        return nullptr;
    }
    std::array<char, 128> name{};
    if (::ptsname_r(master, name.data(), name.size()) != 0) {
        error = ErrnoText("ptsname_r");
        return nullptr;
    }
    pty->fSlavePath = name.data();
    const int flags = ::fcntl(master, F_GETFL);
    if (flags < 0 || ::fcntl(master, F_SETFL, flags | O_NONBLOCK) != 0) {
        error = ErrnoText("fcntl O_NONBLOCK");
        return nullptr;
    }
    pty->fKeeper.Reset(::open(pty->fSlavePath.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC));
    if (!pty->fKeeper.Valid()) {
        error = ErrnoText("open " + pty->fSlavePath);
        return nullptr;
    }
    termios tio{};
    if (::tcgetattr(pty->fKeeper.Get(), &tio) != 0) {
        error = ErrnoText("tcgetattr");
        return nullptr;
    }
    ::cfmakeraw(&tio);
    tio.c_cflag |= CLOCAL | CREAD;
    ::cfsetispeed(&tio, B9600);
    ::cfsetospeed(&tio, B9600);
    if (::tcsetattr(pty->fKeeper.Get(), TCSANOW, &tio) != 0) {
        error = ErrnoText("tcsetattr");
        return nullptr;
    }
    // Replace the link atomically, so a client never finds it missing or half made.
    const std::string temporary = linkPath + ".new" + std::to_string(::getpid());
    ::unlink(temporary.c_str());
    if (::symlink(pty->fSlavePath.c_str(), temporary.c_str()) != 0) {
        error = ErrnoText("symlink " + temporary);
        return nullptr;
    }
    if (::rename(temporary.c_str(), linkPath.c_str()) != 0) {
        error = ErrnoText("rename to " + linkPath);
        ::unlink(temporary.c_str());
        return nullptr;
    }
    pty->fLinkPath = linkPath;
    return pty;
}

TPseudoTerminal::~TPseudoTerminal() {
    if (!fLinkPath.empty() && ReadLink(fLinkPath) == fSlavePath) {
        ::unlink(fLinkPath.c_str());
    }
}

bool TPseudoTerminal::Hold(std::string& error) {
    if (fHolder.Valid()) {
        return true;
    }
    TUniqueFd holder(::open(fSlavePath.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC));
    if (!holder.Valid()) {
        error = ErrnoText("open " + fSlavePath);
        return false;
    }
    if (::flock(holder.Get(), LOCK_EX | LOCK_NB) != 0) {
        error = ErrnoText("flock " + fSlavePath);
        return false;
    }
    fHolder = std::move(holder);
    return true;
}

int TPseudoTerminal::PendingForClient() const {
    int pending = 0;
    if (::ioctl(fKeeper.Get(), FIONREAD, &pending) != 0) {
        return 0;
    }
    return pending;
}

void TPseudoTerminal::DiscardClientInput() {
    ::tcflush(fKeeper.Get(), TCIFLUSH);
}

} // namespace Sim
