// SPDX-License-Identifier: GPL-3.0-or-later
#include "picture.h"

#include "platform/jpegimage.h"

namespace krumlix {

QImage gamePicture(const char *name) {
    return loadJpeg(QStringLiteral(":/pictures/%1.jpg").arg(QLatin1String(name)));
}

} // namespace krumlix
