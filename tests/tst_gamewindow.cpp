// SPDX-License-Identifier: GPL-3.0-or-later
// The game window: its look, the start-up, a whole cycle of menu, run and
// after-run screen, and the close request during a run.
#include "platform/textfile.h"
#include "sound/soundwindow.h"
#include "support/gamewindows.h"
#include "widgets/fullscreenkey.h"
#include "widgets/heldkeys.h"
#include "widgets/windowplacement.h"

#include <QElapsedTimer>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTest>

using namespace krumlix;

namespace {

/// Plays a run at `level`, started from the menu with `key`; `eachTick`
/// runs in the wait of every tick.
void playRun(test::GameWindows &w, int level, Qt::Key key, std::function<void()> eachTick) {
    w.setup().RadioGroup1->setItemIndex(level);
    w.fake.waiter.beforeEvents = std::move(eachTick);
    test::whenModal([key](QWidget *modal) { QTest::keyClick(modal, key); });
    w.game().show();
    QTRY_COMPARE(w.shared.GameState, GamePhase::AfterRun);
}

/// A key-down as the window system delivers it, first or repeated, or its
/// release (`up`). An X server sends a repeat as a release and a press of
/// the same time, which the toolkit does not always flag; `asPairs` delivers
/// repeats so.
bool asPairs = false;
quint64 eventTime = 1000;
void keyDown(QWidget *widget, Qt::Key key, bool repeat, bool up = false) {
    const QString text = key == Qt::Key_Space ? QStringLiteral(" ") : QString();
    eventTime += 40;
    if (repeat && asPairs) {
        QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, text);
        release.setTimestamp(eventTime);
        QApplication::sendEvent(widget, &release);
        repeat = false;
    }
    QKeyEvent event(up ? QEvent::KeyRelease : QEvent::KeyPress, key, Qt::NoModifier, text, repeat);
    event.setTimestamp(eventTime);
    QApplication::sendEvent(widget, &event);
}

/// What the player does in the wait of each tick of a held-key row.
struct Tick {
    TForm1 &game;
    QString clock; ///< as shown
    bool running;
    bool &holding;        ///< Space is held
    int shotCount, shots; ///< fired so far; the row's
};
using Play = std::function<void(Tick &)>;

// A held-key row: what the player does on each tick; AimPosition,
// ShotCount, the clock and the menus seen after the run; repeats as X11
// release-press pairs; a session that keeps the repeat to itself; the key
// pressed in the first menu; a fresh Enter after the run, into the menu.
struct Held {
    Play play;
    int aim, shots;
    QString clock;
    int menus;
    bool pairs, own = false;
    Qt::Key startKey = Qt::Key_Return;
    bool freshEnter = false;
};

} // namespace

class Form1Test : public QObject {
    Q_OBJECT
private slots:
    void windowLooksAsLaidOut() {
        test::GameWindows w;
        TForm1 &game = w.game();
        QCOMPARE(game.windowTitle(), QStringLiteral("Krumlix"));
        QCOMPARE(game.size(), QSize(640, 456));
        QVERIFY(!(game.windowFlags() & Qt::WindowCloseButtonHint));
        QVERIFY(!(game.windowFlags() & Qt::WindowMinMaxButtonsHint));
        QCOMPARE(game.PaintBox1->geometry(), QRect(0, 56, 640, 400));
        QCOMPARE(game.Label1->text(), QStringLiteral("3:03"));
        QCOMPARE(test::rightEdge(game.Label1), 147);
        QCOMPARE(game.Label2->text(), QStringLiteral("0"));
        QCOMPARE(test::rightEdge(game.Label2), 162);
        QCOMPARE(game.Label35->text(), QStringLiteral("0,00"));
        QCOMPARE(test::rightEdge(game.Label35), 202);
        QCOMPARE(game.Label53->text(), QStringLiteral("Press Enter to Continue"));
        QVERIFY(!game.Label53->isHidden());
        QVERIFY(game.Label56->isHidden());
        QCOMPARE(game.Label1->font().pixelSize(), 24);
        // The still scene: the hero facing up stands on the ground.
        const QImage &field = game.field().image();
        const qreal ratio = field.devicePixelRatio();
        QCOMPARE(field.size(), QSize(640, 400) * ratio);
        QCOMPARE(QColor(field.pixel(5, 5)), QColor(Qt::black));
        QCOMPARE(field.copy(QRect(QPoint(300, 326) * ratio, QSize(32, 62) * ratio)),
                 game.field().sprites().image(Sprite::pos4));
    }

