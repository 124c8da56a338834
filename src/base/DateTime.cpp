#include "base/DateTime.h"

#include "base/FormatSettings.h"

#include <cmath>
#include <cstdint>
#include <ctime>

namespace Base {

namespace {

// Days since 1970-01-01 of a proleptic Gregorian date (Howard Hinnant's algorithm).
constexpr std::int64_t DaysFromCivil(std::int64_t y, unsigned m, unsigned d) {
    y -= m <= 2 ? 1 : 0;
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const auto yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<std::int64_t>(doe) - 719468;
}

void CivilFromDays(std::int64_t z, int& year, int& month, int& day) {
    z += 719468;
    const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const auto doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const std::int64_t y = static_cast<std::int64_t>(yoe) + era * 400;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    const unsigned d = doy - (153 * mp + 2) / 5 + 1;
    const unsigned m = mp < 10 ? mp + 3 : mp - 9;
    year = static_cast<int>(y + (m <= 2 ? 1 : 0));
    month = static_cast<int>(m);
    day = static_cast<int>(d);
}

// A constant, so date-times encoded during static initialisation are right too.
constexpr std::int64_t EpochOffsetDays = DaysFromCivil(1899, 12, 30);
constexpr std::int64_t MsPerDay = 86400000;

std::string TwoDigits(int value) {
    std::string text = std::to_string(value);
    return text.size() < 2 ? "0" + text : text;
}

std::string Digits(int value, std::size_t width) {
    std::string text = std::to_string(value);
    while (text.size() < width) {
        text.insert(text.begin(), '0');
    }
    return text;
}

} // namespace

TDateTime EncodeDateTime(const TDateTimeParts& parts) {
    const std::int64_t days =
        DaysFromCivil(parts.Year, static_cast<unsigned>(parts.Month), static_cast<unsigned>(parts.Day)) -
        EpochOffsetDays;
    const std::int64_t ms =
        ((parts.Hour * 60LL + parts.Minute) * 60LL + parts.Second) * 1000LL + parts.Millisecond;
    return static_cast<double>(days) + static_cast<double>(ms) / MillisecondsPerDay;
}

TDateTimeParts DecodeDateTime(TDateTime value) {
    TDateTimeParts parts;
    const auto totalMs = static_cast<std::int64_t>(std::llround(value * MillisecondsPerDay));
    std::int64_t days = totalMs / MsPerDay;
    std::int64_t msOfDay = totalMs % MsPerDay;
    if (msOfDay < 0) {
        msOfDay += MsPerDay;
        --days;
    }
    CivilFromDays(days + EpochOffsetDays, parts.Year, parts.Month, parts.Day);
    parts.Hour = static_cast<int>(msOfDay / 3600000);
    parts.Minute = static_cast<int>(msOfDay / 60000 % 60);
    parts.Second = static_cast<int>(msOfDay / 1000 % 60);
    parts.Millisecond = static_cast<int>(msOfDay % 1000);
    return parts;
}

std::string FormatDateTime(const std::string& pattern, TDateTime value) {
    const TDateTimeParts parts = DecodeDateTime(value);
    std::string result;
    bool afterHour = false; // "mm" right after an hour means minutes
    std::size_t i = 0;
    auto startsWith = [&](const char* token) {
        return pattern.compare(i, std::char_traits<char>::length(token), token) == 0;
    };
    while (i < pattern.size()) {
        if (startsWith("yyyy")) {
            result += Digits(parts.Year, 4);
            i += 4;
            afterHour = false;
        } else if (startsWith("mm")) {
            result += TwoDigits(afterHour ? parts.Minute : parts.Month);
            i += 2;
            afterHour = false;
        } else if (startsWith("nn")) {
            result += TwoDigits(parts.Minute);
            i += 2;
            afterHour = false;
        } else if (startsWith("dd")) {
            result += TwoDigits(parts.Day);
            i += 2;
            afterHour = false;
        } else if (startsWith("hh")) {
            result += TwoDigits(parts.Hour);
            i += 2;
            afterHour = true;
        } else if (startsWith("ss")) {
            result += TwoDigits(parts.Second);
            i += 2;
            afterHour = false;
        } else if (startsWith("zzz")) {
            result += Digits(parts.Millisecond, 3);
            i += 3;
            afterHour = false;
        } else if (pattern[i] == ':') {
            result += FormatSettings().TimeSeparator;
            ++i;
        } else {
            result.push_back(pattern[i]);
            ++i;
        }
    }
    return result;
}

TDateTime SystemNow() {
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    tm local{};
    localtime_r(&now.tv_sec, &local);
    TDateTimeParts parts;
    parts.Year = local.tm_year + 1900;
    parts.Month = local.tm_mon + 1;
    parts.Day = local.tm_mday;
    parts.Hour = local.tm_hour;
    parts.Minute = local.tm_min;
    parts.Second = local.tm_sec;
    parts.Millisecond = static_cast<int>(now.tv_nsec / 1000000);
    return EncodeDateTime(parts);
}

} // namespace Base
