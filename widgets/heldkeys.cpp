// SPDX-License-Identifier: GPL-3.0-or-later
#include "heldkeys.h"

#include <QKeyEvent>
#include <QWidget>

namespace krumlix {

bool HeldKeys::eventFilter(QObject *watched, QEvent *event) {
    const QEvent::Type type = event->type();
    if ((type != QEvent::KeyPress && type != QEvent::KeyRelease) || !watched->isWidgetType())
        return QObject::eventFilter(watched, event);
    const auto *key = static_cast<QKeyEvent *>(event);
    QWidget *window = static_cast<QWidget *>(watched)->window();
    if (type == QEvent::KeyRelease) {
        // The release half of a repeat keeps the key held.
        if (!key->isAutoRepeat())
            pressedIn_.remove(key->key());
        return QObject::eventFilter(watched, event);
    }
    if (!key->isAutoRepeat()) {
        pressedIn_.insert(key->key(), window);
        return QObject::eventFilter(watched, event);
    }
    // A repeat of a key that went down in another window, or whose going
    // down this program never saw, is dropped.
    const QPointer<QWidget> pressed = pressedIn_.value(key->key());
    if (!pressed || pressed != window)
        return true;
    return QObject::eventFilter(watched, event);
}

} // namespace krumlix
