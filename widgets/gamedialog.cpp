// SPDX-License-Identifier: GPL-3.0-or-later
#include "gamedialog.h"

#include <QKeyEvent>

namespace krumlix {
namespace {

bool pressable(const QPushButton *button) {
    return button && button->isVisible() && button->isEnabled();
}

} // namespace

void GameDialog::keyPressEvent(QKeyEvent *event) {
    const Qt::KeyboardModifiers modifiers = event->modifiers() & ~Qt::KeypadModifier;
    switch (event->key()) {
    case Qt::Key_Escape:
        event->accept();
        if (modifiers == Qt::NoModifier && pressable(cancelButton_))
            cancelButton_->click();
        return;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (modifiers != Qt::NoModifier)
            break;
        if (auto *focused = qobject_cast<QPushButton *>(focusWidget()); pressable(focused)) {
            event->accept();
            focused->click();
            return;
        }
        break; // the default button, where there is one
    default:
        break;
    }
    QDialog::keyPressEvent(event);
}

} // namespace krumlix
