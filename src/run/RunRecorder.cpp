#include "run/RunRecorder.h"

#include "base/FileReplace.h"
#include "base/NumberFormat.h"
#include "logging/LogOld.h"
#include "model/GasCatalogue.h"
#include "model/GasItemDictionary.h"
#include "model/MixtureReport.h"
#include "pump/PumpCommands.h"
#include "run/SegmentFlows.h"

#include <array>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <limits>

namespace UnitMain {

namespace {

constexpr double NaN = std::numeric_limits<double>::quiet_NaN();

// The stop line of the safe stop, without its CR.
const std::string PumpStopCommand(UnitMain::PumpLineStopFill.substr(0,
                                                                    UnitMain::PumpLineStopFill.size() - 1));

// The worker marks a failed reading -1; a value that is no number is no reading either.
bool IsReading(double flow) {
    return flow != -1.0 && std::isfinite(flow);
}

std::string Duration(double days) {
    const auto seconds = static_cast<long long>(std::llround(std::max(0.0, days) * Base::SecondsPerDay));
    std::array<char, 32> buffer{};
    std::snprintf(buffer.data(), buffer.size(), "%lld:%02lld:%02lld", seconds / 3600, seconds / 60 % 60,
                  seconds % 60);
    return buffer.data();
}

std::string Percent(double part, double whole) {
    if (!(whole > 0.0) || !std::isfinite(part)) {
        return "?";
    }
    return Base::FormatMask("0.0", part / whole * 100.0) + " %";
}

} // namespace

std::vector<std::string> RunReport(Base::TDateTime start, const std::vector<TSegmentRecord>& segments,
                                   TRunEnd how, bool flowsStopped, const std::string& why) {
    std::vector<std::string> lines;
    std::string ending = how == TRunEnd::reCompleted           ? "ran to its end"
                         : how == TRunEnd::reStoppedByOperator ? "stopped by the operator"
                                                               : "stopped by the program (" + why + ")";
    ending += flowsStopped ? ", flows stopped" : ", flows NOT confirmed stopped (Could not stop flow!)";
    lines.push_back("Run report of the run started " + Base::FormatDateTime("yyyy-mm-dd hh:nn:ss", start) +
                    ": " + ending);
    for (const TSegmentRecord& s : segments) {
        const double minutes = (s.End - s.Start) * 1440.0;
        std::string line = "  Segment " + std::to_string(s.Number) + " \"" + s.Name + "\": planned " +
                           Duration(s.PlannedHours / 24.0) + ", actual " + Duration(s.End - s.Start) + "; ";
        if (s.ASetPoint > 0.0) {
            const double delivered = s.TotalizerLast - s.TotalizerFirst;
            const double asked = s.ASetPoint * minutes;
            line += "A delivered " +
                    (std::isfinite(delivered) ? Base::FormatMask("0.000 000", delivered) : "?") + " g of " +
                    Base::FormatMask("0.000 000", asked) + " g asked (" + Percent(delivered, asked) + ")";
        } else {
            line += "A none";
        }
        line += "; ";
        if (s.BSetPoint > 0.0 && s.BCount > 0) {
            const double mean = s.BSum / static_cast<double>(s.BCount);
            line += "B mean " + Base::FormatMask("0.000 000", mean) + " of " +
                    Base::FormatMask("0.000 000", s.BSetPoint) + " g/min (" + Percent(mean, s.BSetPoint) +
                    ")";
        } else if (s.BSetPoint > 0.0) {
            line += "B no reading";
        } else {
            line += "B none";
        }
        lines.push_back(line);
    }
    return lines;
}

TRunRecorder::TRunRecorder(Base::TTextPane& memoLog, const Base::TClock& clock)
    : fMemoLog(memoLog), fClock(clock) {}

void TRunRecorder::Log(const std::string& text) {
    Logging::LogOld(fMemoLog, text, fClock);
}

void TRunRecorder::Fail(const std::string& what, const std::string& error) {
    if (!fFileFailed) {
        Log("Run data file " + what + ": " + error + "; the run goes on without it");
    }
    fFileFailed = true;
    fFile.Close();
}

void TRunRecorder::Begin(const std::string& programFolder, Base::TDateTime start) {
    fActive = true;
    fStart = start;
    fNextSecond = 0;
    fFileFailed = false;
    fHow = TRunEnd::reCompleted;
    fWhy.clear();
    fSegments.clear();
    fSegmentOpen = false;
    fFolder = (std::filesystem::path(programFolder) / "Userdata").string();
    const std::string path = (std::filesystem::path(fFolder) / RunDataFileName(start)).string();
    std::string error;
    if (!fFile.Open(path, error)) {
        Fail("\"" + path + "\" cannot be made", error);
        return;
    }
    if (!fFile.WriteLine(RunDataHeader(), error)) {
        Fail("\"" + path + "\" cannot be written", error);
    }
}

TRunDataRow TRunRecorder::Row(const TMoistrelState& state, Base::TDateTime time,
                              double elapsedSeconds) const {
    TRunDataRow row;
    row.Time = time;
    row.ElapsedSeconds = elapsedSeconds;
    row.MixerState = state.MixerState;
    const TRunState& run = state.Run;
    // A failed reading is an empty field; A's moving average stands still while A gives none, so it
    // is no figure of that moment either.
    const bool aRead = IsReading(run.FlowAObserved);
    row.AObserved = aRead ? run.FlowAObserved : NaN;
    row.AMovingAverage = aRead ? run.FlowAMovingAverage : NaN;
    row.ATotalizer = run.FlowATotalizer;
    row.BObserved = IsReading(run.FlowBObserved) ? run.FlowBObserved : NaN;
    row.LiquidPPM = NaN;
    row.RelativeHumidity = NaN;
    if (!fSegments.empty()) {
        const TSegmentRecord& record = fSegments.back();
        row.Segment = record.Number;
        row.SegmentName = record.Name;
        const auto index = static_cast<std::size_t>(record.Number - 1);
        if (index < state.SegmentProgram.size()) {
            const GasMixtures::TGasItem& segment = state.SegmentProgram[index];
            const TSegmentFlows flows = FlowsOf(segment);
            row.ASetPoint = flows.A.Mass;
            row.BSetPoint = flows.B.Mass;
            row.PumpCommand = PumpCommandOf(flows);
            // The same analysis as the design panel's.
            GasMixtures::TGasItemDictionary totals;
            GasMixtures::AddMixtureToGasTotals(segment, totals);
            const GasMixtures::TLiquidFigures liquid = GasMixtures::LiquidFigures(totals);
            row.LiquidPPM = liquid.LiquidPPM;
            row.RelativeHumidity = liquid.RelativeHumidity;
            row.Target = segment.Target ? segment.Target->Name : std::string();
        }
    }
    if (state.MixerState == msValidated || state.MixerState == msCannotStop) {
        // The safe stop has given its verdict: what is commanded now is no flow at all, the pump
        // stopped, whatever the last segment asked for. A plot of the file ends where the mixer did.
        // The liquid's ppm and RH stay those of the segment that ran last, as readers expect.
        row.ASetPoint = 0.0;
        row.BSetPoint = 0.0;
        row.PumpCommand = PumpStopCommand;
    }
    return row;
}

void TRunRecorder::Write(const TRunDataRow& row) {
    if (fFileFailed || !fFile.IsOpen()) {
        return;
    }
    fLastLine = RunDataLine(row);
    fLastRow = row;
    std::string error;
    if (!fFile.WriteLine(fLastLine, error)) {
        Fail("cannot be written", error);
    }
}

void TRunRecorder::FollowSegment(const TMoistrelState& state, Base::TDateTime now) {
    const bool running = state.MixerState == msRunning;
    const int number = state.Run.CurrentSegment + 1;
    if (fSegmentOpen && (!running || fSegments.back().Number != number)) {
        // The segment ended: where the next one started, or now. The reading at hand was taken
        // before this tick ended it, so it is the segment's last one too.
        TSegmentRecord& ended = fSegments.back();
        ended.End = running ? state.Run.StepStartTime : now;
        if (std::isfinite(state.Run.FlowATotalizer)) {
            ended.TotalizerLast = state.Run.FlowATotalizer;
            if (!std::isfinite(ended.TotalizerFirst)) {
                ended.TotalizerFirst = state.Run.FlowATotalizer;
            }
        }
        fSegmentOpen = false;
    }
    if (running && !fSegmentOpen && number >= 1 && number <= static_cast<int>(state.SegmentProgram.size())) {
        const GasMixtures::TGasItem& segment = state.SegmentProgram[static_cast<std::size_t>(number - 1)];
        const TSegmentFlows flows = FlowsOf(segment);
        TSegmentRecord record;
        record.Number = number;
        record.Name = segment.StepName;
        record.PlannedHours = segment.StepTime;
        record.Start = state.Run.StepStartTime;
        record.End = now;
        record.ASetPoint = flows.A.Mass;
        record.BSetPoint = flows.B.Mass;
        record.TotalizerFirst = NaN;
        record.TotalizerLast = NaN;
        fSegments.push_back(record);
        fSegmentOpen = true;
    }
    if (fSegmentOpen) {
        TSegmentRecord& record = fSegments.back();
        record.End = now;
        if (std::isfinite(state.Run.FlowATotalizer)) {
            if (!std::isfinite(record.TotalizerFirst)) {
                record.TotalizerFirst = state.Run.FlowATotalizer;
            }
            record.TotalizerLast = state.Run.FlowATotalizer;
        }
    }
}

void TRunRecorder::Sample(const TMoistrelState& state) {
    if (!fActive) {
        return;
    }
    const Base::TDateTime now = fClock.Now();
    FollowSegment(state, now);
    const auto elapsed = static_cast<long long>(std::floor((now - fStart) * Base::SecondsPerDay + 1e-6));
    for (; fNextSecond <= elapsed; ++fNextSecond) {
        const Base::TDateTime time = fStart + static_cast<double>(fNextSecond) / Base::SecondsPerDay;
        Write(Row(state, time, static_cast<double>(fNextSecond)));
        if (fSegmentOpen) {
            TSegmentRecord& record = fSegments.back();
            // A failed reading counts as no flow: a B that was silent half the time delivered half.
            record.BSum += IsReading(state.Run.FlowBObserved) ? state.Run.FlowBObserved : 0.0;
            ++record.BCount;
        }
    }
}

void TRunRecorder::End(const TMoistrelState& state) {
    if (!fActive) {
        return;
    }
    Sample(state);
    const Base::TDateTime now = fClock.Now();
    // The line of the stop's verdict, at the moment it came.
    Write(Row(state, now, (now - fStart) * Base::SecondsPerDay));
    if (std::string error; !fFileFailed && fFile.IsOpen() && !fFile.Close(error)) {
        Fail("cannot be written", error);
    }
    fFile.Close();
    fActive = false;

    const std::vector<std::string> report =
        RunReport(fStart, fSegments, fHow, state.MixerState == msValidated, fWhy);
    std::string text;
    for (const std::string& line : report) {
        Log(line);
        text += line + "\r\n";
    }
    // Whole or not at all: a full disk leaves no empty or cut report beside the data file; the
    // lines stay in the operation log.
    const std::string path = (std::filesystem::path(fFolder) / RunReportFileName(fStart)).string();
    if (!Base::ReplaceFileContents(path, text)) {
        Log("Run report \"" + path + "\" cannot be written; its lines are in the operation log above");
    }
}

} // namespace UnitMain
