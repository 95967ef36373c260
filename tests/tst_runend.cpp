// SPDX-License-Identifier: GPL-3.0-or-later
// The end of a run: the bonus grades, the period scores of a run that ended
// early, the count-up of the bonus, the keys of the after-run screen and the
// hand-over to the menu and the next run.
#include "support/rulerig.h"

#include <QTest>

using namespace krumlix;
using test::RuleRig;

namespace {

struct Grade { ///< a marksman's run and the grade it earns
    int level, hits, misses, grade;
    SoundEvent sound;
    bool pastMiddle = false;
    int endKey = 0; ///< the key that ends the run at 1:00
};
struct Periods {
    QList<int> misses; ///< clock second, shots at nothing, ...
    int endAt;         ///< clock second of Escape, 0: time out
    QList<int> expected;
    int stallAt = 0; ///< clock second of a 2.5 s stall, 0: none
};
struct AfterRunKey { ///< the flags of the screen, the key, and what it does
    int done, counting, key;
    bool countsUp = false;
    int stop = 0, menus = 0;
};

/// A player who shoots every elephant flying right as it enters (aim 2,
/// 7 points) until he has `hits`, with one shot at nothing after each of
/// the first `misses` hits. He may let the first elephant past the middle
/// and shoot it with aim 4 (3 points), and may end the run with a key at 1:00.
struct Marksman {
    RuleRig &rig;
    int hits = 0;
    int misses = 0;
    bool firstPastMiddle = false;
    int endKey = 0;

    int hitsDone = 0;
    int missesDone = 0;
    bool firstDone = false;

    void operator()() {
        GameRun &game = rig.game;
        if (game.ClockSeconds > 180)
            return;
        if (hitsDone < hits || missesDone < misses) {
            const SlotGroup &elephants = game.group(Group::RightwardElephant);
            for (int i = 1; i <= SlotsPerGroup; ++i) {
                if (elephants.state[i] != 1)
                    continue;
                if (firstPastMiddle && !firstDone && i == 1) {
                    if (elephants.x[i] >= 228) {
                        rig.turnTo(4);
                        shoot();
                        firstDone = true;
                    }
                } else if (elephants.x[i] < 90) {
                    rig.turnTo(2);
                    shoot();
                    if (missesDone < misses) {
                        rig.press(Key::Space);
                        ++missesDone;
                    }
                }
            }
            // The first one alone until it is past the middle: a later one
            // would find it still in the window of aim 2.
            const bool alone = !firstPastMiddle || firstDone || elephants.state[1] == 0;
            if (hitsDone < hits && alone)
                rig.letInNextTick({Group::RightwardElephant});
        }
        if (endKey != 0 && game.ClockSeconds == 60 && game.StopFlag == Flag::Lowered)
            game.FormKeyDown(static_cast<std::uint16_t>(endKey));
    }

    void shoot() {
        rig.press(Key::Space);
        ++hitsDone;
    }
    /// The score before the bonus.
    int score() const {
        const int pastMiddle = firstPastMiddle ? 1 : 0;
        return 7 * (hits - pastMiddle) + 3 * pastMiddle - 2 * misses;
    }
};

/// Plays a whole run of `player` at `level`; returns him as he ended it.
Marksman playMarksman(RuleRig &rig, int level, Marksman player) {
    rig.host.level = level;
    rig.afterEveryTick([&player] { player(); });
    rig.playRun();
    rig.afterEveryTick({});
    return player;
}

/// The score readouts of a count-up of `steps` points from `before`, then
/// the final score.
std::vector<std::int32_t> countedUp(int before, int steps, int final) {
    std::vector<std::int32_t> readouts;
    for (int v = before + 1; v <= before + steps; ++v)
        readouts.push_back(v);
    readouts.push_back(final);
    return readouts;
}

} // namespace

