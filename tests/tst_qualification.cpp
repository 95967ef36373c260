// SPDX-License-Identifier: GPL-3.0-or-later
// The check of a finished run: the latest-game record, the rank, the
// insertion, the hitrate and date texts.
#include "highscore/qualification.h"
#include "support/datarows.h"

#include <QTest>

using namespace krumlix;

namespace {

/// A table of 900, 800, ..., 0 points.
SharedState tableOfHundreds() {
    SharedState s;
    for (int e = 1; e <= 10; ++e) {
        s.HighScoreTable[e] = DefaultEntry();
        s.HighScoreTable[e][HighScoreEntry::RunScore] = 1000 - 100 * e;
        s.HighScoreTable[e][HighScoreEntry::ShotCount] = e; // tells the entries apart
    }
    return s;
}

} // namespace

class QualificationTest : public QObject {
    Q_OBJECT
private slots:
    // A run must beat an entry strictly; a user-defined run never enters.
    void rank_data() {
        QTest::addColumn<QList<int>>("run"); // score, level, rank
        QTest::newRow("700 below the 700") << QList<int>{700, 2, 4};
        QTest::newRow("1 at the bottom") << QList<int>{1, 2, 10};
        QTest::newRow("0 does not enter") << QList<int>{0, 2, 12};
        QTest::newRow("best ever") << QList<int>{5000, 4, 1};
        QTest::newRow("user defined") << QList<int>{5000, 5, 12};
        // The settings file held a level below 0: no level was selected.
        QTest::newRow("no level selected") << QList<int>{5000, -1, 12};
    }
    void rank() {
        QFETCH(QList<int>, run);
        const int score = run[0], level = run[1], rank = run[2];
        SharedState s = tableOfHundreds();
        s.RunScore = score;
        s.DifficultyLevel = level;
        recordLatestGame(s);
        QCOMPARE(rankOfLatestGame(s), rank);
        // Whatever the rank, the latest game is recorded with its level.
        QCOMPARE(s.HighScoreTable[LatestGameEntry][HighScoreEntry::DifficultyLevel], level);
        QCOMPARE(s.HighScoreTable[LatestGameEntry][HighScoreEntry::RunScore], score);
    }

    // Entering at rank 10 drops the old tenth entry into the overflow; at
    // rank 1 of a cleared table every entry moves down one place.
    void insertion() {
        SharedState s = tableOfHundreds();
        s.RunScore = 1;
        recordLatestGame(s);
        insertLatestGame(s, 10, QStringLiteral("Ann"), QDate(2000, 5, 5));
        QCOMPARE(s.HighScoreTable[10][HighScoreEntry::RunScore], 1);
        QCOMPARE(s.HighScoreTable[11][HighScoreEntry::ShotCount], 10);
        QCOMPARE(s.HighScoreTable[10].text(0, 14), QStringLiteral("Ann           "));
        QCOMPARE(s.HighScoreTable[10].text(14, 19), QStringLiteral("May 5th 2000       "));

        SharedState cleared;
        for (int e = 1; e <= 10; ++e) {
            cleared.HighScoreTable[e] = DefaultEntry();
            cleared.HighScoreTable[e][HighScoreEntry::ShotCount] = e;
        }
        cleared.RunScore = 1;
        recordLatestGame(cleared);
        QCOMPARE(rankOfLatestGame(cleared), 1);
        insertLatestGame(cleared, 1, QStringLiteral("A name too long for it"), QDate(1999, 3, 31));
        QCOMPARE(cleared.HighScoreTable[1].text(0, 14), QStringLiteral("A name too lon"));
        for (int e = 2; e <= 10; ++e)
            QCOMPARE(cleared.HighScoreTable[e][HighScoreEntry::ShotCount], e - 1);
    }

