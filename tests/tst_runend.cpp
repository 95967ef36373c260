// SPDX-License-Identifier: GPL-3.0-or-later
// The end of a run: the bonus grades, the period scores of a run that ended
// early, the count-up of the bonus, the keys of the after-run screen and the
// hand-over to the menu and the next run.
#include "support/rulerig.h"

#include <QTest>

using namespace krumlix;
using test::RuleRig;

Q_DECLARE_METATYPE(krumlix::SoundEvent)

namespace {

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

/// Plays a whole run of the marksman at `level`, ended by time.
void playMarksman(RuleRig &rig, int level, int hits, int misses) {
    rig.host.level = level;
    Marksman player{rig, hits, misses};
    rig.afterEveryTick([&player] { player(); });
    rig.playRun();
    rig.afterEveryTick({});
}

} // namespace

class RunEndTest : public QObject {
    Q_OBJECT
private slots:
    // The grade earned by accurate runs on each level: lowered by the
    // hitrate at the end, never below Champion, never after a StopFlag.
    void bonusGrades_data() {
        QTest::addColumn<int>("level");
        QTest::addColumn<int>("hits");
        QTest::addColumn<int>("misses");
        QTest::addColumn<bool>("pastMiddle");
        QTest::addColumn<int>("endKey");
        QTest::addColumn<int>("grade");
        QTest::addColumn<SoundEvent>("sound");
        QTest::addColumn<QString>("label");
        QTest::addColumn<int>("labelLeft");
        const QString ultra = QStringLiteral("Tarvil was: Ultra-Hardcore  +300 points");
        const QString hardcore = QStringLiteral("Tarvil was: Hardcore  +200 points");
        const QString dygtig = QStringLiteral("Tarvil was: Dygtig  +100 points");
        using S = SoundEvent;
        QTest::newRow("Champion 94.5 %")
            << 2 << 189 << 11 << false << 0 << 2 << S::HardcoreBonus << hardcore << 115;
        QTest::newRow("Champion 95 %")
            << 2 << 190 << 10 << false << 0 << 3 << S::UltraHardcoreBonus << ultra << 83;
        QTest::newRow("God 93 %") << 3 << 186 << 14 << false << 0 << 2 << S::HardcoreBonus
                                  << hardcore << 115;
        QTest::newRow("Tarvil 92.5 %")
            << 4 << 185 << 15 << false << 0 << 1 << S::DygtigBonus << dygtig << 132;
        QTest::newRow("Champion 91 %")
            << 2 << 182 << 18 << false << 0 << 1 << S::DygtigBonus << dygtig << 132;
        QTest::newRow("Champion 90.5 %")
            << 2 << 181 << 19 << false << 0 << 0 << S::TarvilFinish << QString() << 0;
        QTest::newRow("Experienced 100 %")
            << 1 << 100 << 0 << false << 0 << 0 << S::TarvilFinish << QString() << 0;
        QTest::newRow("Beginner 100 %")
            << 0 << 100 << 0 << false << 0 << 0 << S::TarvilFinish << QString() << 0;
        QTest::newRow("User defined 100 %")
            << 5 << 100 << 0 << false << 0 << 3 << S::UltraHardcoreBonus << ultra << 83;
        QTest::newRow("Champion 100 %, one past the middle")
            << 2 << 100 << 0 << true << 0 << 2 << S::HardcoreBonus << hardcore << 115;
        QTest::newRow("Champion, no shots")
            << 2 << 0 << 0 << false << 0 << 0 << S::TarvilFinish << QString() << 0;
        QTest::newRow("Champion 100 %, ended by Enter")
            << 2 << 100 << 0 << false << 13 << 0 << S::TarvilDie << QString() << 0;
        QTest::newRow("Champion 100 %, ended by Escape")
            << 2 << 100 << 0 << false << 27 << 0 << S::TarvilDie << QString() << 0;
    }
    void bonusGrades() {
        QFETCH(int, level);
        QFETCH(int, hits);
        QFETCH(int, misses);
        QFETCH(bool, pastMiddle);
        QFETCH(int, endKey);
        QFETCH(int, grade);
        QFETCH(SoundEvent, sound);
        QFETCH(QString, label);
        QFETCH(int, labelLeft);
        RuleRig rig;
        rig.host.level = level;
        Marksman player{rig, hits, misses, pastMiddle, endKey};
        rig.afterEveryTick([&player] { player(); });
        rig.playRun();

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
            QCOMPARE(rig.host.bonusText, label);
            QCOMPARE(rig.host.bonusLeft, labelLeft);
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
        QTest::addColumn<QList<int>>("misses"); // clock second, shots at nothing
        QTest::addColumn<int>("endAt");         // clock second of Escape, 0: time out
        QTest::addColumn<QList<int>>("expected");
        QTest::addColumn<int>("stallAt"); // clock second of a 2.5 s stall, 0: none
        QTest::newRow("ended in the third period, X then Y")
            << QList<int>{130, 2, 110, 3} << 100 << QList<int>{-10, -4, 4, 0, 0, 0} << 0;
        QTest::newRow("ended in the third period, nothing after X")
            << QList<int>{130, 1} << 100 << QList<int>{0, -2, 0, 0, 0, 0} << 0;
        QTest::newRow("ended in the third period, nothing before it")
            << QList<int>{110, 2} << 100 << QList<int>{-4, 0, 0, 0, 0, 0} << 0;
        QTest::newRow("ended in the fifth period")
            << QList<int>{170, 1, 110, 2, 45, 1} << 40 << QList<int>{-2, -6, -4, 4, 0, 0} << 0;
        QTest::newRow("time out") << QList<int>{130, 2, 110, 3, 20, 1} << 0
                                  << QList<int>{0, -4, -6, 0, 0, -2} << 0;
        QTest::newRow("shots during 2:30 count in period 1")
            << QList<int>{150, 1} << 0 << QList<int>{-2, 0, 0, 0, 0, 0} << 0;
        // A tick that stalls across the end of a period still records it
        // once the clock has passed it, with the score of that tick.
        QTest::newRow("a stall across 2:30")
            << QList<int>{160, 1, 140, 2} << 0 << QList<int>{-2, -4, 0, 0, 0, 0} << 151;
        QTest::newRow("a stall across 1:00, then the end")
            << QList<int>{100, 1, 70, 2} << 50 << QList<int>{0, 0, -2, -4, 0, 0} << 61;
    }
    void periodScores() {
        QFETCH(QList<int>, misses);
        QFETCH(int, endAt);
        QFETCH(QList<int>, expected);
        QFETCH(int, stallAt);
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
        QTest::addColumn<int>("hits");
        QTest::addColumn<int>("misses");
        QTest::addColumn<int>("bonus");
        QTest::newRow("Ultra-Hardcore") << 100 << 0 << 300;
        QTest::newRow("Dygtig") << 185 << 15 << 100;
    }
    void countUp() {
        QFETCH(int, hits);
        QFETCH(int, misses);
        QFETCH(int, bonus);
        RuleRig rig;
        playMarksman(rig, 2, hits, misses);
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

        std::vector<std::int32_t> expected;
        for (int v = before + 1; v <= before + bonus; ++v)
            expected.push_back(v);
        expected.push_back(rig.shared.RunScore);
        QCOMPARE(rig.host.scores, expected);
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
        playMarksman(rig, 2, 100, 0);
        const int before = rig.shared.RunScore - 300;
        rig.host.scores.clear();
        int waits = 0;
        rig.afterEveryTick([&] {
            if (++waits == 10)
                rig.press(Key::Enter);
        });
        rig.press(Key::Enter);
        std::vector<std::int32_t> expected;
        for (int v = before + 1; v <= before + 11; ++v)
            expected.push_back(v);
        expected.push_back(rig.shared.RunScore);
        QCOMPARE(rig.host.scores, expected);
        QCOMPARE(waits, 10);
        QCOMPARE(rig.game.BonusDone, Flag::Raised);
        QCOMPARE(rig.host.menus, 0);
        rig.press(Key::Enter);
        QCOMPARE(rig.host.menus, 1);
    }

