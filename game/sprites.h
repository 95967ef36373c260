// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QImage>
#include <QSize>

#include <array>
#include <string_view>

namespace krumlix {

/// Every bitmap of the playing field.
enum class Sprite {
    pos1,
    pos2,
    pos3,
    pos4,
    pos5,
    pos6,
    pos7,
    skud1,
    skud2,
    skud3,
    skud4,
    skud5,
    skud6,
    skud7,
    fakkel,
    ild1,
    ild2,
    jord,
    eleleft1,
    eleleft2,
    eleright1,
    eleright2,
    elefluff,
    bileft1,
    bileft2,
    biright1,
    biright2,
    bifluff,
    Count
};

struct SpriteInfo {
    std::string_view name; ///< file name without extension
    int width, height;     ///< logical size in field pixels
};

inline constexpr std::array<SpriteInfo, static_cast<int>(Sprite::Count)> SpriteTable{{
    {"pos1", 74, 46},      {"pos2", 56, 64},      {"pos3", 38, 64},     {"pos4", 32, 62},
    {"pos5", 38, 64},      {"pos6", 56, 64},      {"pos7", 74, 46},     {"skud1", 8, 6},
    {"skud2", 10, 8},      {"skud3", 8, 8},       {"skud4", 8, 8},      {"skud5", 8, 8},
    {"skud6", 10, 8},      {"skud7", 8, 6},       {"fakkel", 169, 182}, {"ild1", 22, 32},
    {"ild2", 22, 32},      {"jord", 640, 12},     {"eleleft1", 62, 40}, {"eleleft2", 62, 36},
    {"eleright1", 62, 36}, {"eleright2", 62, 40}, {"elefluff", 62, 46}, {"bileft1", 26, 16},
    {"bileft2", 26, 14},   {"biright1", 26, 16},  {"biright2", 26, 14}, {"bifluff", 26, 20},
}};

constexpr const SpriteInfo &info(Sprite sprite) {
    return SpriteTable[static_cast<int>(sprite)];
}

/// The whole pixel ratio the field is drawn at on a screen of `screenRatio`:
/// the build renders every sprite at 1x, 2x, 3x and 4x (the last for a
/// fullscreen game at 2x on a screen at 200 %, or at 4x on one at 100 %),
/// and a screen between two of them shows the larger one scaled down, never
/// a smaller one magnified.
qreal spriteRatio(qreal screenRatio);

/// The sprites, loaded from the program's resources at spriteRatio of the
/// screen's ratio. Every image is opaque and has exactly its logical size
/// at that ratio.
class SpriteSheet {
public:
    explicit SpriteSheet(qreal devicePixelRatio = 1.0);
    const QImage &image(Sprite sprite) const { return images_[static_cast<int>(sprite)]; }
    qreal devicePixelRatio() const { return ratio_; }

private:
    qreal ratio_;
    std::array<QImage, static_cast<int>(Sprite::Count)> images_;
};

} // namespace krumlix