class RunEndTest : public QObject {
    Q_OBJECT
private slots:
    // The grade earned by accurate runs on each level: lowered by the
    // hitrate at the end, never below Champion, never after a StopFlag.
    void bonusGrades_data() {
        QTest::addColumn<Grade>("row");
        using S = SoundEvent;
        QTest::newRow("Champion 94.5 %") << Grade{2, 189, 11, 2, S::HardcoreBonus};
        QTest::newRow("Champion 95 %") << Grade{2, 190, 10, 3, S::UltraHardcoreBonus};
        QTest::newRow("God 93 %") << Grade{3, 186, 14, 2, S::HardcoreBonus};
        QTest::newRow("Tarvil 92.5 %") << Grade{4, 185, 15, 1, S::DygtigBonus};
        QTest::newRow("Champion 91 %") << Grade{2, 182, 18, 1, S::DygtigBonus};
        QTest::newRow("Champion 90.5 %") << Grade{2, 181, 19, 0, S::TarvilFinish};
        QTest::newRow("Experienced 100 %") << Grade{1, 100, 0, 0, S::TarvilFinish};
        QTest::newRow("Beginner 100 %") << Grade{0, 100, 0, 0, S::TarvilFinish};
        QTest::newRow("User defined 100 %") << Grade{5, 100, 0, 3, S::UltraHardcoreBonus};
        QTest::newRow("Champion 100 %, one past the middle")
            << Grade{2, 100, 0, 2, S::HardcoreBonus, true};
        QTest::newRow("Champion, no shots") << Grade{2, 0, 0, 0, S::TarvilFinish};
        QTest::newRow("Champion 100 %, ended by Enter")
            << Grade{2, 100, 0, 0, S::TarvilDie, false, 13};
        QTest::newRow("Champion 100 %, ended by Escape")
            << Grade{2, 100, 0, 0, S::TarvilDie, false, 27};
    }
    void bonusGrades() {
        const auto [level, hits, misses, grade, sound, pastMiddle, endKey] =
            test::fetch<Grade>("row");
        // The grade's label on the after-run screen, and its left edge.
        const std::pair<const char *, int> labels[] = {
            {"", 0},
            {"Tarvil was: Dygtig  +100 points", 132},
            {"Tarvil was: Hardcore  +200 points", 115},
            {"Tarvil was: Ultra-Hardcore  +300 points", 83}};
        RuleRig rig;
        const Marksman player =
            playMarksman(rig, level, Marksman{rig, hits, misses, pastMiddle, endKey});

        QCOMPARE(player.hitsDone, hits);
        QCOMPARE(rig.shared.ShotCount, hits + misses);
        QCOMPARE(rig.shared.MissCount, misses);
        QCOMPARE(rig.shared.ElephantCount, hits);
        QCOMPARE(rig.shared.ElephantEscapeCount, 0);
        QCOMPARE(rig.shared.BonusLevel, grade);
        // The readout shows the score before the bonus is added.
        QCOMPARE(rig.host.scores.back(), player.score());
        QCOMPARE(rig.shared.RunScore, player.score() + 100 * grade);
        QCOMPARE(rig.shared.OptimalScore, 7 * hits + 100 * grade);
        QCOMPARE(rig.host.sounds.back(), sound);
        QCOMPARE(rig.host.bonusVisible, grade > 0);
        if (grade > 0) {
            QCOMPARE(rig.host.bonusText, QLatin1String(labels[grade].first));
            QCOMPARE(rig.host.bonusLeft, labels[grade].second);
        }
        QCOMPARE(rig.game.BonusDone, grade > 0 ? Flag::Lowered : Flag::Raised);
        QCOMPARE(rig.game.BonusCounting, Flag::Lowered);
        QCOMPARE(rig.shared.GameState, GamePhase::AfterRun);
        QVERIFY(rig.host.promptVisible);
    }

    // Each period records the score as of the last tick of its last second;
    // a run that ended early gives the points since to the first period
    // still at 0. The six always add up to the score.
    void periodScores_data() {
        QTest::addColumn<Periods>("row");
        QTest::newRow("ended in the third period, X then Y")
            << Periods{{130, 2, 110, 3}, 100, {-10, -4, 4, 0, 0, 0}};
        QTest::newRow("ended in the third period, nothing after X")
            << Periods{{130, 1}, 100, {0, -2, 0, 0, 0, 0}};
        QTest::newRow("ended in the third period, nothing before it")
            << Periods{{110, 2}, 100, {-4, 0, 0, 0, 0, 0}};
        QTest::newRow("ended in the fifth period")
            << Periods{{170, 1, 110, 2, 45, 1}, 40, {-2, -6, -4, 4, 0, 0}};
        QTest::newRow("time out") << Periods{{130, 2, 110, 3, 20, 1}, 0, {0, -4, -6, 0, 0, -2}};
        QTest::newRow("shots during 2:30 count in period 1")
            << Periods{{150, 1}, 0, {-2, 0, 0, 0, 0, 0}};
        // A tick that stalls across the end of a period still records it
        // once the clock has passed it, with the score of that tick.
        QTest::newRow("a stall across 2:30")
            << Periods{{160, 1, 140, 2}, 0, {-2, -4, 0, 0, 0, 0}, 151};
        QTest::newRow("a stall across 1:00, then the end")
            << Periods{{100, 1, 70, 2}, 50, {0, 0, -2, -4, 0, 0}, 61};
    }
    void periodScores() {
        const auto &[misses, endAt, expected, stallAt] = test::fetch<Periods>("row");
        RuleRig rig;
        QList<int> plan = misses;
        bool stalled = false;
        rig.afterEveryTick([&] {
            const int seconds = rig.game.ClockSeconds;
            if (seconds == stallAt && !stalled) { // the next tick comes over two seconds later
                stalled = true;
                rig.fake.counter.time += 2500;
            }
            if (!plan.isEmpty() && plan[0] == seconds) {
                for (int i = 0; i < plan[1]; ++i)
                    rig.press(Key::Space);
                plan.remove(0, 2);
            }
            if (seconds == endAt)
                rig.press(Key::Escape);
        });
        rig.playRun();
        QVERIFY(plan.isEmpty());
        QCOMPARE(stalled, stallAt > 0);
        QCOMPARE(rig.game.StopFlag, endAt > 0 ? Flag::Raised : Flag::Lowered);
        const auto &ps = rig.shared.PeriodScore;
        QCOMPARE(QList<int>(ps.begin() + 1, ps.end()), expected);
        QCOMPARE(ps[1] + ps[2] + ps[3] + ps[4] + ps[5] + ps[6], rig.shared.RunScore);
    }

