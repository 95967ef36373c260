// SPDX-License-Identifier: GPL-3.0-or-later
// The animals: who may enter and when, the random draws, the flight with
// its bonus and crossing rules, the hit display, the bees reaching the hero,
// and what ends up on the field.
#include "support/rulerig.h"

#include <QTest>

#include <optional>

using namespace krumlix;
using test::RuleRig;

namespace {

int entered(const SharedState &s, Group g) {
    return isElephant(g) ? s.ElephantCount : s.BeeCount;
}

/// The lane's first animal flies `ticks` ticks on a field prepared mid-run,
/// the hero aiming at `aim`; then he fires. Returns where it was then.
int shootAfter(RuleRig &rig, Group g, int aim, int ticks) {
    rig.prepareMidRun(aim);
    rig.letInNextTick({g});
    rig.step(ticks);
    rig.press(Key::Space);
    return rig.game.group(g).x[1];
}

struct Blocking {
    Group group;
    int aim, flightTicks;
    int nextEntersOnTick; ///< counted from the shot
};
struct Flight { ///< an elephant losing the bonuses on its way across
    Group group;
    int lose3Tick, lose3X, lose2Tick, lose2X;
    QRect exit; ///< black once it has crossed
};
struct BeeReach {
    Group group;
    int aim, reachTick;
    int turnTo = 0, turnAfterTick = 0; ///< a turn while it flies
};
/// How a lane's animal looks: its wing images and where they stand (the
/// top of the lane, also where a hit image stands), the lane's bottom; the
/// aim that hits it, how many ticks its hit image stays and its size.
struct Look {
    Group group;
    Sprite wingDown;
    int downY;
    Sprite wingUp;
    int upY, laneBottom, aim, displayTicks;
    QSize hitSize;
};
const std::pair<const char *, Look> Looks[] = {
    {"elephant flying right",
     {Group::RightwardElephant, Sprite::eleleft1, 10, Sprite::eleleft2, 14, 50, 3, 6, {63, 46}}},
    {"elephant flying left",
     {Group::LeftwardElephant, Sprite::eleright2, 60, Sprite::eleright1, 64, 100, 5, 5, {63, 46}}},
    {"bee from the left",
     {Group::RightwardBee, Sprite::bileft1, 340, Sprite::bileft2, 342, 356, 1, 5, {27, 20}}},
    {"bee from the right",
     {Group::LeftwardBee, Sprite::biright1, 340, Sprite::biright2, 342, 356, 7, 5, {27, 20}}}};
void lookRows() {
    QTest::addColumn<Look>("row");
    for (const auto &[name, look] : Looks)
        QTest::newRow(name) << look;
}
struct ShotShown {
    int fireAim, aimAtTick, aimAfterTick;
    bool fireAgain;
    Sprite shot;
    QPoint at;
};

} // namespace

class AnimalsTest : public QObject {
    Q_OBJECT
private slots:
    // With every draw under the rate, an elephant enters each lane every 16
    // ticks and a bee every 8; bees are never freed in flight, so after ten
    // their lane is full. OptimalScore grows by 7 or 3 with each.
    void fullRatesLetOneInPerBlockingDistance_data() {
        test::columns<Group, QList<int>>("group", "entries"); // ticks 0..199
        QList<int> elephants, bees;
        for (int t = 0; t < 200; t += 16)
            elephants << t;
        for (int t = 0; t < 80; t += 8)
            bees << t;
        QTest::newRow("elephants flying right") << Group::RightwardElephant << elephants;
        QTest::newRow("elephants flying left") << Group::LeftwardElephant << elephants;
        QTest::newRow("bees from the left") << Group::RightwardBee << bees;
        QTest::newRow("bees from the right") << Group::LeftwardBee << bees;
    }
    void fullRatesLetOneInPerBlockingDistance() {
        const auto [group, entries] = test::fetch<Group, QList<int>>("group", "entries");
        test::MidRunRig rig;
        rig.fake.random.fallback = 0;
        const Lane &l = lane(group);
        QList<int> seen;
        for (int t = 0; t < 200; ++t) {
            rig.step();
            for (int i = 1; i <= SlotsPerGroup; ++i)
                if (rig.game.group(group).state[i] == 1 &&
                    rig.game.group(group).x[i] == l.entryX + l.step)
                    seen << t;
            QCOMPARE(rig.shared.OptimalScore,
                     7 * rig.shared.ElephantCount + 3 * rig.shared.BeeCount);
        }
        QCOMPARE(seen, entries);
        QCOMPARE(rig.shared.ElephantCount, 2 * 13);
        QCOMPARE(rig.shared.BeeCount, 2 * 10);
    }

