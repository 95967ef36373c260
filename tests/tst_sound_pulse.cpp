// SPDX-License-Identifier: GPL-3.0-or-later
// The event sounds against a real sound server: what the program plays is
// recorded from the sink's monitor and measured. Run by with_pulseaudio.sh
// and by with_pipewire.sh.
#include "platform/pulsesoundoutput.h"
#include "sound/soundwindow.h"
#include "support/datarows.h"
#include "support/gamewindows.h"
#include "support/tonefile.h"

#include <QElapsedTimer>
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

/// The two pitches of the test tones (tonefile.h), and their peak level.
constexpr double Low = 300, High = 1000;
constexpr int Level = 12000;

/// A mono tone of `seconds` at `hz`, after `lowFor` seconds at Low, written
/// as a wave file.
void writeTone(const QString &path, double seconds, double hz = Low, double lowFor = 0) {
    QVERIFY(!writeTones(path, 1, Rate, int(seconds * Rate), hz - Low, int(lowFor * Rate)).empty());
}

/// The share of a block's energy that lies at `hz`.
double shareAt(const qint16 *x, int n, double hz) {
    double re = 0, im = 0, energy = 0;
    for (int i = 0; i < n; ++i) {
        re += x[i] * std::cos(2 * M_PI * hz * i / Rate);
        im += x[i] * std::sin(2 * M_PI * hz * i / Rate);
        energy += double(x[i]) * x[i];
    }
    return energy > 0 ? 2 * (re * re + im * im) / (n * energy) : 0;
}

/// What a recording held, in blocks of 10 ms. A block counts as one of the
/// test tones only when that pitch carries most of its energy and its peak
/// is the tone's level: noise, a wrong sample format or a wrong volume is
/// not heard as the tone.
struct Heard {
    double seconds = 0; ///< of either tone
    int onsets = 0;     ///< a tone after at least 150 ms without one
    QString tones;      ///< the pitches in the order heard, each run of one as one letter
};

/// The resident memory of this process, in MiB.
double residentMb() {
    QFile status(QStringLiteral("/proc/self/status"));
    const QByteArray text = status.open(QIODevice::ReadOnly) ? status.readAll() : QByteArray();
    const qsizetype at = text.indexOf("VmRSS:");
    return at < 0 ? -1 : text.mid(at + 6, 16).trimmed().split(' ').value(0).toDouble() / 1024;
}

/// What `pactl ARGS` prints.
QByteArray pactl(const QStringList &args) {
    QProcess tool;
    tool.start(QStringLiteral("pactl"), args);
    tool.waitForFinished(5000);
    return tool.readAllStandardOutput();
}

/// Records the test sink's monitor while `action` runs, then for `tail`
/// milliseconds more.
Heard listen(const std::function<void()> &action, int tail) {
    QProcess recorder;
    recorder.start(QStringLiteral("parec"),
                   {QStringLiteral("--device=") + qEnvironmentVariable("KRUMLIX_TEST_SINK") +
                        QStringLiteral(".monitor"),
                    QStringLiteral("--raw"), QStringLiteral("--format=s16le"),
                    // The left side alone: a server mixes both sides down to
                    // one at a level of its own.
                    QStringLiteral("--channels=1"), QStringLiteral("--channel-map=left"),
                    QStringLiteral("--rate=%1").arg(Rate), QStringLiteral("--latency-msec=20")});
    Heard heard;
    // Recording has begun once the first samples arrive.
    if (!recorder.waitForStarted() || !recorder.waitForReadyRead(5000))
        return {-1, 0, {}};
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
    constexpr int Block = Rate / 100;
    // Silence came before the action. A gap shorter than 150 ms is left to
    // the server: a busy machine can starve the server itself that long.
    int quietBlocks = 15;
    for (qsizetype block = 0; block + Block <= bytes.size() / 2; block += Block) {
        int peak = 0;
        for (qsizetype i = block; i < block + Block; ++i)
            peak = std::max(peak, std::abs(static_cast<int>(samples[i])));
        QChar tone;
        if (std::abs(peak - Level) < Level / 8) {
            const double low = shareAt(samples + block, Block, Low);
            const double high = shareAt(samples + block, Block, High);
            tone = low > 0.5 ? QLatin1Char('L') : high > 0.5 ? QLatin1Char('H') : QChar();
        }
        heard.seconds += tone.isNull() ? 0 : 0.01;
        heard.onsets += !tone.isNull() && quietBlocks >= 15 ? 1 : 0;
        if (!tone.isNull() && !heard.tones.endsWith(tone))
            heard.tones += tone;
        quietBlocks = tone.isNull() ? quietBlocks + 1 : 0;
    }
    if (qEnvironmentVariableIsSet("KRUMLIX_TEST_ONSETS"))
        qInfo() << "heard" << heard.seconds << "s," << heard.onsets << "onsets:" << heard.tones;
    return heard;
}

