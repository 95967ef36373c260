// SPDX-License-Identifier: GPL-3.0-or-later
#include "windowlook.h"

#include <QLabel>
#include <QPalette>
#include <QWidget>

namespace krumlix {

QFont verdanaPixels(int pixels) {
    QFont font(QStringLiteral("Verdana"));
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(pixels);
    return font;
}

void applyWindowLook(QWidget *window, const QString &caption, QSize clientSize, int fontPixels) {
    window->setWindowTitle(caption);
    window->setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                           Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
    window->setFixedSize(clientSize);
    QPalette palette = window->palette();
    for (auto role : {QPalette::Window, QPalette::Base, QPalette::Button})
        palette.setColor(role, WindowColour);
    for (auto role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
        palette.setColor(role, Qt::white);
    window->setPalette(palette);
    window->setAutoFillBackground(true);
    window->setFont(verdanaPixels(fontPixels));
}

void setTextRightAligned(QLabel *label, const QString &text, int right) {
    // The readouts are given their text at every tick of a run; measuring an
    // unchanged one again would only cost time.
    if (label->text() == text && label->x() + label->width() == right)
        return;
    label->setText(text);
    const int width = label->fontMetrics().horizontalAdvance(text);
    label->setGeometry(right - width, label->y(), width, label->height());
}

} // namespace krumlix
