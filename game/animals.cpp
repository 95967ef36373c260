// SPDX-License-Identifier: GPL-3.0-or-later
// One tick of everything that moves: the shot, the flames, the animals
// entering, flying, showing their hit images and going too far.
#include "gamerun.h"

#include "lanes.h"

#include <algorithm>

namespace krumlix {
namespace {

/// The period whose score is recorded while the clock shows `seconds`, or 0.
constexpr int periodEndingAt(std::int32_t seconds) {
    switch (seconds) {
    case 150:
        return 1;
    case 120:
        return 2;
    case 90:
        return 3;
    case 60:
        return 4;
    case 30:
        return 5;
    default:
        return 0;
    }
}

} // namespace

void GameRun::AnimalStep() {
    // A shot fired between two ticks is drawn on the next and erased on the
    // one after.
    if (ShotTicks > 0) {
        if (ShotTicks == 1) {
            const AimGeometry &aim = Aim[AimPosition];
            field_.draw(aim.shot, aim.shotX, aim.shotY);
        }
        if (++ShotTicks == 3) {
            ShotTicks = 0;
            eraseShot(LastShotAim);
            eraseShot(AimPosition);
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
        SpawnFlag[static_cast<int>(g)] = 1;
        for (int i = 1; i <= SlotsPerGroup; ++i) {
            const std::int32_t x = group(g).x[i];
            if (low < x && x < high)
                SpawnFlag[static_cast<int>(g)] = -1;
        }
    }

    platform_.random.seed(platform_.timeOfDay.millisecondsSinceMidnight());

    if (ClockSeconds == 180)
        PeriodIndex = 0;
    if (const int ended = periodEndingAt(ClockSeconds)) {
        std::int32_t earlier = 0;
        for (int i = 1; i < ended; ++i)
            earlier += s_.PeriodScore[i];
        s_.PeriodScore[ended] = s_.RunScore - earlier;
        PeriodIndex = ended;
    }

    // One draw per channel, blocked or not, so the sequence of draws does not
    // depend on what is on the field.
    for (int k = 1; k <= 4; ++k) {
        const int r = platform_.random.below1000();
        if (r < s_.AnimalRates[PeriodIndex][k] && SpawnFlag[k] == 1)
            SpawnFlag[k] = 2;
    }

    for (Group g : AllGroups) {
        const int k = static_cast<int>(g);
        if (SpawnFlag[k] != 2)
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
                    StopFlag = 1;
                break;
            case Group::LeftwardBee:
                if (x < BeeFromRightReaches[AimPosition])
                    StopFlag = 1;
                break;
            }
        }
    }
}

void GameRun::eraseShot(int aim) {
    const AimGeometry &a = Aim[aim];
    field_.fillBlack(a.shotX, a.shotY, a.shotX + a.shotWidth, a.shotY + a.shotHeight);
}

} // namespace krumlix
