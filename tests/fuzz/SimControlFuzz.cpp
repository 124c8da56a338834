// The control commands of the virtual instruments (their FIFO and standard input), one per line,
// carried out on a running simulator whose ports are real pseudo-terminals in a folder of its own.

#include "FuzzCheck.h"
#include "sim/ControlCommand.h"
#include "sim/SimConfig.h"
#include "sim/SimFault.h"
#include "sim/Simulator.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

namespace {

// Lines beyond these tell nothing new and only slow the run down.
constexpr std::size_t MaxLines = 16;

class TSimUnderTest {
public:
    TSimUnderTest() {
        char pattern[] = "/tmp/moistrel-fuzz-sim-XXXXXX";
        if (::mkdtemp(pattern) == nullptr) {
            std::perror("mkdtemp");
            std::abort();
        }
        fFolder = pattern;
        Sim::TSimConfig config = Sim::DefaultSimConfig(fFolder + "/ports");
        config.Fast = true;
        fDefaults = config;
        fSimulator = std::make_unique<Sim::TSimulator>(config);
        std::string error;
        if (!fSimulator->Start(error)) {
            std::fprintf(stderr, "the virtual instruments do not start: %s\n", error.c_str());
            std::abort();
        }
    }
    TSimUnderTest(const TSimUnderTest&) = delete;
    TSimUnderTest& operator=(const TSimUnderTest&) = delete;
    ~TSimUnderTest() {
        fSimulator->Stop();
        std::error_code ignored;
        std::filesystem::remove_all(fFolder, ignored);
    }

    Sim::TSimulator& Simulator() { return *fSimulator; }
    void NoteChanged() { fChanged = true; }

    // Every input starts from the instruments as `moistrel-sim` starts them: no faults, the
    // table-change rule of the configuration. Only after an input that changed them, for each look
    // is a trip through the instruments' loop.
    void Reset() {
        if (!fChanged) {
            return;
        }
        fChanged = false;
        for (const Sim::TSimDevice mfc : {Sim::sdMfcA, Sim::sdMfcB}) {
            const bool keep =
                (mfc == Sim::sdMfcA ? fDefaults.MfcA : fDefaults.MfcB).KeepSetPointOnTableChange;
            fSimulator->EditMfc(mfc,
                                [keep](Sim::TMfcConfig& config) { config.KeepSetPointOnTableChange = keep; });
        }
        for (int d = 0; d < Sim::SimDeviceCount; ++d) {
            for (int f = 0; f < Sim::SimFaultCount; ++f) {
                const auto device = static_cast<Sim::TSimDevice>(d);
                const auto fault = static_cast<Sim::TSimFault>(f);
                std::string error;
                if (Sim::FaultApplies(device, fault) && fSimulator->HasFault(device, fault) &&
                    !fSimulator->SetFault(device, fault, false, error)) {
                    std::fprintf(stderr, "a fault cannot be cleared: %s\n", error.c_str());
                    std::abort();
                }
            }
        }
    }

private:
    std::string fFolder;
    Sim::TSimConfig fDefaults;
    bool fChanged = true;
    std::unique_ptr<Sim::TSimulator> fSimulator;
};

std::vector<std::string> Words(std::string_view line) {
    std::istringstream stream{std::string(line)};
    std::vector<std::string> words;
    std::string word;
    while (stream >> word) {
        words.push_back(word);
    }
    return words;
}

bool StartsWith(std::string_view text, std::string_view prefix) {
    return text.substr(0, prefix.size()) == prefix;
}

// True when the command changed the instruments.
bool CheckCommand(Sim::TSimulator& simulator, std::string_view line) {
    const std::string reply = Sim::ApplyControlCommand(simulator, line);
    const std::vector<std::string> words = Words(line);
    if (words.empty()) {
        FUZZ_CHECK(reply.empty());
        return false;
    }
    // Every reply is whole lines, and a refusal says so at its start.
    FUZZ_CHECK(!reply.empty() && reply.back() == '\n');
    if (StartsWith(reply, "error:")) {
        return false;
    }
    const std::string& verb = words[0];
    FUZZ_CHECK(verb == "help" || verb == "status" || verb == "table-change" || verb == "fault" ||
               verb == "unplug" || verb == "replug");
    if (verb == "fault" || verb == "unplug" || verb == "replug") {
        // What the reply says was done is what the instrument now has.
        const auto device = Sim::ParseDevice(words[1]);
        const auto fault = verb == "fault" ? Sim::ParseFault(words[2]) : Sim::sfUnplugged;
        FUZZ_CHECK(device && fault);
        const bool on = verb == "unplug" || (verb == "fault" && words[3] == "on");
        FUZZ_CHECK(simulator.HasFault(*device, *fault) == on);
        FUZZ_CHECK(reply == std::string(Sim::DeviceName(*device)) + " " +
                                std::string(Sim::FaultName(*fault)) + (on ? " on\n" : " off\n"));
    }
    return verb != "help" && verb != "status";
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static TSimUnderTest sim;
    sim.Reset();
    std::string_view text(reinterpret_cast<const char*>(data), size);
    for (std::size_t lines = 0; lines < MaxLines && !text.empty(); ++lines) {
        const std::size_t end = text.find('\n');
        if (CheckCommand(sim.Simulator(), text.substr(0, end))) {
            sim.NoteChanged();
        }
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
    }
    return 0;
}