    // Enter counts the bonus in: the readout runs from the score before the
    // bonus plus 1 to the final score, one point per 50 ms.
    void countUp_data() {
        QTest::addColumn<QList<int>>("row"); // hits, misses, bonus
        QTest::newRow("Ultra-Hardcore") << QList<int>{100, 0, 300};
        QTest::newRow("Dygtig") << QList<int>{185, 15, 100};
    }
    void countUp() {
        QFETCH(QList<int>, row);
        const int bonus = row[2];
        RuleRig rig;
        playMarksman(rig, 2, Marksman{rig, row[0], row[1]});
        QCOMPARE(rig.shared.BonusLevel * 100, bonus);
        const int before = rig.shared.RunScore - bonus;
        rig.host.scores.clear();
        std::vector<std::uint32_t> times;
        std::vector<int> shown;
        int countingSeen = 0;
        rig.afterEveryTick([&] {
            times.push_back(rig.fake.counter.time);
            shown.push_back(rig.host.scores.back());
            countingSeen += int(rig.game.BonusCounting);
        });
        rig.press(Key::Enter);

        QCOMPARE(rig.host.scores, countedUp(before, bonus, rig.shared.RunScore));
        QCOMPARE(int(shown.size()), bonus);
        QCOMPARE(countingSeen, bonus);
        for (int i = 0; i < bonus; ++i) {
            QCOMPARE(shown[i], before + 1 + i);
            if (i > 0)
                QCOMPARE(times[i] - times[i - 1], 50u);
        }
        QCOMPARE(rig.game.BonusCounting, Flag::Lowered);
        QCOMPARE(rig.game.BonusDone, Flag::Raised);
        QVERIFY(!rig.host.bonusVisible);
        QCOMPARE(rig.host.menus, 0);
    }

    // A second Enter during the count-up shows the final score at once; the
    // next one opens the menu.
    void secondEnterJumpsToTheEnd() {
        RuleRig rig;
        playMarksman(rig, 2, Marksman{rig, 100, 0});
        const int before = rig.shared.RunScore - 300;
        rig.host.scores.clear();
        int waits = 0;
        rig.afterEveryTick([&] {
            if (++waits == 10)
                rig.press(Key::Enter);
        });
        rig.press(Key::Enter);
        QCOMPARE(rig.host.scores, countedUp(before, 11, rig.shared.RunScore));
        QCOMPARE(waits, 10);
        QCOMPARE(rig.game.BonusDone, Flag::Raised);
        QCOMPARE(rig.host.menus, 0);
        rig.press(Key::Enter);
        QCOMPARE(rig.host.menus, 1);
    }

