// SPDX-License-Identifier: GPL-3.0-or-later
#include "picture.h"

#include "platform/jpegimage.h"

#include <QPixmap>

#include <cmath>

namespace krumlix {
namespace {

/// Ratios closer than this are the same: screens report 1.5 as 1.4999...
constexpr qreal RatioTolerance = 0.01;

QString variantPath(const char *name, qreal ratio) {
    const int percent = static_cast<int>(std::lround(ratio * 100));
    return percent == 100
               ? QStringLiteral(":/pictures/%1.jpg").arg(QLatin1String(name))
               : QStringLiteral(":/pictures/%1@%2.jpg").arg(QLatin1String(name)).arg(percent);
}

} // namespace

qreal pictureRatioFor(qreal ratio) {
    // Scaling a larger picture down keeps its detail; magnifying blurs.
    for (const qreal candidate : PictureRatios) {
        if (candidate > ratio - RatioTolerance)
            return candidate;
    }
    return PictureRatios.back();
}

QImage gamePicture(const char *name, qreal ratio) {
    ratio = std::max(ratio, PictureRatios.front());
    const qreal rendered = pictureRatioFor(ratio);
    QImage image = loadJpeg(variantPath(name, rendered));
    if (image.isNull())
        return image;
    if (std::abs(rendered - ratio) >= RatioTolerance) {
        const QSize size(static_cast<int>(std::ceil(image.width() * ratio / rendered - 0.001)),
                         static_cast<int>(std::ceil(image.height() * ratio / rendered - 0.001)));
        image = image.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    }
    image.setDevicePixelRatio(ratio);
    return image;
}

Picture::Picture(const char *name, QWidget *parent) : QLabel(parent), name_(name) {
    follow(devicePixelRatioF());
}

void Picture::paintEvent(QPaintEvent *event) {
    if (std::abs(devicePixelRatioF() - ratio_) >= RatioTolerance / 2)
        follow(devicePixelRatioF());
    QLabel::paintEvent(event);
}

void Picture::follow(qreal ratio) {
    ratio_ = ratio;
    setPixmap(QPixmap::fromImage(gamePicture(name_, ratio)));
}

QIcon gameIcon() {
    QIcon icon;
    for (const int size : {16, 24, 32, 48, 64, 96, 128})
        icon.addFile(QStringLiteral(":/icon/krumlix-%1.png").arg(size), QSize(size, size));
    return icon;
}

} // namespace krumlix
