// SPDX-License-Identifier: GPL-3.0-or-later
// The statistics window: the fill for an entry or the latest game, the track
// bar, the efficiency, today's date and the "Show stats" flag on disk.
#include "highscore/highscorefile.h"
#include "platform/textfile.h"
#include "stats/statswindow.h"
#include "support/gamewindows.h"

#include <QTest>

using namespace krumlix;

namespace {

struct Rig {
    test::GameWindows w;
    TStats &stats = *w.context.windows.Stats;
    Rig() {
        for (int e = 1; e <= 10; ++e) {
            w.shared.HighScoreTable[e] = DefaultEntry();
            w.shared.HighScoreTable[e][HighScoreEntry::RunScore] = 1000 - 100 * e;
            // Names as players type them, markup included.
            w.shared.HighScoreTable[e].setText(0, 14, QStringLiteral("<b>Ann %1</b>").arg(e));
        }
        SaveHighScores(w.shared);
    }
    void open(int entry) {
        w.shared.StatsEntry = entry;
        stats.show();
    }
    QString text(int number) const { return stats.label(number)->text(); }
};

} // namespace

class StatsTest : public QObject {
    Q_OBJECT
private slots:
    // Position 10 is the latest game, 9 entry 10.
    void trackBarPositions() {
        Rig rig;
        rig.open(3);
        QCOMPARE(rig.stats.TrackBar1->value(), 2);
        QCOMPARE(rig.text(50), QStringLiteral("<b>Ann 3</b>  "));
        QVERIFY(test::rendersPlainly(rig.stats.label(50)));
        rig.stats.TrackBar1->setValue(10);
        QCOMPARE(rig.w.shared.StatsEntry, 12);
        QCOMPARE(rig.stats.windowTitle(), QStringLiteral("Krumlix - view stats for latest game"));
        QCOMPARE(rig.text(53), QStringLiteral("x."));
        QCOMPARE(rig.text(50), QStringLiteral("Latest Game"));
        QCOMPARE(rig.text(52), QStringLiteral("December 8th 2026  "));
        rig.stats.TrackBar1->setValue(9);
        QCOMPARE(rig.stats.windowTitle(), QStringLiteral("Krumlix - view stats for entry nr.10"));
        QCOMPARE(rig.text(53), QStringLiteral("10."));
        QCOMPARE(rig.text(44), QStringLiteral("0"));
    }

    // Every figure lands in its label, right-aligned at x 166.
    void figuresAndAlignment() {
        Rig rig;
        HighScoreEntry &latest = rig.w.shared.HighScoreTable[12];
        for (int i = 41; i < 63; ++i)
            latest[i] = i * 10 - 500;
        latest[HighScoreEntry::DifficultyLevel] = 3;
        latest.setText(33, 8, QStringLiteral(" 95,00 %"));
        rig.open(12);
        QCOMPARE(rig.text(25), QStringLiteral(" 95,00"));
        QCOMPARE(rig.text(23), QString::number(42 * 10 - 500));
        QCOMPARE(rig.text(32), QString::number(51 * 10 - 500));
        QCOMPARE(rig.text(41), QString::number(59 * 10 - 500));
        QCOMPARE(rig.text(14), QStringLiteral("Game level: God"));
        for (int number : {23, 24, 25, 26, 31, 32, 33, 34, 36, 41, 42, 43, 44, 45, 48})
            QCOMPARE(test::rightEdge(rig.stats.label(number)), TStats::ValueRight);
    }

    // A stored level outside 0..5 leaves the level text as it was.
    void levelOutsideTheRange() {
        Rig rig;
        rig.w.shared.HighScoreTable[12][HighScoreEntry::DifficultyLevel] = 4;
        rig.open(12);
        QCOMPARE(rig.text(14), QStringLiteral("Game level: Tarvil"));
        rig.w.shared.HighScoreTable[12][HighScoreEntry::DifficultyLevel] = 9;
        rig.stats.FormActivate();
        QCOMPARE(rig.text(14), QStringLiteral("Game level: Tarvil"));
    }

    void efficiency_data() {
        test::columns<QList<int>, QString>("entry", "shown"); // points, bonus, optimal
        QTest::newRow("500/100/900") << QList<int>{500, 100, 900} << "50,00";
        QTest::newRow("negative") << QList<int>{-20, 0, 900} << "0,00";
    }
    void efficiency() {
        const auto [entry, shown] = test::fetch<QList<int>, QString>("entry", "shown");
        Rig rig;
        HighScoreEntry &latest = rig.w.shared.HighScoreTable[12];
        latest[HighScoreEntry::RunScore] = entry[0];
        latest[HighScoreEntry::BonusPoints] = entry[1];
        latest[HighScoreEntry::OptimalScore] = entry[2];
        rig.open(12);
        QCOMPARE(rig.text(48), shown);
    }

