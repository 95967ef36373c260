// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "sprites.h"

#include <QImage>
#include <QRect>
#include <QWidget>

namespace krumlix {

/// The playing field's own image. Drawing is immediate: a sprite is drawn
/// opaquely at a field coordinate and later erased with a black fill. The
/// image is kept at the screen's device pixel ratio, in field coordinates.
class Field {
public:
    explicit Field(const SpriteSheet &sprites);

    void draw(Sprite sprite, int x, int y);
    /// Fills black the pixels x1 <= x < x2, y1 <= y < y2.
    void fillBlack(int x1, int y1, int x2, int y2);
    void clear() { fillBlack(0, 0, 640, 400); }

    const QImage &image() const { return image_; }
    const SpriteSheet &sprites() const { return sprites_; }
    /// The part of the field changed since the last call, in field pixels.
    QRect takeDirty();

private:
    const SpriteSheet &sprites_;
    QImage image_;
    QRect dirty_;
};

/// The widget that shows the field image (`PaintBox1`). A system repaint
/// shows the field exactly as it was last drawn.
class PaintBox : public QWidget {
public:
    PaintBox(Field &field, QWidget *parent);
    /// Shows what was drawn since the last call.
    void flush();

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    Field &field_;
};

} // namespace krumlix
