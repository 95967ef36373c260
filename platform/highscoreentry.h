// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

#include <array>
#include <cstdint>
#include <optional>

namespace krumlix {

/// One run in the high-score table: 63 signed 32-bit values. Text fields hold
/// one Windows-1252 character code per value.
struct HighScoreEntry {
    static constexpr int Size = 63;
    // Field indices.
    static constexpr int EntryName = 0, NameLength = 14;
    static constexpr int EntryDateText = 14, DateLength = 19;
    static constexpr int EntryHitrateText = 33, HitrateLength = 8;
    static constexpr int DifficultyLevel = 41, ShotCount = 42, MissCount = 43;
    static constexpr int ElephantCount = 44, ElephantShotCount = 45;
    static constexpr int Elephant7Count = 46, Elephant5Count = 47, Elephant3Count = 48;
    static constexpr int Elephant2Count = 49, Elephant0Count = 50, ElephantEscapeCount = 51;
    static constexpr int BeeCount = 52, BeeHitCount = 53, PeriodScore1 = 54;
    static constexpr int BonusPoints = 60, OptimalScore = 61, RunScore = 62;

    std::array<std::int32_t, Size> value{};

    std::int32_t &operator[](int index) { return value[static_cast<std::size_t>(index)]; }
    std::int32_t operator[](int index) const { return value[static_cast<std::size_t>(index)]; }

    /// A text field as characters (`length` codes from `first`).
    QString text(int first, int length) const;
    /// Stores `text` into a text field, cut or padded with blanks on the right.
    void setText(int first, int length, const QString &text);

    friend bool operator==(const HighScoreEntry &, const HighScoreEntry &) = default;
};

/// The entry of a cleared table: "Tarvil", March 31st 1999, no points.
HighScoreEntry DefaultEntry();

/// (RunScore - bonus) / (OptimalScore - bonus) x 100, or nothing when the
/// run has no positive score or nothing could be scored.
std::optional<double> Efficiency(const HighScoreEntry &entry);

/// Entries 1..10 the table, 11 the one pushed off, 12 the latest game.
inline constexpr int OverflowEntry = 11;
inline constexpr int LatestGameEntry = 12;
using HighScoreTableType = std::array<HighScoreEntry, 13>; // index 0 unused

} // namespace krumlix
