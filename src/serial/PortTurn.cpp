#include "serial/PortTurn.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <filesystem>
#include <map>
#include <memory>
#include <mutex>

namespace SerialPort {

struct TPortTurn::TDevice {
    std::mutex Mutex;
    std::condition_variable Changed;
    bool Busy = false;
    std::uint32_t HolderLongestMS = 0;
    std::deque<std::uint64_t> Waiting; // tickets in the order they came
    std::uint64_t NextTicket = 0;
};

namespace {

// Every device the program has talked to keeps its entry for the life of the program (a handful
// of ports, a few bytes each), so a pointer to it never dangles. No object with a virtual table
// is made on the way: the transaction's system calls stay its own.
TPortTurn::TDevice* DeviceOf(const std::string& key) {
    static std::mutex registryMutex;
    static std::map<std::string, std::unique_ptr<TPortTurn::TDevice>> registry;
    const std::lock_guard lock(registryMutex);
    auto& entry = registry[key];
    if (!entry) {
        entry = std::make_unique<TPortTurn::TDevice>();
    }
    return entry.get();
}

} // namespace

std::string TurnKeyOf(const std::string& devicePath) {
    std::error_code error;
    std::filesystem::path resolved = std::filesystem::canonical(devicePath, error);
    if (error) {
        return devicePath;
    }
    return resolved.string();
}

std::size_t TransactionsWaitingFor(const std::string& devicePath) {
    TPortTurn::TDevice* const device = DeviceOf(TurnKeyOf(devicePath));
    const std::lock_guard lock(device->Mutex);
    return device->Waiting.size();
}

TPortTurn::TPortTurn(const std::string& devicePath, std::uint32_t longestTransactionMS)
    : fDevice(DeviceOf(TurnKeyOf(devicePath))) {
    std::unique_lock lock(fDevice->Mutex);
    const std::uint64_t ticket = fDevice->NextTicket++;
    fDevice->Waiting.push_back(ticket);
    const auto ready = [this, ticket] { return !fDevice->Busy && fDevice->Waiting.front() == ticket; };
    if (!ready()) {
        // The holder's transaction and ours each end within their longest; ahead of us in the queue
        // there is at most the other thread's one.
        const std::uint32_t boundMS = std::max(longestTransactionMS, fDevice->HolderLongestMS) + TurnMarginMS;
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(boundMS);
        fDevice->Changed.wait_until(lock, deadline, ready);
    }
    if (ready()) {
        fDevice->Waiting.pop_front();
        fDevice->Busy = true;
        fDevice->HolderLongestMS = longestTransactionMS;
        fTaken = true;
    } else {
        std::erase(fDevice->Waiting, ticket);
    }
    // Whoever is now at the front may go (or wait on), also after a ticket gave up.
    fDevice->Changed.notify_all();
}

TPortTurn::~TPortTurn() {
    if (!fTaken) {
        return;
    }
    {
        const std::lock_guard lock(fDevice->Mutex);
        fDevice->Busy = false;
        fDevice->HolderLongestMS = 0;
    }
    fDevice->Changed.notify_all();
}

} // namespace SerialPort
