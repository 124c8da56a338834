#pragma once
// The run data file: one line per second of run time, from the press of Start until the safe stop
// has ended, in "Userdata/Run yyyy-mm-dd hh.mm.ss.csv" beside the run's recipe. The file is read by
// programs: comma separated, "." as the decimal separator whatever the operator's locale, a failed
// reading as an empty field. Every line reaches the disk when it is written.

#include "base/DateTime.h"

#include <cstdio>
#include <memory>
#include <string>

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
};

std::string RunDataHeader();
// One line without its line end.
std::string RunDataLine(const TRunDataRow& row);
// "Run 2026-12-10 14.05.33.csv" and "Run 2026-12-10 14.05.33 report.txt"
std::string RunDataFileName(Base::TDateTime start);
std::string RunReportFileName(Base::TDateTime start);

// An open run data file. Each WriteLine is flushed and synchronised to the disk, so a crash or a
// power cut loses at most the line being written. The file is closed on every path.
class TRunDataFile {
public:
    // Creates (or replaces) the file; false with the reason when it cannot.
    bool Open(const std::string& path, std::string& error);
    bool IsOpen() const { return fFile != nullptr; }
    // Writes `line` and a line end and makes them reach the disk; false with the reason.
    bool WriteLine(const std::string& line, std::string& error);
    void Close();

private:
    struct TCloser {
        void operator()(std::FILE* file) const noexcept { std::fclose(file); }
    };
    std::unique_ptr<std::FILE, TCloser> fFile;
};

} // namespace UnitMain
