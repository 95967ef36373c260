// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "sprites.h"

#include <QImage>
#include <QRect>
#include <QRegion>
#include <QWidget>

#include <functional>
#include <vector>

namespace krumlix {

/// The playing field's own image. Drawing is immediate: a sprite is drawn
/// opaquely at a field coordinate and later erased with a black fill. The
/// image is kept at the sprites' pixel ratio, in field coordinates.
class Field {
public:
    explicit Field(const SpriteSheet &sprites);

    void draw(Sprite sprite, int x, int y);
    /// Fills black the pixels x1 <= x < x2, y1 <= y < y2.
    void fillBlack(int x1, int y1, int x2, int y2);
    void clear() { fillBlack(0, 0, 640, 400); }

    /// Draws the field afresh with other sprites (those of another pixel
    /// ratio): the same scene, each sprite drawn from its new image.
    void useSprites(const SpriteSheet &sprites);

    const QImage &image() const {
        settle();
        return image_;
    }
    const SpriteSheet &sprites() const { return *sprites_; }
    /// The parts of the field changed since the last call, in field pixels:
    /// each thing drawn or erased by itself, not one box around them all.
    QRegion takeDirty();

private:
    /// One drawing step still to be seen on the field: a sprite, or a black
    /// fill (`sprite` Count) over something drawn before it.
    struct Step {
        Sprite sprite;
        QRect rect;
    };
    void remember(Sprite sprite, const QRect &rect);
    void forgetHidden();
    void paint(const Step &step) const;
    /// Blackens the erased rectangle no sprite has been drawn over yet.
    void settle() const;

    const SpriteSheet *sprites_;
    // Drawn lazily: the last erase waits for the step after it.
    mutable QImage image_;
    mutable QRect pendingFill_;
    QRegion dirty_;
    /// What the field shows, as the steps that drew it: enough to draw it
    /// again at another ratio. Steps that nothing shows of any more are
    /// dropped now and then, so the list stays about as long as the number
    /// of things on the field.
    std::vector<Step> steps_;
    std::size_t pruneAt_ = 512; ///< the list's length that prunes it
};

/// The widget that shows the field image (`PaintBox1`). A system repaint
/// shows the field exactly as it was last drawn.
class PaintBox : public QWidget {
public:
    /// `ratioChanged` is called, before painting, when the widget is to be
    /// painted at a pixel ratio the field's sprites are not drawn for.
    PaintBox(Field &field, QWidget *parent, std::function<void(qreal)> ratioChanged = {});
    /// Shows what was drawn since the last call.
    void flush();
    /// The field is shown `scale` times its size in the window's pixels
    /// (the fullscreen game draws the widget through a painter so scaled):
    /// it is drawn for that many more pixels.
    void setScale(int scale) { scale_ = scale; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    Field &field_;
    std::function<void(qreal)> ratioChanged_;
    int scale_ = 1;
};

} // namespace krumlix
