// SPDX-License-Identifier: GPL-3.0-or-later
// Aiming and shooting: the elephant hit windows with their points and
// counters, the order of the searches, the bees, misses, turning at the
// limits and the keys that end a run.
#include "support/rulerig.h"

#include <QPainter>
#include <QTest>

using namespace krumlix;
using test::RuleRig;

namespace {

/// The hero at `aim` fires at an animal of `group` at `x`; a hit is worth
/// `points`, -1 is a miss (for a bee, 0: it has reached the hero).
struct Shot {
    int aim;
    Group group;
    int x, points;
};

struct Search { ///< animals of one group in slots, and the slot hit
    Group group;
    int aim;
    QList<int> layout; ///< slot, x, state, ...
    int expected;
};
struct Turn { ///< a turn from `start`, where the hero then stands
    int start;
    Key key;
    bool shotOnScreen;
    int expected;
    QRect hero; ///< of the expected position
};

/// Fires `shot` on a field prepared mid-run, its animal in `slot`.
void fire(RuleRig &rig, const Shot &shot, int slot) {
    rig.prepareMidRun(shot.aim);
    rig.place(shot.group, slot, shot.x);
    rig.press(Key::Space);
}

/// The five elephant hit counters, for 7, 5, 3, 2 and 0 points.
std::array<int, 5> elephantCounters(const SharedState &s) {
    return {s.Elephant7Count, s.Elephant5Count, s.Elephant3Count, s.Elephant2Count,
            s.Elephant0Count};
}

std::array<int, 5> oneHitFor(int points) {
    std::array<int, 5> counters{};
    const std::array<int, 5> values{7, 5, 3, 2, 0};
    for (std::size_t i = 0; i < values.size(); ++i)
        counters[i] = values[i] == points ? 1 : 0;
    return counters;
}

} // namespace

class ShootingTest : public QObject {
    Q_OBJECT
private slots:
    // The window of each aim, both edges, both directions: one pixel inside
    // is a hit worth the aim's points, the edge itself a miss.
    void elephantHitWindows_data() {
        QTest::addColumn<Shot>("shot");
        struct Window {
            int aim, rightLow, rightHigh, leftLow, leftHigh, rightPoints, leftPoints;
        };
        const Window windows[] = {
            {2, -85, 97, -86, 97, 7, 0},   {3, 98, 225, 97, 225, 5, 2},
            {4, 226, 353, 225, 353, 3, 3}, {5, 354, 481, 353, 481, 2, 5},
            {6, 482, 619, 481, 619, 0, 7},
        };
        for (const Window &w : windows) {
            const struct {
                Group group;
                const char *name;
                int low, high, points;
            } sides[] = {
                {Group::RightwardElephant, "right", w.rightLow, w.rightHigh, w.rightPoints},
                {Group::LeftwardElephant, "left", w.leftLow, w.leftHigh, w.leftPoints}};
            for (const auto &side : sides) {
                const std::pair<int, int> cases[] = {{side.low, -1},
                                                     {side.low + 1, side.points},
                                                     {side.high - 1, side.points},
                                                     {side.high, -1}};
                for (const auto &[x, points] : cases)
                    QTest::addRow("aim %d, flying %s at %d", w.aim, side.name, x)
                        << Shot{w.aim, side.group, x, points};
            }
        }
        // Between the windows of aims 4 and 5.
        QTest::newRow("aim 4, flying right at 354") << Shot{4, Group::RightwardElephant, 354, -1};
    }
    void elephantHitWindows() {
        QFETCH(Shot, shot);
        const auto [aim, group, x, points] = shot;
        RuleRig rig;
        fire(rig, shot, 4);

        QCOMPARE(rig.shared.ShotCount, 1);
        const bool hit = points >= 0;
        QCOMPARE(rig.shared.MissCount, hit ? 0 : 1);
        QCOMPARE(rig.shared.RunScore, hit ? points : -2);
        QCOMPARE(rig.game.group(group).state[4], hit ? -1 : 1);
        QCOMPARE(elephantCounters(rig.shared), oneHitFor(points)); // none for a miss
        QCOMPARE(rig.host.sounds,
                 std::vector<SoundEvent>{hit ? SoundEvent::ElephantDie : SoundEvent::TarvilMiss});
        QCOMPARE(rig.game.StopFlag, Flag::Lowered);
    }

