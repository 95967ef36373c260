// SPDX-License-Identifier: GPL-3.0-or-later
#include "fullscreenkey.h"

#include <QKeyEvent>

namespace krumlix {

bool FullScreenKey::eventFilter(QObject *watched, QEvent *event) {
    const QEvent::Type type = event->type();
    // Widgets only: a key from the window system reaches its window first
    // and then the focused widget, and a key made for a widget (a pad's)
    // reaches that widget alone.
    if ((type != QEvent::KeyPress && type != QEvent::KeyRelease) || !watched->isWidgetType() ||
        static_cast<QKeyEvent *>(event)->key() != Qt::Key_F11)
        return QObject::eventFilter(watched, event);
    if (type == QEvent::KeyPress && !static_cast<QKeyEvent *>(event)->isAutoRepeat() && toggle_)
        toggle_();
    return true;
}

} // namespace krumlix
