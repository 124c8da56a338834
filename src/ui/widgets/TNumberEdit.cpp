#include "ui/widgets/TNumberEdit.h"

#include "base/FormatSettings.h"
#include "base/NumberFormat.h"

#include <QFocusEvent>
#include <QKeyEvent>
#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <limits>

namespace Widgets {

namespace {

constexpr double IntegralLimit = 2147483647.0; // the integer fields hold 32-bit values

} // namespace

TNumberEdit::TNumberEdit(bool integral, QWidget* parent)
    : QLineEdit(parent), fIntegral(integral),
      fMin(integral ? -IntegralLimit - 1.0 : -std::numeric_limits<double>::max()),
      fMax(integral ? IntegralLimit : std::numeric_limits<double>::max()) {
    connect(this, &QLineEdit::textEdited, this, &TNumberEdit::OnTextEdited);
    ShowValue();
}

double TNumberEdit::Clamp(double value) const {
    if (std::isnan(value)) {
        value = 0.0;
    }
    if (fIntegral) {
        value = std::round(value);
    }
    return std::clamp(value, fMin, fMax);
}

void TNumberEdit::Hold(double value) {
    if (value == fValue) {
        return;
    }
    fValue = value;
    emit ValueChanged(fValue);
}

void TNumberEdit::SetNumberValue(double value) {
    const double clamped = Clamp(value);
    ShowValue(clamped);
    Hold(clamped);
}

void TNumberEdit::SetMinimum(double minimum) {
    SetBounds(minimum, std::max(minimum, fMax));
}

void TNumberEdit::SetMaximum(double maximum) {
    SetBounds(std::min(fMin, maximum), maximum);
}

void TNumberEdit::SetBounds(double minimum, double maximum) {
    if (std::isnan(minimum) || std::isnan(maximum)) {
        return;
    }
    fMin = std::min(minimum, maximum);
    fMax = std::max(minimum, maximum);
    if (fIntegral) {
        fMin = std::max(std::ceil(fMin), -IntegralLimit - 1.0);
        fMax = std::min(std::floor(fMax), IntegralLimit);
        fMax = std::max(fMin, fMax);
    }
    const double clamped = Clamp(fValue);
    if (clamped != fValue) {
        ShowValue(clamped);
        Hold(clamped);
    }
}

void TNumberEdit::SetDisplayFormat(const std::string& mask) {
    fMask = mask;
    ShowValue();
}

void TNumberEdit::ShowValue() {
    ShowValue(fValue);
}

void TNumberEdit::ShowValue(double value) {
    std::string shown;
    if (fIntegral) {
        shown = std::to_string(static_cast<long long>(value));
    } else if (fMask.empty()) {
        shown = Base::FormatGeneral(value);
    } else {
        shown = Base::FormatMask(fMask, value);
    }
    setText(QString::fromStdString(shown));
}

bool TNumberEdit::ParseNumber(const std::string& text, bool integral, double& value) {
    const std::string& separator = Base::FormatSettings().DecimalSeparator;
    std::string plain; // in the C locale's spelling, for strtod
    bool digit = false;
    bool seenSeparator = false;
    bool seenExponent = false;
    for (std::size_t i = 0; i < text.size();) {
        const char c = text[i];
        if (c == ' ') {
            ++i;
        } else if (c >= '0' && c <= '9') {
            plain += c;
            digit = true;
            ++i;
        } else if ((c == '+' || c == '-') && (plain.empty() || (seenExponent && (plain.back() == 'e')))) {
            plain += c;
            ++i;
        } else if (!integral && !seenSeparator && !seenExponent && !separator.empty() &&
                   text.compare(i, separator.size(), separator) == 0) {
            plain += '.';
            seenSeparator = true;
            i += separator.size();
        } else if (!integral && !seenExponent && digit && (c == 'e' || c == 'E')) {
            plain += 'e';
            seenExponent = true;
            ++i;
        } else {
            return false;
        }
    }
    if (!digit || plain.back() == 'e' || plain.back() == '+' || plain.back() == '-') {
        return false;
    }
    errno = 0;
    char* end = nullptr;
    const double parsed = std::strtod(plain.c_str(), &end);
    if (end == nullptr || *end != '\0' || !std::isfinite(parsed)) {
        return false;
    }
    value = parsed;
    return true;
}

void TNumberEdit::OnTextEdited(const QString& text) {
    // The text stays as typed (so "1" on the way to "150" survives a minimum of 100); the value
    // follows it, clamped, and the text is tidied when the operator leaves the field.
    const std::string typed = text.toStdString();
    double parsed = 0.0;
    if (typed.find_first_not_of(' ') == std::string::npos) {
        Hold(Clamp(0.0));
    } else if (ParseNumber(typed, fIntegral, parsed)) {
        Hold(Clamp(parsed));
    }
}

void TNumberEdit::keyPressEvent(QKeyEvent* event) {
    QLineEdit::keyPressEvent(event);
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        ShowValue();
    }
}

void TNumberEdit::keyReleaseEvent(QKeyEvent* event) {
    QLineEdit::keyReleaseEvent(event);
    if (!event->isAutoRepeat()) {
        emit KeyUp(event->key(), event->modifiers());
    }
}

void TNumberEdit::focusOutEvent(QFocusEvent* event) {
    QLineEdit::focusOutEvent(event);
    ShowValue();
}

} // namespace Widgets
