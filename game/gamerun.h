// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "field.h"
#include "gamehost.h"
#include "geometry.h"
#include "platform/platform.h"
#include "platform/sharedstate.h"

#include <QString>

#include <array>
#include <cstdint>

namespace krumlix {

/// Whether an animal may come in on a channel this tick.
enum class Spawn : std::int32_t {
    Blocked = -1, ///< the last one in is still close to the entry
    MayEnter = 1,
    EnterNow = 2, ///< the draw let one in
};

/// Virtual-key codes of the keys the game answers.
enum class Key : std::uint16_t { Enter = 13, Escape = 27, Space = 32, Left = 37, Right = 39 };

/// One group of ten animal slots; index 0 is unused.
struct SlotGroup {
    std::array<std::int32_t, SlotsPerGroup + 1> x{};
    /// 0 free, 1 flying, -1 and below showing the hit image.
    std::array<std::int32_t, SlotsPerGroup + 1> state{};
};

/// The game itself: a whole run, the animals, aiming and shooting, the end of
/// the run with its bonus and the after-run screen. Everything but the
/// window: it draws into the field and talks to the windows through the host.
class GameRun {
public:
    GameRun(SharedState &shared, Platform &platform, Field &field, GameHost &host);

    /// `Button1Click` "Begin": plays one whole run, including its end.
    void StartRun();
    /// `Button2Click` "Animals": one tick of everything that moves.
    void AnimalStep();
    /// `Button3Click` "Clean Up": the field cleared to the still scene.
    void CleanUp();
    /// `Button4Click` "Bonus": counts the bonus into the score readout.
    void BonusCountUp();

    /// The paint dispatch: the after-run screen is cleaned up, a requested
    /// run starts. Never re-entered while a run is being played.
    void FormPaint();
    /// A key went down (auto-repeats included).
    void FormKeyDown(std::uint16_t key);
    /// A request to close the game window; false refuses it.
    bool FormCloseQuery();

    /// Draws the torches, the ground and the hero facing up.
    void drawStillScene();

    // The game window's own state, named as the game knows it.
    Flag StopFlag = Flag::Lowered;
    std::int32_t AimPosition = 4;
    std::int32_t LastShotAim = 4;
    std::int32_t ShotTicks = 0;
    /// Aim position whose shot picture is on the field, 0 for none: the
    /// hero may have turned since the shot was fired and since it was drawn.
    std::int32_t ShotShownAim = 0;
    std::int32_t AnimPhase = 1;
    std::int32_t TorchTick = 0;
    std::int32_t PeriodIndex = 0;
    /// How far the clock has come through the periods of this run: -1 in
    /// the lead-in, 0 from 3:00 on, p once the clock has passed the end of
    /// period p. A tick that comes late still loads the rates and records
    /// every period it skipped.
    std::int32_t PeriodsPassed = 0;
    std::int32_t ClockSeconds = 183;
    QString ClockText = QStringLiteral("3:03");
    std::uint32_t RunStartTime = 0;
    std::uint32_t TickStartTime = 0;
    std::int32_t ShotZoneLeft = 0;
    std::int32_t ShotZoneRight = 0;
    std::int32_t HitBound = 0;
    std::int32_t HitSlot = 0;
    std::array<Spawn, 5> SpawnFlag{}; ///< [1..4]
    Flag BonusCounting = Flag::Lowered;
    Flag BonusDone = Flag::Lowered;

    /// The slots of the four groups, indexed by `Group` (1..4).
    std::array<SlotGroup, 5> animals;
    SlotGroup &group(Group g) { return animals[static_cast<int>(g)]; }

    /// Ticks played by the last run (for tests and benchmarks).
    int ticksPlayed() const { return ticks_; }
    /// Runs started since the program began: 1 during the first.
    std::uint32_t runsStarted() const { return runs_; }

private:
    void initialiseRun();
    void endRun();
    void settleBonus();
    void completePeriodScores();
    void fire();
    void turn(int delta);
    bool shootBee(Group g);
    bool shootElephant(Group g);
    void miss();
    void eraseShot(int aim);
    void eraseShownShot();

    SharedState &s_;
    Platform &platform_;
    Field &field_;
    GameHost &host_;
    bool playing_ = false;
    int ticks_ = 0;
    std::uint32_t runs_ = 0;
};

} // namespace krumlix
