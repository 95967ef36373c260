// SPDX-License-Identifier: GPL-3.0-or-later
// The decoded sounds kept within their bound, and long files streamed with
// the samples the whole-file decoding gives; real files in a temporary folder.
#include "platform/soundstore.h"
#include "platform/wavestream.h"
#include "support/datarows.h"
#include "support/tonefile.h"

#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTest>

#include <thread>

using namespace krumlix;
using namespace std::chrono_literals;
using namespace Qt::StringLiterals;

namespace {

using Sides = QList<QList<int>>;
/// The samples of a file of 10000 stereo frames at the playback rate.
constexpr std::size_t UnitBytes = 10000 * PlaybackChannels * sizeof(std::int16_t);

QStringList warnings;

void capture(QtMsgType type, const QMessageLogContext &context, const QString &message) {
    if (type == QtWarningMsg && QByteArray(context.category) == "krumlix.sound")
        warnings << message;
}

struct Keeping {
    QByteArray events, plays, held;
    QByteArray streamed = {}; ///< none unless given
};

} // namespace

class SoundStoreTest : public QObject {
    Q_OBJECT
    QTemporaryDir dir_;

    QByteArray path(const QString &name) const { return QFile::encodeName(dir_.filePath(name)); }
    /// A file of one unit, a tone of its own; "L" is larger than three.
    QByteArray unit(char name) const { return path(QStringLiteral("%1.wav").arg(name)); }

private slots:
    void initTestCase() {
        QVERIFY(dir_.isValid());
        for (char name : QByteArray("abcdef"))
            QVERIFY(
                !writeTones(QFile::decodeName(unit(name)), 2, PlaybackRate, 10000, name).empty());
        QVERIFY(!writeTones(QFile::decodeName(unit('L')), 2, PlaybackRate, 40000).empty());
        qInstallMessageHandler(capture);
    }

    void keeps_data() {
        QTest::addColumn<Keeping>("row");
        // Room for three files.
        QTest::newRow("the least recently played goes first") << Keeping{{}, "abcad"_ba, "acd"_ba};
        QTest::newRow("event files are kept before others")
            << Keeping{"ab"_ba, "abcdef"_ba, "abf"_ba};
        QTest::newRow("an event file lets the others go first")
            << Keeping{"abc"_ba, "defabc"_ba, "abc"_ba};
        QTest::newRow("among event files the least recently played goes first")
            << Keeping{"abcd"_ba, "abcda"_ba, "acd"_ba};
        QTest::newRow("too large to hold: streamed, nothing let go")
            << Keeping{{}, "abL"_ba, "ab"_ba, "L"_ba};
        QTest::newRow("a file that fits only in event files' room is streamed")
            << Keeping{"abc"_ba, "abcd"_ba, "abc"_ba, "d"_ba};
    }
    void keeps() {
        const auto [events, plays, held, streamed] = test::fetch<Keeping>("row");
        SoundStore store(3 * UnitBytes);
        std::set<QByteArray> eventFiles;
        for (char name : events)
            eventFiles.insert(unit(name));
        store.setEventFiles(eventFiles);
        QByteArray streamedNow, heldNow;
        for (char name : plays) {
            const SoundStore::Sound sound = store.sound(unit(name));
            QVERIFY(sound.stream != bool(sound.samples));
            streamedNow += sound.stream ? QByteArray(1, name) : QByteArray();
            QVERIFY(store.heldBytes() <= 3 * UnitBytes);
        }
        for (char name : QByteArray("abcdefL"))
            heldNow += store.holds(unit(name)) ? QByteArray(1, name) : QByteArray();
        QCOMPARE(heldNow, held);
        QCOMPARE(streamedNow, streamed);
        QCOMPARE(store.heldBytes(), std::size_t(held.size()) * UnitBytes);
    }

    void warnsOnceForEachStateOfAFile() {
        SoundStore store;
        const QByteArray file = path(QStringLiteral("changing.wav"));
        const auto warned = [&](const QByteArray &played, int times) {
            const qsizetype before = warnings.size();
            for (int i = 0; i < times; ++i)
                store.sound(played);
            return warnings.size() - before;
        };
        QFile text(QFile::decodeName(file));
        QVERIFY(text.open(QIODevice::WriteOnly) && text.write("no sound") && text.flush());
        QCOMPARE(warned(file, 3), 1);
        QCOMPARE(warnings.last(),
                 QStringLiteral("the wave file \"%1\" cannot be played: \"no RIFF wave file\"")
                     .arg(QFile::decodeName(file)));
        QVERIFY(text.write(" still") && text.flush()); // another size, another state
        QCOMPARE(warned(file, 2), 1);
        QCOMPARE(warned(path(QStringLiteral("missing.wav")), 2), 1);
        // A stream of it fails the same way.
        WaveStream stream(file);
        QVERIFY(stream.waitFor(1, 5s) && stream.ended());
        QCOMPARE(stream.failure(), QStringLiteral("no RIFF wave file"));

        // A file that changes is decoded again.
        for (int frames : {100, 300}) {
            QVERIFY(!writeTones(QFile::decodeName(file), 1, PlaybackRate, frames).empty());
            const SoundStore::Sound sound = store.sound(file);
            QVERIFY(sound.samples);
            QCOMPARE(sound.samples->size(), std::size_t(frames) * PlaybackChannels);
            QCOMPARE(store.heldBytes(), sound.samples->size() * sizeof(std::int16_t));
        }
    }

