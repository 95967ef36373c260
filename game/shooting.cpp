// SPDX-License-Identifier: GPL-3.0-or-later
// The keys: turning the hero, firing with its hit windows and search order,
// ending the run, and Enter on the after-run screen.
#include "gamerun.h"

#include "lanes.h"

namespace krumlix {
namespace {

/// Points for an elephant hit with aim 2..6, by the direction it flies: 7 in
/// the zone where it enters, down to 0 in the zone where it leaves.
constexpr std::array<int, 7> RightwardElephantPoints{0, 0, 7, 5, 3, 2, 0};
constexpr std::array<int, 7> LeftwardElephantPoints{0, 0, 0, 2, 3, 5, 7};

} // namespace

void GameRun::FormKeyDown(std::uint16_t key) {
    if (s_.GameState == GamePhase::Running) {
        switch (static_cast<Key>(key)) {
        case Key::Enter:
        case Key::Escape:
            StopFlag = Flag::Raised;
            break;
        case Key::Left:
            turn(-1);
            break;
        case Key::Right:
            turn(+1);
            break;
        case Key::Space:
            fire();
            break;
        default:
            break;
        }
        host_.fieldChanged();
        return;
    }
    if (s_.GameState != GamePhase::AfterRun || static_cast<Key>(key) != Key::Enter)
        return;
    if (BonusDone == Flag::Raised) {
        host_.showMenu();
        FormPaint();
    } else if (BonusCounting == Flag::Lowered) {
        BonusCountUp();
    } else {
        StopFlag = Flag::Raised;
    }
}

void GameRun::turn(int delta) {
    if (ShotTicks > 0) {
        eraseShot(LastShotAim);
        eraseShownShot();
    }
    const int next = AimPosition + delta;
    if (next < 1 || next > 7)
        return;
    const AimGeometry &old = Aim[AimPosition];
    field_.fillBlack(old.heroX, old.heroY, old.heroX + old.heroWidth, old.heroY + old.heroHeight);
    AimPosition = next;
    const AimGeometry &now = Aim[AimPosition];
    field_.draw(now.hero, now.heroX, now.heroY);
}

void GameRun::fire() {
    if (ShotTicks > 0) {
        eraseShot(LastShotAim);
        eraseShot(AimPosition);
        eraseShownShot();
    }
    ++s_.ShotCount;
    LastShotAim = AimPosition;
    ShotTicks = 1;

    bool hit = false;
    switch (AimPosition) {
    case 1:
        hit = shootBee(Group::RightwardBee);
        break;
    case 7:
        hit = shootBee(Group::LeftwardBee);
        break;
    default: {
        const int zone = AimPosition - 1;
        ShotZoneLeft = ZoneEdge[zone - 1];
        ShotZoneRight = ZoneEdge[zone];
        // The elephant for which this zone is the late one first: of two in
        // the same zone, the one that has come further is hit.
        if (AimPosition <= 4)
            hit = shootElephant(Group::LeftwardElephant) || shootElephant(Group::RightwardElephant);
        else
            hit = shootElephant(Group::RightwardElephant) || shootElephant(Group::LeftwardElephant);
        break;
    }
    }
    if (!hit)
        miss();
}

bool GameRun::shootBee(Group g) {
    SlotGroup &bees = group(g);
    const bool fromLeft = g == Group::RightwardBee;
    // The bee furthest along its flight, on equal x the lowest slot.
    HitBound = fromLeft ? 1 : 619;
    HitSlot = 0;
    for (int i = 1; i <= SlotsPerGroup; ++i) {
        if (bees.state[i] != 1)
            continue;
        if (fromLeft ? bees.x[i] > HitBound : bees.x[i] < HitBound) {
            HitBound = bees.x[i];
            HitSlot = i;
        }
    }
    if (HitSlot == 0)
        return false;
    const bool reached =
        fromLeft ? HitBound > BeeFromLeftReaches[1] : HitBound < BeeFromRightReaches[7];
    if (reached) {
        // Too late: the bee has already reached the hero. Not a miss.
        StopFlag = Flag::Raised;
        return true;
    }
    bees.state[HitSlot] = -1;
    ++s_.BeeHitCount;
    s_.RunScore += 3;
    host_.PlayEventSound(SoundEvent::BeeDie);
    return true;
}

bool GameRun::shootElephant(Group g) {
    SlotGroup &elephants = group(g);
    const bool flyingRight = g == Group::RightwardElephant;
    const int low = flyingRight ? ShotZoneLeft - 30 : ShotZoneLeft - 31;
    const int high = ShotZoneRight - 31;
    // Within the window, the one furthest along its flight.
    HitBound = flyingRight ? low : high;
    HitSlot = 0;
    for (int i = 1; i <= SlotsPerGroup; ++i) {
        if (elephants.state[i] != 1)
            continue;
        const std::int32_t x = elephants.x[i];
        if (flyingRight ? (x > HitBound && x < high) : (x < HitBound && x > low)) {
            HitBound = x;
            HitSlot = i;
        }
    }
    if (HitSlot == 0)
        return false;
    elephants.state[HitSlot] = -1;
    const int points =
        flyingRight ? RightwardElephantPoints[AimPosition] : LeftwardElephantPoints[AimPosition];
    s_.RunScore += points;
    switch (points) {
    case 7:
        ++s_.Elephant7Count;
        break;
    case 5:
        ++s_.Elephant5Count;
        break;
    case 3:
        ++s_.Elephant3Count;
        break;
    case 2:
        ++s_.Elephant2Count;
        break;
    default:
        ++s_.Elephant0Count;
        break;
    }
    host_.PlayEventSound(SoundEvent::ElephantDie);
    return true;
}

void GameRun::miss() {
    s_.RunScore -= 2;
    ++s_.MissCount;
    host_.PlayEventSound(SoundEvent::TarvilMiss);
}

} // namespace krumlix
