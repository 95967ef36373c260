// SPDX-License-Identifier: GPL-3.0-or-later
// The event sounds against a real sound server: what the program plays is
// recorded from the sink's monitor and measured. Run by with_pulseaudio.sh
// and by with_pipewire.sh.
#include "platform/pulsesoundoutput.h"
#include "sound/soundwindow.h"
#include "support/gamewindows.h"

#include <QDataStream>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <cmath>
#include <csignal>
#include <thread>

using namespace krumlix;
using namespace std::chrono_literals;

namespace {

constexpr int Rate = 22050;

/// A mono 16-bit tone of `seconds`, written as a wave file; its first
/// `silent` seconds are silence.
void writeTone(const QString &path, double seconds, double silent = 0) {
    const int frames = static_cast<int>(seconds * Rate);
    const int quiet = static_cast<int>(silent * Rate);
    QByteArray data;
    QDataStream out(&data, QIODevice::WriteOnly);
    out.setByteOrder(QDataStream::LittleEndian);
    for (int i = 0; i < frames; ++i)
        out << static_cast<qint16>(i < quiet ? 0 : 12000 * std::sin(2 * M_PI * 440.0 * i / Rate));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QDataStream header(&file);
    header.setByteOrder(QDataStream::LittleEndian);
    header.writeRawData("RIFF", 4);
    header << quint32(36 + data.size());
    header.writeRawData("WAVEfmt ", 8);
    header << quint32(16) << quint16(1) << quint16(1) << quint32(Rate) << quint32(Rate * 2)
           << quint16(2) << quint16(16);
    header.writeRawData("data", 4);
    header << quint32(data.size());
    file.write(data);
}

/// Records the test sink's monitor while `action` runs, then for `tail`
/// milliseconds more; returns the seconds of audible sound, and in `onsets`
/// how often sound began after at least 40 ms of silence.
double audibleSeconds(const std::function<void()> &action, int tail, int *onsets = nullptr) {
    QProcess recorder;
    recorder.start(QStringLiteral("parec"),
                   {QStringLiteral("--device=") + qEnvironmentVariable("KRUMLIX_TEST_SINK") +
                        QStringLiteral(".monitor"),
                    QStringLiteral("--raw"), QStringLiteral("--format=s16le"),
                    QStringLiteral("--channels=1"), QStringLiteral("--rate=%1").arg(Rate),
                    QStringLiteral("--latency-msec=20")});
    if (!recorder.waitForStarted())
        return -1;
    // Recording has begun once the first samples arrive.
    if (!recorder.waitForReadyRead(5000))
        return -1;
    QTest::qWait(200);
    recorder.readAllStandardOutput();
    QByteArray bytes;
    QObject::connect(&recorder, &QProcess::readyReadStandardOutput, &recorder,
                     [&] { bytes += recorder.readAllStandardOutput(); });
    action();
    QTest::qWait(tail);
    recorder.terminate();
    recorder.waitForFinished();
    bytes += recorder.readAllStandardOutput();
    const auto *samples = reinterpret_cast<const qint16 *>(bytes.constData());
    const qsizetype count = bytes.size() / 2;
    // Audible: blocks of 10 ms whose peak stands clearly above silence.
    int loudBlocks = 0, quietBlocks = 4; // silence came before the action
    if (onsets)
        *onsets = 0;
    for (qsizetype block = 0; block + Rate / 100 <= count; block += Rate / 100) {
        int peak = 0;
        for (qsizetype i = block; i < block + Rate / 100; ++i)
            peak = std::max(peak, std::abs(static_cast<int>(samples[i])));
        const bool loud = peak > 1000;
        loudBlocks += loud ? 1 : 0;
        if (loud && quietBlocks >= 4 && onsets)
            ++*onsets;
        quietBlocks = loud ? 0 : quietBlocks + 1;
    }
    if (qEnvironmentVariableIsSet("KRUMLIX_TEST_ONSETS")) {
        QStringList onsets;
        bool loud = false;
        for (qsizetype block = 0; block + Rate / 100 <= count; block += Rate / 100) {
            int peak = 0;
            for (qsizetype i = block; i < block + Rate / 100; ++i)
                peak = std::max(peak, std::abs(static_cast<int>(samples[i])));
            if ((peak > 1000) != loud) {
                loud = !loud;
                onsets << QStringLiteral("%1%2").arg(loud ? "+" : "-").arg(block * 1000 / Rate);
            }
        }
        qInfo() << "recorded" << count * 1000 / Rate << "ms, changes at" << onsets;
    }
    return loudBlocks / 100.0;
}

struct PulseRig {
    QTemporaryDir dir;
    test::GameWindows w;
    PulseSoundOutput output;
    Platform platform{w.fake.counter,   w.fake.waiter, w.fake.keyboard, w.fake.messages,
                      w.fake.timeOfDay, w.fake.random, output,          w.fake.browser};
    AppContext context{w.shared, platform, w.errors, {}, {}};
    TSound sound{context, nullptr};
};

} // namespace

class SoundPulseTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() {
        if (qEnvironmentVariableIsEmpty("KRUMLIX_TEST_SINK"))
            QFAIL("run through with_pulseaudio.sh");
    }

    // An event sound is heard for about the length of its file, however
    // long: the server never holds the long one whole.
    void eventSoundIsHeard_data() {
        QTest::addColumn<int>("event");
        QTest::addColumn<double>("seconds");
        QTest::newRow("one second") << 2 << 1.0;
        QTest::newRow("30 s Intro") << 1 << 30.0;
    }
    void eventSoundIsHeard() {
        QFETCH(int, event);
        QFETCH(double, seconds);
        PulseRig rig;
        const QString tone = rig.dir.filePath(QStringLiteral("sound %1.wav").arg(event));
        writeTone(tone, seconds);
        rig.sound.setPath(event, tone.toLocal8Bit());
        QVERIFY(rig.output.settle(10s)); // loaded once, ahead of the first play
        QElapsedTimer clock;
        const double heard = audibleSeconds(
            [&] {
                clock.start();
                rig.sound.PlayEventSound(event);
                QVERIFY(clock.elapsed() < 20); // the call returns at once
            },
            int(seconds * 1000) + 800);
        QVERIFY2(heard > seconds - 0.2 && heard < seconds + 0.3,
                 qPrintable(QString::number(heard)));
    }

    // StopSound cuts a long sound off, and returns once the server has done
    // so; a new sound cuts it off at once, not after what the server holds.
    void stopCutsALongSoundOff_data() {
        QTest::addColumn<bool>("newSound");
        QTest::addColumn<int>("serverLateMs");
        QTest::addColumn<double>("least");
        QTest::addColumn<double>("most");
        QTest::newRow("StopSound") << false << 0 << 0.3 << 0.9;
        QTest::newRow("a new sound") << true << 0 << 0.6 << 1.05;
        // The server stopped for a while: StopSound waits for it.
        QTest::newRow("StopSound, the server late") << false << 400 << 0.3 << 1.6;
    }
    void stopCutsALongSoundOff() {
        QFETCH(bool, newSound);
        QFETCH(int, serverLateMs);
        QFETCH(double, least);
        QFETCH(double, most);
        PulseRig rig;
        const QString tone = rig.dir.filePath(QStringLiteral("long.wav"));
        writeTone(tone, 4.0);
        rig.sound.setPath(5, tone.toLocal8Bit());
        const QString shortTone = rig.dir.filePath(QStringLiteral("short.wav"));
        writeTone(shortTone, 0.3);
        rig.sound.setPath(6, shortTone.toLocal8Bit());
        QVERIFY(rig.output.settle(5s));
        const pid_t server = qEnvironmentVariableIntValue("KRUMLIX_TEST_SERVER_PID");
        QVERIFY(serverLateMs == 0 || server > 0);
        qint64 stopMs = -1;
        const double heard = audibleSeconds(
            [&] {
                rig.sound.PlayEventSound(5);
                QTest::qWait(500);
                if (newSound) {
                    rig.sound.PlayEventSound(6);
                    return;
                }
                std::thread resume;
                if (serverLateMs > 0) {
                    ::kill(server, SIGSTOP);
                    resume = std::thread([&] {
                        std::this_thread::sleep_for(std::chrono::milliseconds(serverLateMs));
                        ::kill(server, SIGCONT);
                    });
                }
                QElapsedTimer clock;
                clock.start();
                rig.sound.StopSound();
                stopMs = clock.elapsed();
                if (resume.joinable())
                    resume.join();
            },
            1500);
        QVERIFY2(heard > least && heard < most, qPrintable(QString::number(heard)));
        if (serverLateMs > 0)
            QVERIFY2(stopMs >= serverLateMs - 50, qPrintable(QString::number(stopMs)));
    }

    // Short sounds one after the other are each heard, however many: none is
    // held back by the server waiting for more samples than it has.
    void shortSoundsInARowAreEachHeard() {
        PulseRig rig;
        const QString tone = rig.dir.filePath(QStringLiteral("short.wav"));
        writeTone(tone, 0.1);
        rig.sound.setPath(4, tone.toLocal8Bit());
        QVERIFY(rig.output.settle(5s));
        constexpr int Plays = 20;
        int onsets = 0;
        const double heard = audibleSeconds(
            [&] {
                for (int i = 0; i < Plays; ++i) {
                    rig.sound.PlayEventSound(4);
                    QTest::qWait(250);
                }
            },
            500, &onsets);
        QCOMPARE(onsets, Plays);
        QVERIFY2(heard > 0.07 * Plays && heard < 0.15 * Plays, qPrintable(QString::number(heard)));
    }

    // A file replaced on disk while the game runs is played as it is now,
    // also when its size stayed the same.
    void aReplacedFileIsPlayedAsItIsNow_data() {
        QTest::addColumn<double>("seconds");
        QTest::addColumn<double>("silent");
        QTest::newRow("shorter") << 0.3 << 0.0;
        QTest::newRow("same size") << 1.0 << 0.7;
    }
    void aReplacedFileIsPlayedAsItIsNow() {
        QFETCH(double, seconds);
        QFETCH(double, silent);
        PulseRig rig;
        const QString tone = rig.dir.filePath(QStringLiteral("changing.wav"));
        writeTone(tone, 1.0);
        rig.sound.setPath(2, tone.toLocal8Bit());
        QVERIFY(rig.output.settle(5s));
        const double before = audibleSeconds([&] { rig.sound.PlayEventSound(2); }, 1500);
        QVERIFY2(before > 0.8 && before < 1.3, qPrintable(QString::number(before)));
        writeTone(tone, seconds, silent);
        const double after = audibleSeconds([&] { rig.sound.PlayEventSound(2); }, 1500);
        QVERIFY2(after > 0.2 && after < 0.5, qPrintable(QString::number(after)));
    }

    // With "Sound on" cleared no event is heard, while "Play" still plays.
    void soundOffSilencesEventsNotPlay() {
        PulseRig rig;
        const QString tone = rig.dir.filePath(QStringLiteral("half.wav"));
        writeTone(tone, 0.6);
        rig.sound.setPath(3, tone.toLocal8Bit());
        rig.sound.CheckBox1->setChecked(false);
        QVERIFY(rig.output.settle(5s));
        const double silent = audibleSeconds([&] { rig.sound.PlayEventSound(3); }, 1000);
        QCOMPARE(silent, 0.0);
        const double played = audibleSeconds([&] { rig.sound.playButton(3)->click(); }, 1000);
        QVERIFY2(played > 0.4 && played < 0.9, qPrintable(QString::number(played)));
    }
};

QTEST_MAIN(SoundPulseTest)
#include "tst_sound_pulse.moc"
