// SPDX-License-Identifier: GPL-3.0-or-later
#include "clickwatch.h"

#include <QMouseEvent>
#include <QWidget>

namespace krumlix {

void ClickWatcher::watch(QWidget *control, std::function<void()> click,
                         std::function<void()> doubleClick) {
    controls_[control] = Control{std::move(click), std::move(doubleClick), false};
    control->installEventFilter(this);
    connect(control, &QObject::destroyed, this, [this](QObject *gone) { controls_.erase(gone); });
}

bool ClickWatcher::eventFilter(QObject *watched, QEvent *event) {
    const QEvent::Type type = event->type();
    if (type != QEvent::MouseButtonPress && type != QEvent::MouseButtonRelease &&
        type != QEvent::MouseButtonDblClick)
        return QObject::eventFilter(watched, event);
    const auto found = controls_.find(watched);
    const auto *mouse = static_cast<QMouseEvent *>(event);
    if (found == controls_.end() || mouse->button() != Qt::LeftButton)
        return QObject::eventFilter(watched, event);
    Control &control = found->second;
    // The handlers may open modal windows that run their own event loops,
    // so the state is settled before one runs, and it runs from a copy.
    std::function<void()> handler;
    switch (type) {
    case QEvent::MouseButtonPress:
        control.pressed = true;
        break;
    case QEvent::MouseButtonDblClick:
        control.pressed = false;
        handler = control.doubleClick;
        break;
    default: {
        const bool over =
            static_cast<QWidget *>(watched)->rect().contains(mouse->position().toPoint());
        if (control.pressed && over)
            handler = control.click;
        control.pressed = false;
        break;
    }
    }
    if (handler)
        handler();
    return true;
}

} // namespace krumlix
