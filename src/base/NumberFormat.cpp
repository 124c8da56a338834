#include "base/NumberFormat.h"

#include "base/FormatSettings.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string_view>

namespace Base {

namespace {

// |value| as `significant` decimal digits: value = 0.Digits x 10^PointPosition.
struct TDecimal {
    std::string Digits;    // no trailing zeros; empty for zero
    int PointPosition = 0; // digits before the decimal point
};

TDecimal ToDecimal(double magnitude, int significant) {
    TDecimal result;
    if (magnitude == 0.0) {
        return result;
    }
    // The largest double has 309 integer digits; a mask adds its fraction placeholders to them.
    char buffer[512];
    significant = std::clamp(significant, 1, static_cast<int>(sizeof buffer) - 16);
    std::snprintf(buffer, sizeof buffer, "%.*e", significant - 1, magnitude);
    // buffer: d.ddd...de[+-]xx
    const std::string_view text(buffer);
    const auto ePos = text.find('e');
    std::string digits;
    for (std::size_t i = 0; i < ePos; ++i) {
        if (text[i] != '.') {
            digits.push_back(text[i]);
        }
    }
    while (!digits.empty() && digits.back() == '0') {
        digits.pop_back();
    }
    result.Digits = digits;
    result.PointPosition = std::atoi(buffer + ePos + 1) + 1;
    return result;
}

constexpr int GeneralDigits = 15;

// A mask shows 15 significant digits, except that a value with more integer digits shows all of
// them as the double holds them (its fraction too, as far as the mask has placeholders): the digits
// of 9007199254740992 are not rounded to 9007199254740990.
TDecimal ToDecimalForMask(double magnitude, int fractionPlaceholders) {
    TDecimal number = ToDecimal(magnitude, GeneralDigits);
    if (number.PointPosition > GeneralDigits) {
        number = ToDecimal(magnitude, number.PointPosition + fractionPlaceholders);
    }
    return number;
}

// Rounds to `fractionDigits` digits after the point, halves away from zero (on the magnitude).
TDecimal RoundToFraction(TDecimal number, int fractionDigits) {
    const int keep = number.PointPosition + fractionDigits;
    if (keep >= static_cast<int>(number.Digits.size())) {
        return number;
    }
    if (keep < 0) {
        return {};
    }
    const bool roundUp = number.Digits[static_cast<std::size_t>(keep)] >= '5';
    std::string digits = number.Digits.substr(0, static_cast<std::size_t>(keep));
    if (roundUp) {
        int i = keep - 1;
        while (i >= 0 && digits[static_cast<std::size_t>(i)] == '9') {
            digits[static_cast<std::size_t>(i)] = '0';
            --i;
        }
        if (i >= 0) {
            ++digits[static_cast<std::size_t>(i)];
        } else {
            digits.insert(digits.begin(), '1');
            ++number.PointPosition;
        }
    }
    while (!digits.empty() && digits.back() == '0') {
        digits.pop_back();
    }
    number.Digits = digits;
    if (number.Digits.empty()) {
        number.PointPosition = 0;
    }
    return number;
}

bool IsPlaceholder(char c) {
    return c == '0' || c == '#';
}

} // namespace

std::string FormatMask(const std::string& mask, double value) {
    if (!std::isfinite(value)) {
        return "?";
    }
    const auto pointPos = mask.find('.');
    const std::string_view integerMask = std::string_view(mask).substr(0, pointPos);
    const std::string_view fractionMask =
        pointPos == std::string::npos ? std::string_view() : std::string_view(mask).substr(pointPos + 1);

    int integerPlaceholders = 0;
    int minIntegerDigits = 0;
    for (const char c : integerMask) {
        if (IsPlaceholder(c)) {
            ++integerPlaceholders;
            if (c == '0' && minIntegerDigits == 0) {
                minIntegerDigits = 1; // counts from here on
            } else if (minIntegerDigits > 0) {
                ++minIntegerDigits;
            }
        }
    }
    int fractionPlaceholders = 0;
    int minFractionDigits = 0;
    for (const char c : fractionMask) {
        if (IsPlaceholder(c)) {
            ++fractionPlaceholders;
            if (c == '0') {
                minFractionDigits = fractionPlaceholders;
            }
        }
    }

    const TDecimal number =
        RoundToFraction(ToDecimalForMask(std::fabs(value), fractionPlaceholders), fractionPlaceholders);
    const auto digitCount = static_cast<int>(number.Digits.size());
    auto digitAt = [&](int index) { // index 0 = first digit of the number
        return index >= 0 && index < digitCount ? number.Digits[static_cast<std::size_t>(index)] : '0';
    };

    std::string integerDigits;
    for (int i = 0; i < number.PointPosition; ++i) {
        integerDigits.push_back(digitAt(i));
    }
    while (static_cast<int>(integerDigits.size()) < minIntegerDigits) {
        integerDigits.insert(integerDigits.begin(), '0');
    }
    std::string fractionDigits;
    for (int i = 0; i < fractionPlaceholders; ++i) {
        fractionDigits.push_back(digitAt(number.PointPosition + i));
    }
    while (static_cast<int>(fractionDigits.size()) > minFractionDigits && fractionDigits.back() == '0') {
        fractionDigits.pop_back();
    }

    std::string result;
    if (value < 0 && !number.Digits.empty()) {
        result.push_back('-');
    }

    // Integer part: digits fill the placeholders from the right; surplus digits go at the first one.
    const auto integerCount = static_cast<int>(integerDigits.size());
    int placeholderIndex = 0;
    for (const char c : integerMask) {
        if (!IsPlaceholder(c)) {
            result.push_back(c);
            continue;
        }
        const int fromRight = integerPlaceholders - 1 - placeholderIndex;
        if (placeholderIndex == 0 && integerCount > integerPlaceholders) {
            result.append(integerDigits, 0, static_cast<std::size_t>(integerCount - integerPlaceholders));
        }
        if (fromRight < integerCount) {
            result.push_back(integerDigits[static_cast<std::size_t>(integerCount - 1 - fromRight)]);
        }
        ++placeholderIndex;
    }
    if (integerPlaceholders == 0) {
        result.append(integerDigits);
    }

    if (!fractionDigits.empty()) {
        result.append(FormatSettings().DecimalSeparator);
    }
    int fractionIndex = 0;
    for (const char c : fractionMask) {
        if (!IsPlaceholder(c)) {
            result.push_back(c);
            continue;
        }
        if (fractionIndex < static_cast<int>(fractionDigits.size())) {
            result.push_back(fractionDigits[static_cast<std::size_t>(fractionIndex)]);
        }
        ++fractionIndex;
    }
    return result;
}

std::string FormatGeneral(double value) {
    if (!std::isfinite(value)) {
        return "?";
    }
    const TDecimal number = ToDecimal(std::fabs(value), GeneralDigits);
    if (number.Digits.empty()) {
        return "0";
    }
    std::string result = value < 0 ? "-" : "";
    const std::string& separator = FormatSettings().DecimalSeparator;
    const int exponent = number.PointPosition - 1;
    const auto digitCount = static_cast<int>(number.Digits.size());
    if (exponent < -5 || exponent >= 15) {
        result.push_back(number.Digits[0]);
        if (digitCount > 1) {
            result.append(separator);
            result.append(number.Digits, 1);
        }
        result.append("E");
        result.append(std::to_string(exponent));
        return result;
    }
    if (number.PointPosition <= 0) {
        result.append("0");
        result.append(separator);
        result.append(static_cast<std::size_t>(-number.PointPosition), '0');
        result.append(number.Digits);
        return result;
    }
    for (int i = 0; i < number.PointPosition; ++i) {
        result.push_back(i < digitCount ? number.Digits[static_cast<std::size_t>(i)] : '0');
    }
    if (digitCount > number.PointPosition) {
        result.append(separator);
        result.append(number.Digits, static_cast<std::size_t>(number.PointPosition));
    }
    return result;
}

std::string FormatMaskOrGeneral(const std::string& mask, double value) {
    constexpr double FifteenDigitLimit = 1e15; // FormatGeneral's exponent form starts here too
    return std::fabs(value) < FifteenDigitLimit ? FormatMask(mask, value) : FormatGeneral(value);
}

} // namespace Base
