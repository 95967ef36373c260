// SPDX-License-Identifier: GPL-3.0-or-later
#include "field.h"

#include "geometry.h"

#include <QPaintEvent>
#include <QPainter>

namespace krumlix {

Field::Field(const SpriteSheet &sprites)
    : sprites_(sprites),
      image_(QSize(FieldWidth, FieldHeight) * sprites.devicePixelRatio(), QImage::Format_RGB32) {
    image_.setDevicePixelRatio(sprites.devicePixelRatio());
    image_.fill(Qt::black);
}

void Field::draw(Sprite sprite, int x, int y) {
    const QImage &picture = sprites_.image(sprite);
    QPainter painter(&image_);
    painter.drawImage(QPoint(x, y), picture);
    dirty_ |= QRect(x, y, info(sprite).width, info(sprite).height);
}

void Field::fillBlack(int x1, int y1, int x2, int y2) {
    if (x2 <= x1 || y2 <= y1)
        return;
    const QRect rect(QPoint(x1, y1), QPoint(x2 - 1, y2 - 1));
    QPainter painter(&image_);
    painter.fillRect(rect, Qt::black);
    dirty_ |= rect;
}

QRect Field::takeDirty() {
    const QRect dirty = dirty_ & QRect(0, 0, FieldWidth, FieldHeight);
    dirty_ = QRect();
    return dirty;
}

PaintBox::PaintBox(Field &field, QWidget *parent) : QWidget(parent), field_(field) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::NoFocus);
}

void PaintBox::flush() {
    const QRect dirty = field_.takeDirty();
    if (!dirty.isEmpty())
        update(dirty);
}

void PaintBox::paintEvent(QPaintEvent *event) {
    QPainter painter(this);
    const QRect rect = event->rect();
    const qreal ratio = field_.image().devicePixelRatio();
    const QRectF source(rect.x() * ratio, rect.y() * ratio, rect.width() * ratio,
                        rect.height() * ratio);
    painter.drawImage(QRectF(rect), field_.image(), source);
}

} // namespace krumlix