    // Every run figure lands in its field, the bonus as points.
    void latestGameFields() {
        SharedState s;
        s.DifficultyLevel = 3;
        s.ShotCount = 40;
        s.MissCount = 2;
        s.ElephantCount = 20;
        s.Elephant7Count = 1;
        s.Elephant5Count = 2;
        s.Elephant3Count = 3;
        s.Elephant2Count = 4;
        s.Elephant0Count = 5;
        s.ElephantEscapeCount = 6;
        s.BeeCount = 7;
        s.BeeHitCount = 8;
        s.PeriodScore = {0, 11, 12, 13, 14, 15, 16};
        s.BonusLevel = 2;
        s.OptimalScore = 999;
        s.RunScore = 321;
        s.Hitrate = 95.0f;
        recordLatestGame(s);
        const HighScoreEntry &e = s.HighScoreTable[LatestGameEntry];
        const QList<int> fields(e.value.begin() + 41, e.value.end());
        QCOMPARE(fields, (QList<int>{3, 40, 2,  20, 15, 1,  2,  3,  4,   5,   6,
                                     7, 8,  11, 12, 13, 14, 15, 16, 200, 999, 321}));
        QCOMPARE(e.text(33, 8), QStringLiteral(" 95,00 %"));
    }

    // The stored hitrate text: the digits 0-9 in every locale, the locale's
    // separator where the code page has it, a point where it has not.
    void hitrateTexts_data() {
        test::columns<float, QStringList>("hitrate", "localeAndText");
        QTest::newRow("100") << 100.0f << QStringList{"da_DK", "100,00 %"};
        QTest::newRow("0") << 0.0f << QStringList{"da_DK", "  0,00 %"};
        QTest::newRow("93.5") << 93.5f << QStringList{"da_DK", " 93,50 %"};
        QTest::newRow("English") << 93.5f << QStringList{"en_US", " 93.50 %"};
        QTest::newRow("Arabic, Egypt") << 93.5f << QStringList{"ar_EG", " 93.50 %"};
        QTest::newRow("Persian") << 66.67f << QStringList{"fa_IR", " 66.67 %"};
        QTest::newRow("Bangla") << 100.0f << QStringList{"bn_BD", "100.00 %"};
    }
    void hitrateTexts() {
        const auto [hitrate, localeAndText] =
            test::fetch<float, QStringList>("hitrate", "localeAndText");
        QCOMPARE(hitrateText(hitrate, QLocale(localeAndText[0])), localeAndText[1]);
    }

    void dateTexts_data() {
        test::columns<QDate, QString>("date", "text");
        QTest::newRow("1st") << QDate(2001, 3, 1) << "March 1st 2001";
        QTest::newRow("2nd") << QDate(2001, 5, 2) << "May 2nd 2001";
        QTest::newRow("3rd") << QDate(2001, 1, 3) << "January 3rd 2001";
        QTest::newRow("4th") << QDate(2001, 2, 4) << "February 4th 2001";
        QTest::newRow("11th") << QDate(2001, 6, 11) << "June 11th 2001";
        QTest::newRow("12th") << QDate(2001, 6, 12) << "June 12th 2001";
        QTest::newRow("13th") << QDate(2001, 6, 13) << "June 13th 2001";
        QTest::newRow("21st") << QDate(2001, 7, 21) << "July 21st 2001";
        QTest::newRow("22nd") << QDate(2001, 7, 22) << "July 22nd 2001";
        QTest::newRow("23rd") << QDate(2001, 7, 23) << "July 23rd 2001";
        QTest::newRow("31st") << QDate(2001, 12, 31) << "December 31st 2001";
        QTest::newRow("longest") << QDate(2000, 9, 30) << "September 30th 2000";
    }
    void dateTexts() {
        const auto [date, text] = test::fetch<QDate, QString>("date", "text");
        QCOMPARE(dateText(date), text);
        QVERIFY(dateText(date).size() <= 19);
    }
};

QTEST_GUILESS_MAIN(QualificationTest)
#include "tst_qualification.moc"