    // ProgramDir is the folder of "setup.ini" in the working folder, with
    // its trailing separator.
    void programDirIsTheWorkingFolder() {
        test::FakePlatform fake;
        SharedState shared;
        ErrorHandler errors(fake.messages);
        AppContext context{shared, fake.platform, errors, {}, {}};
        std::unique_ptr<TForm1> game(createWindows(context));
        QCOMPARE(shared.ProgramDir, QDir::currentPath() + QLatin1Char('/'));
    }

    // The whole cycle: the first activation sets the fastest keyboard repeat
    // and opens the menu; Enter there starts a run that counts down from
    // 3:03 to 0:00; Enter on the after-run screen brings the menu back, and
    // Quit puts the keyboard back and ends the program.
    // In a session that keeps the repeat to itself the player's is never
    // touched.
    void startUpRunAndBackToMenu_data() {
        // keypad: the after-run Enter from the keypad; before: the repeat
        // at the start, the fastest when another game has set it.
        test::columns<bool, RepeatRate, int, bool, RepeatRate>("settable", "whileRunning", "sets",
                                                               "keypad", "before");
        QTest::newRow("X11") << true << RepeatRate{250, 33} << 2 << false << RepeatRate{660, 40};
        QTest::newRow("X11, keypad Enter")
            << true << RepeatRate{250, 33} << 2 << true << RepeatRate{660, 40};
        QTest::newRow("Wayland") << false << RepeatRate{660, 40} << 0 << false
                                 << RepeatRate{660, 40};
        QTest::newRow("X11, at the fastest already")
            << true << FastestRepeat << 0 << false << FastestRepeat;
    }
    void startUpRunAndBackToMenu() {
        const auto [settable, whileRunning, sets, keypad, before] =
            test::fetch<bool, RepeatRate, int, bool, RepeatRate>("settable", "whileRunning", "sets",
                                                                 "keypad", "before");
        test::GameWindows w;
        w.fake.keyboard.settable = settable;
        w.fake.keyboard.current = before;
        w.setup().RadioGroup1->setItemIndex(0);
        QStringList clocks;
        w.fake.waiter.beforeEvents = [&] {
            if (clocks.isEmpty() || clocks.last() != w.game().Label1->text())
                clocks << w.game().Label1->text();
        };
        int menusSeen = 0;
        std::function<void(QWidget *)> onMenu = [&](QWidget *modal) {
            ++menusSeen;
            QCOMPARE(modal, &w.menu());
            QCOMPARE(w.shared.CloseMode, CloseModes::MenuInCharge);
            // The shortest delay and the fastest rate: a quarter second, then
            // 30 repeats a second.
            QCOMPARE(w.fake.keyboard.current, whileRunning);
            if (menusSeen == 1)
                QTest::keyClick(modal, Qt::Key_Return);
            else
                w.menu().Button6Click();
        };
        test::whenModal(onMenu);
        w.game().show();
        QTRY_COMPARE(menusSeen, 1);
        // The run has been played inside the activation, under the virtual clock.
        QTRY_COMPARE(w.shared.GameState, GamePhase::AfterRun);
        QCOMPARE(clocks.first(), QStringLiteral("3:03"));
        QVERIFY(clocks.contains(QStringLiteral("1:00")));
        QCOMPARE(w.game().Label1->text(), QStringLiteral("0:00"));
        QVERIFY(w.game().Label53->isVisible());
        QCOMPARE(w.menu().GameStarted, Flag::Raised);

        test::whenModal(onMenu);
        QTest::keyClick(&w.game(), keypad ? Qt::Key_Enter : Qt::Key_Return,
                        keypad ? Qt::KeypadModifier : Qt::NoModifier);
        QCOMPARE(menusSeen, 2);
        QCOMPARE(w.programEnds, 1);
        QCOMPARE(w.fake.keyboard.current, before);
        QCOMPARE(w.fake.keyboard.sets, sets);
        QVERIFY(!w.game().isVisible());
    }