    // During the lead-in (3:03 to 3:01) nothing enters whatever PeriodIndex
    // the last run left; on the first tick of 3:00 the period is 0 again and
    // its rates let one animal into every lane.
    void nothingEntersDuringLeadIn_data() {
        QTest::addColumn<int>("previousPeriod");
        for (int period : {0, 3, 5})
            QTest::addRow("period %d left over", period) << period;
    }
    void nothingEntersDuringLeadIn() {
        QFETCH(int, previousPeriod);
        RuleRig rig;
        rig.host.rates = {999, 0, 0, 0, 0, 0, 999, 0, 0, 0, 0, 0};
        rig.fake.random.fallback = 0;
        rig.game.PeriodIndex = previousPeriod;
        int leadInTicks = 0, animalsInLeadIn = 0, periodChanges = 0;
        int enteredAtThreeMinutes = -1;
        rig.afterEveryTick([&] {
            if (rig.game.ClockSeconds > 180) {
                ++leadInTicks;
                animalsInLeadIn += rig.shared.ElephantCount + rig.shared.BeeCount;
                periodChanges += rig.game.PeriodIndex != previousPeriod;
            } else {
                enteredAtThreeMinutes = rig.shared.ElephantCount + rig.shared.BeeCount;
                QCOMPARE(rig.game.PeriodIndex, 0);
                rig.game.StopFlag = Flag::Raised;
            }
        });
        rig.playRun();
        QCOMPARE(leadInTicks, 3000 / 50 + 1); // elapsed 0 to 3,000 ms
        QCOMPARE(animalsInLeadIn, 0);
        QCOMPARE(periodChanges, 0);
        QCOMPARE(enteredAtThreeMinutes, 4);
    }

    // A hit animal stays where it was shot and keeps its lane's entry
    // blocked while it is within the blocking distance; the next one enters
    // on the tick after its hit display has ended.
    void hitAnimalKeepsBlocking_data() {
        QTest::addColumn<Blocking>("row");
        QTest::newRow("elephant right at 90") << Blocking{Group::RightwardElephant, 2, 15, 7};
        QTest::newRow("elephant right at 96") << Blocking{Group::RightwardElephant, 2, 16, 1};
        QTest::newRow("elephant left at 490") << Blocking{Group::LeftwardElephant, 6, 15, 6};
        QTest::newRow("elephant left at 484") << Blocking{Group::LeftwardElephant, 6, 16, 1};
        QTest::newRow("bee from the left at 42") << Blocking{Group::RightwardBee, 1, 7, 6};
        QTest::newRow("bee from the left at 48") << Blocking{Group::RightwardBee, 1, 8, 1};
        QTest::newRow("bee from the right at 578") << Blocking{Group::LeftwardBee, 7, 7, 6};
        QTest::newRow("bee from the right at 572") << Blocking{Group::LeftwardBee, 7, 8, 1};
    }
    void hitAnimalKeepsBlocking() {
        QFETCH(Blocking, row);
        RuleRig rig;
        const int shotAt = shootAfter(rig, row.group, row.aim, row.flightTicks);
        QCOMPARE(rig.game.group(row.group).state[1], -1);
        rig.letInNextTick({row.group});
        const int enteredOn = rig.stepUntil(
            10, [&] { return entered(rig.shared, row.group) == 2; },
            [&](int) {
                if (rig.game.group(row.group).state[1] < 0)
                    QCOMPARE(rig.game.group(row.group).x[1], shotAt);
                rig.letInNextTick({row.group});
            });
        QCOMPARE(enteredOn, row.nextEntersOnTick);
    }

    // All ten slots busy (one of them in its hit display): the lane wants an
    // animal but has no slot for it.
    void fullLaneLetsNothingIn_data() {
        QTest::addColumn<Group>("group");
        for (Group g : AllGroups)
            QTest::addRow("lane %d", int(g)) << g;
    }
    void fullLaneLetsNothingIn() {
        QFETCH(Group, group);
        test::MidRunRig rig;
        const int k = static_cast<int>(group);
        const bool fromLeft = lane(group).step > 0;
        for (int i = 1; i <= SlotsPerGroup; ++i)
            rig.place(group, i, fromLeft ? 100 + 40 * (i - 1) : 480 - 40 * (i - 1),
                      i == SlotsPerGroup ? -3 : 1);
        rig.letInNextTick({group});
        rig.step();
        QCOMPARE(rig.game.SpawnFlag[k], Spawn::EnterNow);
        QCOMPARE(entered(rig.shared, group), 0);
        QCOMPARE(rig.shared.OptimalScore, 0);
        for (int i = 1; i < SlotsPerGroup; ++i)
            QCOMPARE(rig.game.group(group).x[i],
                     fromLeft ? 106 + 40 * (i - 1) : 474 - 40 * (i - 1));
    }

