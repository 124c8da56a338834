// What one remote line costs the main thread, where the sessions run between two ticks: a figure
// query, a line of several queries, a program built from targets, a malformed line, and a line of
// the full 4096 bytes. The instrument answers at once, so this is the session's own share.

#include "remote/Instrument.h"
#include "remote/RemoteSession.h"

#include <benchmark/benchmark.h>
#include <string>

namespace {

class TQuietInstrument : public Remote::TInstrument {
public:
    std::string Identity() override { return "Moistrel,Moistrel,0,0.1"; }
    Remote::TMixerStatus State() override { return {2, "Running"}; }
    Remote::TActionResult LoadProgram(const std::string&) override { return {}; }
    Remote::TActionResult ClearProgram() override { return {}; }
    Remote::TActionResult AppendTarget(const Remote::TTargetRequest&) override { return {}; }
    int ProgramCount() override { return 3; }
    Remote::TActionResult StartProgram() override { return {}; }
    Remote::TActionResult StopProgram() override { return {}; }
    Remote::TSegmentStatus Segment() override { return {2, 3, 1799.95}; }
    double FlowA() override { return 0.499871; }
    double FlowB() override { return 0.250013; }
    double TotalizerA() override { return 12.3456; }
    double RelativeHumidity() override { return 49.873; }
    double PPM() override { return 15320.5; }
    std::string LastDataLine() override {
        return "2026-12-11 10:00:01,61,2,2,RH 50 "
               "%,0.5,0.499871,0.5,12.3456,0.25,0.250013,/1TIV10A20R,15320.5,"
               "49.873";
    }
    std::string DataHeader() override { return "Time,Elapsed s"; }
    Remote::TActionResult Validate() override { return {}; }
    Remote::TActionResult SelectGasA(const std::string&) override { return {}; }
    Remote::TActionResult SelectGasB(const std::string&) override { return {}; }
    bool RemoteGasConfirmationAllowed() override { return true; }
    Remote::TActionResult ConfirmGases() override { return {}; }
};

void Lines(benchmark::State& bench, const std::string& line) {
    TQuietInstrument instrument;
    Remote::TRemoteSession session(instrument);
    for (auto _ : bench) {
        Remote::TSessionOutput output = session.Feed(line);
        benchmark::DoNotOptimize(output);
        session.Errors().Clear();
    }
    bench.SetBytesProcessed(static_cast<std::int64_t>(bench.iterations() * line.size()));
}

void BM_FigureQuery(benchmark::State& bench) {
    Lines(bench, "MEAS:FLOW:A?\n");
}
void BM_FollowTheRun(benchmark::State& bench) {
    Lines(bench, "PROG:SEGM?;:DATA:LAST?;:SYST:STAT?\r\n");
}
void BM_ThreeTargets(benchmark::State& bench) {
    Lines(bench, "PROGram:CLEar;APPend:TARGet RH,10,1800;TARGet RH,50,1800;TARGet DEWPoint,-10,1800\n");
}
void BM_MalformedLine(benchmark::State& bench) {
    Lines(bench, "PROG:APP:TARG RH,5O,1800\n");
}
void BM_LongestLine(benchmark::State& bench) {
    Lines(bench, "MEAS:RH?" + std::string(4096 - 8, ' ') + "\n");
}

BENCHMARK(BM_FigureQuery);
BENCHMARK(BM_FollowTheRun);
BENCHMARK(BM_ThreeTargets);
BENCHMARK(BM_MalformedLine);
BENCHMARK(BM_LongestLine);

} // namespace

BENCHMARK_MAIN();
