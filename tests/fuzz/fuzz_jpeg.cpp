// SPDX-License-Identifier: GPL-3.0-or-later
// The picture decoder from any bytes: a picture of at most 8192 pixels a
// side in RGB888, or a null image with the decoder's reason, and never an
// end of the program.
#include "fuzzcheck.h"
#include "platform/jpegimage.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    const QByteArray bytes(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    QString error = QStringLiteral("untouched");
    const QImage image = krumlix::decodeJpeg(bytes, &error);
    if (image.isNull()) {
        KRUMLIX_REQUIRE(!error.isEmpty() && error != QStringLiteral("untouched"));
        return 0;
    }
    KRUMLIX_REQUIRE(error == QStringLiteral("untouched"));
    KRUMLIX_REQUIRE(image.format() == QImage::Format_RGB888);
    KRUMLIX_REQUIRE(image.width() >= 1 && image.width() <= krumlix::maxJpegSide);
    KRUMLIX_REQUIRE(image.height() >= 1 && image.height() <= krumlix::maxJpegSide);
    return 0;
}
