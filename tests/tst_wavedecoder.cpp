// SPDX-License-Identifier: GPL-3.0-or-later
// Wave files of every common kind come out in the playback format.
#include "platform/wavedecoder.h"

#include <QTest>

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
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<int>("frames");
        QTest::addColumn<int>("value"); // of the middle sample, both sides
        // Half the full scale, in each sample format.
        QTest::newRow("16-bit mono")
            << wave(1, 1, 44100, 16, QByteArray("\x00\x40", 2), 100) << 100 << 16384;
        QTest::newRow("8-bit stereo") << wave(1, 2, 44100, 8, "\xc0", 100) << 100 << 16384;
        QTest::newRow("24-bit") << wave(1, 1, 44100, 24, QByteArray("\x00\x00\x40", 3), 100) << 100
                                << 16384;
        QTest::newRow("float") << wave(3, 1, 44100, 32, floatBytes(0.5f), 100) << 100 << 16384;
        QTest::newRow("22050 Hz doubles")
            << wave(1, 1, 22050, 16, QByteArray("\x00\x40", 2), 100) << 199 << 16384;
        QTest::newRow("full scale float is clipped")
            << wave(3, 1, 44100, 32, floatBytes(4.0f), 10) << 10 << 32767;
    }
    void decodes() {
        QFETCH(QByteArray, file);
        QFETCH(int, frames);
        QFETCH(int, value);
        const auto samples = decodeWave(file);
        QVERIFY(samples);
        QCOMPARE(int(samples->size()), frames * PlaybackChannels);
        const std::size_t middle = std::size_t(frames / 2) * PlaybackChannels;
        QCOMPARE(int((*samples)[middle]), value);
        QCOMPARE(int((*samples)[middle + 1]), value);
    }

    void refuses_data() {
        QTest::addColumn<QByteArray>("file");
        const QByteArray good = wave(1, 1, 44100, 16, QByteArray("\x00\x40", 2), 10);
        QTest::newRow("empty") << QByteArray();
        QTest::newRow("text") << QByteArray("not a sound at all");
        QTest::newRow("no data chunk") << good.left(36);
        QTest::newRow("compressed") << wave(2, 1, 44100, 4, "\x11", 10);
        QTest::newRow("12-bit") << wave(1, 1, 44100, 12, "\x11\x11", 10);
        QTest::newRow("no channels") << wave(1, 0, 44100, 16, "\x11\x11", 10);
    }
    void refuses() {
        QFETCH(QByteArray, file);
        QVERIFY(!decodeWave(file));
    }
};

QTEST_MAIN(WaveDecoderTest)
#include "tst_wavedecoder.moc"
