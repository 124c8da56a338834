#pragma once
// What a run leaves behind besides its recipe: the run data file, one line per second of run time
// from Start until the safe stop has ended, and the end-of-run report, one line per segment that ran
// (planned and actual duration, gas A delivered against what its set-point asked for, gas B's mean
// flow against its set-point, and how the run ended), to the operation log and beside the data file.
// Neither may stop or slow the run: a file that cannot be written is said once and left.

#include "base/Clock.h"
#include "base/DateTime.h"
#include "base/TextPane.h"
#include "run/RunDataFile.h"
#include "state/MoistrelState.h"

#include <optional>
#include <string>
#include <vector>

namespace UnitMain {

// One segment as it ran.
struct TSegmentRecord {
    int Number = 0; // 1-based
    std::string Name;
    double PlannedHours = 0.0;
    Base::TDateTime Start = 0.0;
    Base::TDateTime End = 0.0;
    double ASetPoint = 0.0; // g/min
    double BSetPoint = 0.0; // g/min
    // MFC A's totalizer at the first and the last good reading in the segment, g; NaN: none.
    double TotalizerFirst = 0.0;
    double TotalizerLast = 0.0;
    // MFC B's readings, one a second; a failed one counts as no flow.
    double BSum = 0.0;
    long BCount = 0;
};

enum class TRunEnd { reCompleted, reStoppedByOperator, reStoppedByProgram };

// The report's lines, without line ends: the first says when the run started and how it ended
// (`why` says what made the program stop it).
std::vector<std::string> RunReport(Base::TDateTime start, const std::vector<TSegmentRecord>& segments,
                                   TRunEnd how, bool flowsStopped, const std::string& why = "");

class TRunRecorder {
public:
    TRunRecorder(Base::TTextPane& memoLog, const Base::TClock& clock);

    bool Active() const { return fActive; }
    // A run starts at `start` (the recipe's time stamp); the data file goes to
    // "<programFolder>/Userdata".
    void Begin(const std::string& programFolder, Base::TDateTime start);
    // After every tick: the lines that are due and the segment's figures.
    void Sample(const TMoistrelState& state);
    // The operator pressed Stop during the run.
    void StopPressed() { fHow = TRunEnd::reStoppedByOperator; }
    // The program stopped the run itself (a dead worker, a silent instrument), for this reason.
    void StoppedByProgram(const std::string& why) {
        fHow = TRunEnd::reStoppedByProgram;
        fWhy = why;
    }
    // The safe stop has ended (state 1 or 6): the last line and the report.
    void End(const TMoistrelState& state);

    // The last line handed to the data file, without its line end, and its row; empty (and no
    // row) before the first line of the first run. They stay after the run has ended.
    const std::string& LastLine() const { return fLastLine; }
    const std::optional<TRunDataRow>& LastRow() const { return fLastRow; }

private:
    TRunDataRow Row(const TMoistrelState& state, Base::TDateTime time, double elapsedSeconds) const;
    void Write(const TRunDataRow& row);
    void FollowSegment(const TMoistrelState& state, Base::TDateTime now);
    void Fail(const std::string& what, const std::string& error);
    void Log(const std::string& text);

    Base::TTextPane& fMemoLog;
    const Base::TClock& fClock;
    bool fActive = false;
    std::string fFolder;
    Base::TDateTime fStart = 0.0;
    long long fNextSecond = 0;
    TRunDataFile fFile;
    bool fFileFailed = false;
    TRunEnd fHow = TRunEnd::reCompleted;
    std::string fWhy;
    // The segments that ran; the last one is running while the mixer is in state 2.
    std::vector<TSegmentRecord> fSegments;
    bool fSegmentOpen = false;
    std::string fLastLine;
    std::optional<TRunDataRow> fLastRow;
};

} // namespace UnitMain
