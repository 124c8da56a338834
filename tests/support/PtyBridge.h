#pragma once
// Test plumbing for a peer that needs a device path of its own: two pseudo-terminal pairs whose
// master sides a thread joins, so whatever is written on one slave comes out of the other.
// Both slaves stay open here for the bridge's whole life, so a peer that opens and closes its side
// per transaction never makes the master see a hang-up.

#include <string>
#include <thread>

namespace TestSupport {

class TPtyBridge {
public:
    TPtyBridge();
    ~TPtyBridge();
    TPtyBridge(const TPtyBridge&) = delete;
    TPtyBridge& operator=(const TPtyBridge&) = delete;

    bool Ready() const { return fReady; }
    const std::string& PathA() const { return fPathA; }
    const std::string& PathB() const { return fPathB; }

private:
    void Run();

    int fMasterA = -1;
    int fMasterB = -1;
    int fSlaveA = -1;
    int fSlaveB = -1;
    int fStop = -1; // eventfd that ends the bridge thread
    std::string fPathA;
    std::string fPathB;
    bool fReady = false;
    std::thread fThread;
};

} // namespace TestSupport