    // Two elephants in one zone, one from each side: the one for which the
    // zone is the late one (worth less) is hit first, the other by the next
    // shot.
    void searchOrderBetweenDirections_data() {
        test::columns<Shot, int>("first", "secondPoints"); // the one hit first, the other
        QTest::newRow("zone 1") << Shot{2, Group::LeftwardElephant, 50, 0} << 7;
        QTest::newRow("zone 2") << Shot{3, Group::LeftwardElephant, 150, 2} << 5;
        QTest::newRow("zone 3") << Shot{4, Group::LeftwardElephant, 300, 3} << 3;
        QTest::newRow("zone 4") << Shot{5, Group::RightwardElephant, 420, 2} << 5;
        QTest::newRow("zone 5") << Shot{6, Group::RightwardElephant, 550, 0} << 7;
    }
    void searchOrderBetweenDirections() {
        const auto [first, secondPoints] = test::fetch<Shot, int>("first", "secondPoints");
        const auto [aim, firstGroup, x, firstPoints] = first;
        const Group second = firstGroup == Group::LeftwardElephant ? Group::RightwardElephant
                                                                   : Group::LeftwardElephant;
        test::MidRunRig rig(aim);
        rig.place(Group::RightwardElephant, 1, x);
        rig.place(Group::LeftwardElephant, 1, x);

        rig.press(Key::Space);
        QCOMPARE(rig.game.group(firstGroup).state[1], -1);
        QCOMPARE(rig.game.group(second).state[1], 1);
        QCOMPARE(rig.shared.RunScore, firstPoints);
        rig.press(Key::Space);
        QCOMPARE(rig.game.group(second).state[1], -1);
        QCOMPARE(rig.shared.RunScore, firstPoints + secondPoints);
        QCOMPARE(rig.shared.MissCount, 0);
    }

    // Within one group the animal furthest along its flight is hit, the
    // lowest slot on equal x; slots outside the window or in their hit
    // display do not count.
    void searchWithinGroup_data() {
        QTest::addColumn<Search>("row");
        QTest::newRow("elephants flying right")
            << Search{Group::RightwardElephant,
                      4,
                      {1, 240, 1, 4, 330, 1, 6, 330, 1, 8, 360, 1, 9, 340, -2},
                      4};
        QTest::newRow("elephants flying left")
            << Search{Group::LeftwardElephant,
                      4,
                      {2, 300, 1, 3, 240, 1, 5, 240, 1, 9, 220, 1, 10, 230, -1},
                      3};
        QTest::newRow("bees from the left")
            << Search{Group::RightwardBee, 1, {1, 100, 1, 3, 200, 1, 6, 200, 1, 7, 220, -3}, 3};
        QTest::newRow("bees from the right")
            << Search{Group::LeftwardBee, 7, {2, 500, 1, 4, 400, 1, 8, 400, 1, 9, 380, -1}, 4};
    }
    void searchWithinGroup() {
        const auto &[group, aim, layout, expected] = test::fetch<Search>("row");
        test::MidRunRig rig(aim);
        for (qsizetype i = 0; i < layout.size(); i += 3)
            rig.place(group, layout[i], layout[i + 1], layout[i + 2]);
        rig.press(Key::Space);
        for (qsizetype i = 0; i < layout.size(); i += 3) {
            const int slot = layout[i];
            const int before = layout[i + 2];
            QCOMPARE(rig.game.group(group).state[slot], slot == expected ? -1 : before);
        }
        QCOMPARE(rig.shared.MissCount, 0);
    }

    // Aims 1 and 7 shoot along the ground at the bees of their side only. A
    // bee already past the limit of position 1 (or 7) has reached the hero:
    // the shot counts, is no miss, scores nothing and ends the run.
    void beeShots_data() {
        QTest::addColumn<Shot>("shot");
        QTest::newRow("aim 1, bee from the left at 234") << Shot{1, Group::RightwardBee, 234, 3};
        QTest::newRow("aim 1, bee from the left at 240") << Shot{1, Group::RightwardBee, 240, 0};
        QTest::newRow("aim 7, bee from the right at 374") << Shot{7, Group::LeftwardBee, 374, 3};
        QTest::newRow("aim 7, bee from the right at 368") << Shot{7, Group::LeftwardBee, 368, 0};
        QTest::newRow("aim 1, only a bee from the right") << Shot{1, Group::LeftwardBee, 400, -1};
        QTest::newRow("aim 7, only a bee from the left") << Shot{7, Group::RightwardBee, 200, -1};
        QTest::newRow("aim 1, only an elephant") << Shot{1, Group::RightwardElephant, 30, -1};
        QTest::newRow("aim 2, only a bee") << Shot{2, Group::RightwardBee, 30, -1};
    }
    void beeShots() {
        QFETCH(Shot, shot);
        const Group group = shot.group;
        RuleRig rig;
        fire(rig, shot, 2);

        QCOMPARE(rig.shared.ShotCount, 1);
        const bool hit = shot.points > 0, reached = shot.points == 0;
        QCOMPARE(rig.game.group(group).state[2], hit ? -1 : 1);
        QCOMPARE(rig.shared.BeeHitCount, hit ? 1 : 0);
        QCOMPARE(rig.shared.RunScore, hit ? 3 : reached ? 0 : -2);
        QCOMPARE(rig.shared.MissCount, hit || reached ? 0 : 1);
        QCOMPARE(rig.game.StopFlag, reached ? Flag::Raised : Flag::Lowered);
        if (hit || reached)
            QCOMPARE(rig.host.sounds,
                     hit ? std::vector<SoundEvent>{SoundEvent::BeeDie} : std::vector<SoundEvent>{});
    }

