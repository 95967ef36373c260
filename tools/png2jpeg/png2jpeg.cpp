// SPDX-License-Identifier: GPL-3.0-or-later
// png2jpeg [--quality N] in.png out.jpg
//
// Build tool: turns an opaque PNG (a picture rendered from its SVG) into the
// JPEG file the game decodes at run time. Chroma is kept at full resolution
// (4:4:4), so the small white text on the pictures keeps clean edges.

#include <QByteArray>
#include <QImage>
#include <QSaveFile>
#include <QString>

#include <cstdio>
#include <cstdlib>
#include <memory>

#include <jpeglib.h>

namespace {

int fail(const QString &text) {
    std::fprintf(stderr, "png2jpeg: %s\n", qPrintable(text));
    return EXIT_FAILURE;
}

struct FreeBuffer {
    void operator()(unsigned char *buffer) const { std::free(buffer); }
};

// libjpeg's own error_exit prints its message and ends the program with a
// failure status, which is what a build step wants.
QByteArray encode(const QImage &rgb, int quality) {
    jpeg_compress_struct info{};
    jpeg_error_mgr errors{};
    info.err = jpeg_std_error(&errors);
    jpeg_create_compress(&info);
    unsigned char *out = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&info, &out, &size);
    info.image_width = JDIMENSION(rgb.width());
    info.image_height = JDIMENSION(rgb.height());
    info.input_components = 3;
    info.in_color_space = JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, quality, TRUE);
    info.optimize_coding = TRUE;
    for (int i = 0; i < info.num_components; ++i) {
        info.comp_info[i].h_samp_factor = 1;
        info.comp_info[i].v_samp_factor = 1;
    }
    jpeg_start_compress(&info, TRUE);
    while (info.next_scanline < info.image_height) {
        JSAMPROW row = const_cast<unsigned char *>(rgb.constScanLine(int(info.next_scanline)));
        jpeg_write_scanlines(&info, &row, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    std::unique_ptr<unsigned char, FreeBuffer> owned(out);
    return QByteArray(reinterpret_cast<const char *>(out), qsizetype(size));
}

} // namespace

int main(int argc, char **argv) {
    int quality = 92;
    int first = 1;
    if (argc == 5 && QByteArray(argv[1]) == "--quality") {
        bool ok = false;
        quality = QByteArray(argv[2]).toInt(&ok);
        if (!ok || quality < 1 || quality > 100)
            return fail(QStringLiteral("quality must be 1..100, not %1").arg(argv[2]));
        first = 3;
    } else if (argc != 3) {
        return fail(QStringLiteral("usage: png2jpeg [--quality N] in.png out.jpg"));
    }
    const QString input = QString::fromLocal8Bit(argv[first]);
    const QString output = QString::fromLocal8Bit(argv[first + 1]);

    const QImage image(input, "PNG");
    if (image.isNull())
        return fail(QStringLiteral("cannot read %1 as a PNG file").arg(input));
    // A JPEG has no transparency: a picture must bring its own background.
    const QImage argb = image.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < argb.height(); ++y) {
        const QRgb *line = reinterpret_cast<const QRgb *>(argb.constScanLine(y));
        for (int x = 0; x < argb.width(); ++x)
            if (qAlpha(line[x]) != 255)
                return fail(QStringLiteral("%1 is not opaque at %2,%3").arg(input).arg(x).arg(y));
    }

    const QByteArray jpeg = encode(image.convertToFormat(QImage::Format_RGB888), quality);
    QSaveFile file(output);
    if (!file.open(QIODevice::WriteOnly) || file.write(jpeg) != jpeg.size() || !file.commit())
        return fail(QStringLiteral("cannot write %1: %2").arg(output, file.errorString()));
    return EXIT_SUCCESS;
}
