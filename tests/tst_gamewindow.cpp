// SPDX-License-Identifier: GPL-3.0-or-later
// The game window: its look, the start-up, a whole cycle of menu, run and
// after-run screen, and the close request during a run.
#include "support/gamewindows.h"

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
        QCOMPARE(rightEdge(game.Label1), TForm1::ClockRight);
        QCOMPARE(game.Label2->text(), QStringLiteral("0"));
        QCOMPARE(rightEdge(game.Label2), TForm1::ScoreRight);
        QCOMPARE(game.Label35->text(), QStringLiteral("0,00"));
        QCOMPARE(rightEdge(game.Label35), TForm1::HitrateRight);
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
            QCOMPARE(w.fake.keyboard.current, FastestRepeat);
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
                QCOMPARE(rightEdge(w.game().Label2), TForm1::ScoreRight);
                QCOMPARE(rightEdge(w.game().Label35), TForm1::HitrateRight);
                QCOMPARE(rightEdge(w.game().Label1), TForm1::ClockRight);
                pressKey(&w.game(), Qt::Key_Escape);
            }
        };
        test::whenModal([](QWidget *modal) { pressKey(modal, Qt::Key_A); });
        w.game().show();
        QTRY_COMPARE(w.shared.GameState, 0);
        QCOMPARE(hitrateShown, QStringLiteral("66,67"));
        QCOMPARE(w.game().game().StopFlag, 1);
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
        QTRY_COMPARE(w.shared.GameState, 0);
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
