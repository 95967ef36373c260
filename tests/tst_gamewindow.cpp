// SPDX-License-Identifier: GPL-3.0-or-later
// The game window: its look, the start-up, a whole cycle of menu, run and
// after-run screen, and the close request during a run.
#include "platform/textfile.h"
#include "sound/soundwindow.h"
#include "support/gamewindows.h"
#include "widgets/heldkeys.h"

#include <QElapsedTimer>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTest>

using namespace krumlix;

Q_DECLARE_METATYPE(krumlix::RepeatRate)

namespace {

/// The right edge of a label inside its readout box.
int rightEdge(const QLabel *label) {
    return label->geometry().x() + label->geometry().width();
}

void pressKey(QWidget *widget, Qt::Key key) {
    QTest::keyClick(widget, key);
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
        QCOMPARE(rightEdge(game.Label1), 147);
        QCOMPARE(game.Label2->text(), QStringLiteral("0"));
        QCOMPARE(rightEdge(game.Label2), 162);
        QCOMPARE(game.Label35->text(), QStringLiteral("0,00"));
        QCOMPARE(rightEdge(game.Label35), 202);
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
        QTest::addColumn<bool>("settable");
        QTest::addColumn<RepeatRate>("whileRunning");
        QTest::addColumn<int>("sets");
        QTest::newRow("X11") << true << RepeatRate{250, 33} << 2;
        QTest::newRow("Wayland") << false << RepeatRate{660, 40} << 0;
    }
    void startUpRunAndBackToMenu() {
        QFETCH(bool, settable);
        QFETCH(RepeatRate, whileRunning);
        QFETCH(int, sets);
        test::GameWindows w;
        w.fake.keyboard.settable = settable;
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
                pressKey(modal, Qt::Key_Return);
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
        QCOMPARE(w.menu().GameStarted, 1);

        test::whenModal(onMenu);
        pressKey(&w.game(), Qt::Key_Return);
        QCOMPARE(menusSeen, 2);
        QCOMPARE(w.programEnds, 1);
        QCOMPARE(w.fake.keyboard.current, (RepeatRate{660, 40}));
        QCOMPARE(w.fake.keyboard.sets, sets);
        QVERIFY(!w.game().isVisible());
    }

