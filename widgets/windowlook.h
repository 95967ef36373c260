// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QColor>
#include <QFont>
#include <QSize>
#include <QString>

class QLabel;
class QWidget;

namespace krumlix {

/// The colour of every window of the game, and the aqua of highlighted figures.
inline constexpr QColor WindowColour(0, 34, 57);
inline constexpr QColor HighlightColour(0, 255, 255);

/// Verdana at a height in pixels; fontconfig picks the nearest face where
/// Verdana itself is not installed.
QFont verdanaPixels(int pixels);

/// Gives a secondary window the common look: fixed size with only the close
/// box, the window colour, white Verdana text, the caption.
void applyWindowLook(QWidget *window, const QString &caption, QSize clientSize,
                     int fontPixels = 11);

/// Sets a label's text and moves it so that its right edge stays at `right`.
void setTextRightAligned(QLabel *label, const QString &text, int right);

} // namespace krumlix
