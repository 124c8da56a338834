// A remote client's bytes, through one session over an instrument that answers every figure and
// refuses some actions. The same bytes are also fed in pieces cut where the first byte says: a
// client's lines must mean the same however the network cuts them.

#include "FuzzCheck.h"
#include "remote/Instrument.h"
#include "remote/RemoteSession.h"
#include "remote/RemoteText.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace {

// Answers every figure, refuses every other action, and counts what it is asked.
class TCountingInstrument : public Remote::TInstrument {
public:
    int Calls = 0;

    std::string Identity() override { return Count(std::string("Moistrel,Moistrel,0,0.1")); }
    Remote::TMixerStatus State() override { return Count(Remote::TMixerStatus{1, "Stopped"}); }
    Remote::TActionResult LoadProgram(const std::string& file) override { return Act(file); }
    Remote::TActionResult ClearProgram() override { return Act("clear"); }
    Remote::TActionResult AppendTarget(const Remote::TTargetRequest& target) override {
        FUZZ_CHECK(std::isfinite(target.Value) && std::isfinite(target.HoldSeconds) &&
                   target.HoldSeconds > 0.0);
        FUZZ_CHECK((target.Kind == Remote::TTargetKind::tkPPM) == !target.Substance.empty());
        return Act(target.Substance);
    }
    int ProgramCount() override { return Count(2); }
    Remote::TActionResult StartProgram() override { return Act("start"); }
    Remote::TActionResult StopProgram() override { return Count(Remote::TActionResult::Success()); }
    Remote::TSegmentStatus Segment() override { return Count(Remote::TSegmentStatus{1, 2, 0.5}); }
    double FlowA() override { return Count(0.5); }
    double FlowB() override { return Count(std::nan("")); }
    double TotalizerA() override { return Count(1e300); }
    double RelativeHumidity() override { return Count(-0.0); }
    double PPM() override { return Count(HUGE_VAL); }
    std::string LastDataLine() override { return Count(std::string("a,\"b\r\nc\"")); }
    std::string DataHeader() override { return Count(std::string("Time,State")); }
    Remote::TActionResult Validate() override { return Act("validate"); }
    Remote::TActionResult SelectGasA(const std::string& name) override { return Act(name); }
    Remote::TActionResult SelectGasB(const std::string& name) override { return Act(name); }
    bool RemoteGasConfirmationAllowed() override { return Count(Calls % 2 == 0); }
    Remote::TActionResult ConfirmGases() override { return Act("confirm"); }

private:
    template <class T> T Count(const T& value) {
        ++Calls;
        return value;
    }
    Remote::TActionResult Act(const std::string& what) {
        ++Calls;
        FUZZ_CHECK(Remote::IsText(what));
        if (Calls % 3 == 0) {
            return Remote::TActionResult::Success();
        }
        return Remote::TActionResult::Refused("Refused \"" + what + "\":\r\nnot now",
                                              static_cast<Remote::TRefusalKind>(Calls % 6));
    }
};

struct TRun {
    std::vector<std::string> Lines;
    std::vector<Remote::TRemoteAction> Actions;
    bool Closed = false;
    int Calls = 0;
    std::vector<std::string> Errors;
};

void CheckLine(const std::string& line) {
    FUZZ_CHECK(line.find_first_of("\r\n") == std::string::npos);
    FUZZ_CHECK(Remote::IsText(line));
}

TRun Run(std::string_view bytes, std::size_t piece) {
    TCountingInstrument instrument;
    Remote::TRemoteSession session(instrument, {4});
    TRun run;
    // The input, and a line end for a last line left open.
    std::vector<std::string_view> feeds;
    while (!bytes.empty()) {
        feeds.push_back(bytes.substr(0, piece));
        bytes.remove_prefix(feeds.back().size());
    }
    feeds.emplace_back("\n");
    for (const std::string_view next : feeds) {
        Remote::TSessionOutput output = session.Feed(next);
        FUZZ_CHECK(!run.Closed || (output.Close && output.Lines.empty() && output.Actions.empty()));
        for (std::string& line : output.Lines) {
            CheckLine(line);
            run.Lines.push_back(std::move(line));
        }
        for (Remote::TRemoteAction& action : output.Actions) {
            run.Actions.push_back(std::move(action));
        }
        run.Closed = run.Closed || output.Close;
    }
    run.Calls = instrument.Calls;
    if (!run.Closed) {
        // The queue holds at most its four entries, each in the form SYST:ERR? gives, then "No error".
        for (int i = 0; i < 6; ++i) {
            const Remote::TSessionOutput output = session.Feed("SYST:ERR?\n");
            FUZZ_CHECK(output.Lines.size() == 1);
            const std::string& line = output.Lines.front();
            CheckLine(line);
            FUZZ_CHECK(line.size() > 4 && line.back() == '"' && line.find(",\"") != std::string::npos);
            run.Errors.push_back(line);
        }
        FUZZ_CHECK(run.Errors[4] == "0,\"No error\"" && run.Errors[5] == "0,\"No error\"");
    }
    return run;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const TRun whole = Run(bytes, bytes.size() + 1);
    const std::size_t piece = size == 0 ? 1 : 1 + static_cast<std::uint8_t>(bytes.front()) % 7;
    const TRun pieces = Run(bytes, piece);
    FUZZ_CHECK(whole.Lines == pieces.Lines);
    FUZZ_CHECK(whole.Actions == pieces.Actions);
    FUZZ_CHECK(whole.Closed == pieces.Closed);
    FUZZ_CHECK(whole.Calls == pieces.Calls);
    FUZZ_CHECK(whole.Errors == pieces.Errors);
    return 0;
}