    // A key's repeats act only where it went down: in the run that saw it
    // pressed every repeat counts; a key held from the menu does nothing in
    // the run it started, one held from the run does not leave the
    // after-run screen, one held from there does not start a run. In a
    // session that keeps the repeat to itself (`own`) the system's repeats
    // of Right and Space are not acted on, and a held Space stops at once
    // when it is let go, the window loses the keyboard or a letter goes down.
    void repeatsActOnlyWhereTheKeyWentDown_data() {
        QTest::addColumn<Held>("row");
        // Repeats of the key that started the run, at 2:59.
        const auto fromMenu = [](Qt::Key key) -> Play {
            return [key](Tick &t) {
                if (t.clock == QLatin1String("2:59"))
                    keyDown(&t.game, key, true);
            };
        };
        const auto at250 = [](std::function<void(TForm1 *)> keys) -> Play {
            return [keys](Tick &t) {
                if (t.running && t.clock == QLatin1String("2:50"))
                    keys(&t.game);
            };
        };
        const Play rightAndSpace = at250([](TForm1 *game) {
            for (int i = 0; i < 3; ++i)
                keyDown(game, Qt::Key_Right, i > 0);
            for (int i = 0; i < 5; ++i)
                keyDown(game, Qt::Key_Space, i > 0);
            keyDown(game, Qt::Key_Escape, false);
        });
        const Play enterHeld = at250([](TForm1 *game) {
            keyDown(game, Qt::Key_Return, false);
            keyDown(game, Qt::Key_Return, true);
        });
        // Space goes down at 2:49 and is held until `shots` are fired, then
        // `letGo`; the run ends with Escape at 2:47.
        const auto spaceHeld = [](std::function<void(TForm1 *)> letGo, bool leftTap,
                                  bool serverRepeats) -> Play {
            return [=](Tick &t) {
                if (!t.running)
                    return;
                if (leftTap && t.clock == QLatin1String("2:50") && t.game.game().AimPosition == 4) {
                    keyDown(&t.game, Qt::Key_Left, false);
                    keyDown(&t.game, Qt::Key_Left, false, true);
                } else if (t.clock == QLatin1String("2:49") && t.shotCount == 0) {
                    keyDown(&t.game, Qt::Key_Space, false);
                    t.holding = true;
                } else if (t.holding && t.shotCount < t.shots && serverRepeats) {
                    keyDown(&t.game, Qt::Key_Space, true);
                } else if (t.holding && t.shotCount >= t.shots) {
                    t.holding = false;
                    letGo(&t.game);
                } else if (t.clock == QLatin1String("2:47")) {
                    keyDown(&t.game, Qt::Key_Escape, false);
                }
            };
        };
        const auto spaceUp = [](TForm1 *game) { keyDown(game, Qt::Key_Space, false, true); };
        // Space held and let go, F11 pressed at the second shot and at the
        // fourth: fullscreen and back, the held key going on as before.
        const auto f11Twice = [spaceHeld, spaceUp](bool serverRepeats) -> Play {
            auto pressed = std::make_shared<int>(0);
            const Play hold = spaceHeld(spaceUp, false, serverRepeats);
            return [=](Tick &t) {
                if (t.holding && *pressed < 2 && t.shotCount == 2 + 2 * *pressed) {
                    keyDown(&t.game, Qt::Key_F11, false);
                    keyDown(&t.game, Qt::Key_F11, false, true);
                    ++*pressed;
                    QCOMPARE(t.game.isFullScreen(), *pressed == 1);
                }
                hold(t);
            };
        };
        const auto letterDown = [](TForm1 *game) { keyDown(game, Qt::Key_A, false); };
        const auto loseKeyboard = [](TForm1 *game) {
            QEvent deactivate(QEvent::WindowDeactivate);
            QApplication::sendEvent(game, &deactivate);
        };
        for (bool pairs : {false, true}) {
            const char *x11 = pairs ? ", X11 pairs" : "";
            QTest::addRow("Enter held from the menu%s", x11)
                << Held{fromMenu(Qt::Key_Return), 4, 0, "0:00", 1, pairs};
            QTest::addRow("Space held from the menu%s", x11)
                << Held{fromMenu(Qt::Key_Space), 4, 0, "0:00", 1, pairs, false, Qt::Key_Space};
            QTest::addRow("Right and Space held in the run%s", x11)
                << Held{rightAndSpace, 7, 5, "2:50", 1, pairs};
            QTest::addRow("Enter held that ends the run%s", x11)
                << Held{enterHeld, 4, 0, "2:50", 1, pairs};
            QTest::addRow("Enter held into the menu%s", x11)
                << Held{enterHeld, 4, 0, "2:50", 2, pairs, false, Qt::Key_Return, true};
        }
        QTest::newRow("Right and Space held in the run, own repeats")
            << Held{rightAndSpace, 5, 1, "2:50", 1, false, true};
        QTest::newRow("Right and Space held in the run, X11 pairs, own repeats")
            << Held{rightAndSpace, 5, 1, "2:50", 1, true, true};
        QTest::newRow("Left tapped, Space held and let go, own repeats")
            << Held{spaceHeld(spaceUp, true, false), 3, 6, "2:47", 1, false, true};
        QTest::newRow("Space held, the window loses the keyboard, own repeats")
            << Held{spaceHeld(loseKeyboard, false, false), 4, 3, "2:47", 1, false, true};
        QTest::newRow("Space held, a letter goes down, own repeats")
            << Held{spaceHeld(letterDown, false, false), 4, 4, "2:47", 1, false, true};
        QTest::newRow("Space held and let go, X11 pairs, own repeats")
            << Held{spaceHeld(spaceUp, false, true), 4, 10, "2:47", 1, true, true};
        QTest::newRow("Space held, F11 twice, own repeats")
            << Held{f11Twice(false), 4, 6, "2:47", 1, false, true};
        QTest::newRow("Space held, F11 twice, X11 pairs")
            << Held{f11Twice(true), 4, 6, "2:47", 1, true};
    }
    void repeatsActOnlyWhereTheKeyWentDown() {
        QFETCH(Held, row);
        asPairs = row.pairs;
        HeldKeys heldKeys;
        qApp->installEventFilter(&heldKeys);
        test::GameWindows w;
        FullScreenKey fullScreenKey([&w] { w.game().toggleFullScreen(); });
        qApp->installEventFilter(&fullScreenKey);
        w.fake.keyboard.settable = !row.own;
        w.setup().RadioGroup1->setItemIndex(0);
        TForm1 &game = w.game();
        bool holding = false;
        w.fake.waiter.beforeEvents = [&] {
            Tick tick{game,    game.Label1->text(), w.shared.GameState == GamePhase::Running,
                      holding, w.shared.ShotCount,  row.shots};
            row.play(tick);
        };
        int menusSeen = 0;
        bool menuStayed = false;
        std::function<void(QWidget *)> onMenu = [&](QWidget *modal) {
            ++menusSeen;
            if (menusSeen == 1) {
                keyDown(modal, row.startKey, false);
                return;
            }
            keyDown(modal, Qt::Key_Return, true);
            menuStayed = modal->isVisible();
            w.menu().done(0);
        };
        test::whenModal(onMenu);
        game.show();
        QTRY_COMPARE(w.shared.GameState, GamePhase::AfterRun);
        // After the run: repeats of the Enter that ended it, then a fresh
        // Enter whose repeats reach the menu it opens.
        QTimer watcher; // answers a menu that comes, wanted or not
        watcher.setInterval(2);
        connect(&watcher, &QTimer::timeout, [&] {
            if (QApplication::activeModalWidget() == &w.menu())
                onMenu(&w.menu());
        });
        watcher.start();
        for (int i = 0; i < 3; ++i)
            keyDown(&game, Qt::Key_Return, true);
        if (row.freshEnter)
            keyDown(&game, Qt::Key_Return, false);
        QTest::qWait(20);
        qApp->removeEventFilter(&heldKeys);
        QCOMPARE(game.game().AimPosition, row.aim);
        QCOMPARE(w.shared.ShotCount, row.shots);
        QCOMPARE(game.Label1->text(), row.clock);
        QCOMPARE(menusSeen, row.menus);
        QCOMPARE(menuStayed, row.freshEnter);
        QCOMPARE(w.shared.GameState, GamePhase::AfterRun);
    }

