// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <array>

namespace krumlix {

inline constexpr int PresetLevelCount = 5;
inline constexpr int UserDefinedLevel = 5;
inline constexpr int RateCount = 12;

/// The rates of the five preset levels, in spin-edit order: elephants for
/// the periods 3:00-2:30 ... 0:30-0:00, then bees for the same periods.
inline constexpr std::array<std::array<int, RateCount>, PresetLevelCount> PresetRates{{
    {15, 15, 20, 20, 25, 25, 0, 5, 5, 5, 10, 10},
    {25, 25, 30, 30, 35, 35, 10, 10, 20, 20, 25, 25},
    {60, 45, 35, 30, 15, 15, 10, 25, 40, 45, 70, 70},
    {60, 55, 45, 40, 20, 20, 10, 25, 40, 45, 70, 70},
    {70, 60, 55, 55, 35, 35, 20, 30, 45, 50, 70, 70},
}};

} // namespace krumlix
