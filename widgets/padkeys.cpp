// SPDX-License-Identifier: GPL-3.0-or-later
#include "padkeys.h"

#include "platform/platform.h"

#include <QApplication>
#include <QKeyEvent>
#include <QWidget>

namespace krumlix {
namespace {

/// The text a key types, as the window system gives it.
QString keyText(int key) {
    switch (key) {
    case Qt::Key_Space:
        return QStringLiteral(" ");
    case Qt::Key_Return:
        return QStringLiteral("\r");
    case Qt::Key_Escape:
        return QString(QChar(0x1b));
    default:
        return {};
    }
}

} // namespace

PadKeys::PadKeys(QObject *parent) : QObject(parent) {
    repeat_.setSingleShot(true);
    repeat_.setTimerType(Qt::PreciseTimer);
    connect(&repeat_, &QTimer::timeout, this, &PadKeys::repeat);
    // The keyboard goes to another program: what is held is not repeated,
    // nor its letting go seen here.
    connect(qApp, &QGuiApplication::applicationStateChanged, this,
            [this](Qt::ApplicationState state) {
                if (state != Qt::ApplicationActive)
                    forgetHeld();
            });
}

void PadKeys::keyChanged(int key, bool down) {
    if (!down) {
        if (!down_.remove(key))
            return; // went down while no window of ours had the keyboard
        if (key == repeating_) {
            repeat_.stop();
            repeating_ = 0;
        }
        deliver(false, key, false);
        return;
    }
    if (!QApplication::activeWindow())
        return;
    down_.insert(key);
    // Any key going down ends the repeat of the one held before.
    repeating_ = key;
    since_.start();
    delivered_ = 0;
    schedule();
    deliver(true, key, false);
}

void PadKeys::deliver(bool press, int key, bool autoRepeat) {
    QWidget *window = QApplication::activeWindow();
    if (!window)
        return;
    QWidget *target = QApplication::focusWidget();
    if (!target || target->window() != window)
        target = window;
    QKeyEvent event(press ? QEvent::KeyPress : QEvent::KeyRelease, key, Qt::NoModifier,
                    keyText(key), autoRepeat);
    QCoreApplication::sendEvent(target, &event);
}

void PadKeys::repeat() {
    if (repeating_ == 0)
        return;
    // A late wake-up hands on one repeat, not a burst of the ones missed.
    const auto held = static_cast<int>(since_.elapsed());
    const int delay = FastestRepeat.delayMs;
    const int due = held < delay ? 0 : (held - delay) / FastestRepeat.intervalMs + 1;
    if (due <= delivered_) {
        schedule();
        return;
    }
    delivered_ = due;
    const int key = repeating_;
    schedule();
    deliver(true, key, true);
}

void PadKeys::schedule() {
    const int nextAt = FastestRepeat.delayMs + delivered_ * FastestRepeat.intervalMs;
    const auto held = static_cast<int>(since_.elapsed());
    repeat_.start(std::max(0, nextAt - held));
}

void PadKeys::forgetHeld() {
    repeat_.stop();
    repeating_ = 0;
    down_.clear();
}

} // namespace krumlix
