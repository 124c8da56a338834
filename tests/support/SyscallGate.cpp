#include "support/SyscallGate.h"

#include <atomic>
#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <future>
#include <linux/audit.h>
#include <linux/filter.h>
#include <linux/seccomp.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/prctl.h>
#include <sys/syscall.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace TestSupport {

namespace {

#if defined(__x86_64__)
constexpr std::uint32_t ThisArch = AUDIT_ARCH_X86_64;
#elif defined(__aarch64__)
constexpr std::uint32_t ThisArch = AUDIT_ARCH_AARCH64;
#else
#error "the system-call gate knows only x86-64 and AArch64"
#endif

sock_filter Statement(std::uint16_t code, std::uint32_t k) {
    return sock_filter{code, 0, 0, k};
}

sock_filter Jump(std::uint16_t code, std::uint32_t k, std::uint8_t ifTrue, std::uint8_t ifFalse) {
    return sock_filter{code, ifTrue, ifFalse, k};
}

// Stops the watched calls for the listener, lets everything else through. Each watched call is
// one block: compare the number, then (if asked) the low word of the second argument.
std::vector<sock_filter> FilterFor(const std::vector<TWatchedCall>& watched) {
    constexpr auto Load = static_cast<std::uint16_t>(BPF_LD | BPF_W | BPF_ABS);
    constexpr auto Equal = static_cast<std::uint16_t>(BPF_JMP | BPF_JEQ | BPF_K);
    constexpr auto Return = static_cast<std::uint16_t>(BPF_RET | BPF_K);
    std::vector<sock_filter> program;
    program.push_back(Statement(Load, offsetof(seccomp_data, arch)));
    program.push_back(Jump(Equal, ThisArch, 1, 0));
    program.push_back(Statement(Return, SECCOMP_RET_ALLOW));
    for (const TWatchedCall& call : watched) {
        // Number matches: go on to the argument (or stop the call); else skip this block.
        const std::uint8_t blockRest = call.Argument1 ? 3 : 1;
        program.push_back(Statement(Load, offsetof(seccomp_data, nr)));
        program.push_back(Jump(Equal, static_cast<std::uint32_t>(call.Number), 0, blockRest));
        if (call.Argument1) {
            program.push_back(Statement(Load, offsetof(seccomp_data, args) + sizeof(std::uint64_t)));
            program.push_back(Jump(Equal, static_cast<std::uint32_t>(*call.Argument1), 0, 1));
        }
        program.push_back(Statement(Return, SECCOMP_RET_USER_NOTIF));
    }
    program.push_back(Statement(Return, SECCOMP_RET_ALLOW));
    return program;
}

} // namespace

bool RunWithSyscallGate(const std::vector<TWatchedCall>& watched, const std::function<void()>& work,
                        const std::function<void(int)>& onCall, std::string& error) {
    std::promise<int> listenerPromise;
    std::future<int> listenerFuture = listenerPromise.get_future();
    std::atomic<bool> finished{false};

    std::thread worker([&] {
        std::vector<sock_filter> filter = FilterFor(watched);
        const sock_fprog program{static_cast<unsigned short>(filter.size()), filter.data()};
        // Both are per thread: the rest of the test process is not filtered.
        if (::prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0) != 0) {
            listenerPromise.set_value(-errno);
            return;
        }
        const long listener =
            ::syscall(SYS_seccomp, SECCOMP_SET_MODE_FILTER, SECCOMP_FILTER_FLAG_NEW_LISTENER, &program);
        listenerPromise.set_value(listener < 0 ? -errno : static_cast<int>(listener));
        if (listener < 0) {
            return;
        }
        work();
        finished = true;
    });

    const int listener = listenerFuture.get();
    if (listener < 0) {
        worker.join();
        error = std::string("seccomp user notification: ") + std::strerror(-listener);
        return false;
    }
    int calls = 0;
    while (!finished) {
        pollfd p{listener, POLLIN, 0};
        if (::poll(&p, 1, 20) <= 0 || (p.revents & POLLIN) == 0) {
            continue;
        }
        seccomp_notif request{};
        if (::ioctl(listener, SECCOMP_IOCTL_NOTIF_RECV, &request) != 0) {
            continue; // the call went away (the thread was interrupted)
        }
        onCall(++calls);
        seccomp_notif_resp response{};
        response.id = request.id;
        response.flags = SECCOMP_USER_NOTIF_FLAG_CONTINUE;
        ::ioctl(listener, SECCOMP_IOCTL_NOTIF_SEND, &response);
    }
    worker.join();
    ::close(listener);
    return true;
}

} // namespace TestSupport
