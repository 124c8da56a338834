#include "app/DisplayCheck.h"

#include <cerrno>
#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <netdb.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace App {

namespace {

std::string Environment(const char* name) {
    const char* value = std::getenv(name);
    return value == nullptr ? std::string() : std::string(value);
}

// Connects a Unix socket to `path`; a leading '@' names the abstract namespace.
bool UnixSocketAnswers(const std::string& path) {
    sockaddr_un address{};
    if (path.size() >= sizeof(address.sun_path)) {
        return false;
    }
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path, path.data(), path.size());
    if (path[0] == '@') {
        address.sun_path[0] = '\0';
    }
    const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        return false;
    }
    const auto length = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + path.size());
    const bool connected = connect(fd, reinterpret_cast<const sockaddr*>(&address), length) == 0;
    close(fd);
    return connected;
}

// A TCP connection to host:port within two seconds.
bool TcpAnswers(const std::string& host, int port) {
    addrinfo hints{};
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    if (getaddrinfo(host.c_str(), std::to_string(port).c_str(), &hints, &found) != 0) {
        return false;
    }
    bool connected = false;
    for (addrinfo* a = found; a != nullptr && !connected; a = a->ai_next) {
        const int fd = socket(a->ai_family, a->ai_socktype | SOCK_NONBLOCK | SOCK_CLOEXEC, a->ai_protocol);
        if (fd < 0) {
            continue;
        }
        if (connect(fd, a->ai_addr, a->ai_addrlen) == 0) {
            connected = true;
        } else if (errno == EINPROGRESS) {
            pollfd waiter{fd, POLLOUT, 0};
            int error = 0;
            socklen_t size = sizeof error;
            connected = poll(&waiter, 1, 2000) == 1 &&
                        getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &size) == 0 && error == 0;
        }
        close(fd);
    }
    freeaddrinfo(found);
    return connected;
}

// DISPLAY is [host]:number[.screen]; an empty host or "unix" is this machine's socket.
bool X11DisplayAnswers(const std::string& display) {
    const auto colon = display.rfind(':');
    if (colon == std::string::npos) {
        return false;
    }
    const std::string host = display.substr(0, colon);
    const int number = std::atoi(display.c_str() + colon + 1);
    if (host.empty() || host == "unix") {
        const std::string socketPath = "/tmp/.X11-unix/X" + std::to_string(number);
        return UnixSocketAnswers(socketPath) || UnixSocketAnswers("@" + socketPath);
    }
    return TcpAnswers(host, 6000 + number);
}

} // namespace

std::string DisplayProblem() {
    if (!Environment("QT_QPA_PLATFORM").empty() || !Environment("WAYLAND_DISPLAY").empty()) {
        return {}; // the operator chose the platform; the toolkit reports its own problems
    }
    const std::string display = Environment("DISPLAY");
    if (display.empty()) {
        return "there is no display to open the window on (neither DISPLAY nor WAYLAND_DISPLAY is set)";
    }
    if (!X11DisplayAnswers(display)) {
        return "the display " + display + " does not answer (is the X server running?)";
    }
    return {};
}

} // namespace App
