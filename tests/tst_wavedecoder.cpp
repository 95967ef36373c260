// SPDX-License-Identifier: GPL-3.0-or-later
// Wave files of every common kind come out in the playback format.
#include "platform/wavedecoder.h"
#include "support/datarows.h"

#include <QFile>
#include <QTest>

#include <cstdlib>
#include <cstring>

using namespace krumlix;

namespace {

/// A wave file of `frames` frames, every sample the bytes of `sample`.
QByteArray wave(int format, int channels, int rate, int bits, const QByteArray &sample,
                int frames) {
    auto le = [](quint32 v, int bytes) {
        QByteArray b;
        for (int i = 0; i < bytes; ++i)
            b += char((v >> (8 * i)) & 0xff);
        return b;
    };
    const int block = channels * bits / 8;
    const QByteArray data = sample.repeated(channels * frames);
    QByteArray fmt = le(format, 2) + le(channels, 2) + le(rate, 4) + le(rate * block, 4) +
                     le(block, 2) + le(bits, 2);
    return "RIFF" + le(4 + 8 + fmt.size() + 8 + data.size(), 4) + "WAVE" + "fmt " +
           le(fmt.size(), 4) + fmt + "data" + le(data.size(), 4) + data;
}

/// A seed of the wave fuzz target.
QByteArray seed(const char *name) {
    QFile file(QStringLiteral(KRUMLIX_SOURCE_DIR "/tests/fuzz/corpus/wave/%1.wav").arg(name));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QByteArray floatBytes(float f) {
    QByteArray b(4, 0);
    std::memcpy(b.data(), &f, 4);
    return b;
}

} // namespace

class WaveDecoderTest : public QObject {
    Q_OBJECT
private slots:
    void decodes_data() {
        // value: of the middle sample, both sides
        test::columns<QByteArray, int, int, int>("file", "frames", "value", "within");
        // Half the full scale, in each sample format.
        QTest::newRow("16-bit mono")
            << wave(1, 1, 44100, 16, QByteArray("\x00\x40", 2), 100) << 100 << 16384 << 0;
        QTest::newRow("8-bit stereo") << wave(1, 2, 44100, 8, "\xc0", 100) << 100 << 16384 << 0;
        QTest::newRow("24-bit") << wave(1, 1, 44100, 24, QByteArray("\x00\x00\x40", 3), 100) << 100
                                << 16384 << 0;
        QTest::newRow("float") << wave(3, 1, 44100, 32, floatBytes(0.5f), 100) << 100 << 16384 << 0;
        QTest::newRow("22050 Hz doubles")
            << wave(1, 1, 22050, 16, QByteArray("\x00\x40", 2), 1000) << 2000 << 16384 << 16;
        QTest::newRow("full scale float is clipped")
            << wave(3, 1, 44100, 32, floatBytes(4.0f), 10) << 10 << 32767 << 0;
        // Made by sox (tests/fuzz/make_wave_seeds.sh): 800 frames at 8000 Hz,
        // the ADPCM ones padded to whole blocks.
        QTest::newRow("IMA ADPCM") << seed("ima-adpcm") << 5568 << 16384 << 330;
        QTest::newRow("MS ADPCM") << seed("ms-adpcm") << 5513 << 16384 << 330;
        QTest::newRow("mu-law") << seed("mu-law") << 4410 << 16384 << 520;
        QTest::newRow("A-law") << seed("a-law") << 4410 << 16384 << 520;
        QTest::newRow("8-bit at 8000 Hz") << seed("pcm8") << 4410 << 16384 << 16;
        QTest::newRow("3 channels at 48000 Hz") << seed("3ch-48000") << 882 << 16384 << 16;
    }
    void decodes() {
        const auto [file, frames, value, within] =
            test::fetch<QByteArray, int, int, int>("file", "frames", "value", "within");
        const auto samples = decodeWave(file);
        QVERIFY(samples);
        QCOMPARE(int(samples->size()), frames * PlaybackChannels);
        const std::size_t middle = std::size_t(frames / 2) * PlaybackChannels;
        for (std::size_t side : {middle, middle + 1})
            QVERIFY2(std::abs((*samples)[side] - value) <= within,
                     qPrintable(QString::number((*samples)[side])));
    }

    void refuses_data() {
        QTest::addColumn<QByteArray>("file");
        const QByteArray good = wave(1, 1, 44100, 16, QByteArray("\x00\x40", 2), 10);
        QTest::newRow("empty") << QByteArray();
        QTest::newRow("text") << QByteArray("not a sound at all");
        QTest::newRow("no data chunk") << good.left(36);
        QTest::newRow("compressed, no coding table") << wave(2, 1, 44100, 4, "\x11", 10);
        QTest::newRow("over ten minutes") << wave(1, 1, 1000, 8, "\x80", 600001);
        QTest::newRow("no channels") << wave(1, 0, 44100, 16, "\x11\x11", 10);
    }
    void refuses() {
        QFETCH(QByteArray, file);
        QVERIFY(!decodeWave(file));
    }
};

QTEST_MAIN(WaveDecoderTest)
#include "tst_wavedecoder.moc"
