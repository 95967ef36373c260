// SPDX-License-Identifier: GPL-3.0-or-later
#include "sprites.h"

#include <QPainter>

#include <algorithm>
#include <cmath>

namespace krumlix {

qreal spriteRatio(qreal screenRatio) {
    // A screen reports 2 as 2.0000001 now and then: that is still 2.
    return std::clamp(std::ceil(screenRatio - 0.01), 1.0, 4.0);
}

SpriteSheet::SpriteSheet(qreal devicePixelRatio) : ratio_(spriteRatio(devicePixelRatio)) {
    for (int i = 0; i < static_cast<int>(Sprite::Count); ++i) {
        const SpriteInfo &sprite = SpriteTable[i];
        const QString base =
            QStringLiteral(":/sprites/") + QLatin1String(sprite.name.data(), sprite.name.size());
        QImage loaded(ratio_ > 1.0 ? base + QStringLiteral("@%1x.png").arg(ratio_)
                                   : base + QStringLiteral(".png"));
        const QSize pixels(static_cast<int>(std::lround(sprite.width * ratio_)),
                           static_cast<int>(std::lround(sprite.height * ratio_)));
        // Opaque on black, exactly the size the game erases: a sprite is
        // always drawn as a solid rectangle.
        QImage opaque(pixels, QImage::Format_RGB32);
        opaque.fill(Qt::black);
        if (!loaded.isNull()) {
            QPainter painter(&opaque);
            painter.drawImage(QRect(QPoint(0, 0), pixels), loaded);
        }
        opaque.setDevicePixelRatio(ratio_);
        images_[i] = opaque;
    }
}

} // namespace krumlix
