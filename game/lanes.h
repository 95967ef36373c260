// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "geometry.h"
#include "sprites.h"

#include <array>

namespace krumlix {

/// How the animals of one group fly: where they enter, how far they move per
/// tick, their images and the rectangles erased behind them. y values are the
/// top edges of the images in field coordinates.
struct Lane {
    int entryX;
    int step;
    Sprite wingDown; ///< drawn while AnimPhase < 0
    int wingDownY;
    Sprite wingUp; ///< drawn while AnimPhase > 0
    int wingUpY;
    int eraseY1, eraseY2, eraseWidth; ///< erased at the old x before each move
    Sprite hit;
    int hitY;
    int hitEraseY2, hitEraseWidth; ///< erased from hitY when the hit display ends
    int blocking;                  ///< an animal this close to the entry keeps the next one out
    int points;                    ///< added to OptimalScore when one enters
};

inline constexpr std::array<Lane, 5> Lanes{{
    {},
    {RightwardElephantStartX, +6, Sprite::eleleft1, 10, Sprite::eleleft2, 14, 10, 50, 63,
     Sprite::elefluff, 10, 56, 63, 95, 7},
    {LeftwardElephantStartX, -6, Sprite::eleright2, 60, Sprite::eleright1, 64, 60, 100, 63,
     Sprite::elefluff, 60, 106, 63, 95, 7},
    {RightwardBeeStartX, +6, Sprite::bileft1, 340, Sprite::bileft2, 342, 340, 356, 26,
     Sprite::bifluff, 340, 360, 27, 44, 3},
    {LeftwardBeeStartX, -6, Sprite::biright1, 340, Sprite::biright2, 342, 340, 356, 26,
     Sprite::bifluff, 340, 360, 27, 44, 3},
}};

constexpr const Lane &lane(Group g) {
    return Lanes[static_cast<int>(g)];
}
constexpr bool isElephant(Group g) {
    return g == Group::RightwardElephant || g == Group::LeftwardElephant;
}

/// A bee has reached the hero when it passes these limits, which follow the
/// hero's outline in each aim position (index 1..7).
inline constexpr std::array<int, 8> BeeFromLeftReaches{0, 234, 266, 272, 272, 282, 282, 294};
inline constexpr std::array<int, 8> BeeFromRightReaches{0, 314, 325, 325, 332, 337, 344, 374};

inline constexpr std::array<Group, 4> AllGroups{Group::RightwardElephant, Group::LeftwardElephant,
                                                Group::RightwardBee, Group::LeftwardBee};

} // namespace krumlix