    // One draw per channel, in channel order, whether the lane is blocked or
    // not: a blocked lane still uses up its draw.
    void oneDrawPerChannel_data() {
        // The channels with an animal near the entry, those that let one in.
        test::columns<QList<int>, QList<int>>("blocked", "expected");
        QTest::newRow("nothing blocked") << QList<int>{} << QList<int>{1, 3};
        QTest::newRow("lane 1 blocked") << QList<int>{1} << QList<int>{3};
        QTest::newRow("lanes 1 and 3 blocked") << QList<int>{1, 3} << QList<int>{};
        QTest::newRow("lane 2 blocked") << QList<int>{2} << QList<int>{1, 3};
        QTest::newRow("all blocked") << QList<int>{1, 2, 3, 4} << QList<int>{};
    }
    void oneDrawPerChannel() {
        const auto [blocked, expected] = test::fetch<QList<int>, QList<int>>("blocked", "expected");
        test::MidRunRig rig;
        for (int k : blocked) {
            const Lane &l = Lanes[k];
            rig.place(Group(k), 5, l.entryX + (l.step > 0 ? 30 : -30));
        }
        rig.fake.random.script = {0, 999, 0, 999};
        rig.step();
        QCOMPARE(rig.fake.random.draws, 4);
        QVERIFY(rig.fake.random.script.empty());
        for (int k = 1; k <= 4; ++k)
            QCOMPARE(rig.game.group(Group(k)).state[1], expected.contains(k) ? 1 : 0);
    }

    // Every tick of a whole run seeds the generator from that tick's time of
    // day and draws once per channel.
    void reseededEveryTick() {
        RuleRig rig;
        test::FakePlatform &f = rig.fake;
        std::vector<std::uint32_t> times{f.timeOfDay.value};
        std::vector<int> drawsAfterTick;
        rig.afterEveryTick([&] {
            drawsAfterTick.push_back(f.random.draws);
            f.timeOfDay.value = 40000000u + 37u * static_cast<std::uint32_t>(times.size());
            times.push_back(f.timeOfDay.value);
        });
        rig.playRun();
        const int ticks = rig.game.ticksPlayed();
        QCOMPARE(ticks, 184000 / 50 + 1);
        // The last tick ends the run before its wait: one time per tick.
        QCOMPARE(f.random.seeds, times);
        QCOMPARE(f.random.draws, 4 * ticks);
        for (std::size_t t = 0; t < drawsAfterTick.size(); ++t)
            QCOMPARE(drawsAfterTick[t], 4 * int(t + 1));
    }

    // An elephant loses Ultra-Hardcore when its middle enters the middle
    // zone, Hardcore when it passes the far edge, and crossing the field
    // costs 10 and every bonus on its 106th tick.
    void elephantFlight_data() {
        QTest::addColumn<Flight>("row");
        QTest::newRow("flying right")
            << Flight{Group::RightwardElephant, 38, 228, 59, 354, QRect(560, 10, 80, 46)};
        QTest::newRow("flying left")
            << Flight{Group::LeftwardElephant, 38, 352, 60, 220, QRect(0, 60, 80, 46)};
    }
    void elephantFlight() {
        const auto [group, lose3Tick, lose3X, lose2Tick, lose2X, exit] = test::fetch<Flight>("row");
        test::MidRunRig rig;
        rig.letInNextTick({group});
        const Lane &l = lane(group);
        for (int t = 1; t < 106; ++t) {
            rig.step();
            QCOMPARE(rig.game.group(group).x[1], l.entryX + l.step * t);
            QCOMPARE(rig.shared.BonusLevel, t < lose3Tick ? 3 : t < lose2Tick ? 2 : 1);
            if (t == lose3Tick)
                QCOMPARE(rig.game.group(group).x[1], lose3X);
            if (t == lose2Tick)
                QCOMPARE(rig.game.group(group).x[1], lose2X);
        }
        QCOMPARE(rig.shared.RunScore, 0);
        rig.step();
        QCOMPARE(rig.shared.BonusLevel, 0);
        QCOMPARE(rig.shared.ElephantEscapeCount, 1);
        QCOMPARE(rig.shared.RunScore, -10);
        QCOMPARE(rig.game.group(group).state[1], 0);
        QCOMPARE(rig.game.group(group).x[1], l.entryX);
        QVERIFY(test::isBlack(rig.field, exit));
    }

