// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/jpegimage.h"
#include "support/datarows.h"
#include "support/tempgame.h"
#include "widgets/picture.h"

#include <QColor>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <unistd.h>
#include <vector>

#include <jpeglib.h>

using namespace krumlix;

namespace {

// What the test pictures are written as.
enum class Kind { Baseline, Progressive, Gray, Cmyk, CmykPlain, Ycck };

// Encodes `samples` (width x height pixels of `components` bytes each) with
// libjpeg. CMYK samples are given as ink amounts (0 = no ink); they are
// stored inverted behind Adobe's marker, as Adobe's programs write them,
// except for CmykPlain, which stores them as given and without the marker.
QByteArray encode(int width, int height, const std::vector<unsigned char> &samples, Kind kind,
                  int quality = 95) {
    jpeg_compress_struct info{};
    jpeg_error_mgr errors{};
    info.err = jpeg_std_error(&errors);
    jpeg_create_compress(&info);
    unsigned char *out = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&info, &out, &size);
    info.image_width = JDIMENSION(width);
    info.image_height = JDIMENSION(height);
    const bool cmyk = kind == Kind::Cmyk || kind == Kind::CmykPlain || kind == Kind::Ycck;
    info.input_components = kind == Kind::Gray ? 1 : cmyk ? 4 : 3;
    info.in_color_space = kind == Kind::Gray ? JCS_GRAYSCALE : cmyk ? JCS_CMYK : JCS_RGB;
    jpeg_set_defaults(&info);
    if (cmyk)
        jpeg_set_colorspace(&info, kind == Kind::Ycck ? JCS_YCCK : JCS_CMYK);
    if (kind == Kind::CmykPlain)
        info.write_Adobe_marker = FALSE;
    jpeg_set_quality(&info, quality, TRUE);
    if (kind == Kind::Progressive)
        jpeg_simple_progression(&info);
    jpeg_start_compress(&info, TRUE);
    const int rowBytes = width * info.input_components;
    std::vector<unsigned char> row(size_t(rowBytes), 0);
    while (info.next_scanline < info.image_height) {
        const unsigned char *source = samples.data() + size_t(info.next_scanline) * rowBytes;
        for (int i = 0; i < rowBytes; ++i)
            row[size_t(i)] = cmyk && kind != Kind::CmykPlain ? 255 - source[i] : source[i];
        JSAMPROW pointer = row.data();
        jpeg_write_scanlines(&info, &pointer, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    QByteArray bytes(reinterpret_cast<const char *>(out), qsizetype(size));
    std::free(out);
    return bytes;
}

// A picture of four flat quarters: red top left, green top right, blue bottom
// left, white bottom right.
const QColor quarters[4] = {QColor(220, 30, 30), QColor(30, 200, 60), QColor(40, 60, 210),
                            QColor(255, 255, 255)};

QColor quarterAt(int x, int y, int width, int height) {
    return quarters[(y < height / 2 ? 0 : 2) + (x < width / 2 ? 0 : 1)];
}

/// The quarters as RGB samples, or as CMYK ink amounts.
std::vector<unsigned char> quarterSamples(int width, int height, bool cmyk = false) {
    std::vector<unsigned char> samples;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const QColor c = quarterAt(x, y, width, height);
            if (cmyk)
                samples.insert(samples.end(), {uchar(255 - c.red()), uchar(255 - c.green()),
                                               uchar(255 - c.blue()), 0});
            else
                samples.insert(samples.end(), {uchar(c.red()), uchar(c.green()), uchar(c.blue())});
        }
    return samples;
}

QByteArray colourPicture() {
    return encode(64, 48, quarterSamples(64, 48), Kind::Baseline);
}

bool near(QColor actual, QColor expected, int tolerance) {
    return std::abs(actual.red() - expected.red()) <= tolerance &&
           std::abs(actual.green() - expected.green()) <= tolerance &&
           std::abs(actual.blue() - expected.blue()) <= tolerance;
}

QString describe(QColor c) {
    return QStringLiteral("(%1,%2,%3)").arg(c.red()).arg(c.green()).arg(c.blue());
}

// The offset of the first marker `code` (0xFFxx) in a JPEG stream.
qsizetype markerAt(const QByteArray &jpeg, unsigned char code) {
    for (qsizetype i = 2; i + 1 < jpeg.size(); ++i)
        if (uchar(jpeg[i]) == 0xff && uchar(jpeg[i + 1]) == code)
            return i;
    return -1;
}

// The picture with its frame header (SOF0) claiming another size.
QByteArray withFrameSize(QByteArray jpeg, int width, int height) {
    const qsizetype sof = markerAt(jpeg, 0xc0);
    jpeg[sof + 5] = char(height >> 8);
    jpeg[sof + 6] = char(height & 0xff);
    jpeg[sof + 7] = char(width >> 8);
    jpeg[sof + 8] = char(width & 0xff);
    return jpeg;
}

// Runs `work` with the process's standard error going to a file and returns
// what was written there.
template <typename Work> QByteArray standardErrorOf(Work work) {
    std::fflush(stderr);
    QTemporaryDir dir;
    const QByteArray name = dir.filePath(QStringLiteral("stderr")).toLocal8Bit();
    const int file = ::open(name.constData(), O_CREAT | O_RDWR | O_TRUNC, 0600);
    const int saved = ::dup(STDERR_FILENO);
    ::dup2(file, STDERR_FILENO);
    work();
    std::fflush(stderr);
    ::dup2(saved, STDERR_FILENO);
    ::close(saved);
    ::close(file);
    QFile written(QString::fromLocal8Bit(name));
    written.open(QIODevice::ReadOnly);
    return written.readAll();
}

} // namespace

