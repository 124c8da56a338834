#pragma once
// Date-times are days since 1899-12-30 00:00 local time held in a double; the fraction is the
// time of day. Stored records and the run loop count time this way.
//
// FormatDateTime patterns: yyyy year, mm month (minutes right after an hour), dd day,
// hh hour 00-23, nn minutes, ss seconds, zzz milliseconds; ":" prints the locale's time
// separator; every other character is copied.
//   "yyyy-mm-dd hh:mm:ss"   "yyyy-mm-dd hh_mm_ss"   "hh:nn:ss.zzz"   "dd-hh-mm-ss"

#include <string>

namespace Base {

using TDateTime = double;

struct TDateTimeParts {
    int Year = 1899;
    int Month = 12;
    int Day = 30;
    int Hour = 0;
    int Minute = 0;
    int Second = 0;
    int Millisecond = 0;
};

TDateTime EncodeDateTime(const TDateTimeParts& parts);
TDateTimeParts DecodeDateTime(TDateTime value);
std::string FormatDateTime(const std::string& pattern, TDateTime value);

// The wall clock in local time, as a date-time.
TDateTime SystemNow();

inline constexpr double MillisecondsPerDay = 86400000.0;
inline constexpr double SecondsPerDay = 86400.0;

} // namespace Base
