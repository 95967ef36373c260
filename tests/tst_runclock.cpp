// SPDX-License-Identifier: GPL-3.0-or-later
#include "game/runclock.h"
#include "support/datarows.h"

#include <QTest>

using namespace krumlix;

class RunClockTest : public QObject {
    Q_OBJECT
private slots:
    // The clock shows 3:04 only in the run's first millisecond, holds 0:01
    // for two seconds and reaches 0:00 at 184 seconds.
    void secondsFollowElapsedTime_data() {
        test::columns<quint32, int>("elapsed", "seconds");
        QTest::newRow("first millisecond") << 0u << 184;
        QTest::newRow("1 ms") << 1u << 183;
        QTest::newRow("1000 ms") << 1000u << 183;
        QTest::newRow("1001 ms") << 1001u << 182;
        QTest::newRow("3:00 begins") << 3001u << 180;
        QTest::newRow("3:00 ends") << 4000u << 180;
        QTest::newRow("0:01 begins") << 182001u << 1;
        QTest::newRow("0:01 still") << 183999u << 1;
        QTest::newRow("0:00") << 184000u << 0;
        QTest::newRow("a tick 1.5 s late") << 185500u << -1;
        QTest::newRow("far beyond") << 4000000000u << -3999816;
    }
    void secondsFollowElapsedTime() {
        const auto [elapsed, seconds] = test::fetch<quint32, int>("elapsed", "seconds");
        QCOMPARE(clockSeconds(elapsed), seconds);
    }

    void textIsMinutesAndTwoDigitSeconds_data() {
        test::columns<int, QString>("seconds", "text");
        const std::pair<int, const char *> texts[] = {{184, "3:04"}, {180, "3:00"}, {65, "1:05"},
                                                      {60, "1:00"},  {59, "0:59"},  {10, "0:10"},
                                                      {9, "0:09"},   {0, "0:00"}};
        for (const auto &[seconds, text] : texts)
            QTest::addRow("%d", seconds) << seconds << QString::fromLatin1(text);
        QTest::newRow("late end never shows below 0:00") << -1 << "0:00";
    }
    void textIsMinutesAndTwoDigitSeconds() {
        const auto [seconds, text] = test::fetch<int, QString>("seconds", "text");
        QCOMPARE(clockText(seconds), text);
    }
};

QTEST_GUILESS_MAIN(RunClockTest)
#include "tst_runclock.moc"
