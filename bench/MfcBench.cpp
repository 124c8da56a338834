// MFC exchanges against the virtual MFC with the wire timing of 9600 baud (11 bits a character).
// Each benchmark reports, besides its time, the wire time of the bytes that really crossed the
// line (counted by the virtual MFC) and the ratio of the measured time to it (x_wire):
//   BM_ReadF32               one TVogtlinPort read of the measured flow (8 + 9 bytes, ~19.5 ms)
//   BM_LibmodbusReadF32      the same two registers read by libmodbus on the same link
//   BM_IdentifyThreeTables   IdentifyMFC of an MFC with three gas tables, with the real pauses
//   BM_WorkerPassExchanges   the exchanges of one worker pass (set-point, flow and totalizer of
//                            MFC A, flow of MFC B) and its 50 ms pause: the pass period, without
//                            the bookkeeping between the exchanges
// After the table it prints the x_wire of our read and of libmodbus's, measured in the same run.
// Run: bench_mfc --benchmark_counters_tabular=true (bench/mfc_exchange.sh builds and runs it)

#include "mfc/MFCIdentity.h"
#include "mfc/VogtlinPort.h"
#include "modbus/VogtlinRegisters.h"
#include "sim/Simulator.h"
#include "sim/WireTiming.h"

#include <atomic>
#include <benchmark/benchmark.h>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <memory>
#include <modbus.h>
#include <string>
#include <thread>

namespace {

using namespace SerialPortVogtlin;

// The virtual instruments with wire timing, started once for every benchmark.
class TBenchSim {
public:
    TBenchSim() {
        std::string folder = (std::filesystem::temp_directory_path() / "moistrel-mfc-bench-XXXXXX").string();
        if (::mkdtemp(folder.data()) == nullptr) {
            fError = "cannot make a temporary folder";
            return;
        }
        fFolder = folder;
        Sim::TSimConfig config = Sim::DefaultSimConfig(fFolder);
        config.Fast = false; // 9600 baud on the wire
        fSim = std::make_unique<Sim::TSimulator>(config);
        if (!fSim->Start(fError)) {
            fSim.reset();
            return;
        }
        fSim->SetTrace([this](const std::string& line) {
            // "mfc-a <- 01 03 00 00 00 02 C4 0B": three characters a byte after the device and arrow
            // (both MFCs; the lines that say what was dropped carry no bytes).
            const std::size_t start = line.find(' ', line.find(' ') + 1);
            const bool bytesOnWire =
                line.find(" <- ") != std::string::npos || line.find(" -> ") != std::string::npos;
            if (start != std::string::npos && line.rfind("mfc-", 0) == 0 && bytesOnWire) {
                fWireBytes += (line.size() - start) / 3;
            }
        });
    }
    ~TBenchSim() {
        if (fSim) {
            fSim->SetTrace({});
            fSim->Stop();
        }
        std::error_code ignored;
        if (!fFolder.empty()) {
            std::filesystem::remove_all(fFolder, ignored);
        }
    }
    TBenchSim(const TBenchSim&) = delete;
    TBenchSim& operator=(const TBenchSim&) = delete;

    bool Ready() const { return fSim != nullptr; }
    const std::string& Error() const { return fError; }
    std::string PortA() const { return fSim->PortPath(Sim::sdMfcA); }
    std::string PortB() const { return fSim->PortPath(Sim::sdMfcB); }
    std::size_t TakeWireBytes() { return fWireBytes.exchange(0); }

private:
    std::string fFolder;
    std::string fError;
    std::unique_ptr<Sim::TSimulator> fSim;
    std::atomic<std::size_t> fWireBytes{0};
};

TBenchSim& BenchSim() {
    static TBenchSim sim;
    return sim;
}

// The x_wire of each benchmark that reported one, for the summary after the table.
std::map<std::string, double>& WireRatios() {
    static std::map<std::string, double> ratios;
    return ratios;
}

// Wall time of the timed loop against the wire time of the bytes counted meanwhile.
class TWireMeter {
public:
    explicit TWireMeter(TBenchSim& sim) : fSim(sim) {
        fSim.TakeWireBytes();
        fStart = std::chrono::steady_clock::now();
    }
    void Report(benchmark::State& state, const std::string& name) {
        const double seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - fStart).count();
        const double iterations = static_cast<double>(state.iterations());
        const double wireSeconds =
            static_cast<double>(fSim.TakeWireBytes()) * Sim::WireSecondsPerByte / iterations;
        state.counters["wire_ms"] = wireSeconds * 1000.0;
        state.counters["x_wire"] = seconds / iterations / wireSeconds;
        WireRatios()[name] = seconds / iterations / wireSeconds;
    }

private:
    TBenchSim& fSim;
    std::chrono::steady_clock::time_point fStart;
};

