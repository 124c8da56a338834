#pragma once
// A one-line numeric field with bounds. Every value given to it and every new bound clamps the
// value at once; typed text is read with the locale's decimal separator (group blanks ignored) and
// shown again in the field's display format when the field loses focus or Return is pressed.
// Key releases are reported, because the program's handlers run on them; so is every change of the
// value, whatever made it (typing, an input method, a paste, a new bound, code), for what must
// follow the value itself.

#include <QLineEdit>
#include <string>

class QFocusEvent;
class QKeyEvent;

namespace Widgets {

class TNumberEdit : public QLineEdit {
    Q_OBJECT
public:
    // `integral`: whole numbers only.
    explicit TNumberEdit(bool integral, QWidget* parent = nullptr);

    double NumberValue() const { return fValue; }
    void SetNumberValue(double value);

    double Minimum() const { return fMin; }
    double Maximum() const { return fMax; }
    void SetMinimum(double minimum);
    void SetMaximum(double maximum);
    void SetBounds(double minimum, double maximum);

    // A number mask such as "0.0"; empty shows the general format (up to 15 significant digits).
    void SetDisplayFormat(const std::string& mask);
    const std::string& DisplayFormat() const { return fMask; }

    // Reads a number as the operator types it: optional sign, digits, the locale's decimal separator,
    // an exponent for reals; blanks are ignored. False when the text is no such number.
    static bool ParseNumber(const std::string& text, bool integral, double& value);

signals:
    void KeyUp(int key, Qt::KeyboardModifiers modifiers);
    void ValueChanged(double value);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    void OnTextEdited(const QString& text);
    void ShowValue();
    void ShowValue(double value);
    double Clamp(double value) const;
    // Holds `value` (already clamped) and reports it when it differs from the value held.
    void Hold(double value);

    bool fIntegral;
    double fValue = 0.0;
    double fMin;
    double fMax;
    std::string fMask;
};

} // namespace Widgets