    // The start-up in its order: the settings applied, the sound window's
    // rows named after the files the settings give, the Intro started, and
    // only then the menu.
    void startUpOrder() {
        test::GameWindows w;
        const QString settings = w.folder.path(QStringLiteral("setup.ini"));
        QList<QByteArray> lines = readTextLines(settings, QString());
        QCOMPARE(lines.size(), 51);
        for (int e = 1; e <= 12; ++e)
            lines[25 + e] = QStringLiteral("/sounds/start/event%1.wav").arg(e).toLatin1();
        writeTextLines(settings, lines);
        TSound &sound = *w.context.windows.Sound;
        QStringList playedAtMenu;
        QStringList namesAtMenu;
        bool menuSeen = false;
        test::whenModal([&](QWidget *modal) {
            menuSeen = modal == &w.menu();
            playedAtMenu = w.fake.sound.played;
            for (int e = 1; e <= 12; ++e)
                namesAtMenu << sound.nameLabel(e)->text();
            w.menu().Button6Click();
        });
        w.game().show();
        QTRY_VERIFY(menuSeen);
        QCOMPARE(playedAtMenu, QStringList{QStringLiteral("/sounds/start/event1.wav")});
        QStringList names;
        for (int e = 1; e <= 12; ++e)
            names << QStringLiteral("event%1.wav").arg(e);
        QCOMPARE(namesAtMenu, names);
        QCOMPARE(w.fake.messages.texts, QStringList());
    }

