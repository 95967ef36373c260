// SPDX-License-Identifier: GPL-3.0-or-later
#include "scaledview.h"

#include <QPaintEvent>
#include <QPainter>

#include <algorithm>

namespace krumlix {

int wholeScale(QSize room, QSize content) {
    if (content.isEmpty())
        return 1;
    return std::max(1, std::min(room.width() / content.width(), room.height() / content.height()));
}

ScaledView::ScaledView(QWidget *source, QWidget *parent, std::function<void(int)> scaleChanged)
    : QWidget(parent), source_(source), scaleChanged_(std::move(scaleChanged)) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::NoFocus);
}

QRect ScaledView::contentRect() const {
    const QSize size = source_->size() * scale_;
    return QRect(QPoint((width() - size.width()) / 2, (height() - size.height()) / 2), size);
}

void ScaledView::updateSource(const QRegion &region) {
    const QRect content = contentRect();
    QRegion shown;
    for (const QRect &rect : region)
        shown += QRect(content.topLeft() + rect.topLeft() * scale_, rect.size() * scale_);
    update(shown);
}

void ScaledView::resizeEvent(QResizeEvent *event) {
    scale_ = wholeScale(size(), source_->size());
    if (scaleChanged_)
        scaleChanged_(scale_);
    QWidget::resizeEvent(event);
}

void ScaledView::paintEvent(QPaintEvent *event) {
    QPainter painter(this);
    const QRect content = contentRect();
    for (const QRect &rect : event->region().subtracted(content))
        painter.fillRect(rect, Qt::black);
    // The source pixels under the region, whole ones: the painter's clip
    // keeps the drawing to the region itself.
    QRegion source;
    for (const QRect &rect : event->region().intersected(content)) {
        const QRect shifted = rect.translated(-content.topLeft());
        source += QRect(QPoint(shifted.left() / scale_, shifted.top() / scale_),
                        QPoint(shifted.right() / scale_, shifted.bottom() / scale_));
    }
    if (source.isEmpty())
        return;
    painter.translate(content.topLeft());
    painter.scale(scale_, scale_);
    // The region's top-left is drawn at the offset given.
    source_->render(&painter, source.boundingRect().topLeft(), source,
                    QWidget::DrawWindowBackground | QWidget::DrawChildren);
}

} // namespace krumlix
