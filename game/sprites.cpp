// SPDX-License-Identifier: GPL-3.0-or-later
#include "sprites.h"

#include <QPainter>

#include <cmath>

namespace krumlix {

SpriteSheet::SpriteSheet(qreal devicePixelRatio) : ratio_(devicePixelRatio > 1.0 ? 2.0 : 1.0) {
    for (int i = 0; i < static_cast<int>(Sprite::Count); ++i) {
        const SpriteInfo &sprite = SpriteTable[i];
        const QString base =
            QStringLiteral(":/sprites/") + QLatin1String(sprite.name.data(), sprite.name.size());
        QImage loaded(ratio_ > 1.0 ? base + QStringLiteral("@2x.png")
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
