// SPDX-License-Identifier: GPL-3.0-or-later
#include "windowplacement.h"

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

/// Each side the wider of the two.
QMargins widest(const QMargins &a, const QMargins &b) {
    return {std::max(a.left(), b.left()), std::max(a.top(), b.top()),
            std::max(a.right(), b.right()), std::max(a.bottom(), b.bottom())};
}

} // namespace

QPoint centredClient(const QRect &area, QSize size, const QMargins &frame) {
    const QSize outer = size.grownBy(frame);
    return area.topLeft() + QPoint(frame.left(), frame.top()) +
           QPoint((area.width() - outer.width()) / 2, (area.height() - outer.height()) / 2);
}

WindowPlacement::WindowPlacement(WindowDisplay display, QObject *parent)
    : QObject(parent), display_(std::move(display)) {
    recheck_.setInterval(CheckInterval);
    connect(&recheck_, &QTimer::timeout, this, &WindowPlacement::recheck);
}

QMargins WindowPlacement::shownFrame(QWidget *window) const {
    // Qt may keep the frame it read before the window manager had framed
    // the window; the window manager's own word, where it gives it, holds.
    const QMargins own = display_.frame ? display_.frame(window).value_or(QMargins()) : QMargins();
    return widest(own, frameOf(window));
}

void WindowPlacement::centre(QWidget *window) {
    // The window manager's word on this window's frame, where it gives it.
    place(window, display_.frame ? display_.frame(window) : std::nullopt);
}

void WindowPlacement::place(QWidget *window, const std::optional<QMargins> &own) {
    const QWidget *parent = window->parentWidget() ? window->parentWidget()->window() : nullptr;
    const QScreen *screen = parent ? parent->screen() : window->screen();
    const QRect area = parent && parent->isFullScreen() ? parent->geometry()
                       : screen                         ? screen->availableGeometry()
                                                        : QRect();
    // A window's frame is known only once it is shown (a dialog's is not
    // yet): the largest seen on a window of the program so far.
    for (QWidget *shown : QApplication::topLevelWidgets()) {
        if (shown == window || !shown->isVisible() || shown->isFullScreen())
            continue;
        frame_ = widest(frame_, shownFrame(shown));
    }
    window->setGeometry(
        QRect(centredClient(area, window->size(), own.value_or(frame_)), window->size()));
    // No frame known yet (the first windows, as the program starts): the
    // window is centred again once its own is.
    if (!own && frame_.isNull())
        watch(window, std::nullopt);
}

void WindowPlacement::keepAt(QWidget *window, QPoint origin) {
    if (display_.origin && display_.move)
        watch(window, origin);
}

void WindowPlacement::watch(QWidget *window, std::optional<QPoint> origin) {
    watched_.removeIf([window](const Watch &w) { return w.window == window; });
    watched_.append({window, origin});
    recheck_.start();
}

bool WindowPlacement::check(Watch &watch) {
    QWidget *window = watch.window;
    // One the player has made fullscreen or closed keeps its place.
    if (++watch.checks > MaxChecks || !window || !window->isVisible() || window->isFullScreen())
        return false;
    const QMargins frame = shownFrame(window);
    if (!watch.origin) {
        if (frame.isNull())
            return true;
        place(window, frame);
        return false;
    }
    const std::optional<QPoint> now = display_.origin(window);
    if (!now)
        return false;
    if (*now == *watch.origin)
        return ++watch.steady < SteadyChecks;
    watch.steady = 0;
    // Moved once it is framed again, else the window manager places it by
    // the frame it has yet to give back.
    if (!frame.isNull())
        display_.move(window, *watch.origin);
    return true;
}

void WindowPlacement::recheck() {
    // A check may place a window, which may watch it again.
    QList<Watch> kept;
    for (Watch &watch : std::exchange(watched_, {}))
        if (check(watch))
            kept.append(watch);
    watched_ = kept + watched_;
    if (watched_.isEmpty())
        recheck_.stop();
}

bool WindowPlacement::eventFilter(QObject *watched, QEvent *event) {
    const QEvent::Type type = event->type();
    auto *dialog = qobject_cast<QDialog *>(watched);
    if ((type != QEvent::Show && type != QEvent::Hide) || !dialog || !dialog->isWindow() ||
        event->spontaneous())
        return QObject::eventFilter(watched, event);
    // The show event comes before the window is mapped; a place set here
    // also keeps Qt from centring the dialog on a guess of its own. At the
    // next opening it is centred afresh.
    if (type == QEvent::Show) {
        centre(dialog);
        dialog->setAttribute(Qt::WA_Moved, true);
    } else {
        dialog->setAttribute(Qt::WA_Moved, false);
    }
    return QObject::eventFilter(watched, event);
}

} // namespace krumlix