    // An animal showing its hit image cannot be hit again, not even after a
    // tick of its display: the next shot is a miss unless another animal is
    // in the window, which it then hits.
    void hitDisplayCannotBeHitAgain_data() {
        QTest::addColumn<Shot>("shot");
        QTest::newRow("elephant flying right") << Shot{2, Group::RightwardElephant, 50, 7};
        QTest::newRow("elephant flying left") << Shot{6, Group::LeftwardElephant, 550, 7};
        QTest::newRow("bee from the left") << Shot{1, Group::RightwardBee, 100, 3};
        QTest::newRow("bee from the right") << Shot{7, Group::LeftwardBee, 500, 3};
    }
    void hitDisplayCannotBeHitAgain() {
        QFETCH(Shot, shot);
        const auto [aim, group, x, points] = shot;
        RuleRig rig;
        fire(rig, shot, 1);
        QCOMPARE(rig.game.group(group).state[1], -1);
        rig.press(Key::Space);
        rig.step();
        rig.press(Key::Space);
        QCOMPARE(rig.shared.MissCount, 2);
        QCOMPARE(rig.shared.RunScore, points - 4);

        rig.place(group, 2, x);
        rig.press(Key::Space);
        QCOMPARE(rig.game.group(group).state[2], -1);
        QCOMPARE(rig.shared.MissCount, 2);
        QCOMPARE(rig.shared.ShotCount, 4);
        QCOMPARE(rig.shared.RunScore, 2 * points - 4);
    }

    // A shot at nothing costs 2, whatever the aim, down below zero.
    void missesCostTwo_data() {
        QTest::addColumn<int>("aim");
        for (int aim = 1; aim <= 7; ++aim)
            QTest::addRow("aim %d", aim) << aim;
    }
    void missesCostTwo() {
        QFETCH(int, aim);
        test::MidRunRig rig(aim);
        for (int i = 0; i < 3; ++i)
            rig.press(Key::Space);
        QCOMPARE(rig.shared.RunScore, -6);
        QCOMPARE(rig.shared.MissCount, 3);
        QCOMPARE(rig.shared.ShotCount, 3);
        QCOMPARE(rig.host.sounds, std::vector<SoundEvent>(3, SoundEvent::TarvilMiss));
    }

    // Turning redraws the hero in the next position; at the limits it does
    // nothing but erase a shot still on screen.
    void turning_data() {
        QTest::addColumn<Turn>("row");
        const QRect hero1(258, 342, 74, 46), hero3(294, 324, 38, 64), hero5(300, 324, 38, 64),
            hero7(300, 342, 74, 46);
        const Key left = Key::Left, right = Key::Right;
        QTest::newRow("left at 1, shot on screen") << Turn{1, left, true, 1, hero1};
        QTest::newRow("left at 1, no shot") << Turn{1, left, false, 1, hero1};
        QTest::newRow("right at 7, shot on screen") << Turn{7, right, true, 7, hero7};
        QTest::newRow("right at 7, no shot") << Turn{7, right, false, 7, hero7};
        QTest::newRow("left from 4") << Turn{4, left, true, 3, hero3};
        QTest::newRow("right from 4") << Turn{4, right, true, 5, hero5};
        QTest::newRow("left from 2") << Turn{2, left, false, 1, hero1};
        QTest::newRow("right from 6") << Turn{6, right, false, 7, hero7};
    }
    void turning() {
        const auto [start, key, shotOnScreen, expected, hero] = test::fetch<Turn>("row");
        test::MidRunRig rig;
        rig.turnTo(start);
        if (shotOnScreen) {
            rig.press(Key::Space);
            rig.step(); // the shot is drawn
        }
        const QRect shot(Aim[start].shotX, Aim[start].shotY, Aim[start].shotWidth,
                         Aim[start].shotHeight);
        QVERIFY(test::isBlack(rig.field, shot) != shotOnScreen);
        QImage before = rig.field.image();

        rig.press(key);
        QCOMPARE(rig.game.AimPosition, expected);
        QVERIFY(test::isBlack(rig.field, shot));
        QCOMPARE(test::fieldPart(rig.field, hero), rig.sprites.image(Aim[expected].hero));
        if (start == expected) {
            // Nothing else on the field changed.
            QPainter(&before).fillRect(shot, Qt::black);
            QCOMPARE(rig.field.image(), before);
        }
    }

    // Enter and Escape end the run at the next tick; other keys do nothing.
    void keysThatEndTheRun_data() {
        test::columns<int, int>("key", "stop");
        QTest::newRow("Enter") << 13 << 1;
        QTest::newRow("Escape") << 27 << 1;
        QTest::newRow("up arrow") << 38 << 0;
        QTest::newRow("down arrow") << 40 << 0;
        QTest::newRow("A") << 65 << 0;
    }
    void keysThatEndTheRun() {
        const auto [key, stop] = test::fetch<int, int>("key", "stop");
        test::MidRunRig rig;
        rig.game.FormKeyDown(static_cast<std::uint16_t>(key));
        QCOMPARE(int(rig.game.StopFlag), stop);
        QCOMPARE(rig.game.AimPosition, 4);
        QCOMPARE(rig.shared.ShotCount, 0);
    }
};

QTEST_GUILESS_MAIN(ShootingTest)
#include "tst_shooting.moc"