void BM_ReadF32(benchmark::State& state) {
    TBenchSim& sim = BenchSim();
    if (!sim.Ready()) {
        state.SkipWithError(sim.Error().c_str());
        return;
    }
    TVogtlinPort port;
    ConfigureForMFC(port, sim.PortA());
    SerialPort::TSerialResponse response;
    TWireMeter meter(sim);
    for (auto _ : state) {
        port.ReadF32(1, regMeasuredFlow, response);
        if (!response.Status.empty()) {
            state.SkipWithError(response.Status.c_str());
            return;
        }
        response.AsHex.clear();
        response.AsInt.clear();
    }
    meter.Report(state, "BM_ReadF32");
}
BENCHMARK(BM_ReadF32)->UseRealTime()->Unit(benchmark::kMillisecond)->MinTime(2.0);

void BM_LibmodbusReadF32(benchmark::State& state) {
    TBenchSim& sim = BenchSim();
    if (!sim.Ready()) {
        state.SkipWithError(sim.Error().c_str());
        return;
    }
    const std::string path = sim.PortA();
    modbus_t* context = modbus_new_rtu(path.c_str(), 9600, 'N', 8, 2);
    if (context == nullptr || modbus_set_slave(context, 1) != 0 || modbus_connect(context) != 0) {
        state.SkipWithError("libmodbus cannot open the virtual MFC");
        if (context != nullptr) {
            modbus_free(context);
        }
        return;
    }
    std::uint16_t registers[2] = {};
    TWireMeter meter(sim);
    for (auto _ : state) {
        if (modbus_read_registers(context, regMeasuredFlow, 2, registers) != 2) {
            state.SkipWithError(modbus_strerror(errno));
            break;
        }
    }
    meter.Report(state, "BM_LibmodbusReadF32");
    modbus_close(context);
    modbus_free(context);
}
BENCHMARK(BM_LibmodbusReadF32)->UseRealTime()->Unit(benchmark::kMillisecond)->MinTime(2.0);

void BM_IdentifyThreeTables(benchmark::State& state) {
    TBenchSim& sim = BenchSim();
    if (!sim.Ready()) {
        state.SkipWithError(sim.Error().c_str());
        return;
    }
    TMFCDetails mfc;
    mfc.ComPortName = sim.PortA();
    mfc.ModBusAddress = 1;
    mfc.DynamicRangeCull = 20;
    TWireMeter meter(sim);
    for (auto _ : state) {
        IdentifyMFC(mfc);
        if (!mfc.Validated || mfc.LUT[2].NameShort.empty() || !mfc.LUT[3].NameShort.empty()) {
            state.SkipWithError("identification incomplete");
            return;
        }
    }
    meter.Report(state, "BM_IdentifyThreeTables");
}
BENCHMARK(BM_IdentifyThreeTables)->UseRealTime()->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_WorkerPassExchanges(benchmark::State& state) {
    TBenchSim& sim = BenchSim();
    if (!sim.Ready()) {
        state.SkipWithError(sim.Error().c_str());
        return;
    }
    SerialPort::TSerialResponse response;
    TWireMeter meter(sim);
    for (auto _ : state) {
        // One port object per transaction, as the worker has it.
        for (const std::uint32_t reg : {regSetPoint, regMeasuredFlow, regTotalizer}) {
            TVogtlinPort port;
            ConfigureForMFC(port, sim.PortA());
            port.ReadF32(1, reg, response);
        }
        TVogtlinPort portB;
        ConfigureForMFC(portB, sim.PortB());
        portB.ReadF32(2, regMeasuredFlow, response);
        if (!response.Status.empty()) {
            state.SkipWithError(response.Status.c_str());
            return;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        response.AsHex.clear();
        response.AsInt.clear();
    }
    meter.Report(state, "BM_WorkerPassExchanges");
}
BENCHMARK(BM_WorkerPassExchanges)->UseRealTime()->Unit(benchmark::kMillisecond)->MinTime(2.0);

void PrintRatio(const char* label, const std::string& benchmark) {
    const auto found = WireRatios().find(benchmark);
    if (found != WireRatios().end()) {
        std::printf("%s x_wire %.3f\n", label, found->second);
    }
}

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    PrintRatio("ReadF32          ", "BM_ReadF32");
    PrintRatio("libmodbus ReadF32", "BM_LibmodbusReadF32");
    return 0;
}
