#pragma once
// One transaction at a time on each device inside the program. The worker and the tick both talk
// to MFC B (and the tick and the set-up to every device); without turns, a transaction that starts
// while the other thread's is on the line would find the device locked and fail with "port in use"
// although nothing is wrong. A transaction holds its device's turn from before the open until after
// the close; a later one waits for it, first come first served, for at most the longer of the two
// transactions' longest durations plus a margin. Only a turn not given within that bound fails as a
// port in use: then the holder is stuck beyond anything a transaction may take. Other programs are
// still kept out by the exclusive open.

#include <cstddef>
#include <cstdint>
#include <string>

namespace SerialPort {

// What a waiting transaction allows beyond the longest transaction of either side: the open, the
// line settings and the close.
inline constexpr std::uint32_t TurnMarginMS = 100;

class TPortTurn {
public:
    // Waits for the turn on the device at devicePath (links resolved, so two names of one device
    // share one turn). longestTransactionMS is the longest the transaction to come may take.
    TPortTurn(const std::string& devicePath, std::uint32_t longestTransactionMS);
    ~TPortTurn();
    TPortTurn(const TPortTurn&) = delete;
    TPortTurn& operator=(const TPortTurn&) = delete;
    TPortTurn(TPortTurn&&) = delete;
    TPortTurn& operator=(TPortTurn&&) = delete;

    // False when the turn did not come within the bound; the transaction must not touch the device.
    bool Taken() const { return fTaken; }

    struct TDevice;

private:
    TDevice* fDevice; // lives as long as the program
    bool fTaken = false;
};

// The key a device's turn is kept under: its path with every link resolved, or the path as given
// when it cannot be resolved (a missing device, whose open fails anyway).
std::string TurnKeyOf(const std::string& devicePath);

// How many transactions are waiting for the device's turn now (for the log and the tests).
std::size_t TransactionsWaitingFor(const std::string& devicePath);

} // namespace SerialPort
