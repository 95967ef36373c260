// SPDX-License-Identifier: GPL-3.0-or-later
// A guard against modal windows that nothing answers: a fault that opens a
// dialog the test does not expect ends the test in seconds with a failure,
// not at the CTest time-out.
#pragma once

#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QPointer>
#include <QStringList>
#include <QTest>
#include <QTimer>
#include <QWidget>

#include <chrono>

namespace krumlix::test {

/// While it lives, any modal window that stays the active one for longer
/// than `limit` is closed (rejected) and the running test fails, naming it.
/// A test that answers its windows, even slowly, never meets it.
class ModalWatchdog {
public:
    explicit ModalWatchdog(std::chrono::milliseconds limit = std::chrono::seconds(10))
        : limit_(limit) {
        timer_.setInterval(50);
        QObject::connect(&timer_, &QTimer::timeout, &timer_, [this] { check(); });
        timer_.start();
    }
    ModalWatchdog(const ModalWatchdog &) = delete;
    ModalWatchdog &operator=(const ModalWatchdog &) = delete;

    /// The windows it had to close, by object name and caption.
    QStringList closed;

private:
    void check() {
        QWidget *modal = QApplication::activeModalWidget();
        if (modal != watched_ || !modal) {
            watched_ = modal;
            since_.start();
            return;
        }
        if (since_.elapsed() < limit_.count())
            return;
        const QString name =
            modal->objectName() + QStringLiteral(" \"") + modal->windowTitle() + QLatin1Char('"');
        closed << name;
        watched_ = nullptr;
        if (auto *dialog = qobject_cast<QDialog *>(modal))
            dialog->done(QDialog::Rejected);
        else
            modal->close();
        QTest::qFail(qPrintable(QStringLiteral("modal window %1 left open for %2 ms was closed")
                                    .arg(name)
                                    .arg(limit_.count())),
                     __FILE__, __LINE__);
    }

    std::chrono::milliseconds limit_;
    QTimer timer_;
    QPointer<QWidget> watched_;
    QElapsedTimer since_;
};

} // namespace krumlix::test