    // Only Enter does anything after a run, and what it does follows the
    // two flags of the after-run screen.
    void afterRunKeys_data() {
        QTest::addColumn<int>("done");
        QTest::addColumn<int>("counting");
        QTest::addColumn<int>("key");
        QTest::addColumn<bool>("countsUp");
        QTest::addColumn<int>("stop");
        QTest::addColumn<int>("menus");
        QTest::newRow("Enter, bonus waiting") << 0 << 0 << 13 << true << 0 << 0;
        QTest::newRow("Enter, counting") << 0 << 1 << 13 << false << 1 << 0;
        QTest::newRow("Enter, done") << 1 << 0 << 13 << false << 0 << 1;
        QTest::newRow("Enter, done, counting flag set") << 1 << 1 << 13 << false << 0 << 1;
        QTest::newRow("Space, bonus waiting") << 0 << 0 << 32 << false << 0 << 0;
        QTest::newRow("Escape, counting") << 0 << 1 << 27 << false << 0 << 0;
        QTest::newRow("Escape, done") << 1 << 0 << 27 << false << 0 << 0;
        QTest::newRow("Left, done") << 1 << 0 << 37 << false << 0 << 0;
    }
    void afterRunKeys() {
        QFETCH(int, done);
        QFETCH(int, counting);
        QFETCH(int, key);
        QFETCH(bool, countsUp);
        QFETCH(int, stop);
        QFETCH(int, menus);
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
