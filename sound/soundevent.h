// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <array>
#include <string_view>

namespace krumlix {

/// The twelve sound events, in the order the settings and scheme files use.
enum class SoundEvent {
    Intro,
    ElephantDie,
    BeeDie,
    TarvilMiss,
    TarvilDie,
    TarvilFinish,
    DygtigBonus,
    HardcoreBonus,
    UltraHardcoreBonus,
    Highscore1,
    Highscore2,
    Highscore3to10,
};

inline constexpr int SoundEventCount = 12;

inline constexpr std::array<std::string_view, SoundEventCount> SoundEventNames{
    "Intro",           "Elephant die",    "Bee die",
    "Tarvil miss",     "Tarvil die",      "Tarvil finish",
    "Dygtig bonus",    "Hardcore bonus",  "Ultra-Hardcore bonus",
    "Highscore nr. 1", "Highscore nr. 2", "Highscore nr. 3-10",
};

} // namespace krumlix