struct PulseRig {
    QTemporaryDir dir;
    test::GameWindows w;
    PulseSoundOutput output{std::size_t(1) << 20}; // a sound over 6 s is read as it plays
    Platform platform{w.fake.counter,   w.fake.waiter, w.fake.keyboard, w.fake.messages,
                      w.fake.timeOfDay, w.fake.random, output,          w.fake.browser};
    AppContext context{w.shared, platform, w.errors, {}, {}};
    TSound sound{context, nullptr};

    /// Writes a tone as `name` and makes it event `e`'s sound; returns its path.
    QString tone(int e, const QString &name, double seconds, double hz = Low, double lowFor = 0) {
        const QString path = dir.filePath(name);
        writeTone(path, seconds, hz, lowFor);
        sound.setPath(e, path.toLocal8Bit());
        return path;
    }
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
    // long: the server never holds the long one whole, and a stall of the
    // whole program in the middle of it leaves no gap. A sound held whole
    // that changes after the first second is heard to change; a game that
    // started before its server is heard once the server is there.
    void eventSoundIsHeard_data() {
        test::columns<int, double, int, QString, bool>("event", "seconds", "stallMs", "tones",
                                                       "serverLater");
        QTest::newRow("one second") << 2 << 1.0 << 0 << "L" << false;
        QTest::newRow("8 s Intro, the program stalled at 3 s") << 1 << 8.0 << 500 << "L" << false;
        QTest::newRow("3 s held whole, low then high") << 2 << 3.0 << 0 << "LH" << false;
        QTest::newRow("the server started after the game") << 2 << 1.0 << 0 << "L" << true;
    }
    void eventSoundIsHeard() {
        const auto [event, seconds, stallMs, tones, serverLater] =
            test::fetch<int, double, int, QString, bool>("event", "seconds", "stallMs", "tones",
                                                         "serverLater");
        const QByteArray server = qgetenv("PULSE_SERVER");
        if (serverLater) // no server at first
            qputenv("PULSE_SERVER", "unix:" + QFile::encodeName(QDir::tempPath()) + "/none");
        PulseRig rig;
        rig.tone(event, QStringLiteral("sound %1.wav").arg(event), seconds,
                 tones == "LH" ? High : Low, seconds / 2);
        QVERIFY(rig.output.settle(10s)); // loaded once, ahead of the first play
        qputenv("PULSE_SERVER", server);
        if (serverLater) // a second between the game's attempts
            QTest::qWait(1100);
        QElapsedTimer clock;
        const Heard heard = listen(
            [&] {
                if (stallMs > 0) // stopped and continued from outside, as a busy machine does
                    QVERIFY(
                        std::system(qPrintable(
                            QStringLiteral("(sleep 3; kill -STOP %1; sleep %2; kill -CONT %1) &")
                                .arg(QCoreApplication::applicationPid())
                                .arg(stallMs / 1000.0))) == 0);
                clock.start();
                rig.sound.PlayEventSound(event);
                QVERIFY(clock.elapsed() < 20); // the call returns at once
            },
            int(seconds * 1000) + 800);
        QVERIFY2(std::abs(heard.seconds - seconds - 0.05) < 0.25, qPrintable(heard.tones));
        QCOMPARE(heard.onsets, 1);
        QCOMPARE(heard.tones, tones);
        // Soon after, the stream is paused, so the server stops running it.
        QTRY_VERIFY_WITH_TIMEOUT(pactl({"list", "sink-inputs"}).contains("Corked: yes"), 8000);
    }

