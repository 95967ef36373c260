// SPDX-License-Identifier: GPL-3.0-or-later
#include "systemplatform.h"

#include "logging.h"

#include <QDateTime>
#include <QDesktopServices>
#include <QEventLoop>
#include <QMessageBox>
#include <QThread>
#include <QTimer>

#include <ctime>

namespace krumlix {

std::uint32_t SystemCounter::now() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    const auto ms = static_cast<std::uint64_t>(ts.tv_sec) * 1000u +
                    static_cast<std::uint64_t>(ts.tv_nsec) / 1000000u;
    return static_cast<std::uint32_t>(ms);
}

void EventLoopWaiter::waitSince(std::uint32_t start, std::uint32_t ms) {
    // Whatever is pending is handled at once, even on a tick that ran late.
    QEventLoop loop;
    loop.processEvents(QEventLoop::AllEvents);
    QTimer timer;
    timer.setTimerType(Qt::PreciseTimer);
    timer.setSingleShot(true);
    QObject::connect(&timer, &QTimer::timeout, &loop, &QEventLoop::quit);
    for (;;) {
        const std::uint32_t elapsed = counter_.now() - start;
        if (elapsed >= ms)
            return;
        const std::uint32_t remaining = ms - elapsed;
        timer.start(static_cast<int>(remaining));
        // exec() refuses to run once the application is quitting; sleep then,
        // so the deadline still holds without spinning.
        if (loop.exec() != 0)
            QThread::msleep(remaining);
    }
}

void DialogMessageBox::show(const QString &caption, const QString &text) {
    // A message quoting a damaged line of megabytes would take the box
    // seconds to lay out and fill the screen: its middle is left out.
    constexpr qsizetype Keep = 150;
    const QString shown = text.size() > 2 * Keep + 3
                              ? text.left(Keep) + QStringLiteral("...") + text.right(Keep)
                              : text;
    QMessageBox box(QMessageBox::Critical, caption, shown, QMessageBox::Ok);
    box.exec();
}

std::uint32_t SystemTimeOfDay::millisecondsSinceMidnight() {
    return static_cast<std::uint32_t>(
        QDateTime::currentDateTimeUtc().time().msecsSinceStartOfDay());
}

SystemPlatform::SystemPlatform()
    : platform_{counter_, waiter_, keyboard_, messages_, timeOfDay_, random_, sound_, browser_} {}

void DesktopBrowser::open(const QUrl &url) {
    // Through the desktop's own opener (xdg-open); what it says is not ours
    // to report, but that there was none is noted.
    if (!QDesktopServices::openUrl(url))
        qCWarning(lcDesktop) << "the desktop could not open" << url.toString();
}

} // namespace krumlix
