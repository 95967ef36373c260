// SPDX-License-Identifier: GPL-3.0-or-later
// All eleven windows on the platform doubles, as the program creates them.
#pragma once

#include "app/appcontext.h"
#include "fakes.h"
#include "game/unit1.h"
#include "highscore/unit3.h"
#include "settings/unit2.h"
#include "settings/unit9.h"

#include <QApplication>
#include <QTimer>

#include <functional>
#include <memory>

namespace krumlix::test {

struct GameWindows {
    FakePlatform fake;
    SharedState shared;
    ErrorHandler errors{fake.messages};
    int programEnds = 0;
    AppContext context{shared, fake.platform, errors, {}, [this] { ++programEnds; }};
    std::unique_ptr<TForm1> form1{createWindows(context)};

    GameWindows() {
        fake.random.fallback = 999; // no animal ever enters
        fake.counter.step = 1;      // a millisecond passes with every reading
    }

    TForm1 &game() { return *context.windows.Form1; }
    THighscore &menu() { return *context.windows.Highscore; }
    Tsetup &setup() { return *context.windows.setup; }
};

/// Runs `action` as soon as a modal window is open (checked every few
/// milliseconds of real time, from inside its own event loop).
inline void whenModal(std::function<void(QWidget *)> action) {
    auto *timer = new QTimer;
    timer->setInterval(2);
    QObject::connect(timer, &QTimer::timeout, timer, [timer, action] {
        if (QWidget *modal = QApplication::activeModalWidget()) {
            timer->stop();
            timer->deleteLater();
            action(modal);
        }
    });
    timer->start();
}

} // namespace krumlix::test
