// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "sprites.h"

#include <array>
#include <cstdint>

namespace krumlix {

/// The playing field: 640 x 400 below the 56 pixel readout panel.
inline constexpr int FieldWidth = 640;
inline constexpr int FieldHeight = 400;
inline constexpr int PanelHeight = 56;

/// Where the hero stands and where his shot appears, per aim position 1..7
/// (1 low left, 4 straight up, 7 low right). Index 0 is unused.
struct AimGeometry {
    Sprite hero;
    int heroX, heroY, heroWidth, heroHeight;
    Sprite shot;
    int shotX, shotY, shotWidth, shotHeight;
};

inline constexpr std::array<AimGeometry, 8> Aim{{
    {Sprite::pos4, 0, 0, 0, 0, Sprite::skud4, 0, 0, 0, 0},
    {Sprite::pos1, 258, 342, 74, 46, Sprite::skud1, 248, 346, 8, 6},
    {Sprite::pos2, 276, 324, 56, 64, Sprite::skud2, 268, 316, 10, 8},
    {Sprite::pos3, 294, 324, 38, 64, Sprite::skud3, 290, 316, 8, 8},
    {Sprite::pos4, 300, 326, 32, 62, Sprite::skud4, 311, 316, 8, 8},
    {Sprite::pos5, 300, 324, 38, 64, Sprite::skud5, 334, 316, 8, 8},
    {Sprite::pos6, 300, 324, 56, 64, Sprite::skud6, 354, 316, 10, 8},
    {Sprite::pos7, 300, 342, 74, 46, Sprite::skud7, 376, 346, 8, 6},
}};

/// Zone k (1..5) of the sky lies between ZoneEdge[k-1] and ZoneEdge[k].
inline constexpr std::array<int, 6> ZoneEdge{-55, 128, 256, 384, 512, 650};

/// The still scene.
inline constexpr int TorchLeftX = 88, TorchRightX = 378, TorchY = 116;
inline constexpr int FlameLeftX = 164, FlameRightX = 454, FlameY = 175;
inline constexpr int GroundY = 388;
inline constexpr int HeroStillX = 300, HeroStillY = 326;

/// The four groups of animal slots, which are also the spawn channels 1..4.
enum class Group { RightwardElephant = 1, LeftwardElephant = 2, RightwardBee = 3, LeftwardBee = 4 };
inline constexpr int SlotsPerGroup = 10;

inline constexpr int RightwardElephantStartX = 0;
inline constexpr int LeftwardElephantStartX = 580;
inline constexpr int RightwardBeeStartX = 0;
inline constexpr int LeftwardBeeStartX = 620;

} // namespace krumlix
