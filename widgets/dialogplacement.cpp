// SPDX-License-Identifier: GPL-3.0-or-later
#include "dialogplacement.h"

#include <QApplication>
#include <QDialog>
#include <QEvent>
#include <QScreen>

#include <algorithm>
#include <utility>

namespace krumlix {
namespace {

/// The frame around a shown window, as far as the window manager has told.
QMargins frameOf(const QWidget *window) {
    const QRect frame = window->frameGeometry(), client = window->geometry();
    return {client.left() - frame.left(), client.top() - frame.top(),
            frame.right() - client.right(), frame.bottom() - client.bottom()};
}

} // namespace

QPoint centredClient(const QRect &area, QSize size, const QMargins &frame) {
    const QSize outer = size.grownBy(frame);
    return area.topLeft() + QPoint(frame.left(), frame.top()) +
           QPoint((area.width() - outer.width()) / 2, (area.height() - outer.height()) / 2);
}

DialogPlacement::DialogPlacement(FrameSource frameSource, QObject *parent)
    : QObject(parent), frameSource_(std::move(frameSource)) {
    recheck_.setInterval(CheckInterval);
    connect(&recheck_, &QTimer::timeout, this, &DialogPlacement::recheck);
}

void DialogPlacement::place(QDialog *dialog) {
    const QWidget *parent = dialog->parentWidget() ? dialog->parentWidget()->window() : nullptr;
    const QScreen *screen = parent ? parent->screen() : dialog->screen();
    const QRect area = parent && parent->isFullScreen() ? parent->geometry()
                       : screen                         ? screen->availableGeometry()
                                                        : QRect();
    // A window's frame is known only while it is shown (a dialog's is not
    // yet): the largest seen on a window of the program so far.
    for (const QWidget *window : QApplication::topLevelWidgets()) {
        if (!window->isVisible() || window->isFullScreen())
            continue;
        const QMargins frame = frameOf(window);
        frame_ = QMargins(
            std::max(frame_.left(), frame.left()), std::max(frame_.top(), frame.top()),
            std::max(frame_.right(), frame.right()), std::max(frame_.bottom(), frame.bottom()));
    }
    // The window manager's word on this dialog's frame, where it gives it.
    const std::optional<QMargins> own = frameSource_ ? frameSource_(dialog) : std::nullopt;
    dialog->setGeometry(
        QRect(centredClient(area, dialog->size(), own.value_or(frame_)), dialog->size()));
    // No frame known yet (the first window opened as the program starts):
    // the dialog is centred again once its own is.
    if (!own && frame_.isNull() && !pending_) {
        pending_ = dialog;
        checks_ = 0;
        recheck_.start();
    }
}

void DialogPlacement::recheck() {
    if (!pending_ || !pending_->isVisible() || ++checks_ > MaxChecks) {
        pending_ = nullptr;
        recheck_.stop();
        return;
    }
    if (frameOf(pending_).isNull())
        return;
    recheck_.stop();
    QDialog *dialog = std::exchange(pending_, nullptr);
    place(dialog);
}

bool DialogPlacement::eventFilter(QObject *watched, QEvent *event) {
    const QEvent::Type type = event->type();
    auto *dialog = qobject_cast<QDialog *>(watched);
    if ((type != QEvent::Show && type != QEvent::Hide) || !dialog || !dialog->isWindow() ||
        event->spontaneous())
        return QObject::eventFilter(watched, event);
    // The show event comes before the window is mapped; a place set here
    // also keeps Qt from centring the dialog on a guess of its own. At the
    // next opening it is centred afresh.
    if (type == QEvent::Show) {
        place(dialog);
        dialog->setAttribute(Qt::WA_Moved, true);
    } else {
        dialog->setAttribute(Qt::WA_Moved, false);
    }
    return QObject::eventFilter(watched, event);
}

} // namespace krumlix
