// SPDX-License-Identifier: GPL-3.0-or-later
#include "controls.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QRadioButton>

namespace krumlix {

SpinEdit::SpinEdit(QWidget *parent) : QSpinBox(parent) {
    setCorrectionMode(QAbstractSpinBox::CorrectToNearestValue);
    setKeyboardTracking(true);
}

QValidator::State SpinEdit::validate(QString &input, int &) const {
    // Any digits, with an optional sign, are taken as they are typed; the
    // range is applied to the value, and to the text when the edit is left.
    const QString text = input.trimmed();
    if (text.isEmpty() || text == QLatin1String("-"))
        return QValidator::Intermediate;
    int i = text.startsWith(QLatin1Char('-')) ? 1 : 0;
    for (; i < text.size(); ++i) {
        if (!text.at(i).isDigit())
            return QValidator::Invalid;
    }
    return QValidator::Acceptable;
}

int SpinEdit::valueFromText(const QString &text) const {
    bool ok = false;
    const qlonglong parsed = text.trimmed().toLongLong(&ok);
    if (!ok)
        return qBound(minimum(), 0, maximum());
    return static_cast<int>(qBound(qlonglong{minimum()}, parsed, qlonglong{maximum()}));
}

void SpinEdit::fixup(QString &input) const {
    input = textFromValue(valueFromText(input));
}

void SpinEdit::settle() {
    const int held = valueFromText(lineEdit()->text());
    setValue(held);
    const QString shown = textFromValue(held);
    if (lineEdit()->text() != shown)
        lineEdit()->setText(shown);
}

void SpinEdit::focusOutEvent(QFocusEvent *event) {
    QSpinBox::focusOutEvent(event);
    settle();
}

RadioGroup::RadioGroup(const QString &caption, const QStringList &items, QWidget *parent)
    : QGroupBox(caption, parent) {
    for (int i = 0; i < items.size(); ++i) {
        auto *button = new QRadioButton(items.at(i), this);
        // White circles with a dark dot read well on the dark window colour.
        QPalette palette = button->palette();
        palette.setColor(QPalette::Base, Qt::white);
        palette.setColor(QPalette::Text, Qt::black);
        button->setPalette(palette);
        buttons_.addButton(button, i);
    }
    connect(&buttons_, &QButtonGroup::idToggled, this, [this](int, bool checked) {
        if (checked && onClick)
            onClick();
    });
}

void RadioGroup::resizeEvent(QResizeEvent *event) {
    QGroupBox::resizeEvent(event);
    // The items share the height below the caption evenly.
    constexpr int top = 16;
    const QList<QAbstractButton *> items = buttons_.buttons();
    if (items.isEmpty())
        return;
    const int step = (height() - top - 4) / static_cast<int>(items.size());
    for (int i = 0; i < items.size(); ++i) {
        QAbstractButton *button = buttons_.button(i);
        button->setGeometry(8, top + i * step + (step - button->sizeHint().height()) / 2,
                            width() - 12, button->sizeHint().height());
    }
}

void RadioGroup::setItemIndex(int index) {
    if (QAbstractButton *button = buttons_.button(index)) {
        button->setChecked(true);
    } else if (QAbstractButton *checked = buttons_.checkedButton()) {
        // No item at all: the group lets go of its selection.
        buttons_.setExclusive(false);
        checked->setChecked(false);
        buttons_.setExclusive(true);
    }
}

void TrackBar::keyPressEvent(QKeyEvent *event) {
    // Qt takes Up and PageUp for "more" on a horizontal slider.
    SliderAction action = SliderNoAction;
    switch (event->key()) {
    case Qt::Key_Up:
        action = SliderSingleStepSub;
        break;
    case Qt::Key_Down:
        action = SliderSingleStepAdd;
        break;
    case Qt::Key_PageUp:
        action = SliderPageStepSub;
        break;
    case Qt::Key_PageDown:
        action = SliderPageStepAdd;
        break;
    default:
        QSlider::keyPressEvent(event);
        return;
    }
    event->accept();
    triggerAction(action);
}

} // namespace krumlix