    // The watchdog of the window tests: a modal window that nothing answers
    // is closed within its limit and the test is failed, not left to hang.
    void unansweredModalWindowIsClosed() {
        test::ModalWatchdog watchdog(std::chrono::milliseconds(300));
        QDialog unexpected;
        unexpected.setObjectName(QStringLiteral("Unexpected"));
        QElapsedTimer clock;
        clock.start();
        QEXPECT_FAIL("", "the watchdog fails the test it closes a window in", Continue);
        unexpected.exec();
        QVERIFY(clock.elapsed() < 5000);
        QCOMPARE(watchdog.closed, QStringList{QStringLiteral("Unexpected \"\"")});
    }

    // Closing the game window during a run ends the run at the next tick
    // and leaves the window open.
    void closeRequestDuringRunEndsRun() {
        test::GameWindows w;
        bool closeTried = false;
        playRun(w, 0, Qt::Key_Space, [&] {
            if (!closeTried && w.game().Label1->text() == QStringLiteral("2:00")) {
                closeTried = true;
                QVERIFY(!w.game().close());
            }
        });
        QVERIFY(closeTried);
        QVERIFY(w.game().isVisible());
        QCOMPARE(w.game().game().StopFlag, Flag::Raised);
        QCOMPARE(w.game().Label1->text(), QStringLiteral("2:00"));
        QCOMPARE(w.programEnds, 0);
    }

    // During a run the readouts follow the game, hitrate with the locale's
    // comma, every right edge kept.
    void readoutsDuringRun() {
        test::GameWindows w;
        QString hitrateShown;
        playRun(w, 0, Qt::Key_A, [&] {
            const QString clock = w.game().Label1->text();
            if (clock == QStringLiteral("2:50")) {
                w.shared.ShotCount = 3;
                w.shared.MissCount = 1;
                w.shared.RunScore = -1234;
            } else if (clock == QStringLiteral("2:49")) {
                hitrateShown = w.game().Label35->text();
                QCOMPARE(w.game().Label2->text(), QStringLiteral("-1234"));
                QCOMPARE(test::rightEdge(w.game().Label2), 162);
                QCOMPARE(test::rightEdge(w.game().Label35), 202);
                QCOMPARE(test::rightEdge(w.game().Label1), 147);
                QTest::keyClick(&w.game(), Qt::Key_Escape);
            }
        });
        QCOMPARE(hitrateShown, QStringLiteral("66,67"));
        QCOMPARE(w.game().game().StopFlag, Flag::Raised);
    }

