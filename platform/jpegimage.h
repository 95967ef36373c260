// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>

namespace krumlix {

/// The largest picture decodeJpeg accepts, in either direction; anything
/// larger is refused before a single pixel is allocated.
inline constexpr int maxJpegSide = 8192;

/// Decodes a baseline or progressive JPEG file held in `bytes` into an image of
/// format QImage::Format_RGB888. Colour (YCbCr, RGB), grayscale and CMYK/YCCK
/// pictures all come out as RGB.
///
/// Damaged, truncated, empty or foreign input never ends the program: the
/// result is then a null image and `error`, when given, receives the decoder's
/// message ("Not a JPEG file: starts with 0x89 0x50", "Premature end of JPEG
/// file", ...). On success `error` is left alone.
QImage decodeJpeg(const QByteArray &bytes, QString *error = nullptr);

/// Reads the JPEG file at `path` (a file name or a resource path such as
/// ":/pictures/menupanel.jpg") and decodes it as decodeJpeg does. A file that
/// cannot be read gives a null image too, with the reason in `error`.
QImage loadJpeg(const QString &path, QString *error = nullptr);

} // namespace krumlix
