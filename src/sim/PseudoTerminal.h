#pragma once
// One pseudo-terminal pair standing in for a serial port. The sim reads and writes the master;
// clients open the far end (the slave) through a stable link in the sim folder.
//
// The program opens and closes its port for every transaction. When the last descriptor of a
// slave closes, the master reports EIO/POLLHUP until the slave is opened again, so the pair keeps
// one slave descriptor of its own open for its whole life (never read, never locked).

#include "sim/UniqueFd.h"

#include <memory>
#include <string>

namespace Sim {

class TPseudoTerminal {
public:
    // Opens a pair in raw mode and points `linkPath` at its slave (replacing an older link).
    static std::unique_ptr<TPseudoTerminal> Open(const std::string& linkPath, std::string& error);
    TPseudoTerminal(const TPseudoTerminal&) = delete;
    TPseudoTerminal& operator=(const TPseudoTerminal&) = delete;
    // Removes the link (when it still points at this pair) and closes every descriptor.
    ~TPseudoTerminal();

    int Master() const { return fMaster.Get(); }
    const std::string& SlavePath() const { return fSlavePath; }
    const std::string& LinkPath() const { return fLinkPath; }

    // "Another process holds the port": an exclusive flock on the slave through a descriptor of
    // its own, which makes every client's flock(LOCK_EX|LOCK_NB) fail.
    bool Hold(std::string& error);
    void Release() { fHolder.Reset(); }
    bool Held() const { return fHolder.Valid(); }

    // Bytes written to the client that no client has read yet, and dropping them. The sim's own
    // slave descriptor keeps such bytes alive after a client closes the port, where a real port
    // would lose them.
    int PendingForClient() const;
    void DiscardClientInput();

private:
    TPseudoTerminal() = default;

    TUniqueFd fMaster;
    TUniqueFd fKeeper;
    TUniqueFd fHolder;
    std::string fSlavePath;
    std::string fLinkPath;
};

} // namespace Sim
