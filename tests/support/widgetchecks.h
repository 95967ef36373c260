// SPDX-License-Identifier: GPL-3.0-or-later
// What a player sees of a label, and the mouse as a player uses it.
#pragma once

#include <QLabel>
#include <QTest>

namespace krumlix::test {

/// True when the label shows its text character for character: a text
/// such as "<b>Ann</b>" taken as markup would take far less room than its
/// characters do.
inline bool rendersPlainly(const QLabel *label) {
    const int characters = label->fontMetrics().horizontalAdvance(label->text());
    return label->sizeHint().width() + 2 >= characters;
}

/// The right edge of a control in its parent, where a readout is aligned.
inline int rightEdge(const QWidget *control) {
    return control->geometry().x() + control->width();
}

/// The ways a player's mouse meets a control.
enum class Gesture { Click, DoubleClick, TwoClicks, RightClick, ReleaseOutside };

/// Delivers a gesture as the window system does: a double-click is a press,
/// a release, the double-click press and its release.
inline void perform(QWidget *control, Gesture gesture) {
    switch (gesture) {
    case Gesture::Click:
        QTest::mouseClick(control, Qt::LeftButton);
        break;
    case Gesture::DoubleClick:
        QTest::mousePress(control, Qt::LeftButton);
        QTest::mouseRelease(control, Qt::LeftButton);
        QTest::mouseDClick(control, Qt::LeftButton);
        QTest::mouseRelease(control, Qt::LeftButton);
        break;
    case Gesture::TwoClicks:
        QTest::mouseClick(control, Qt::LeftButton);
        QTest::mouseClick(control, Qt::LeftButton);
        break;
    case Gesture::RightClick:
        QTest::mouseClick(control, Qt::RightButton);
        break;
    case Gesture::ReleaseOutside:
        QTest::mousePress(control, Qt::LeftButton);
        QTest::mouseRelease(control, Qt::LeftButton, {},
                            QPoint(control->width() + 20, control->height() + 20));
        break;
    }
}

} // namespace krumlix::test

Q_DECLARE_METATYPE(krumlix::test::Gesture)