    // A key's repeats act only where it went down: in the run that saw it
    // pressed every repeat counts; a key held from the menu does nothing in
    // the run it started, one held from the run does not leave the
    // after-run screen, one held from there does not start a run.
    void repeatsActOnlyWhereTheKeyWentDown_data() {
        QTest::addColumn<int>("held");      // 0 Enter from the menu, 1 Space from the menu,
                                            // 2 Right and Space in the run, 3 Enter ending
                                            // the run, 4 Enter into the menu; Space held
                                            // from 2:49 to `shots`, then 5 let go (Left
                                            // tapped at 2:50), 6 the window loses the
                                            // keyboard, 7 a letter goes down, 8 let go
        QTest::addColumn<int>("aim");       // AimPosition after the run
        QTest::addColumn<int>("shots");     // ShotCount
        QTest::addColumn<QString>("clock"); // the clock at the end of the run
        QTest::addColumn<int>("menus");     // menus seen
        QTest::addColumn<bool>("pairs");    // repeats as X11 release-press pairs
        QTest::addColumn<bool>("own");      // a session that keeps the repeat to itself:
                                            // the system's repeats of Right and Space are
                                            // not acted on
        for (bool pairs : {false, true}) {
            const char *x11 = pairs ? ", X11 pairs" : "";
            QTest::addRow("Enter held from the menu%s", x11)
                << 0 << 4 << 0 << "0:00" << 1 << pairs << false;
            QTest::addRow("Space held from the menu%s", x11)
                << 1 << 4 << 0 << "0:00" << 1 << pairs << false;
            QTest::addRow("Right and Space held in the run%s", x11)
                << 2 << 7 << 5 << "2:50" << 1 << pairs << false;
            QTest::addRow("Enter held that ends the run%s", x11)
                << 3 << 4 << 0 << "2:50" << 1 << pairs << false;
            QTest::addRow("Enter held into the menu%s", x11)
                << 4 << 4 << 0 << "2:50" << 2 << pairs << false;
        }
        QTest::newRow("Right and Space held in the run, own repeats")
            << 2 << 5 << 1 << "2:50" << 1 << false << true;
        QTest::newRow("Right and Space held in the run, X11 pairs, own repeats")
            << 2 << 5 << 1 << "2:50" << 1 << true << true;
        QTest::newRow("Left tapped, Space held and let go, own repeats")
            << 5 << 3 << 6 << "2:47" << 1 << false << true;
        QTest::newRow("Space held, the window loses the keyboard, own repeats")
            << 6 << 4 << 3 << "2:47" << 1 << false << true;
        QTest::newRow("Space held, a letter goes down, own repeats")
            << 7 << 4 << 4 << "2:47" << 1 << false << true;
        QTest::newRow("Space held and let go, X11 pairs, own repeats")
            << 8 << 4 << 10 << "2:47" << 1 << true << true;
    }
    void repeatsActOnlyWhereTheKeyWentDown() {
        QFETCH(int, held);
        QFETCH(int, aim);
        QFETCH(int, shots);
        QFETCH(QString, clock);
        QFETCH(int, menus);
        QFETCH(bool, pairs);
        QFETCH(bool, own);
        asPairs = pairs;
        HeldKeys heldKeys;
        qApp->installEventFilter(&heldKeys);
        test::GameWindows w;
        w.fake.keyboard.settable = !own;
        w.setup().RadioGroup1->setItemIndex(0);
        TForm1 &game = w.game();
        const Qt::Key startKey = held == 1 ? Qt::Key_Space : Qt::Key_Return;
        bool holding = false;
        w.fake.waiter.beforeEvents = [&] {
            const QString shown = game.Label1->text();
            if (held >= 5 && w.shared.GameState == GamePhase::Running) {
                if (held == 5 && shown == QStringLiteral("2:50") && game.game().AimPosition == 4) {
                    keyDown(&game, Qt::Key_Left, false);
                    keyDown(&game, Qt::Key_Left, false, true);
                } else if (shown == QStringLiteral("2:49") && w.shared.ShotCount == 0) {
                    keyDown(&game, Qt::Key_Space, false);
                    holding = true;
                } else if (holding && w.shared.ShotCount < shots && held == 8) {
                    keyDown(&game, Qt::Key_Space, true); // the server's repeat
                } else if (holding && w.shared.ShotCount >= shots) {
                    holding = false;
                    QEvent deactivate(QEvent::WindowDeactivate);
                    if (held == 6)
                        QApplication::sendEvent(&game, &deactivate);
                    else if (held == 7)
                        keyDown(&game, Qt::Key_A, false);
                    else
                        keyDown(&game, Qt::Key_Space, false, true);
                } else if (shown == QStringLiteral("2:47")) {
                    keyDown(&game, Qt::Key_Escape, false);
                }
            }
            if (held <= 1 && shown == QStringLiteral("2:59"))
                keyDown(&game, startKey, true);
            if (held >= 2 && held <= 4 && shown == QStringLiteral("2:50") &&
                w.shared.GameState == GamePhase::Running) {
                if (held == 2) {
                    for (int i = 0; i < 3; ++i)
                        keyDown(&game, Qt::Key_Right, i > 0);
                    for (int i = 0; i < 5; ++i)
                        keyDown(&game, Qt::Key_Space, i > 0);
                    keyDown(&game, Qt::Key_Escape, false);
                } else {
                    keyDown(&game, Qt::Key_Return, false);
                    keyDown(&game, Qt::Key_Return, true);
                }
            }
        };
        int menusSeen = 0;
        bool menuStayed = false;
        std::function<void(QWidget *)> onMenu = [&](QWidget *modal) {
            ++menusSeen;
            if (menusSeen == 1) {
                keyDown(modal, startKey, false);
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
        if (held == 4)
            keyDown(&game, Qt::Key_Return, false);
        QTest::qWait(20);
        qApp->removeEventFilter(&heldKeys);
        QCOMPARE(game.game().AimPosition, aim);
        QCOMPARE(w.shared.ShotCount, shots);
        QCOMPARE(game.Label1->text(), clock);
        QCOMPARE(menusSeen, menus);
        QCOMPARE(menuStayed, held == 4);
        QCOMPARE(w.shared.GameState, GamePhase::AfterRun);
    }

    // The start-up in its order: the settings applied, the sound window's
    // rows named after the files the settings give, the Intro started, and
    // only then the menu.
    void startUpOrder() {
        test::GameWindows w;
        const QString settings = w.folder.dir.filePath(QStringLiteral("setup.ini"));
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
        w.setup().RadioGroup1->setItemIndex(0);
        bool closeTried = false;
        w.fake.waiter.beforeEvents = [&] {
            if (!closeTried && w.game().Label1->text() == QStringLiteral("2:00")) {
                closeTried = true;
                QVERIFY(!w.game().close());
            }
        };
        test::whenModal([](QWidget *modal) { pressKey(modal, Qt::Key_Space); });
        w.game().show();
        QTRY_COMPARE(w.shared.GameState, GamePhase::AfterRun);
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
        w.setup().RadioGroup1->setItemIndex(0);
        QString hitrateShown;
        w.fake.waiter.beforeEvents = [&] {
            const QString clock = w.game().Label1->text();
            if (clock == QStringLiteral("2:50")) {
                w.shared.ShotCount = 3;
                w.shared.MissCount = 1;
                w.shared.RunScore = -1234;
            } else if (clock == QStringLiteral("2:49")) {
                hitrateShown = w.game().Label35->text();
                QCOMPARE(w.game().Label2->text(), QStringLiteral("-1234"));
                QCOMPARE(rightEdge(w.game().Label2), 162);
                QCOMPARE(rightEdge(w.game().Label35), 202);
                QCOMPARE(rightEdge(w.game().Label1), 147);
                pressKey(&w.game(), Qt::Key_Escape);
            }
        };
        test::whenModal([](QWidget *modal) { pressKey(modal, Qt::Key_A); });
        w.game().show();
        QTRY_COMPARE(w.shared.GameState, GamePhase::AfterRun);
        QCOMPARE(hitrateShown, QStringLiteral("66,67"));
        QCOMPARE(w.game().game().StopFlag, Flag::Raised);
    }

    // A run that earns a bonus shows its grade on the after-run screen, at
    // the grade's left edge and 77 pixels from the window's top, whole.
    void bonusLabelInTheWindow_data() {
        QTest::addColumn<int>("hits"); // of 100 shots
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("left");
        QTest::newRow("Dygtig") << 92 << "Tarvil was: Dygtig  +100 points" << 132;
        QTest::newRow("Hardcore") << 94 << "Tarvil was: Hardcore  +200 points" << 115;
        QTest::newRow("Ultra-Hardcore") << 100 << "Tarvil was: Ultra-Hardcore  +300 points" << 83;
    }
    void bonusLabelInTheWindow() {
        QFETCH(int, hits);
        QFETCH(QString, text);
        QFETCH(int, left);
        test::GameWindows w;
        w.setup().RadioGroup1->setItemIndex(2);
        w.fake.waiter.beforeEvents = [&] {
            if (w.game().Label1->text() == QStringLiteral("1:00")) {
                w.shared.ShotCount = 100;
                w.shared.MissCount = 100 - hits;
            }
        };
        test::whenModal([](QWidget *modal) { pressKey(modal, Qt::Key_A); });
        w.game().show();
        QTRY_COMPARE(w.shared.GameState, GamePhase::AfterRun);
        QLabel *label = w.game().Label56;
        QVERIFY(label->isVisible());
        QCOMPARE(label->text(), text);
        QCOMPARE(label->mapTo(&w.game(), QPoint(0, 0)), QPoint(left, 77));
        QVERIFY(label->width() >= label->fontMetrics().horizontalAdvance(text));
        QVERIFY(label->mapTo(&w.game(), QPoint(label->width(), 0)).x() <= 640);
        QCOMPARE(label->font().pixelSize(), 24);
    }
};

QTEST_MAIN(Form1Test)
#include "tst_gamewindow.moc"