    // A bee reaches the hero on the tick it passes the limit of his
    // position, and flies on. Turning changes the limit at once: the very
    // next tick is judged by the new position.
    void beeReachLimits_data() {
        QTest::addColumn<BeeReach>("row");
        const int fromLeft[] = {40, 45, 46, 46, 48, 48, 50};  // x 240 ... 300
        const int fromRight[] = {52, 50, 50, 49, 48, 47, 42}; // x 308 ... 368
        for (int aim = 1; aim <= 7; ++aim) {
            QTest::addRow("from the left, aim %d", aim)
                << BeeReach{Group::RightwardBee, aim, fromLeft[aim - 1]};
            QTest::addRow("from the right, aim %d", aim)
                << BeeReach{Group::LeftwardBee, aim, fromRight[aim - 1]};
        }
        QTest::newRow("from the left, 7 to 1 at 270")
            << BeeReach{Group::RightwardBee, 7, 46, 1, 45};
        QTest::newRow("from the left, 1 to 7 at 180")
            << BeeReach{Group::RightwardBee, 1, 50, 7, 30};
        QTest::newRow("from the right, 1 to 7 at 350")
            << BeeReach{Group::LeftwardBee, 1, 46, 7, 45};
        QTest::newRow("from the right, 7 to 1 at 440")
            << BeeReach{Group::LeftwardBee, 7, 52, 1, 30};
    }
    void beeReachLimits() {
        QFETCH(BeeReach, row);
        test::MidRunRig rig;
        rig.turnTo(row.aim);
        rig.letInNextTick({row.group});
        const int reachedOn = rig.stepUntil(
            60, [&] { return rig.game.StopFlag == Flag::Raised; },
            [&](int t) {
                if (t == row.turnAfterTick)
                    rig.turnTo(row.turnTo);
            });
        QCOMPARE(reachedOn, row.reachTick);
        rig.step();
        QCOMPARE(rig.game.group(row.group).state[1], 1);
        QCOMPARE(rig.game.group(row.group).x[1],
                 lane(row.group).entryX + lane(row.group).step * (row.reachTick + 1));
    }

    // The hit image stands where the animal was shot, 6 ticks for the
    // elephant flying right and 5 for the others; then it is erased and the
    // slot is free at the entry.
    void hitDisplay_data() { lookRows(); }
    void hitDisplay() {
        QFETCH(Look, row);
        const auto [group, wingDown, hitY, wingUp, upY, laneBottom, aim, displayTicks, erased] =
            row;
        const Sprite hitImage = isElephant(group) ? Sprite::elefluff : Sprite::bifluff;
        RuleRig rig;
        const int x = shootAfter(rig, group, aim, 20);
        QCOMPARE(rig.game.group(group).state[1], -1);
        const int freedOn = rig.stepUntil(
            10, [&] { return rig.game.group(group).state[1] == 0; },
            [&](int) {
                QCOMPARE(rig.game.group(group).x[1], x);
                QVERIFY(test::showsSprite(rig.field, hitImage, x, hitY));
            });
        QCOMPARE(freedOn, displayTicks);
        QCOMPARE(rig.game.group(group).x[1], lane(group).entryX);
        QVERIFY(test::isBlack(rig.field, QRect(QPoint(x, hitY), erased)));
    }

    // Flying animals stand in their lanes with the wing image of the phase;
    // what they left behind is black.
    void animalsDrawnInTheirLanes_data() { lookRows(); }
    void animalsDrawnInTheirLanes() {
        const auto [group, wingDown, downY, wingUp, upY, laneBottom, aim, ticks, hitSize] =
            test::fetch<Look>("row");
        const int laneTop = downY;
        RuleRig rig;
        QVERIFY(!test::allBlack(rig.sprites.image(wingDown)));
        QVERIFY(!test::allBlack(rig.sprites.image(wingUp)));
        rig.prepareMidRun();
        rig.letInNextTick({Group::RightwardElephant, Group::LeftwardElephant, Group::RightwardBee,
                           Group::LeftwardBee});
        const bool fromLeft = lane(group).step > 0;
        const int width = info(wingDown).width;
        for (int t = 1; t <= 4; ++t) {
            rig.step();
            const int x = rig.game.group(group).x[1];
            // Wings down on odd ticks: the phase starts at 1 and turns first.
            if (t % 2 == 1) {
                QVERIFY(test::showsSprite(rig.field, wingDown, x, downY));
            } else {
                QVERIFY(test::showsSprite(rig.field, wingUp, x, upY));
                QVERIFY(test::isBlack(rig.field, QRect(x, laneTop, width, upY - laneTop)));
            }
            const QRect behind = fromLeft ? QRect(x - 6, laneTop, 6, laneBottom - laneTop)
                                          : QRect(x + width, laneTop, 6, laneBottom - laneTop);
            if (t > 1)
                QVERIFY(test::isBlack(rig.field, behind));
        }
    }