    // StopSound cuts a long sound off, and returns once the server has done
    // so, or at once when the server does not answer; a new sound cuts it
    // off at once, not after what the server holds. A server that stops
    // reading while shots come as fast as keys repeat is handed one of them,
    // the newest waits, and the next sound is heard once the server is back.
    void stopCutsALongSoundOff_data() {
        test::columns<bool, int, int, double, double, QString>("newSound", "serverLateMs", "shots",
                                                               "least", "most", "tones");
        QTest::newRow("StopSound") << false << 0 << 0 << 0.3 << 0.9 << "L";
        QTest::newRow("a new sound") << true << 0 << 0 << 0.6 << 1.05 << "LH";
        // The server stopped for a while: the stop is heard once it is back.
        QTest::newRow("StopSound, the server late") << false << 600 << 0 << 0.3 << 1.6 << "L";
        QTest::newRow("shots, the server stopped") << true << 2100 << 60 << 1.0 << 4.0 << "LH";
    }
    void stopCutsALongSoundOff() {
        const auto [newSound, serverLateMs, shots, least, most, tones] =
            test::fetch<bool, int, int, double, double, QString>("newSound", "serverLateMs",
                                                                 "shots", "least", "most", "tones");
        PulseRig rig;
        rig.tone(5, QStringLiteral("long.wav"), 4.0);
        rig.tone(6, QStringLiteral("short.wav"), 0.3, High);
        QVERIFY(rig.output.settle(5s));
        const pid_t server = qEnvironmentVariableIntValue("KRUMLIX_TEST_SERVER_PID");
        QVERIFY(serverLateMs == 0 || server > 0);
        qint64 heldMs = 0; // the longest call
        double grownMb = 0;
        const auto timed = [&](const std::function<void()> &call) {
            QElapsedTimer clock;
            clock.start();
            call();
            heldMs = std::max(heldMs, clock.elapsed());
        };
        const Heard heard = listen(
            [&] {
                rig.sound.PlayEventSound(5);
                QTest::qWait(500);
                std::thread resume;
                if (serverLateMs > 0) {
                    ::kill(server, SIGSTOP);
                    resume = std::thread([&] {
                        std::this_thread::sleep_for(std::chrono::milliseconds(serverLateMs));
                        ::kill(server, SIGCONT);
                    });
                }
                const double before = residentMb();
                for (int shot = 0; shot < shots; ++shot) { // each hands on a second
                    timed([&] { rig.sound.PlayEventSound(5); });
                    QTest::qWait(30);
                }
                grownMb = residentMb() - before;
                if (shots > 0) {
                    resume.join();
                    QTest::qWait(500);
                }
                timed([&] { newSound ? rig.sound.PlayEventSound(6) : rig.sound.StopSound(); });
                if (resume.joinable())
                    resume.join();
            },
            1500);
        QVERIFY2(heard.seconds > least && heard.seconds < most,
                 qPrintable(QString::number(heard.seconds)));
        QCOMPARE(heard.tones, tones);
        // It does not wait for a server that does not answer.
        QVERIFY2(heldMs < 50, qPrintable(QString::number(heldMs)));
        QVERIFY2(grownMb < 2, qPrintable(QString::number(grownMb)));
    }

    // Every sound is heard, cutting the last one off early, late or as it runs
    // out, or after it: two pitches in turn, so a lost one shows as one twice.
    void soundsInARowAreEachHeard() {
        PulseRig rig;
        constexpr double Length = 0.3;
        for (int e : {2, 3})
            rig.tone(e, QStringLiteral("%1.wav").arg(e), Length, e == 2 ? Low : High);
        QVERIFY(rig.output.settle(5s));
        // Spacings in lengths of the sound.
        constexpr double Spacings[] = {0.25, 0.33, 0.5,  0.67, 0.8,  0.9, 0.94, 0.97, 0.99, 1.0,
                                       1.01, 1.03, 1.06, 1.1,  1.15, 1.2, 1.3,  1.5,  2.0,  2.5};
        QString expected;
        const Heard heard = listen(
            [&] {
                for (int round = 0; round < 3; ++round)
                    for (double spacing : Spacings) {
                        rig.sound.PlayEventSound(expected.size() % 2 ? 3 : 2);
                        expected += expected.size() % 2 ? QLatin1Char('H') : QLatin1Char('L');
                        QTest::qWait(int(spacing * Length * 1000));
                    }
            },
            500);
        QCOMPARE(heard.tones, expected);
    }

    // A file replaced on disk while the game runs is played as it is now,
    // also when its size stayed the same.
    void aReplacedFileIsPlayedAsItIsNow_data() {
        QTest::addColumn<double>("seconds");
        QTest::addColumn<double>("hz");
        QTest::newRow("shorter") << 0.3 << Low;
        QTest::newRow("same size, another pitch") << 1.0 << High;
    }
    void aReplacedFileIsPlayedAsItIsNow() {
        QFETCH(double, seconds);
        QFETCH(double, hz);
        PulseRig rig;
        const QString tone = rig.tone(2, QStringLiteral("changing.wav"), 1.0);
        QVERIFY(rig.output.settle(5s));
        const Heard before = listen([&] { rig.sound.PlayEventSound(2); }, 1500);
        QVERIFY2(before.seconds > 0.8 && before.seconds < 1.3, qPrintable(before.tones));
        writeTone(tone, seconds, hz);
        const Heard after = listen([&] { rig.sound.PlayEventSound(2); }, 1500);
        QCOMPARE(after.tones, hz == Low ? QStringLiteral("L") : QStringLiteral("H"));
        QVERIFY2(std::abs(after.seconds - seconds) < 0.2, qPrintable(after.tones));
    }

    // With "Sound on" cleared no event is heard, while "Play" still plays.
    void soundOffSilencesEventsNotPlay() {
        PulseRig rig;
        rig.tone(3, QStringLiteral("half.wav"), 0.6);
        rig.sound.CheckBox1->setChecked(false);
        QVERIFY(rig.output.settle(5s));
        const double silent = listen([&] { rig.sound.PlayEventSound(3); }, 1000).seconds;
        QCOMPARE(silent, 0.0);
        const double played = listen([&] { rig.sound.playButton(3)->click(); }, 1000).seconds;
        QVERIFY2(played > 0.4 && played < 0.9, qPrintable(QString::number(played)));
    }
};

QTEST_MAIN(SoundPulseTest)
#include "tst_sound_pulse.moc"
