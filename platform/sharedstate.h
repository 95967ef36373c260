// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "highscoreentry.h"

#include <QByteArray>
#include <QString>

#include <array>
#include <cstdint>

namespace krumlix {

/// Where the game stands, in the values it has always used for them.
enum class GamePhase : std::int32_t {
    NoRunYet = -1,    ///< from the start until the first run
    AfterRun = 0,     ///< the after-run screen, until the menu is back
    Running = 1,      ///< a run is being played
    RunRequested = 4, ///< the menu asked for a run; the next paint starts it
};

/// Who may close the menu window.
enum class CloseModes : std::int32_t {
    MenuStays = 0,    ///< nothing may close the menu
    RunStarted = 1,   ///< a run was started from it
    MenuInCharge = 2, ///< its close box ends the program
};

/// A yes-or-no state of the game, kept as the 0 or 1 it has always been.
enum class Flag : std::int32_t { Lowered = 0, Raised = 1 };

/// The process-wide variables through which the windows share the game.
/// One instance lives as long as the program (owned by the entry point, or
/// by a test); the windows hold a reference to it. Arrays keep the 1-based
/// numbering of the game by leaving index 0 unused where the game counts from 1.
struct SharedState {
    GamePhase GameState = GamePhase::NoRunYet;
    CloseModes CloseMode = CloseModes::MenuStays;
    std::int32_t DifficultyLevel = 0;
    std::int32_t RunScore = 0;
    std::int32_t OptimalScore = 0;
    std::int32_t BonusLevel = 0;
    float Hitrate = 0.0f;

    std::int32_t ShotCount = 0;
    std::int32_t MissCount = 0;
    std::int32_t ElephantCount = 0;
    std::int32_t BeeCount = 0;
    std::int32_t Elephant7Count = 0;
    std::int32_t Elephant5Count = 0;
    std::int32_t Elephant3Count = 0;
    std::int32_t Elephant2Count = 0;
    std::int32_t Elephant0Count = 0;
    std::int32_t ElephantEscapeCount = 0;
    std::int32_t BeeHitCount = 0;

    std::array<std::int32_t, 7> PeriodScore{}; ///< [1..6]
    /// [period 0..5][channel 1..4]; -1 means no animal of that channel may enter.
    std::array<std::array<std::int32_t, 5>, 6> AnimalRates{};
    std::array<std::int32_t, 13> UserRates{}; ///< [1..12], in spin-edit order

    QString ProgramDir; ///< folder of "setup.ini", with trailing separator

    HighScoreTableType HighScoreTable{}; ///< [1..12]
    std::int32_t NewEntryRank = 0;
    std::int32_t StatsEntry = 0;
    std::int32_t ScoreFileOffset = 0;
    QByteArray SoundPath; ///< the file name last handed to the sound player

    SharedState() {
        for (auto &period : AnimalRates)
            period.fill(-1);
    }
};

} // namespace krumlix
