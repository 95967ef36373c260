// SPDX-License-Identifier: GPL-3.0-or-later
#include "heldkeys.h"

#include <QCoreApplication>
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
        if (!key->isAutoRepeat())
            releasedAt_.insert(key->key(), key->timestamp());
        return QObject::eventFilter(watched, event);
    }
    // An X server repeats a held key as a release and a press with the same
    // time; when the toolkit has not told the pair from a real release and
    // press (it misses some), the press is a repeat all the same.
    const bool pairedRelease =
        key->timestamp() != 0 && releasedAt_.value(key->key(), 0) == key->timestamp();
    if (!key->isAutoRepeat() && !pairedRelease) {
        pressedIn_.insert(key->key(), window);
        return QObject::eventFilter(watched, event);
    }
    // A repeat of a key that went down in another window, or whose going
    // down this program never saw, is dropped.
    const QPointer<QWidget> pressed = pressedIn_.value(key->key());
    if (!pressed || pressed != window)
        return true;
    if (pairedRelease && !key->isAutoRepeat()) {
        // Handed on as the repeat it is.
        QKeyEvent repeat(QEvent::KeyPress, key->key(), key->modifiers(), key->nativeScanCode(),
                         key->nativeVirtualKey(), key->nativeModifiers(), key->text(), true,
                         key->count());
        repeat.setTimestamp(key->timestamp());
        QCoreApplication::sendEvent(watched, &repeat);
        return true;
    }
    return QObject::eventFilter(watched, event);
}

} // namespace krumlix
