// SPDX-License-Identifier: GPL-3.0-or-later
// Aiming and shooting: the elephant hit windows with their points and
// counters, the order of the searches, the bees, misses, turning at the
// limits and the keys that end a run.
#include "support/rulerig.h"

#include <QPainter>
#include <QTest>

using namespace krumlix;
using test::RuleRig;

Q_DECLARE_METATYPE(krumlix::Group)

namespace {

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
        QTest::addColumn<int>("aim");
        QTest::addColumn<Group>("group");
        QTest::addColumn<int>("x");
        QTest::addColumn<int>("points"); // -1: a miss
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
                        << w.aim << side.group << x << points;
            }
        }
        // Between the windows of aims 4 and 5.
        QTest::newRow("aim 4, flying right at 354") << 4 << Group::RightwardElephant << 354 << -1;
    }
    void elephantHitWindows() {
        QFETCH(int, aim);
        QFETCH(Group, group);
        QFETCH(int, x);
        QFETCH(int, points);
        RuleRig rig;
        rig.prepareMidRun();
        rig.game.AimPosition = aim;
        rig.place(group, 4, x);
        rig.press(Key::Space);

        QCOMPARE(rig.shared.ShotCount, 1);
        if (points < 0) {
            QCOMPARE(rig.shared.MissCount, 1);
            QCOMPARE(rig.shared.RunScore, -2);
            QCOMPARE(rig.game.group(group).state[4], 1);
            QCOMPARE(elephantCounters(rig.shared), (std::array<int, 5>{}));
            QCOMPARE(rig.host.sounds, std::vector<SoundEvent>{SoundEvent::TarvilMiss});
        } else {
            QCOMPARE(rig.shared.MissCount, 0);
            QCOMPARE(rig.shared.RunScore, points);
            QCOMPARE(rig.game.group(group).state[4], -1);
            QCOMPARE(elephantCounters(rig.shared), oneHitFor(points));
            QCOMPARE(rig.host.sounds, std::vector<SoundEvent>{SoundEvent::ElephantDie});
        }
        QCOMPARE(rig.game.StopFlag, Flag::Lowered);
    }

    // Two elephants in one zone, one from each side: the one for which the
    // zone is the late one (worth less) is hit first, the other by the next
    // shot.
    void searchOrderBetweenDirections_data() {
        QTest::addColumn<int>("aim");
        QTest::addColumn<int>("x");
        QTest::addColumn<Group>("first");
        QTest::addColumn<int>("firstPoints");
        QTest::addColumn<int>("secondPoints");
        QTest::newRow("zone 1") << 2 << 50 << Group::LeftwardElephant << 0 << 7;
        QTest::newRow("zone 2") << 3 << 150 << Group::LeftwardElephant << 2 << 5;
        QTest::newRow("zone 3") << 4 << 300 << Group::LeftwardElephant << 3 << 3;
        QTest::newRow("zone 4") << 5 << 420 << Group::RightwardElephant << 2 << 5;
        QTest::newRow("zone 5") << 6 << 550 << Group::RightwardElephant << 0 << 7;
    }
    void searchOrderBetweenDirections() {
        QFETCH(int, aim);
        QFETCH(int, x);
        QFETCH(Group, first);
        QFETCH(int, firstPoints);
        QFETCH(int, secondPoints);
        const Group second =
            first == Group::LeftwardElephant ? Group::RightwardElephant : Group::LeftwardElephant;
        RuleRig rig;
        rig.prepareMidRun();
        rig.game.AimPosition = aim;
        rig.place(Group::RightwardElephant, 1, x);
        rig.place(Group::LeftwardElephant, 1, x);

        rig.press(Key::Space);
        QCOMPARE(rig.game.group(first).state[1], -1);
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
        QTest::addColumn<Group>("group");
        QTest::addColumn<int>("aim");
        QTest::addColumn<QList<int>>("layout"); // slot, x, state
        QTest::addColumn<int>("expected");
        QTest::newRow("elephants flying right")
            << Group::RightwardElephant << 4
            << QList<int>{1, 240, 1, 4, 330, 1, 6, 330, 1, 8, 360, 1, 9, 340, -2} << 4;
        QTest::newRow("elephants flying left")
            << Group::LeftwardElephant << 4
            << QList<int>{2, 300, 1, 3, 240, 1, 5, 240, 1, 9, 220, 1, 10, 230, -1} << 3;
        QTest::newRow("bees from the left")
            << Group::RightwardBee << 1 << QList<int>{1, 100, 1, 3, 200, 1, 6, 200, 1, 7, 220, -3}
            << 3;
        QTest::newRow("bees from the right")
            << Group::LeftwardBee << 7 << QList<int>{2, 500, 1, 4, 400, 1, 8, 400, 1, 9, 380, -1}
            << 4;
    }
    void searchWithinGroup() {
        QFETCH(Group, group);
        QFETCH(int, aim);
        QFETCH(QList<int>, layout);
        QFETCH(int, expected);
        RuleRig rig;
        rig.prepareMidRun();
        rig.game.AimPosition = aim;
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
        QTest::addColumn<int>("aim");
        QTest::addColumn<Group>("group");
        QTest::addColumn<int>("x");
        QTest::addColumn<QString>("outcome");
        QTest::newRow("aim 1, bee from the left at 234")
            << 1 << Group::RightwardBee << 234 << "hit";
        QTest::newRow("aim 1, bee from the left at 240")
            << 1 << Group::RightwardBee << 240 << "reached";
        QTest::newRow("aim 7, bee from the right at 374")
            << 7 << Group::LeftwardBee << 374 << "hit";
        QTest::newRow("aim 7, bee from the right at 368")
            << 7 << Group::LeftwardBee << 368 << "reached";
        QTest::newRow("aim 1, only a bee from the right")
            << 1 << Group::LeftwardBee << 400 << "miss";
        QTest::newRow("aim 7, only a bee from the left")
            << 7 << Group::RightwardBee << 200 << "miss";
        QTest::newRow("aim 1, only an elephant") << 1 << Group::RightwardElephant << 30 << "miss";
        QTest::newRow("aim 2, only a bee") << 2 << Group::RightwardBee << 30 << "miss";
    }
    void beeShots() {
        QFETCH(int, aim);
        QFETCH(Group, group);
        QFETCH(int, x);
        QFETCH(QString, outcome);
        RuleRig rig;
        rig.prepareMidRun();
        rig.game.AimPosition = aim;
        rig.place(group, 2, x);
        rig.press(Key::Space);

        QCOMPARE(rig.shared.ShotCount, 1);
        if (outcome == QLatin1String("hit")) {
            QCOMPARE(rig.game.group(group).state[2], -1);
            QCOMPARE(rig.shared.BeeHitCount, 1);
            QCOMPARE(rig.shared.RunScore, 3);
            QCOMPARE(rig.shared.MissCount, 0);
            QCOMPARE(rig.game.StopFlag, Flag::Lowered);
            QCOMPARE(rig.host.sounds, std::vector<SoundEvent>{SoundEvent::BeeDie});
        } else if (outcome == QLatin1String("reached")) {
            QCOMPARE(rig.game.group(group).state[2], 1);
            QCOMPARE(rig.shared.BeeHitCount, 0);
            QCOMPARE(rig.shared.RunScore, 0);
            QCOMPARE(rig.shared.MissCount, 0);
            QCOMPARE(rig.game.StopFlag, Flag::Raised);
            QVERIFY(rig.host.sounds.empty());
        } else {
            QCOMPARE(rig.game.group(group).state[2], 1);
            QCOMPARE(rig.shared.BeeHitCount, 0);
            QCOMPARE(rig.shared.RunScore, -2);
            QCOMPARE(rig.shared.MissCount, 1);
            QCOMPARE(rig.game.StopFlag, Flag::Lowered);
        }
    }

    // An animal showing its hit image cannot be hit again, not even after a
    // tick of its display: the next shot is a miss unless another animal is
    // in the window, which it then hits.
    void hitDisplayCannotBeHitAgain_data() {
        QTest::addColumn<Group>("group");
        QTest::addColumn<int>("aim");
        QTest::addColumn<int>("x");
        QTest::addColumn<int>("points");
        QTest::newRow("elephant flying right") << Group::RightwardElephant << 2 << 50 << 7;
        QTest::newRow("elephant flying left") << Group::LeftwardElephant << 6 << 550 << 7;
        QTest::newRow("bee from the left") << Group::RightwardBee << 1 << 100 << 3;
        QTest::newRow("bee from the right") << Group::LeftwardBee << 7 << 500 << 3;
    }
    void hitDisplayCannotBeHitAgain() {
        QFETCH(Group, group);
        QFETCH(int, aim);
        QFETCH(int, x);
        QFETCH(int, points);
        RuleRig rig;
        rig.prepareMidRun();
        rig.game.AimPosition = aim;
        rig.place(group, 1, x);
        rig.press(Key::Space);
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
        RuleRig rig;
        rig.prepareMidRun();
        rig.game.AimPosition = aim;
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
        QTest::addColumn<int>("start");
        QTest::addColumn<int>("key");
        QTest::addColumn<bool>("shotOnScreen");
        QTest::addColumn<int>("expected");
        QTest::addColumn<QRect>("hero"); // of the expected position
        const QRect hero1(258, 342, 74, 46), hero3(294, 324, 38, 64), hero5(300, 324, 38, 64),
            hero7(300, 342, 74, 46);
        const int left = int(Key::Left), right = int(Key::Right);
        QTest::newRow("left at 1, shot on screen") << 1 << left << true << 1 << hero1;
        QTest::newRow("left at 1, no shot") << 1 << left << false << 1 << hero1;
        QTest::newRow("right at 7, shot on screen") << 7 << right << true << 7 << hero7;
        QTest::newRow("right at 7, no shot") << 7 << right << false << 7 << hero7;
        QTest::newRow("left from 4") << 4 << left << true << 3 << hero3;
        QTest::newRow("right from 4") << 4 << right << true << 5 << hero5;
        QTest::newRow("left from 2") << 2 << left << false << 1 << hero1;
        QTest::newRow("right from 6") << 6 << right << false << 7 << hero7;
    }
    void turning() {
        QFETCH(int, start);
        QFETCH(int, key);
        QFETCH(bool, shotOnScreen);
        QFETCH(int, expected);
        QFETCH(QRect, hero);
        RuleRig rig;
        rig.prepareMidRun();
        rig.turnTo(start);
        if (shotOnScreen) {
            rig.press(Key::Space);
            rig.step(); // the shot is drawn
        }
        const QRect shot(Aim[start].shotX, Aim[start].shotY, Aim[start].shotWidth,
                         Aim[start].shotHeight);
        QVERIFY(test::isBlack(rig.field, shot) != shotOnScreen);
        QImage before = rig.field.image();

        rig.game.FormKeyDown(static_cast<std::uint16_t>(key));
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
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("stop");
        QTest::newRow("Enter") << 13 << 1;
        QTest::newRow("Escape") << 27 << 1;
        QTest::newRow("up arrow") << 38 << 0;
        QTest::newRow("down arrow") << 40 << 0;
        QTest::newRow("A") << 65 << 0;
    }
    void keysThatEndTheRun() {
        QFETCH(int, key);
        QFETCH(int, stop);
        RuleRig rig;
        rig.prepareMidRun();
        rig.game.FormKeyDown(static_cast<std::uint16_t>(key));
        QCOMPARE(int(rig.game.StopFlag), stop);
        QCOMPARE(rig.game.AimPosition, 4);
        QCOMPARE(rig.shared.ShotCount, 0);
    }
};

QTEST_GUILESS_MAIN(ShootingTest)
#include "tst_shooting.moc"
