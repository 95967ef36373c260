// SPDX-License-Identifier: GPL-3.0-or-later
// The game window: its look, the start-up, a whole cycle of menu, run and
// after-run screen, and the close request during a run.
#include "platform/textfile.h"
#include "sound/soundwindow.h"
#include "support/gamewindows.h"

#include <QElapsedTimer>
#include <QLineEdit>
#include <QTest>

using namespace krumlix;

namespace {

/// The right edge of a label inside its readout box.
int rightEdge(const QLabel *label) {
    return label->geometry().x() + label->geometry().width();
}

void pressKey(QWidget *widget, Qt::Key key) {
    QTest::keyClick(widget, key);
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
    void startUpRunAndBackToMenu() {
        test::GameWindows w;
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
            QCOMPARE(w.shared.CloseMode, 2);
            // The shortest delay and the fastest rate: a quarter second, then
            // 30 repeats a second.
            QCOMPARE(w.fake.keyboard.current, (RepeatRate{250, 33}));
            if (menusSeen == 1)
                pressKey(modal, Qt::Key_Return);
            else
                w.menu().Button6Click();
        };
        test::whenModal(onMenu);
        w.game().show();
        QTRY_COMPARE(menusSeen, 1);
        // The run has been played inside the activation, under the virtual clock.
        QTRY_COMPARE(w.shared.GameState, 0);
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
        QVERIFY(!w.game().isVisible());
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
        QTRY_COMPARE(w.shared.GameState, 0);
        QVERIFY(closeTried);
        QVERIFY(w.game().isVisible());
        QCOMPARE(w.game().game().StopFlag, 1);
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
        QTRY_COMPARE(w.shared.GameState, 0);
        QCOMPARE(hitrateShown, QStringLiteral("66,67"));
        QCOMPARE(w.game().game().StopFlag, 1);
    }
};

QTEST_MAIN(Form1Test)
#include "tst_gamewindow.moc"