    // A decoding interrupted every 10 ms goes on where it stopped: the file
    // comes whole for about the work of one decoding.
    void goesOnWithAnInterruptedDecoding() {
        // A minute at another rate: far longer to decode than 10 ms.
        const QByteArray file = path(QStringLiteral("long.wav"));
        QVERIFY(!writeTones(QFile::decodeName(file), 2, 22050, 22050 * 60).empty());
        const auto cpuSeconds = [] {
            timespec t{};
            clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
            return double(t.tv_sec) + double(t.tv_nsec) / 1e9;
        };
        double start = cpuSeconds();
        QVERIFY(SoundStore().sound(file).samples);
        const double whole = cpuSeconds() - start;
        SoundStore store;
        SoundStore::Sound sound;
        QElapsedTimer clock;
        clock.start();
        start = cpuSeconds();
        while (!sound.samples && clock.elapsed() < 10000) {
            std::stop_source stop;
            std::jthread asker([&] {
                std::this_thread::sleep_for(10ms);
                stop.request_stop();
            });
            sound = store.sound(file, stop.get_token());
            QVERIFY(sound.samples || sound.cancelled);
        }
        QVERIFY(sound.samples);
        QCOMPARE_LE(cpuSeconds() - start, 2 * whole);
    }

    void streamsTheSamplesOfTheWholeFile_data() {
        test::columns<int, int, Sides>("channels", "rate", "sides"); // mixed into left, right
        for (int rate : {PlaybackRate, 22050}) {
            QTest::addRow("mono, %d Hz", rate) << 1 << rate << Sides{{0}, {0}};
            QTest::addRow("stereo, %d Hz", rate) << 2 << rate << Sides{{0}, {1}};
            QTest::addRow("3 channels, %d Hz", rate) << 3 << rate << Sides{{0, 2}, {1}};
            QTest::addRow("5 channels, %d Hz", rate) << 5 << rate << Sides{{0, 2, 4}, {1, 3}};
        }
    }
    void streamsTheSamplesOfTheWholeFile() {
        const auto [channels, rate, sides] =
            test::fetch<int, int, Sides>("channels", "rate", "sides");
        const QString file = dir_.filePath(QStringLiteral("tones.wav"));
        const std::vector<std::int16_t> written = writeTones(file, channels, rate, rate * 3 / 2);
        QVERIFY(!written.empty());
        QFile read(file);
        QVERIFY(read.open(QIODevice::ReadOnly));
        const auto whole = decodeWave(read.readAll());
        QVERIFY(whole);

        // Taken in odd amounts through a small ring, so that it wraps and
        // the reader waits for room.
        std::vector<std::int16_t> streamed;
        WaveStream stream(QFile::encodeName(file), 5000);
        std::int16_t piece[777];
        for (int rounds = 0; !stream.ended() && rounds < 100000; ++rounds) {
            stream.waitFor(std::size(piece), 5s);
            const std::size_t n = stream.take(piece, std::size(piece));
            streamed.insert(streamed.end(), piece, piece + n);
        }
        QVERIFY(stream.failure().isEmpty());
        QCOMPARE(streamed.size(), whole->size());
        QVERIFY(streamed == *whole);
        {
            WaveStream leftEarly(QFile::encodeName(file), 5000);
            QVERIFY(leftEarly.waitFor(5000, 5s)); // its reader now waits for room
        }

        if (rate != PlaybackRate)
            return;
        for (std::size_t f = 0; f < written.size() / std::size_t(channels); f += 97)
            for (std::size_t side = 0; side < 2; ++side) {
                double mixed = 0;
                for (int c : sides[side])
                    mixed += written[f * std::size_t(channels) + std::size_t(c)];
                QCOMPARE_LE(std::abs((*whole)[f * 2 + side] - mixed / sides[side].size()), 1.0);
            }
    }
};

QTEST_GUILESS_MAIN(SoundStoreTest)
#include "tst_soundstore.moc"
