// SPDX-License-Identifier: GPL-3.0-or-later
// Whole runs under the virtual clock, without windows.
#include "support/rulerig.h"

#include <QTest>

using namespace krumlix;

namespace {

/// The rule rig (no animal ever enters), its action given the tick's clock.
struct Rig : test::RuleRig {
    /// Runs `action` before the wait of every tick, with the tick's clock.
    void everyTick(std::function<void(int seconds)> action) {
        afterEveryTick([this, action] { action(game.ClockSeconds); });
    }
};

} // namespace

class GameRunTest : public QObject {
    Q_OBJECT
private slots:
    // A run left alone ends by time at 184 s: the last tick shows 0:00, the
    // game goes to the after-run screen and the prompt shows.
    void runEndsByTime() {
        Rig rig;
        rig.shared.GameState = GamePhase::RunRequested;
        rig.game.FormPaint();
        QCOMPARE(rig.shared.GameState, GamePhase::AfterRun);
        QCOMPARE(rig.game.ClockText, QStringLiteral("0:00"));
        QCOMPARE(rig.host.clocks.last(), QStringLiteral("0:00"));
        // Ticks of exactly 50 ms: the one at 184,000 ms is the last.
        QCOMPARE(rig.game.ticksPlayed(), 184000 / 50 + 1);
        QVERIFY(rig.host.promptVisible);
        QCOMPARE(rig.game.StopFlag, Flag::Lowered);
        QCOMPARE(rig.host.sounds.back(), SoundEvent::TarvilFinish);
        QCOMPARE(rig.game.BonusDone, Flag::Raised);
        QVERIFY(rig.host.repaints > 0);
    }

    // The first tick falls into the run's first millisecond only when the
    // counter stands still: then it shows 3:04.
    void firstTickInFirstMillisecondShows304() {
        Rig rig;
        rig.game.StartRun();
        QCOMPARE(rig.host.clocks.first(), QStringLiteral("3:04"));
        rig.fake.counter.step = 1;
        test::FakeHost &host = rig.host;
        host.clocks.clear();
        rig.game.StartRun();
        QCOMPARE(host.clocks.first(), QStringLiteral("3:03"));
    }

    // The rates are -1 throughout the lead-in and come from the spin edits on
    // every tick of 3:00, as (e, e, b, b) per period; after that second a
    // change of the spin edits no longer counts.
    void ratesLoadedAtThreeMinutes() {
        Rig rig;
        rig.host.rates = {1, 2, 3, 4, 5, 6, 11, 12, 13, 14, 15, 16};
        bool leadInSeen = false;
        rig.everyTick([&](int seconds) {
            const auto &rates = rig.shared.AnimalRates;
            if (seconds > 180) {
                leadInSeen = true;
                for (const auto &period : rates)
                    for (int k = 1; k <= 4; ++k)
                        QCOMPARE(period[k], -1);
            } else if (seconds == 180) {
                for (int p = 0; p < 6; ++p) {
                    QCOMPARE(rates[p][1], rig.host.rates[p]);
                    QCOMPARE(rates[p][2], rig.host.rates[p]);
                    QCOMPARE(rates[p][3], rig.host.rates[p + 6]);
                    QCOMPARE(rates[p][4], rig.host.rates[p + 6]);
                }
                rig.host.rates[0] += 1; // the next tick of 3:00 picks it up
            } else if (seconds == 179) {
                rig.host.rates[0] = 500;
            }
        });
        rig.game.StartRun();
        QVERIFY(leadInSeen);
        // 20 ticks show 3:00; each reads the rate the one before left.
        QCOMPARE(rig.shared.AnimalRates[0][1], 1 + 20 - 1);
        QCOMPARE(rig.host.rateReads, 20 * 12);
    }

    // A tick that stalls across 3:00 (a message box, a suspended process):
    // the first tick after it loads the rates, once, and the run goes on
    // with them.
    void ratesLoadedAfterAStallAcrossThreeMinutes() {
        Rig rig;
        rig.host.rates = {1, 2, 3, 4, 5, 6, 11, 12, 13, 14, 15, 16};
        rig.game.PeriodIndex = 5; // as the last run left it
        QList<int> seen;
        int readsAtStall = -1;
        int periodAfterStall = -1;
        rig.everyTick([&](int seconds) {
            if (seen.isEmpty() || seen.last() != seconds)
                seen << seconds;
            if (seconds < 180 && periodAfterStall < 0)
                periodAfterStall = rig.game.PeriodIndex;
            if (seconds == 181 && readsAtStall < 0) {
                readsAtStall = rig.host.rateReads;
                rig.fake.counter.time += 2500; // the next tick shows 2:59 or less
            }
        });
        rig.game.StartRun();
        QVERIFY(!seen.contains(180));
        QCOMPARE(readsAtStall, 0);
        QCOMPARE(periodAfterStall, 0);
        QCOMPARE(rig.host.rateReads, 12);
        for (int p = 0; p < 6; ++p) {
            QCOMPARE(rig.shared.AnimalRates[p][1], rig.host.rates[p]);
            QCOMPARE(rig.shared.AnimalRates[p][4], rig.host.rates[p + 6]);
        }
        QCOMPARE(rig.game.PeriodIndex, 5);
    }

