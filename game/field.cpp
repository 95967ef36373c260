// SPDX-License-Identifier: GPL-3.0-or-later
#include "field.h"

#include "geometry.h"

#include <QPaintEvent>
#include <QPainter>
#include <QRegion>

#include <algorithm>
#include <cstring>

namespace krumlix {
namespace {

/// The step list is pruned when it grows past this many steps.
constexpr std::size_t StepsBeforePruning = 512;

QImage blackField(qreal ratio) {
    QImage image(QSize(FieldWidth, FieldHeight) * ratio, QImage::Format_RGB32);
    image.setDevicePixelRatio(ratio);
    image.fill(Qt::black);
    return image;
}

} // namespace

Field::Field(const SpriteSheet &sprites)
    : sprites_(&sprites), image_(blackField(sprites.devicePixelRatio())) {}

void Field::paint(const Step &step) const {
    // The field is drawn at a whole ratio, every sprite is opaque and of its
    // rectangle's size there: each step copies or blackens whole rows, with
    // no painter to set up for it (there are hundreds a second).
    const int ratio = static_cast<int>(image_.devicePixelRatio());
    const QRect pixels(step.rect.topLeft() * ratio, step.rect.size() * ratio);
    const QRect shown = pixels & image_.rect();
    const QImage *sprite = step.sprite == Sprite::Count ? nullptr : &sprites_->image(step.sprite);
    for (int y = shown.top(); y <= shown.bottom(); ++y) {
        QRgb *row = reinterpret_cast<QRgb *>(image_.scanLine(y)) + shown.left();
        if (sprite)
            std::memcpy(row,
                        reinterpret_cast<const QRgb *>(sprite->constScanLine(y - pixels.top())) +
                            (shown.left() - pixels.left()),
                        sizeof(QRgb) * std::size_t(shown.width()));
        else
            std::fill_n(row, shown.width(), qRgb(0, 0, 0));
    }
}

void Field::draw(Sprite sprite, int x, int y) {
    const Step step{sprite, QRect(x, y, info(sprite).width, info(sprite).height)};
    // An animal is erased and drawn again a few pixels on: the sprite covers
    // most of the erased rectangle, which is blackened only where it does not.
    for (const QRect &uncovered : QRegion(pendingFill_).subtracted(step.rect))
        paint({Sprite::Count, uncovered});
    pendingFill_ = QRect();
    paint(step);
    remember(step.sprite, step.rect);
    dirty_ += step.rect;
}

void Field::fillBlack(int x1, int y1, int x2, int y2) {
    if (x2 <= x1 || y2 <= y1)
        return;
    const Step step{Sprite::Count, QRect(QPoint(x1, y1), QPoint(x2 - 1, y2 - 1))};
    settle();
    pendingFill_ = step.rect;
    remember(step.sprite, step.rect);
    dirty_ += step.rect;
}

void Field::remember(Sprite sprite, const QRect &rect) {
    if (rect.contains(QRect(0, 0, FieldWidth, FieldHeight))) {
        steps_.clear(); // everything before lies under it
        if (sprite == Sprite::Count)
            return; // black on a black field
    }
    steps_.push_back({sprite, rect});
    if (steps_.size() > pruneAt_) {
        forgetHidden();
        // A field crowded with things that all show waits for twice as many.
        pruneAt_ = std::max(StepsBeforePruning, 2 * steps_.size());
    }
}

void Field::forgetHidden() {
    // From the newest step back: a step wholly under later ones shows nothing.
    QRegion above;
    std::vector<Step> kept;
    for (auto step = steps_.rbegin(); step != steps_.rend(); ++step) {
        if (!QRegion(step->rect).subtracted(above).isEmpty())
            kept.push_back(*step);
        above += step->rect;
    }
    std::reverse(kept.begin(), kept.end());
    // A black fill over nothing that is still kept drew black on black.
    steps_.clear();
    QRegion drawn;
    for (const Step &step : kept) {
        if (step.sprite != Sprite::Count || drawn.intersects(step.rect))
            steps_.push_back(step);
        if (step.sprite != Sprite::Count)
            drawn += step.rect;
    }
}

void Field::settle() const {
    if (!pendingFill_.isEmpty())
        paint({Sprite::Count, pendingFill_});
    pendingFill_ = QRect();
}

void Field::useSprites(const SpriteSheet &sprites) {
    sprites_ = &sprites;
    image_ = blackField(sprites.devicePixelRatio());
    pendingFill_ = QRect(); // among the steps drawn again
    for (const Step &step : steps_)
        paint(step);
    dirty_ = QRegion(0, 0, FieldWidth, FieldHeight);
}

QRegion Field::takeDirty() {
    const QRegion dirty = dirty_ & QRect(0, 0, FieldWidth, FieldHeight);
    dirty_ = QRegion();
    return dirty;
}

PaintBox::PaintBox(Field &field, QWidget *parent, std::function<void(qreal)> ratioChanged)
    : QWidget(parent), field_(field), ratioChanged_(std::move(ratioChanged)) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::NoFocus);
}

void PaintBox::flush() {
    const QRegion dirty = field_.takeDirty();
    if (!dirty.isEmpty())
        update(dirty);
}

void PaintBox::paintEvent(QPaintEvent *event) {
    const qreal screenRatio = devicePixelRatioF() * scale_;
    if (ratioChanged_ && spriteRatio(screenRatio) != field_.image().devicePixelRatio())
        ratioChanged_(screenRatio);
    QPainter painter(this);
    const QImage &image = field_.image();
    const qreal ratio = image.devicePixelRatio();
    if (qFuzzyCompare(ratio, screenRatio)) {
        // Pixel for pixel: only the parts to be painted are copied.
        for (const QRect &rect : event->region()) {
            const QRectF source(rect.x() * ratio, rect.y() * ratio, rect.width() * ratio,
                                rect.height() * ratio);
            painter.drawImage(QRectF(rect), image, source);
        }
    } else {
        // Between two whole ratios the field is drawn at the larger and
        // scaled down to the screen, the whole image mapped the same way on
        // every paint so that the parts painted separately meet seamlessly.
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.setClipRegion(event->region());
        painter.drawImage(QRectF(0, 0, FieldWidth, FieldHeight), image);
    }
}

} // namespace krumlix
