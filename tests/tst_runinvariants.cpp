// SPDX-License-Identifier: GPL-3.0-or-later
// Whole runs on random levels with random animals and random players: the
// score, the optimal score, the shots and the period scores always agree
// with the counters.
#include "settings/presetrates.h"
#include "support/rulerig.h"

#include <QTest>

#include <random>

using namespace krumlix;
using test::RuleRig;

namespace {

struct Tally {
    int timeOuts = 0, stops = 0, bonuses = 0, reachedShots = 0, escapes = 0, hits = 0;
};

/// One run of a player on a level and animals drawn from `seed`.
class RandomRun {
public:
    explicit RandomRun(std::uint32_t seed) : rng_(seed) {
        const int level = pick(6);
        rig.host.level = level;
        if (level < PresetLevelCount)
            rig.host.rates = PresetRates[static_cast<std::size_t>(level)];
        else
            for (int &rate : rig.host.rates)
                rate = pick(4) == 0 ? 0 : pick(120);
        // Every spawn draw of the run comes from the test's generator.
        for (int i = 0; i < 4 * 3700; ++i)
            rig.fake.random.script.push_back(pick(1000));
        rig.fake.counter.step = static_cast<std::uint32_t>(pick(2));
        rig.fake.waiter.extraDelay = static_cast<std::uint32_t>(pick(3) * 25);
        // From keys at random to a sharp shooter who never slips.
        const int skills[] = {0, 60, 90, 98, 100};
        skill_ = skills[pick(5)];
        // A late shooter turns to a bee only once it may already be there.
        const int late = pick(3);
        beeFromLeftAt_ = 120 + 60 * late;
        beeFromRightAt_ = 500 - 66 * late;
        rig.afterEveryTick([this] { pick(100) < skill_ ? aimAndShoot() : pressAtRandom(); });
    }

    void play() { rig.playRun(); }

    RuleRig rig;
    int reachedShots = 0;

private:
    int pick(int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng_); }

    bool anyFlying(Group g, int low, int high) const {
        const SlotGroup &lane = rig.game.animals[static_cast<int>(g)];
        for (int i = 1; i <= SlotsPerGroup; ++i)
            if (lane.state[i] == 1 && low <= lane.x[i] && lane.x[i] <= high)
                return true;
        return false;
    }

    /// Fires, noting a shot at a bee that has already reached the hero:
    /// any flying bee of the aimed lane beyond the limit of position 1 or 7.
    void fire() {
        const int aim = rig.game.AimPosition;
        if ((aim == 1 && anyFlying(Group::RightwardBee, 235, 100000)) ||
            (aim == 7 && anyFlying(Group::LeftwardBee, -100000, 373)))
            ++reachedShots;
        rig.press(Key::Space);
    }

    void pressAtRandom() {
        for (int n = pick(3); n > 0; --n) {
            const int r = pick(10);
            if (r < 3)
                rig.press(Key::Left);
            else if (r < 6)
                rig.press(Key::Right);
            else
                fire();
        }
        if (pick(20000) == 0)
            rig.press(pick(2) ? Key::Enter : Key::Escape);
    }

    /// Bees first, then the elephants about to leave their first zone.
    void aimAndShoot() {
        const struct {
            Group lane;
            int low, high, aim;
        } targets[] = {{Group::RightwardBee, beeFromLeftAt_, 100000, 1},
                       {Group::LeftwardBee, -100000, beeFromRightAt_, 7},
                       {Group::LeftwardElephant, 490, 610, 6},
                       {Group::RightwardElephant, 0, 90, 2}};
        for (const auto &t : targets)
            if (anyFlying(t.lane, t.low, t.high)) {
                rig.turnTo(t.aim);
                return fire();
            }
    }

    std::mt19937 rng_;
    int skill_ = 0; ///< percent of the ticks played by the sharp shooter
    int beeFromLeftAt_ = 0, beeFromRightAt_ = 0;
};

} // namespace

class RunInvariantsTest : public QObject {
    Q_OBJECT
private slots:
    // 200 runs, each on its own seed: the level, the animals' draws, the
    // length of the ticks and the player all come from it.
    void countersAgreeOverRandomRuns() {
        Tally tally;
        for (std::uint32_t seed = 1; seed <= 200; ++seed) {
            RandomRun run(seed);
            run.play();
            const SharedState &s = run.rig.shared;
            const int bonus = 100 * s.BonusLevel;
            const int elephantHits = s.Elephant7Count + s.Elephant5Count + s.Elephant3Count +
                                     s.Elephant2Count + s.Elephant0Count;
            const int periods = s.PeriodScore[1] + s.PeriodScore[2] + s.PeriodScore[3] +
                                s.PeriodScore[4] + s.PeriodScore[5] + s.PeriodScore[6];
            const QByteArray where = "seed " + QByteArray::number(seed);
            QCOMPARE(s.GameState, GamePhase::AfterRun);
            // The periods are completed before the bonus is added.
            QVERIFY2(periods == s.RunScore - bonus, where);
            QVERIFY2(s.OptimalScore == 7 * s.ElephantCount + 3 * s.BeeCount + bonus, where);
            QVERIFY2(s.RunScore == 3 * s.BeeHitCount + 7 * s.Elephant7Count + 5 * s.Elephant5Count +
                                       3 * s.Elephant3Count + 2 * s.Elephant2Count -
                                       10 * s.ElephantEscapeCount - 2 * s.MissCount + bonus,
                     where);
            QVERIFY2(s.ShotCount == s.BeeHitCount + elephantHits + s.MissCount + run.reachedShots,
                     where);
            QVERIFY2(s.DifficultyLevel >= 2 || bonus == 0, where);

            ++(run.rig.game.StopFlag == Flag::Raised ? tally.stops : tally.timeOuts);
            tally.bonuses += bonus > 0;
            tally.reachedShots += run.reachedShots;
            tally.escapes += s.ElephantEscapeCount;
            tally.hits += s.BeeHitCount + elephantHits;
        }
        qInfo("200 runs: %d by time, %d stopped, %d with a bonus, %d shots at bees already "
              "there, %d escapes, %d hits",
              tally.timeOuts, tally.stops, tally.bonuses, tally.reachedShots, tally.escapes,
              tally.hits);
        // The sample has to have met the cases the sums are about.
        QVERIFY(tally.stops > 0);
        QVERIFY(tally.timeOuts > 0);
        QVERIFY(tally.escapes > 0);
        QVERIFY(tally.hits > 0);
        QVERIFY(tally.reachedShots > 0);
        QVERIFY(tally.bonuses > 0);
    }
};

QTEST_GUILESS_MAIN(RunInvariantsTest)
#include "tst_runinvariants.moc"