    // A counter that wraps through 2^32 during a run changes nothing.
    void counterWrapsDuringRun() {
        Rig rig;
        rig.fake.counter.time = 0xFFFFFFFFu - 90000u;
        rig.game.StartRun();
        QCOMPARE(rig.game.ticksPlayed(), 184000 / 50 + 1);
        QCOMPARE(rig.game.ClockText, QStringLiteral("0:00"));
    }

    // Ticks that run late do not stop the clock: the run still ends at 184 s
    // with fewer ticks.
    void lateTicksKeepRealTime() {
        Rig rig;
        rig.fake.waiter.extraDelay = 50;
        rig.game.StartRun();
        QCOMPARE(rig.game.ticksPlayed(), 184000 / 100 + 1);
    }

    // StopFlag ends the run at the end of its tick without a bonus; that
    // tick's readouts are not shown by the loop.
    void runEndsByStopFlag() {
        Rig rig;
        rig.everyTick([&](int seconds) {
            if (seconds == 120)
                rig.game.StopFlag = Flag::Raised;
        });
        rig.game.StartRun();
        QCOMPARE(rig.shared.GameState, GamePhase::AfterRun);
        QCOMPARE(rig.shared.BonusLevel, 0);
        QCOMPARE(rig.host.sounds.back(), SoundEvent::TarvilDie);
        // Raised in the wait after the first tick of 2:00 (at 63,050 ms); the
        // next tick ends the run, and its clock is shown by the end of the run.
        QCOMPARE(rig.game.ticksPlayed(), 63050 / 50 + 2);
        QCOMPARE(rig.host.clocks.last(), QStringLiteral("2:00"));
    }

    // The time-out test comes first: a run whose last tick also raised
    // StopFlag keeps its bonus.
    void timeOutWinsOverStopFlag_data() {
        test::columns<quint32, int>("stopAfter", "bonus");
        QTest::newRow("raised before the last tick") << 183950u << 300;
        QTest::newRow("raised a tick earlier") << 183900u << 0;
    }
    void timeOutWinsOverStopFlag() {
        const auto [stopAfter, bonus] = test::fetch<quint32, int>("stopAfter", "bonus");
        Rig rig;
        rig.host.level = 2;
        rig.everyTick([&](int) {
            rig.shared.ShotCount = 10; // a perfect hitrate
            if (rig.game.TickStartTime - rig.game.RunStartTime == stopAfter)
                rig.game.StopFlag = Flag::Raised;
        });
        rig.game.StartRun();
        QCOMPARE(rig.shared.BonusLevel * 100, bonus);
        QCOMPARE(rig.shared.RunScore, bonus);
        QCOMPARE(rig.game.StopFlag, Flag::Raised);
        // The raised flag chooses the sound, also for a run that kept its bonus.
        QCOMPARE(rig.host.sounds, std::vector<SoundEvent>{SoundEvent::TarvilDie});
    }

    // Hitrate follows shots and misses on the next tick and shows with the
    // locale's decimal separator.
    void hitrateFollowsShots() {
        Rig rig;
        rig.everyTick([&](int seconds) {
            if (seconds == 150) {
                rig.shared.ShotCount = 3;
                rig.shared.MissCount = 1;
            }
            if (seconds == 149)
                rig.game.StopFlag = Flag::Raised;
        });
        rig.game.StartRun();
        QCOMPARE(rig.host.hitrates.front(), 0.0f);
        QCOMPARE(rig.shared.Hitrate, static_cast<float>(2.0 / 3.0 * 100.0));
    }

    // A close request during a run ends it at the next tick and is refused.
    void closeRequestDuringRunEndsIt() {
        Rig rig;
        bool refused = false;
        rig.everyTick([&](int seconds) {
            if (seconds == 100 && !refused)
                refused = !rig.game.FormCloseQuery();
        });
        rig.game.StartRun();
        QVERIFY(refused);
        QCOMPARE(rig.game.StopFlag, Flag::Raised);
        QCOMPARE(rig.game.ClockText, QStringLiteral("1:40"));
        // After the run the menu is in charge again and closing is allowed.
        rig.shared.CloseMode = CloseModes::MenuInCharge;
        QVERIFY(rig.game.FormCloseQuery());
    }
};

QTEST_GUILESS_MAIN(GameRunTest)
#include "tst_gamerun.moc"