class JpegImageTest : public QObject {
    Q_OBJECT
private slots:
    void decodesColour_data() {
        test::columns<int, int>("kind", "tolerance");
        QTest::newRow("baseline") << int(Kind::Baseline) << 12;
        QTest::newRow("progressive") << int(Kind::Progressive) << 12;
        QTest::newRow("cmyk, Adobe") << int(Kind::Cmyk) << 12;
        QTest::newRow("cmyk, plain") << int(Kind::CmykPlain) << 12;
        QTest::newRow("ycck") << int(Kind::Ycck) << 14;
    }

    // Every quarter comes out in its colour, away from the edges where the
    // chroma blurs across.
    void decodesColour() {
        const auto [kind, tolerance] = test::fetch<int, int>("kind", "tolerance");
        const int width = 64, height = 48;
        const Kind k = Kind(kind);
        const bool cmyk = k == Kind::Cmyk || k == Kind::CmykPlain || k == Kind::Ycck;
        const QByteArray jpeg = encode(width, height, quarterSamples(width, height, cmyk), k);
        QString error = QStringLiteral("untouched");
        const QImage image = decodeJpeg(jpeg, &error);
        QVERIFY2(!image.isNull(), qPrintable(error));
        QCOMPARE(error, QStringLiteral("untouched"));
        QCOMPARE(image.size(), QSize(width, height));
        QCOMPARE(image.format(), QImage::Format_RGB888);
        for (const QPoint p : {QPoint(12, 10), QPoint(52, 10), QPoint(12, 38), QPoint(52, 38),
                               QPoint(2, 2), QPoint(61, 45)}) {
            const QColor actual = image.pixelColor(p);
            const QColor expected = quarterAt(p.x(), p.y(), width, height);
            QVERIFY2(near(actual, expected, tolerance),
                     qPrintable(QStringLiteral("at %1,%2: %3, expected %4")
                                    .arg(p.x())
                                    .arg(p.y())
                                    .arg(describe(actual), describe(expected))));
        }
    }

