#pragma once
// Test plumbing: the virtual instruments in a temporary folder, fast mode (no wire timing) unless
// asked otherwise, with the instrument set the test describes.

#include "sim/Simulator.h"

#include <functional>
#include <memory>
#include <string>

namespace MfcTest {

class TSimRun {
public:
    explicit TSimRun(const std::function<void(Sim::TSimConfig&)>& adjust = {}, bool fast = true);
    ~TSimRun();
    TSimRun(const TSimRun&) = delete;
    TSimRun& operator=(const TSimRun&) = delete;

    bool Started() const { return fStarted; }
    const std::string& Error() const { return fError; }
    Sim::TSimulator& Sim() { return *fSimulator; }
    std::string Path(Sim::TSimDevice device) const { return fSimulator->PortPath(device); }

private:
    std::string fFolder;
    std::unique_ptr<Sim::TSimulator> fSimulator;
    bool fStarted = false;
    std::string fError;
};

} // namespace MfcTest