    // A shot is drawn on the tick after it was fired, in the position the
    // hero then has, and erased on the tick after that, wherever the hero
    // turned in between and even when he fired again.
    void shotShownForOneTick_data() {
        QTest::addColumn<ShotShown>("row");
        const Sprite shots[] = {Sprite::skud1, Sprite::skud2, Sprite::skud3, Sprite::skud4,
                                Sprite::skud5, Sprite::skud6, Sprite::skud7};
        const QPoint places[] = {{248, 346}, {268, 316}, {290, 316}, {311, 316},
                                 {334, 316}, {354, 316}, {376, 346}};
        for (int aim = 1; aim <= 7; ++aim)
            QTest::addRow("aim %d", aim)
                << ShotShown{aim, aim, aim, false, shots[aim - 1], places[aim - 1]};
        QTest::newRow("fired at 4, turned to 5")
            << ShotShown{4, 5, 5, false, Sprite::skud5, places[4]};
        QTest::newRow("fired at 4, drawn at 5, turned to 6")
            << ShotShown{4, 5, 6, false, Sprite::skud5, places[4]};
        QTest::newRow("fired at 3, drawn at 2, turned to 1")
            << ShotShown{3, 2, 1, false, Sprite::skud2, places[1]};
        QTest::newRow("fired at 4, drawn at 5, fired again at 6")
            << ShotShown{4, 5, 6, true, Sprite::skud5, places[4]};
    }
    void shotShownForOneTick() {
        const auto [fireAim, aimAtTick, aimAfterTick, fireAgain, shot, at] =
            test::fetch<ShotShown>("row");
        RuleRig rig;
        QVERIFY(!test::allBlack(rig.sprites.image(shot)));
        rig.prepareMidRun();
        rig.turnTo(fireAim);
        rig.press(Key::Space);
        rig.turnTo(aimAtTick);
        const QRect place(at, QSize(info(shot).width, info(shot).height));
        QVERIFY(test::isBlack(rig.field, place));
        rig.step();
        QVERIFY(test::showsSprite(rig.field, shot, at.x(), at.y()));
        rig.turnTo(aimAfterTick);
        if (fireAgain)
            rig.press(Key::Space);
        rig.step();
        QVERIFY(test::isBlack(rig.field, place));
        QCOMPARE(rig.game.ShotTicks, fireAgain ? 2 : 0);
    }

    // The flames: the run starts with ild1 on the left torch and ild2 on the
    // right; then the left one changes its frame every ten ticks and the
    // right one five ticks after it. Each tick the flames are blacked out
    // here, so every draw shows, also one that repeats the frame.
    void flameCycle() {
        RuleRig rig;
        const QPoint left(164, 175), right(454, 175);
        struct Draw {
            int tick;
            QPoint at;
            Sprite frame;
        };
        const Draw draws[] = {{1, left, Sprite::ild1},   {1, right, Sprite::ild2},
                              {5, right, Sprite::ild2},  {10, left, Sprite::ild2},
                              {15, right, Sprite::ild1}, {20, left, Sprite::ild1},
                              {25, right, Sprite::ild2}, {30, left, Sprite::ild2},
                              {35, right, Sprite::ild1}, {40, left, Sprite::ild1}};
        QVERIFY(rig.sprites.image(Sprite::ild1) != rig.sprites.image(Sprite::ild2));
        QStringList wrong;
        rig.afterEveryTick([&] {
            const int tick = rig.game.ticksPlayed();
            for (const QPoint &at : {left, right}) {
                std::optional<Sprite> expected;
                for (const Draw &d : draws) {
                    if (d.tick == tick && d.at == at)
                        expected = d.frame;
                }
                const bool ok = expected ? test::showsSprite(rig.field, *expected, at.x(), at.y())
                                         : test::isBlack(rig.field, QRect(at, QSize(22, 32)));
                if (!ok)
                    wrong << QStringLiteral("tick %1 at %2").arg(tick).arg(at.x());
                rig.field.fillBlack(at.x(), at.y(), at.x() + 22, at.y() + 32);
            }
            if (tick == 40)
                rig.press(Key::Escape);
        });
        rig.playRun();
        QCOMPARE(rig.game.ticksPlayed(), 41);
        QVERIFY2(wrong.isEmpty(), qPrintable(wrong.join(QStringLiteral(", "))));
    }
};

QTEST_GUILESS_MAIN(AnimalsTest)
#include "tst_animals.moc"
