#include "ui/tabs/ControlFactory.h"

#include "ui/widgets/TDoubleEdit.h"
#include "ui/widgets/TIntegerEdit.h"
#include "ui/widgets/TMemoPane.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace UnitMain {

QLabel* MakeLabel(const QString& text, QWidget* parent, const QString& name) {
    auto* label = new QLabel(text, parent);
    label->setTextFormat(Qt::PlainText);
    if (!name.isEmpty()) {
        label->setObjectName(name);
    }
    return label;
}

QLabel* MakeLabelFor(const QString& text, QWidget* field, QWidget* parent) {
    QLabel* label = MakeLabel(text, parent);
    label->setBuddy(field);
    field->setAccessibleName(text);
    return label;
}

QPushButton* MakeButton(const QString& name, const QString& caption, QWidget* parent) {
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(name);
    button->setAutoDefault(false);
    return button;
}

QGroupBox* MakeGroupBox(const QString& name, const QString& caption, QWidget* parent) {
    auto* box = new QGroupBox(caption, parent);
    if (!name.isEmpty()) {
        box->setObjectName(name);
    }
    return box;
}

QLineEdit* MakeEdit(const QString& name, const QString& text, QWidget* parent) {
    auto* edit = new QLineEdit(text, parent);
    edit->setObjectName(name);
    return edit;
}

QCheckBox* MakeCheckBox(const QString& name, const QString& caption, QWidget* parent) {
    auto* check = new QCheckBox(caption, parent);
    check->setObjectName(name);
    return check;
}

Widgets::TDoubleEdit* MakeDoubleEdit(const QString& name, double value, QWidget* parent, double minimum,
                                     double maximum) {
    auto* edit = new Widgets::TDoubleEdit(parent);
    edit->setObjectName(name);
    edit->SetBounds(minimum, maximum);
    edit->SetValue(value);
    return edit;
}

Widgets::TIntegerEdit* MakeIntegerEdit(const QString& name, int value, QWidget* parent, int minimum,
                                       int maximum) {
    auto* edit = new Widgets::TIntegerEdit(parent);
    edit->setObjectName(name);
    edit->SetBounds(minimum, maximum);
    edit->SetValue(value);
    return edit;
}

Widgets::TMemoPane* MakeMemo(const QString& name, bool bordered, QWidget* parent) {
    auto* memo = new Widgets::TMemoPane(WindowFontPixels, bordered, parent);
    memo->setObjectName(name);
    return memo;
}

} // namespace UnitMain