    void todaysDate_data() {
        test::columns<QDate, QString>("date", "text");
        const int days[] = {1, 2, 3, 11, 12, 13, 21, 22, 23, 31};
        const char *suffixes[] = {"st", "nd", "rd", "th", "th", "th", "st", "nd", "rd", "st"};
        for (int i = 0; i < 10; ++i)
            QTest::addRow("%d", days[i])
                << QDate(2001, 1, days[i])
                << QStringLiteral("January %1%2 2001").arg(days[i]).arg(QLatin1String(suffixes[i]));
        QTest::newRow("5 May 2000") << QDate(2000, 5, 5) << "May 5th 2000";
    }
    void todaysDate() {
        const auto [date, text] = test::fetch<QDate, QString>("date", "text");
        Rig rig;
        rig.w.fake.timeOfDay.date = date;
        rig.open(12);
        QCOMPARE(rig.text(52), text.leftJustified(19, QLatin1Char(' ')));
    }

    // The keys move the track bar as on the desktop's own control: Left, Up
    // and PageUp towards the first entry, Right, Down and PageDown towards
    // the latest game, Home and End to the ends.
    void trackBarKeys_data() {
        test::columns<int, int>("key", "position"); // from position 5
        const std::tuple<const char *, Qt::Key, int> keys[] = {
            {"Left", Qt::Key_Left, 4},     {"Up", Qt::Key_Up, 4},
            {"PageUp", Qt::Key_PageUp, 3}, {"Right", Qt::Key_Right, 6},
            {"Down", Qt::Key_Down, 6},     {"PageDown", Qt::Key_PageDown, 7},
            {"Home", Qt::Key_Home, 0},     {"End", Qt::Key_End, 10}};
        for (const auto &[name, key, position] : keys)
            QTest::newRow(name) << int(key) << position;
    }
    void trackBarKeys() {
        const auto [key, position] = test::fetch<int, int>("key", "position");
        Rig rig;
        rig.open(6);
        QCOMPARE(rig.stats.TrackBar1->value(), 5);
        QTest::keyClick(rig.stats.TrackBar1, Qt::Key(key));
        QCOMPARE(rig.stats.TrackBar1->value(), position);
        QCOMPARE(rig.w.shared.StatsEntry, position == 10 ? 12 : position + 1);
    }

    // A click on either line of "Show stats automatically" toggles the box
    // and re-writes line 50 at once; a double-click is two clicks and so is
    // undone, as are two single clicks; a right click or a release away
    // from the label does nothing. The box itself toggles on a click.
    void showStatsFlagOnDisk_data() {
        test::columns<int, test::Gesture, bool>("label", "gesture", "toggled");
        using G = test::Gesture;
        QTest::newRow("click") << 55 << G::Click << true;
        QTest::newRow("click, second line") << 54 << G::Click << true;
        QTest::newRow("double-click") << 55 << G::DoubleClick << false;
        QTest::newRow("double-click, second line") << 54 << G::DoubleClick << false;
        QTest::newRow("two clicks") << 55 << G::TwoClicks << false;
        QTest::newRow("right click") << 55 << G::RightClick << false;
        QTest::newRow("released outside") << 54 << G::ReleaseOutside << false;
    }
    void showStatsFlagOnDisk() {
        const auto [label, gesture, toggled] =
            test::fetch<int, test::Gesture, bool>("label", "gesture", "toggled");
        Rig rig;
        const QString path = rig.w.folder.path(QStringLiteral("setup.ini"));
        const QList<QByteArray> before = readTextLines(path, QString());
        rig.open(12);
        const bool checked = rig.stats.CheckBox1->isChecked();
        test::perform(rig.stats.label(label), gesture);
        QCOMPARE(rig.stats.CheckBox1->isChecked(), checked != toggled);
        QCOMPARE(readTextLines(path, QString()).at(50),
                 QByteArray(rig.stats.CheckBox1->isChecked() ? "1" : "0"));
        QTest::mouseClick(rig.stats.CheckBox1, Qt::LeftButton);
        QCOMPARE(rig.stats.CheckBox1->isChecked(), checked == toggled);
        if (!toggled)
            return;
        QCOMPARE(readTextLines(path, QString()), before);
    }

    // An unreadable high-score file still opens the window, on the table
    // as it was in memory.
    void unreadableFileStillOpens() {
        Rig rig;
        QFile::remove(rig.w.folder.path(QStringLiteral("tarvil.hig")));
        rig.open(2);
        QVERIFY(rig.stats.isVisible());
        QCOMPARE(rig.w.fake.messages.texts, QStringList{QStringLiteral("File not found")});
        QCOMPARE(rig.text(50), QStringLiteral("<b>Ann 2</b>  "));
    }
};

QTEST_MAIN(StatsTest)
#include "tst_statswindow.moc"