    // A run that earns a bonus shows its grade on the after-run screen, at
    // the grade's left edge and 77 pixels from the window's top, whole.
    void bonusLabelInTheWindow_data() {
        test::columns<int, QString, int>("hits", "text", "left"); // hits of 100 shots
        QTest::newRow("Dygtig") << 92 << "Tarvil was: Dygtig  +100 points" << 132;
        QTest::newRow("Hardcore") << 94 << "Tarvil was: Hardcore  +200 points" << 115;
        QTest::newRow("Ultra-Hardcore") << 100 << "Tarvil was: Ultra-Hardcore  +300 points" << 83;
    }
    void bonusLabelInTheWindow() {
        const auto [hits, text, left] = test::fetch<int, QString, int>("hits", "text", "left");
        test::GameWindows w;
        playRun(w, 2, Qt::Key_A, [&] {
            if (w.game().Label1->text() == QStringLiteral("1:00")) {
                w.shared.ShotCount = 100;
                w.shared.MissCount = 100 - hits;
            }
        });
        QLabel *label = w.game().Label56;
        QVERIFY(label->isVisible());
        QCOMPARE(label->text(), text);
        QCOMPARE(label->mapTo(&w.game(), QPoint(0, 0)), QPoint(left, 77));
        QVERIFY(label->width() >= label->fontMetrics().horizontalAdvance(text));
        QVERIFY(label->mapTo(&w.game(), QPoint(label->width(), 0)).x() <= 640);
        QCOMPARE(label->font().pixelSize(), 24);
    }

    // Back from fullscreen, a window manager still framing the window again
    // may put it by the frame it had (39 px low); it is put back where it
    // stood once framed, and left alone when fullscreen again.
    void keptWhereItStoodBackFromFullScreen_data() {
        test::columns<int, int, bool, int>("off", "framedAfter", "fullScreen", "moves");
        QTest::newRow("where it stood") << 0 << 0 << false << 0;
        QTest::newRow("put by the frame it had") << 39 << 0 << false << 1;
        QTest::newRow("framed again later") << 39 << 5 << false << 1;
        QTest::newRow("made fullscreen again") << 39 << 0 << true << 0;
    }
    void keptWhereItStoodBackFromFullScreen() {
        const auto [off, framedAfter, fullScreen, moves] =
            test::fetch<int, int, bool, int>("off", "framedAfter", "fullScreen", "moves");
        const QPoint stood(320, 303);
        QPoint at = stood + QPoint(0, off);
        int looks = 0, moved = 0, firstMove = 0;
        const std::optional<QMargins> framed = QMargins(0, 39, 0, 0);
        const auto move = [&](QWidget *, QPoint origin) {
            firstMove = firstMove ? firstMove : looks;
            at = origin, ++moved;
        };
        WindowPlacement placement(
            {[&](QWidget *) { return looks > framedAfter ? framed : std::nullopt; },
             [&](QWidget *) { return ++looks, std::optional(at); }, move});
        QWidget window(nullptr, Qt::FramelessWindowHint); // framed only by the fake
        window.show();
        if (fullScreen)
            window.setWindowState(Qt::WindowFullScreen);
        placement.keepAt(&window, stood);
        QTest::qWait(1100); // the longest it watches
        const int seen = looks;
        QTest::qWait(100);
        QCOMPARE(looks, seen);
        QCOMPARE(moved, moves);
        QCOMPARE(at, fullScreen ? stood + QPoint(0, off) : stood);
        QVERIFY(firstMove == 0 || firstMove > framedAfter);
    }
};

QTEST_MAIN(Form1Test)
#include "tst_gamewindow.moc"
