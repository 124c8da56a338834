#include "run/RunDataFile.h"

#include "base/DateTime.h"

#include <array>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace UnitMain {

namespace {

// A number with `decimals` decimals and "." as the separator, whatever the locale; empty when it has
// no value.
std::string Number(double value, int decimals) {
    if (!std::isfinite(value)) {
        return {};
    }
    std::array<char, 64> buffer{};
    const auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value,
                                      std::chars_format::fixed, decimals);
    if (result.ec != std::errc()) {
        return {};
    }
    return {buffer.data(), result.ptr};
}

// A reading: -1 is the worker's mark of a failed one.
std::string Reading(double value, int decimals) {
    return value == -1.0 ? std::string() : Number(value, decimals);
}

// A text field, quoted when it holds a separator, a quote or a line break.
std::string Text(const std::string& text) {
    if (text.find_first_of(",\"\r\n") == std::string::npos) {
        return text;
    }
    std::string quoted = "\"";
    for (const char c : text) {
        quoted += c;
        if (c == '"') {
            quoted += '"';
        }
    }
    return quoted + "\"";
}

// ISO 8601 local time with milliseconds; the separators are fixed, not the locale's.
std::string IsoTime(Base::TDateTime time) {
    const Base::TDateTimeParts p = Base::DecodeDateTime(time);
    std::array<char, 32> buffer{};
    std::snprintf(buffer.data(), buffer.size(), "%04d-%02d-%02dT%02d:%02d:%02d.%03d", p.Year, p.Month, p.Day,
                  p.Hour, p.Minute, p.Second, p.Millisecond);
    return buffer.data();
}

} // namespace

std::string RunDataHeader() {
    return "Time,Elapsed s,Mixer state,Segment,Segment name,A set-point g/min,A observed g/min,"
           "A moving average g/min,A totalizer g,B set-point g/min,B observed g/min,Pump command,"
           "Liquid ppm,RH %,Target";
}

std::string RunDataLine(const TRunDataRow& row) {
    std::string line = IsoTime(row.Time);
    for (const std::string& field :
         {Number(row.ElapsedSeconds, 3), std::to_string(row.MixerState), std::to_string(row.Segment),
          Text(row.SegmentName), Number(row.ASetPoint, 6), Reading(row.AObserved, 6),
          Number(row.AMovingAverage, 6), Number(row.ATotalizer, 6), Number(row.BSetPoint, 6),
          Reading(row.BObserved, 6), Text(row.PumpCommand), Number(row.LiquidPPM, 1),
          Number(row.RelativeHumidity, 2), Text(row.Target)}) {
        line += ",";
        line += field;
    }
    return line;
}

std::string RunDataFileName(Base::TDateTime start) {
    return "Run " + Base::FormatDateTime("yyyy-mm-dd hh.nn.ss", start) + ".csv";
}

std::string RunReportFileName(Base::TDateTime start) {
    return "Run " + Base::FormatDateTime("yyyy-mm-dd hh.nn.ss", start) + " report.txt";
}

TRunDataFile::~TRunDataFile() {
    Close();
}

bool TRunDataFile::Open(const std::string& path, std::string& error) {
    Close();
    fFd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fFd < 0) {
        error = std::strerror(errno);
        return false;
    }
    fQueued.clear();
    fWritten = 0;
    fClosing = false;
    fFailed = false;
    fError.clear();
    fWriter = std::thread([this] { Run(); });
    return true;
}

bool TRunDataFile::WriteLine(const std::string& line, std::string& error) {
    const std::lock_guard lock(fMutex);
    if (fFd < 0 || fClosing) {
        error = "the file is not open";
        return false;
    }
    if (fFailed) {
        error = fError;
        return false;
    }
    // A line a second: even a disk that hangs for hours queues only a few hundred kilobytes.
    fQueued += line;
    fQueued += '\n';
    fWake.notify_one();
    return true;
}

void TRunDataFile::Run() {
    std::unique_lock lock(fMutex);
    for (;;) {
        fWake.wait(lock, [this] { return !fQueued.empty() || fClosing; });
        if (fQueued.empty()) {
            return; // closing, and everything is on the disk
        }
        std::string lines;
        lines.swap(fQueued);
        lock.unlock();
        std::string error;
        std::size_t done = 0;
        while (done < lines.size() && error.empty()) {
            const ssize_t n = ::write(fFd, lines.data() + done, lines.size() - done);
            if (n > 0) {
                done += static_cast<std::size_t>(n);
            } else if (n < 0 && errno != EINTR) {
                error = std::strerror(errno);
            }
        }
        if (!error.empty()) {
            // A full disk takes part of the lines: the file goes back to its last whole line, so that
            // what a reader finds ends where a line ends.
            std::size_t kept = 0;
            if (const std::size_t last = done == 0 ? std::string::npos : lines.rfind('\n', done - 1);
                last != std::string::npos) {
                kept = last + 1;
            }
            if (kept < done) {
                const auto end = static_cast<off_t>(fWritten + kept);
                if (::ftruncate(fFd, end) != 0) {
                    error += std::string(" (and the cut line stays: ") + std::strerror(errno) + ")";
                } else {
                    ::fsync(fFd); // the whole lines and the file's new end go to the disk
                }
            }
            done = kept;
        }
        fWritten += done;
        if (error.empty() && ::fsync(fFd) != 0) {
            error = std::strerror(errno);
        }
        lock.lock();
        if (!error.empty()) {
            fFailed = true;
            fError = error;
            fQueued.clear();
            return;
        }
    }
}

bool TRunDataFile::Close(std::string& error) {
    {
        const std::lock_guard lock(fMutex);
        if (fFd < 0) {
            return true;
        }
        fClosing = true;
        fWake.notify_one();
    }
    if (fWriter.joinable()) {
        fWriter.join();
    }
    const bool ok = !fFailed;
    if (!ok) {
        error = fError;
    }
    ::close(fFd);
    fFd = -1;
    fClosing = false;
    return ok;
}

void TRunDataFile::Close() {
    std::string ignored;
    Close(ignored);
}

} // namespace UnitMain