    // A grayscale picture comes out as RGB with three equal channels.
    void decodesGrayscale() {
        const int width = 40, height = 24;
        std::vector<unsigned char> samples;
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                samples.push_back(uchar(x * 255 / (width - 1)));
        const QImage image = decodeJpeg(encode(width, height, samples, Kind::Gray));
        QVERIFY(!image.isNull());
        QCOMPARE(image.size(), QSize(width, height));
        for (int x : {0, 8, 20, 31, 39}) {
            const QColor c = image.pixelColor(x, 12);
            QCOMPARE(c.red(), c.green());
            QCOMPARE(c.green(), c.blue());
            QVERIFY2(std::abs(c.red() - x * 255 / (width - 1)) <= 6,
                     qPrintable(QStringLiteral("at %1: %2").arg(x).arg(c.red())));
        }
    }

    void refusesBadInput_data() {
        test::columns<QByteArray, QString>("bytes", "message");
        const QByteArray jpeg = colourPicture();
        const qsizetype scan = markerAt(jpeg, 0xda);
        QVERIFY(scan > 0);

        QTest::newRow("empty") << QByteArray() << "Empty input file";
        QByteArray noise(3000, Qt::Uninitialized);
        QRandomGenerator random(7);
        for (char &c : noise)
            c = char(random.bounded(256));
        noise[0] = 'R'; // not the start of a JPEG by chance
        QTest::newRow("random bytes") << noise << "Not a JPEG file";
        QTest::newRow("png signature")
            << QByteArray("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16) << "Not a JPEG file";
        QTest::newRow("start marker only") << jpeg.left(2) << "";
        for (qsizetype length : {qsizetype(20), scan / 2, scan, scan + 20, jpeg.size() / 2,
                                 jpeg.size() - 40, jpeg.size() - 1})
            QTest::addRow("cut at %d of %d", int(length), int(jpeg.size()))
                << jpeg.left(length) << "";

        const qsizetype frame = markerAt(jpeg, 0xc0);
        QByteArray badLength = jpeg;
        badLength[frame + 2] = 0; // frame header length 5: too short for three components
        badLength[frame + 3] = 5;
        QTest::newRow("frame header length") << badLength << "Bogus marker length";
        QByteArray unsupported = jpeg;
        unsupported[frame + 4] = 12; // 12-bit samples
        QTest::newRow("12-bit samples") << unsupported << "Unsupported JPEG data precision 12";
        QByteArray noComponents = jpeg;
        noComponents[frame + 9] = 0;
        QTest::newRow("no components") << noComponents << "";
        QByteArray scrambled = jpeg;
        QVERIFY(scan + 120 < jpeg.size());
        for (qsizetype i = scan + 20; i < scan + 120; ++i)
            scrambled[i] = char(0xff ^ uchar(scrambled[i]));
        QTest::newRow("scrambled scan data") << scrambled << "";
        QTest::newRow("too wide") << withFrameSize(jpeg, maxJpegSide + 1, 48)
                                  << "Picture too large: 8193 x 48";
        QTest::newRow("too high") << withFrameSize(jpeg, 64, maxJpegSide + 1)
                                  << "Picture too large: 64 x 8193";
        QTest::newRow("absurd") << withFrameSize(jpeg, 65000, 65000)
                                << "Picture too large: 65000 x 65000";
    }

    // Nothing but a null image and the reason; the test going on is the proof
    // that nothing ended the process.
    void refusesBadInput() {
        const auto [bytes, message] = test::fetch<QByteArray, QString>("bytes", "message");
        QString error;
        const QImage image = decodeJpeg(bytes, &error);
        QVERIFY(image.isNull());
        QVERIFY(!error.isEmpty());
        QVERIFY2(error.contains(message), qPrintable(error));
    }

    // The limit itself is allowed.
    void decodesTheWidestPicture() {
        const int width = maxJpegSide, height = 8;
        const QImage image =
            decodeJpeg(encode(width, height, quarterSamples(width, height), Kind::Baseline, 50));
        QCOMPARE(image.size(), QSize(width, height));
    }

    // A harmless warning (an unknown JFIF revision) neither stops decoding
    // nor reaches standard error; a refused picture prints nothing either.
    void printsNothing() {
        QByteArray jpeg = colourPicture();
        const qsizetype app0 = markerAt(jpeg, 0xe0);
        QCOMPARE(jpeg.mid(app0 + 4, 5), QByteArray("JFIF\0", 5));
        jpeg[app0 + 9] = 3; // JFIF 3.x
        QImage image;
        QImage truncated = QImage(1, 1, QImage::Format_RGB888);
        const QByteArray printed = standardErrorOf([&] {
            image = decodeJpeg(jpeg);
            truncated = decodeJpeg(jpeg.left(jpeg.size() / 2));
        });
        QCOMPARE(printed, QByteArray());
        QCOMPARE(image.size(), QSize(64, 48));
        QVERIFY(truncated.isNull());
    }

    void loadsFiles() {
        test::TempGameDir dir;
        const QString path = dir.path(QStringLiteral("quarters.jpg"));
        QVERIFY(dir.write(QStringLiteral("quarters.jpg"), colourPicture()));
        QString error;
        QCOMPARE(loadJpeg(path, &error).size(), QSize(64, 48));
        QVERIFY(error.isEmpty());

        const QString missing = dir.path(QStringLiteral("missing.jpg"));
        QVERIFY(loadJpeg(missing, &error).isNull());
        QVERIFY2(error.startsWith(QStringLiteral("Cannot open ") + missing), qPrintable(error));

        QVERIFY(dir.write(QStringLiteral("quarters.jpg"), colourPicture().left(300)));
        QVERIFY(loadJpeg(path, &error).isNull());
        QVERIFY2(error.startsWith(path + QStringLiteral(": ")), qPrintable(error));
    }

    void picturesOfTheGame_data() {
        test::columns<QString, QSize>("name", "size");
        QTest::newRow("menupanel") << "menupanel" << QSize(145, 370);
        QTest::newRow("titlebanner") << "titlebanner" << QSize(457, 64);
        QTest::newRow("weblink") << "weblink" << QSize(105, 17);
        for (const char *badge : {"badge1", "badge2", "badge3", "badge4", "badge5", "badgeu"})
            QTest::newRow(badge) << badge << QSize(25, 17);
        QTest::newRow("rulesposes") << "rulesposes" << QSize(300, 87);
    }

    // The pictures built into the program decode at the size they are drawn
    // at, and their corners show the window colour they are laid on.
    void picturesOfTheGame() {
        const auto [name, size] = test::fetch<QString, QSize>("name", "size");
        QString error;
        const QImage image = loadJpeg(QStringLiteral(":/pictures/%1.jpg").arg(name), &error);
        QVERIFY2(!image.isNull(), qPrintable(error));
        QCOMPARE(image.size(), size);
        const QColor window(0, 34, 57);
        const int right = size.width() - 1, bottom = size.height() - 1;
        for (const QPoint corner :
             {QPoint(0, 0), QPoint(right, 0), QPoint(0, bottom), QPoint(right, bottom)})
            QVERIFY2(near(image.pixelColor(corner), window, 6),
                     qPrintable(QStringLiteral("at %1,%2: %3")
                                    .arg(corner.x())
                                    .arg(corner.y())
                                    .arg(describe(image.pixelColor(corner)))));
    }

    // A screen between two rendered ratios gets the larger picture scaled
    // down, never the smaller one magnified; above the largest, the largest.
    void pictureRatioChosen_data() {
        test::columns<qreal, qreal>("screen", "rendered");
        for (const auto &[screen, rendered] : {std::pair{0.5, 1.0},
                                               {1.0, 1.0},
                                               {1.1, 1.25},
                                               {1.4999, 1.5},
                                               {1.8, 2.0},
                                               {2.5, 3.0},
                                               {4.0, 3.0}})
            QTest::addRow("%g", screen) << screen << rendered;
    }
    void pictureRatioChosen() {
        const auto [screen, rendered] = test::fetch<qreal, qreal>("screen", "rendered");
        QCOMPARE(pictureRatioFor(screen), rendered);
    }
};

QTEST_GUILESS_MAIN(JpegImageTest)
#include "tst_jpegimage.moc"
