// SPDX-License-Identifier: GPL-3.0-or-later
// One tick of everything that moves: the shot, the flames, the animals
// entering, flying, showing their hit images and going too far.
#include "gamerun.h"

#include "lanes.h"

#include <algorithm>

namespace krumlix {
namespace {

/// The clock second at which period `p` (1..5) ends: 150, 120, ..., 30.
constexpr std::int32_t periodEnd(int p) {
    return 180 - 30 * p;
}

} // namespace

void GameRun::AnimalStep() {
    // A shot fired between two ticks is drawn on the next and erased on the
    // one after.
    if (ShotTicks > 0) {
        if (ShotTicks == 1) {
            const AimGeometry &aim = Aim[AimPosition];
            field_.draw(aim.shot, aim.shotX, aim.shotY);
            ShotShownAim = AimPosition;
        }
        if (++ShotTicks == 3) {
            ShotTicks = 0;
            eraseShot(LastShotAim);
            eraseShot(AimPosition);
            // Where it was drawn, whatever the aim did since.
            eraseShownShot();
        }
    }

    // Each flame changes its frame every ten ticks, the right one five ticks
    // after the left one.
    if (++TorchTick == 10)
        TorchTick = -10;
    switch (TorchTick) {
    case 0:
        field_.draw(Sprite::ild1, FlameLeftX, FlameY);
        break;
    case 5:
        field_.draw(Sprite::ild2, FlameRightX, FlameY);
        break;
    case -10:
        field_.draw(Sprite::ild2, FlameLeftX, FlameY);
        break;
    case -5:
        field_.draw(Sprite::ild1, FlameRightX, FlameY);
        break;
    default:
        break;
    }

    AnimPhase = -AnimPhase;

    // An animal still close to its entry keeps the next one of its lane out;
    // a free slot sits exactly on the entry and blocks nothing.
    for (Group g : AllGroups) {
        const Lane &l = lane(g);
        const int near = l.entryX + (l.step > 0 ? l.blocking : -l.blocking);
        const int low = std::min(l.entryX, near);
        const int high = std::max(l.entryX, near);
        SpawnFlag[static_cast<int>(g)] = Spawn::MayEnter;
        for (int i = 1; i <= SlotsPerGroup; ++i) {
            const std::int32_t x = group(g).x[i];
            if (low < x && x < high)
                SpawnFlag[static_cast<int>(g)] = Spawn::Blocked;
        }
    }

    platform_.random.seed(platform_.timeOfDay.millisecondsSinceMidnight());

    // A period's score is recorded on every tick of its last second, so it
    // holds the score as of the last such tick. A tick that comes late, past
    // 3:00 or past the end of a period, does what the ticks it skipped
    // would have done.
    if (ClockSeconds == 180 || (ClockSeconds < 180 && PeriodsPassed < 0)) {
        PeriodIndex = 0;
        PeriodsPassed = 0;
    }
    for (int p = 1; p <= 5; ++p) {
        if (ClockSeconds != periodEnd(p) && !(ClockSeconds < periodEnd(p) && PeriodsPassed < p))
            continue;
        std::int32_t earlier = 0;
        for (int i = 1; i < p; ++i)
            earlier += s_.PeriodScore[i];
        s_.PeriodScore[p] = s_.RunScore - earlier;
        PeriodIndex = p;
        PeriodsPassed = std::max(PeriodsPassed, p);
    }

    // One draw per channel, blocked or not, so the sequence of draws does not
    // depend on what is on the field.
    for (int k = 1; k <= 4; ++k) {
        const int r = platform_.random.below1000();
        if (r < s_.AnimalRates[PeriodIndex][k] && SpawnFlag[k] == Spawn::MayEnter)
            SpawnFlag[k] = Spawn::EnterNow;
    }

    for (Group g : AllGroups) {
        const int k = static_cast<int>(g);
        if (SpawnFlag[k] != Spawn::EnterNow)
            continue;
        SlotGroup &slotGroup = group(g);
        for (int i = 1; i <= SlotsPerGroup; ++i) {
            if (slotGroup.state[i] == 0) {
                slotGroup.state[i] = 1;
                s_.OptimalScore += lane(g).points;
                ++(isElephant(g) ? s_.ElephantCount : s_.BeeCount);
                break;
            }
        }
    }

    for (Group g : AllGroups) {
        const Lane &l = lane(g);
        SlotGroup &slotGroup = group(g);
        for (int i = 1; i <= SlotsPerGroup; ++i) {
            std::int32_t &state = slotGroup.state[i];
            std::int32_t &x = slotGroup.x[i];
            if (state < 0) {
                --state;
                field_.draw(l.hit, x, l.hitY);
                // The elephant flying right shows its hit image one tick longer.
                const bool over = g == Group::RightwardElephant ? state < -6 : state == -6;
                if (over) {
                    state = 0;
                    field_.fillBlack(x, l.hitY, x + l.hitEraseWidth, l.hitEraseY2);
                    x = l.entryX;
                }
                continue;
            }
            if (state != 1)
                continue;
            field_.fillBlack(x, l.eraseY1, x + l.eraseWidth, l.eraseY2);
            x += l.step;
            if (AnimPhase < 0)
                field_.draw(l.wingDown, x, l.wingDownY);
            else
                field_.draw(l.wingUp, x, l.wingUpY);

            switch (g) {
            case Group::RightwardElephant:
            case Group::LeftwardElephant: {
                // Measured along the flight: the middle zone's near edge,
                // its far edge, and the far side of the field.
                const bool right = g == Group::RightwardElephant;
                if ((right ? x > ZoneEdge[2] - 31 : x < ZoneEdge[3] - 31) && s_.BonusLevel > 2)
                    s_.BonusLevel = 2;
                if ((right ? x > ZoneEdge[3] - 31 : x < ZoneEdge[2] - 31) && s_.BonusLevel > 1)
                    s_.BonusLevel = 1;
                if (right ? x > 630 : x < -55) {
                    s_.BonusLevel = 0;
                    ++s_.ElephantEscapeCount;
                    s_.RunScore -= 10;
                    state = 0;
                    field_.fillBlack(x, l.eraseY1, x + l.eraseWidth, l.eraseY2);
                    x = l.entryX;
                }
                break;
            }
            case Group::RightwardBee:
                // The bee flies on; the run ends after this tick.
                if (x > BeeFromLeftReaches[AimPosition])
                    StopFlag = Flag::Raised;
                break;
            case Group::LeftwardBee:
                if (x < BeeFromRightReaches[AimPosition])
                    StopFlag = Flag::Raised;
                break;
            }
        }
    }
}

void GameRun::eraseShot(int aim) {
    const AimGeometry &a = Aim[aim];
    field_.fillBlack(a.shotX, a.shotY, a.shotX + a.shotWidth, a.shotY + a.shotHeight);
}

void GameRun::eraseShownShot() {
    if (ShotShownAim != 0)
        eraseShot(ShotShownAim);
    ShotShownAim = 0;
}

} // namespace krumlix
