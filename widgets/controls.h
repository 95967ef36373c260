// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QButtonGroup>
#include <QGroupBox>
#include <QSlider>
#include <QSpinBox>
#include <QStringList>

#include <functional>

namespace krumlix {

/// A spin edit as the game's windows know it: it takes any integer text
/// while the player types (the value is clamped into the range, and text
/// that is not a number reads as 0), and shows the clamped value once it
/// loses the focus.
class SpinEdit : public QSpinBox {
    Q_OBJECT
public:
    explicit SpinEdit(QWidget *parent = nullptr);
    /// Shows the value actually held: a typed 1500 becomes 999.
    void settle();

protected:
    QValidator::State validate(QString &input, int &pos) const override;
    int valueFromText(const QString &text) const override;
    void fixup(QString &input) const override;
    void focusOutEvent(QFocusEvent *event) override;
};

/// A captioned group of radio buttons, one selected; `onClick` runs whenever
/// the selection changes, by the player or by the program.
class RadioGroup : public QGroupBox {
    Q_OBJECT
public:
    RadioGroup(const QString &caption, const QStringList &items, QWidget *parent = nullptr);

    int itemIndex() const { return buttons_.checkedId(); }
    void setItemIndex(int index);
    QAbstractButton *item(int index) const { return buttons_.button(index); }

    std::function<void()> onClick;

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    QButtonGroup buttons_;
};

/// A horizontal track bar whose keys run as on the desktop's own control:
/// Left, Up and PageUp move towards the start, Right, Down and PageDown
/// towards the end, Home and End to the ends.
class TrackBar : public QSlider {
    Q_OBJECT
public:
    explicit TrackBar(QWidget *parent = nullptr) : QSlider(Qt::Horizontal, parent) {}

protected:
    void keyPressEvent(QKeyEvent *event) override;
};

} // namespace krumlix
