// SPDX-License-Identifier: GPL-3.0-or-later
#include "jpegimage.h"

#include <QFile>

#include <csetjmp>
#include <cstdio>

#include <jerror.h>
#include <jpeglib.h>

namespace krumlix {

namespace {

// Everything the decoding frame needs lives in this plain struct, owned by the
// caller: the frame that calls setjmp holds no object with a destructor, so a
// longjmp out of libjpeg skips nothing that had to be cleaned up.
struct Decoder {
    jpeg_decompress_struct info;
    jpeg_error_mgr errors;
    std::jmp_buf escape;
    char message[JMSG_LENGTH_MAX];
    QImage *image; // receives the pixels; owned by the caller
    unsigned char *pixels;
    qsizetype stride;
};

Decoder *decoderOf(j_common_ptr info) {
    return static_cast<Decoder *>(info->client_data);
}

// libjpeg's error_exit: keep the message and return to runDecoder instead of
// ending the program.
[[noreturn]] void escapeWithMessage(j_common_ptr info) {
    Decoder *decoder = decoderOf(info);
    info->err->format_message(info, decoder->message);
    std::longjmp(decoder->escape, 1);
}

// Warnings that the data is damaged. libjpeg would fill what is missing with
// grey and go on; a picture of ours that is damaged is refused instead.
bool isDamage(int code) {
    switch (code) {
    case JWRN_BOGUS_PROGRESSION:
    case JWRN_EXTRANEOUS_DATA:
    case JWRN_HIT_MARKER:
    case JWRN_HUFF_BAD_CODE:
    case JWRN_JPEG_EOF:
    case JWRN_MUST_RESYNC:
    case JWRN_NOT_SEQUENTIAL:
        return true;
    default:
        return false;
    }
}

// libjpeg's emit_message: nothing is printed; damage ends decoding like an
// error, other warnings and trace messages are dropped.
void onMessage(j_common_ptr info, int level) {
    if (level < 0 && isDamage(info->err->msg_code))
        escapeWithMessage(info);
}

// Makes the image the scanlines go to. Called between libjpeg calls, so the
// QImage it touches is never skipped by a longjmp.
bool prepareImage(Decoder *decoder, int width, int height) {
    *decoder->image = QImage(width, height, QImage::Format_RGB888);
    if (decoder->image->isNull()) {
        std::snprintf(decoder->message, sizeof decoder->message,
                      "Out of memory for a picture of %d x %d", width, height);
        return false;
    }
    decoder->pixels = decoder->image->bits();
    decoder->stride = decoder->image->bytesPerLine();
    return true;
}

// One row of CMYK samples to RGB. Adobe's programs, which write nearly every
// CMYK JPEG, store the inks inverted (255 = no ink) and say so with their
// APP14 marker; without that marker the samples are taken as plain ink amounts.
void cmykToRgb(const unsigned char *cmyk, unsigned char *rgb, JDIMENSION width, bool inverted) {
    for (JDIMENSION x = 0; x < width; ++x, cmyk += 4, rgb += 3) {
        const int k = inverted ? cmyk[3] : 255 - cmyk[3];
        for (int i = 0; i < 3; ++i) {
            const int c = inverted ? cmyk[i] : 255 - cmyk[i];
            rgb[i] = static_cast<unsigned char>((c * k + 127) / 255);
        }
    }
}

bool refuse(Decoder *decoder) {
    jpeg_destroy_decompress(&decoder->info);
    return false;
}

// Runs libjpeg from the header to the end of the picture. An error inside
// libjpeg longjmps from here back into runDecoder; nothing on the way has a
// destructor.
bool decodeSteps(Decoder *decoder, const unsigned char *data, unsigned long size) {
    jpeg_decompress_struct *info = &decoder->info;
    jpeg_create_decompress(info);
    jpeg_mem_src(info, data, size);
    jpeg_read_header(info, TRUE);
    if (info->image_width > JDIMENSION(maxJpegSide) ||
        info->image_height > JDIMENSION(maxJpegSide)) {
        std::snprintf(decoder->message, sizeof decoder->message,
                      "Picture too large: %u x %u (at most %d x %d)", info->image_width,
                      info->image_height, maxJpegSide, maxJpegSide);
        return refuse(decoder);
    }
    // libjpeg turns YCbCr, RGB and grayscale into RGB itself, but gives CMYK
    // and YCCK only as CMYK.
    const bool cmyk = info->jpeg_color_space == JCS_CMYK || info->jpeg_color_space == JCS_YCCK;
    info->out_color_space = cmyk ? JCS_CMYK : JCS_RGB;
    jpeg_start_decompress(info);
    if (!prepareImage(decoder, int(info->output_width), int(info->output_height)))
        return refuse(decoder);

    JSAMPARRAY cmykRow = cmyk ? info->mem->alloc_sarray(reinterpret_cast<j_common_ptr>(info),
                                                        JPOOL_IMAGE, info->output_width * 4, 1)
                              : nullptr;
    while (info->output_scanline < info->output_height) {
        unsigned char *rgb = decoder->pixels + qsizetype(info->output_scanline) * decoder->stride;
        JSAMPROW row = cmyk ? cmykRow[0] : rgb;
        if (jpeg_read_scanlines(info, &row, 1) != 1) {
            std::snprintf(decoder->message, sizeof decoder->message,
                          "No data for row %u of the picture", info->output_scanline);
            return refuse(decoder);
        }
        if (cmyk)
            cmykToRgb(cmykRow[0], rgb, info->output_width, info->saw_Adobe_marker);
    }
    jpeg_finish_decompress(info);
    jpeg_destroy_decompress(info);
    return true;
}

// The only frame that calls setjmp. It owns nothing with a destructor and
// changes no local variable after setjmp, so what it reads after a longjmp is
// what it had before.
bool runDecoder(Decoder *decoder, const unsigned char *data, unsigned long size) {
    decoder->info.err = jpeg_std_error(&decoder->errors);
    decoder->errors.error_exit = escapeWithMessage;
    decoder->errors.emit_message = onMessage;
    decoder->info.client_data = decoder;
    if (setjmp(decoder->escape))
        return refuse(decoder);
    return decodeSteps(decoder, data, size);
}

} // namespace

QImage decodeJpeg(const QByteArray &bytes, QString *error) {
    QImage image;
    Decoder decoder{};
    decoder.image = &image;
    if (!runDecoder(&decoder, reinterpret_cast<const unsigned char *>(bytes.constData()),
                    static_cast<unsigned long>(bytes.size()))) {
        if (error)
            *error = QString::fromLatin1(decoder.message);
        return QImage();
    }
    return image;
}

QImage loadJpeg(const QString &path, QString *error) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        if (error)
            *error = QStringLiteral("Cannot open %1: %2").arg(path, file.errorString());
        return QImage();
    }
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        if (error)
            *error = QStringLiteral("Cannot read %1: %2").arg(path, file.errorString());
        return QImage();
    }
    QString reason;
    QImage image = decodeJpeg(bytes, &reason);
    if (image.isNull() && error)
        *error = QStringLiteral("%1: %2").arg(path, reason);
    return image;
}

} // namespace krumlix