    // Only Enter does anything after a run, and what it does follows the
    // two flags of the after-run screen.
    void afterRunKeys_data() {
        QTest::addColumn<AfterRunKey>("row");
        QTest::newRow("Enter, bonus waiting") << AfterRunKey{0, 0, 13, true};
        QTest::newRow("Enter, counting") << AfterRunKey{0, 1, 13, false, 1};
        QTest::newRow("Enter, done") << AfterRunKey{1, 0, 13, false, 0, 1};
        QTest::newRow("Enter, done, counting flag set") << AfterRunKey{1, 1, 13, false, 0, 1};
        QTest::newRow("Space, bonus waiting") << AfterRunKey{0, 0, 32};
        QTest::newRow("Escape, counting") << AfterRunKey{0, 1, 27};
        QTest::newRow("Escape, done") << AfterRunKey{1, 0, 27};
        QTest::newRow("Left, done") << AfterRunKey{1, 0, 37};
    }
    void afterRunKeys() {
        const auto [done, counting, key, countsUp, stop, menus] = test::fetch<AfterRunKey>("row");
        RuleRig rig;
        rig.playRun();
        QCOMPARE(rig.shared.GameState, GamePhase::AfterRun);
        // As if the run had earned 100 points of bonus.
        rig.shared.BonusLevel = 1;
        rig.shared.RunScore = 100;
        rig.game.BonusDone = Flag(done);
        rig.game.BonusCounting = Flag(counting);
        rig.host.scores.clear();
        rig.game.FormKeyDown(static_cast<std::uint16_t>(key));
        QCOMPARE(int(rig.host.scores.size()), countsUp ? 101 : 0);
        QCOMPARE(int(rig.game.StopFlag), stop);
        QCOMPARE(rig.host.menus, menus);
        QCOMPARE(rig.game.BonusDone, countsUp ? Flag::Raised : Flag(done));
    }

    // Without a bonus the first Enter shows the menu; when it closes, the
    // paint dispatch starts the next run if the menu asked for one, and
    // otherwise leaves the still scene.
    void noBonusEnterShowsMenu_data() {
        QTest::addColumn<int>("menuState");
        QTest::newRow("menu starts a game") << 4;
        QTest::newRow("menu closed without a game") << 0;
    }
    void noBonusEnterShowsMenu() {
        QFETCH(int, menuState);
        RuleRig rig;
        rig.host.level = 0;
        rig.playRun();
        QCOMPARE(rig.game.BonusDone, Flag::Raised);
        rig.host.onMenu = [&] { rig.shared.GameState = GamePhase(menuState); };
        rig.host.clocks.clear();
        rig.press(Key::Enter);
        QCOMPARE(rig.host.menus, 1);
        QCOMPARE(rig.shared.GameState, GamePhase::AfterRun);
        if (menuState == 4) {
            QCOMPARE(rig.host.clocks.first(), QStringLiteral("3:04"));
            QCOMPARE(rig.host.clocks.last(), QStringLiteral("0:00"));
            QCOMPARE(rig.game.ticksPlayed(), 184000 / 50 + 1);
        } else {
            QVERIFY(rig.host.clocks.isEmpty());
        }
    }

    // The repaint after a run clears the field to the still scene: no
    // animals and no flames, the torches, the ground and the hero facing up.
    void afterRunPaintLeavesStillScene() {
        RuleRig rig;
        rig.afterEveryTick([&] {
            if (rig.game.ClockSeconds > 180)
                return;
            if (rig.game.ClockSeconds < 175) {
                rig.turnTo(6);
                rig.press(Key::Escape);
            }
            rig.letInNextTick({Group::RightwardElephant, Group::LeftwardElephant,
                               Group::RightwardBee, Group::LeftwardBee});
        });
        rig.playRun();
        QVERIFY(rig.host.repaints > 0);
        const QRect sky(0, 0, 640, 106);
        QVERIFY(!test::isBlack(rig.field, sky));
        QVERIFY(!test::showsSprite(rig.field, Sprite::pos4, 300, 326));

        const QImage &torch = rig.sprites.image(Sprite::fakkel);
        const QImage burnt = torch.copy(76, 59, 22, 32);
        QVERIFY(test::fieldPart(rig.field, QRect(164, 175, 22, 32)) != burnt);

        rig.game.FormPaint();
        QVERIFY(test::isBlack(rig.field, sky));
        QVERIFY(test::isBlack(rig.field, QRect(0, 340, 88, 20)));
        QVERIFY(test::isBlack(rig.field, QRect(547, 298, 93, 90)));
        QVERIFY(test::showsSprite(rig.field, Sprite::fakkel, 88, 116));
        QVERIFY(test::showsSprite(rig.field, Sprite::fakkel, 378, 116));
        QVERIFY(test::showsSprite(rig.field, Sprite::jord, 0, 388));
        QVERIFY(test::showsSprite(rig.field, Sprite::pos4, 300, 326));
        // Where the flames burnt the torches show again.
        QCOMPARE(test::fieldPart(rig.field, QRect(164, 175, 22, 32)), burnt);
        QCOMPARE(test::fieldPart(rig.field, QRect(454, 175, 22, 32)), burnt);
    }
};

QTEST_GUILESS_MAIN(RunEndTest)
#include "tst_runend.moc"
