#pragma once
// Lets a test act at an exact point inside code that makes system calls, without faking any of
// them. The code runs on a thread of its own; each time that thread makes one of the watched
// calls, the call waits while the test's action runs on the calling thread, and then the kernel
// carries it out for real on whatever the action left (a closed far end of a line, say). Built on
// seccomp user notification: the filter stops only the watched calls of that one thread.

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace TestSupport {

struct TWatchedCall {
    long Number; // system call number (SYS_write, SYS_ioctl, ...)
    std::optional<unsigned long>
        Argument1; // when set, only calls with this second argument (an ioctl request)
};

// Runs `work` on a new thread whose watched calls stop in turn; `onCall(n)` runs for the n-th
// stopped call (from 1) before that call goes on. False with the reason when the gate cannot be
// set up on this machine; `work` has then not run.
bool RunWithSyscallGate(const std::vector<TWatchedCall>& watched, const std::function<void()>& work,
                        const std::function<void(int)>& onCall, std::string& error);

} // namespace TestSupport
