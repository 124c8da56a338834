#pragma once
// The run data file: one line per second of run time, from the press of Start until the safe stop
// has ended, in "Userdata/Run yyyy-mm-dd hh.mm.ss.csv" beside the run's recipe. The file is read by
// programs: comma separated, "." as the decimal separator whatever the operator's locale, a failed
// reading as an empty field. Every line is written and synchronised to the disk by the file's own
// writer thread moments after the tick hands it over, so a slow disk never stalls the tick.

#include "base/DateTime.h"

#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>

namespace UnitMain {

struct TRunDataRow {
    Base::TDateTime Time = 0.0;
    double ElapsedSeconds = 0.0; // whole seconds, but the last line's, which comes when the stop ends
    int MixerState = 0;
    int Segment = 0; // 1-based
    std::string SegmentName;
    double ASetPoint = 0.0;      // g/min
    double AObserved = 0.0;      // g/min; -1 or NaN: no reading
    double AMovingAverage = 0.0; // g/min
    double ATotalizer = 0.0;     // g; NaN: not read yet
    double BSetPoint = 0.0;      // g/min
    double BObserved = 0.0;      // g/min; -1 or NaN: no reading
    std::string PumpCommand;
    double LiquidPPM = 0.0;        // NaN: no value
    double RelativeHumidity = 0.0; // %; NaN: no value
    std::string Target;            // the segment's target ("RH 50 %"); empty for flows set by hand
};

std::string RunDataHeader();
// One line without its line end.
std::string RunDataLine(const TRunDataRow& row);
// "Run 2026-12-10 14.05.33.csv" and "Run 2026-12-10 14.05.33 report.txt"
std::string RunDataFileName(Base::TDateTime start);
std::string RunReportFileName(Base::TDateTime start);

// An open run data file. WriteLine only queues the line: a writer thread of the file's own writes
// what is queued, whole lines in order, in one write and then synchronises it to the disk
// (fsync), so a crash or a power cut loses at most the lines of the last moments, never part of a
// line, and the caller never waits for the disk. The writer's first failure ends it, the file cut
// back to its last whole line when the disk took only part of the lines (a full disk); the next
// WriteLine reports it. The file is closed on every path.
class TRunDataFile {
public:
    TRunDataFile() = default;
    ~TRunDataFile();
    TRunDataFile(const TRunDataFile&) = delete;
    TRunDataFile& operator=(const TRunDataFile&) = delete;

    // Creates (or replaces) the file and starts its writer; false with the reason when it cannot.
    bool Open(const std::string& path, std::string& error);
    bool IsOpen() const { return fFd >= 0; }
    // Queues `line` and a line end; false with the reason when the writer has failed.
    bool WriteLine(const std::string& line, std::string& error);
    // Lets the writer write and synchronise what is queued, then closes the file; false with the
    // reason when that (or an earlier write) failed.
    bool Close(std::string& error);
    void Close();

private:
    void Run();

    int fFd = -1;
    std::mutex fMutex;
    std::condition_variable fWake;
    std::string fQueued; // whole lines, each with its line end
    // The bytes of whole lines on the file; the writer's own (it alone writes).
    std::size_t fWritten = 0;
    bool fClosing = false;
    bool fFailed = false;
    std::string fError;
    std::thread fWriter;
};

} // namespace UnitMain
