// SPDX-License-Identifier: GPL-3.0-or-later
// The program started on damaged or missing files: it reaches its menu with
// the game's message, a run can be played, and a damaged file is left as it
// was until the player saves over it.
#include "faults/faultrig.h"
#include "highscore/clearscores.h"
#include "highscore/highscorefile.h"
#include "platform/emergencyrestore.h"
#include "platform/systemplatform.h"
#include "platform/textfile.h"
#include "settings/savednotice.h"
#include "settings/settingsfile.h"
#include "sound/soundwindow.h"
#include "support/gamewindows.h"

#include <QElapsedTimer>
#include <QTest>

#include <sys/resource.h>
#include <sys/stat.h>

#include <random>
#include <thread>

using namespace krumlix;

namespace {

QByteArray randomBytes(int size, unsigned seed) {
    std::mt19937 random(seed);
    QByteArray bytes(size, Qt::Uninitialized);
    for (char &c : bytes)
        c = static_cast<char>(random() & 0xFF);
    return bytes;
}

/// The message for a line that is no number, the line as the player would
/// read it (its bytes as Latin-1).
QString notInteger(const QByteArray &line) {
    return QStringLiteral("'%1' is not a valid integer value").arg(QString::fromLatin1(line));
}

/// Whether `told` is the message for `line`; a long line may be shown
/// shortened, its start kept.
bool saysNotInteger(const QString &told, const QByteArray &line) {
    const QString whole = notInteger(line);
    if (whole.size() <= 100)
        return told == whole;
    const QString end = QStringLiteral("' is not a valid integer value");
    return told.startsWith(whole.left(60)) && told.endsWith(end);
}

/// The text up to the first line end.
QByteArray firstLine(const QByteArray &bytes) {
    qsizetype end = 0;
    while (end < bytes.size() && bytes.at(end) != '\r' && bytes.at(end) != '\n')
        ++end;
    return bytes.left(end);
}

enum Content { Missing, Empty, Random, OneLongLine, Folder, ShortRandom, MegabyteLine, BelowZero };

/// Puts `content` in place of `name` in the game folder; returns the bytes
/// it holds (nothing for a missing file or a folder).
QByteArray place(test::GameWindows &w, const QString &name, int content) {
    QFile::remove(w.folder.path(name));
    if (content == Folder)
        QDir(w.folder.dir.path()).mkpath(name + QStringLiteral("/inside"));
    if (content == Folder || content == Missing)
        return {};
    std::array<HighScoreEntry, 10> table; // the shipped one, its last entry with -5 points
    table.fill(DefaultEntry());
    table[9][HighScoreEntry::RunScore] = -5;
    const int randomSize = name == QLatin1String("tarvil.hig") ? 2520 : 4096;
    const QByteArray bytes = content == Random         ? randomBytes(randomSize, 7)
                             : content == ShortRandom  ? randomBytes(1000, 11)
                             : content == OneLongLine  ? QByteArray(10 * 1024 * 1024, '7')
                             : content == MegabyteLine ? QByteArray(1024 * 1024, '7')
                             : content == BelowZero    ? encodeHighScores(table.data())
                                                       : QByteArray();
    w.folder.write(name, bytes);
    return bytes;
}

/// What is at `name` now: its bytes, "(missing)" or "(folder)".
QByteArray whatIsAt(test::GameWindows &w, const QString &name) {
    const QFileInfo info(w.folder.path(name));
    if (info.isDir())
        return QByteArrayLiteral("(folder)");
    return test::fileBytes(info.filePath()).value_or(QByteArrayLiteral("(missing)"));
}

/// Starts the program as its entry point does (the game window shown; its
/// activation loads the settings and opens the menu) and plays: `atStart`
/// runs in the first menu, then a run is played to its end, and `afterRun`
/// runs in the menu that follows; then the player quits. Any other window
/// that opens by itself is closed and its name kept in `others`. Returns how
/// many menus were seen.
int startPlayAndQuit(test::GameWindows &w, const std::function<void()> &atStart,
                     const std::function<void()> &afterRun, QStringList *others = nullptr) {
    int menus = 0;
    std::function<void(QWidget *)> onModal;
    onModal = [&](QWidget *modal) {
        if (modal != &w.menu()) {
            if (others)
                *others << modal->objectName();
            static_cast<QDialog *>(modal)->done(0);
            test::whenModal(onModal);
            return;
        }
        ++menus;
        QTRY_COMPARE(w.shared.CloseMode, CloseModes::MenuInCharge); // the activation
        if (menus == 1) {
            atStart();
            QTest::keyClick(modal, Qt::Key_Return);
        } else {
            afterRun();
            w.menu().Button6Click();
        }
    };
    test::whenModal(onModal);
    w.game().show();
    if (!QTest::qWaitFor([&] { return menus == 1 && w.shared.GameState == GamePhase::AfterRun; },
                         20000))
        return menus;
    test::whenModal(onModal);
    QTest::keyClick(&w.game(), Qt::Key_Return); // the after-run screen's Enter
    return menus;
}

} // namespace

class BadStartTest : public QObject {
    Q_OBJECT
private slots:
    // A damaged "setup.ini": the message for its first line, the menu up,
    // a run played, the file left as it was; "Save settings" then writes a
    // whole one that loads without a word. A missing one is written afresh.
    void settingsFile_data() {
        test::columns<int, bool>("content", "keptUntilSaved");
        QTest::newRow("random bytes") << int(Random) << true;
        // Far larger than any settings file: not read at all.
        QTest::newRow("one 10 MB line") << int(OneLongLine) << true;
        QTest::newRow("0 bytes") << int(Empty) << true;
        QTest::newRow("missing") << int(Missing) << false;
    }
    void settingsFile() {
        const auto [content, keptUntilSaved] = test::fetch<int, bool>("content", "keptUntilSaved");
        const bool cannotOpen = content == Missing || content == OneLongLine;
        test::GameWindows w;
        const QString name = QStringLiteral("setup.ini");
        const QByteArray bytes = place(w, name, content);
        QByteArray atMenu;
        const int menus = startPlayAndQuit(
            w,
            [&] {
                QCOMPARE(w.fake.messages.texts.size(), 1);
                const QString &told = w.fake.messages.texts.first();
                if (cannotOpen)
                    QCOMPARE(told, QStringLiteral("Cannot open file setup.ini"));
                else
                    QVERIFY2(saysNotInteger(told, firstLine(bytes)), qPrintable(told.left(200)));
                QCOMPARE(w.shared.CloseMode, CloseModes::MenuInCharge);
                atMenu = whatIsAt(w, name);
            },
            [&] {
                QCOMPARE(w.fake.messages.texts.size(), 1);
                if (keptUntilSaved)
                    QCOMPARE(whatIsAt(w, name), bytes);
                // The player saves: a whole file of 51 lines.
                test::answerModal<QDialog>([](QDialog &) {});
                w.errors.guard([&] { w.menu().Button8Click(); });
            });
        QCOMPARE(menus, 2);
        QCOMPARE(w.programEnds, 1);
        if (keptUntilSaved) {
            QCOMPARE(atMenu, bytes);
        } else { // the defaults, written at the first start
            QCOMPARE(splitTextLines(atMenu).size(), SettingsLineCount);
        }
        QCOMPARE(w.fake.messages.texts.size(), 1);
        const QList<QByteArray> saved = splitTextLines(whatIsAt(w, name));
        QCOMPARE(saved, currentSettingsLines(w.context));
        QCOMPARE(saved.size(), SettingsLineCount);
        w.errors.guard([&] { applySettingsFile(w.context); });
        QCOMPARE(w.fake.messages.texts.size(), 1);
    }

    // A damaged or missing "tarvil.hig": its message at start and again
    // after the run, the menu usable, nothing written over it before a run
    // has entered it; "Clear scores" then writes the cleared table (not over
    // a folder). No window but the menu opens at start: there is no run to
    // enter yet. After the run of 0 points, a table with scores below zero
    // takes it.
    void highScoreFile_data() {
        test::columns<int, QString, bool>("content", "message", "runEnters"); // "": no message
        QTest::newRow("random bytes") << int(Random) << QString() << true;
        QTest::newRow("a score below zero") << int(BelowZero) << QString() << true;
        QTest::newRow("1000 random bytes")
            << int(ShortRandom) << "Read beyond end of file" << false;
        QTest::newRow("0 bytes") << int(Empty) << "Read beyond end of file" << false;
        QTest::newRow("missing") << int(Missing) << "File not found" << false;
        QTest::newRow("a folder") << int(Folder) << "File access denied" << false;
    }
    void highScoreFile() {
        const auto [content, message, runEnters] =
            test::fetch<int, QString, bool>("content", "message", "runEnters");
        test::GameWindows w;
        const QString name = QStringLiteral("tarvil.hig");
        place(w, name, content);
        const QByteArray before = whatIsAt(w, name);
        const QStringList once = message.isEmpty() ? QStringList() : QStringList{message};
        QStringList others;
        const int menus = startPlayAndQuit(
            w,
            [&] {
                QCOMPARE(others, QStringList());
                QCOMPARE(w.fake.messages.texts, once);
                QCOMPARE(w.shared.CloseMode, CloseModes::MenuInCharge);
                if (content == Random) { // any 32-bit values: the table shows them
                    HighScoreEntry entries[10];
                    decodeHighScores(before, entries);
                    for (int r = 1; r <= 10; ++r)
                        QCOMPARE(w.menu().pointsLabel(r)->text(),
                                 QString::number(entries[r - 1][HighScoreEntry::RunScore]));
                }
                QCOMPARE(whatIsAt(w, name), before);
            },
            [&] {
                QCOMPARE(w.fake.messages.texts, once + once);
                if (runEnters) { // the name asked for, the table saved with the run in it
                    QCOMPARE(others, QStringList{"Form6"});
                    const int rank = w.shared.NewEntryRank;
                    QVERIFY(rank >= 1 && rank <= 10);
                    HighScoreEntry saved[10];
                    QCOMPARE(decodeHighScores(whatIsAt(w, name), saved), HighScoreFileSize / 4);
                    QCOMPARE(saved[rank - 1][HighScoreEntry::RunScore], 0);
                } else {
                    QCOMPARE(others, QStringList());
                    QCOMPARE(whatIsAt(w, name), before);
                }
                // The player clears the scores.
                test::answerModal<TForm7>([](TForm7 &clear) { clear.Button1->click(); });
                w.menu().Button9Click();
            },
            &others);
        QCOMPARE(menus, 2);
        if (content == Folder) {
            QCOMPARE(w.fake.messages.texts, once + once + once);
            QCOMPARE(whatIsAt(w, name), before);
        } else {
            QCOMPARE(w.fake.messages.texts, once + once);
            std::array<HighScoreEntry, 10> cleared;
            cleared.fill(DefaultEntry());
            QCOMPARE(whatIsAt(w, name), encodeHighScores(cleared.data()));
        }
    }

    // A "default.snd" of random bytes: the start reads no scheme; picking it
    // in the sound window gives the message for its first flag line, the
    // window goes on, the file stays until the scheme is saved over it.
    void schemeFileOfRandomBytes() {
        test::GameWindows w;
        TSound &sound = *w.context.windows.Sound;
        sound.SaveDialog1 = std::make_unique<test::ScriptedChooser>(QStringLiteral("default.snd"));
        const QByteArray bytes = place(w, QStringLiteral("default.snd"), Random);
        const QList<QByteArray> lines = splitTextLines(bytes);
        const int menus = startPlayAndQuit(
            w,
            [&] {
                QCOMPARE(w.fake.messages.texts, QStringList());
                test::answerModal<TSound>([&](TSound &modal) {
                    QCOMPARE(&modal, &sound);
                    sound.ComboBox1->setCurrentIndex(0); // picked from the list
                    QCOMPARE(sound.ComboBox1->currentText(), QStringLiteral("default.snd"));
                    emit sound.ComboBox1->activated(0);
                    QCOMPARE(w.fake.messages.texts.size(), 1);
                    QVERIFY(saysNotInteger(w.fake.messages.texts.first(), lineAt(lines, 12)));
                    for (int e = 1; e <= 12; ++e)
                        QCOMPARE(sound.path(e), lineAt(lines, e - 1));
                    const qsizetype played = w.fake.sound.played.size();
                    sound.playButton(3)->click();
                    QCOMPARE(w.fake.sound.played.size(), played + 1);
                });
                w.menu().Button2Click();
                QCOMPARE(whatIsAt(w, QStringLiteral("default.snd")), bytes);
            },
            [&] {
                QCOMPARE(whatIsAt(w, QStringLiteral("default.snd")), bytes);
                test::answerModal<TSound>([](TSound &sound) { sound.Button13->click(); });
                w.menu().Button2Click();
            });
        QCOMPARE(menus, 2);
        QCOMPARE(w.fake.messages.texts.size(), 1);
        const QList<QByteArray> saved = splitTextLines(whatIsAt(w, QStringLiteral("default.snd")));
        QCOMPARE(saved.size(), 24);
        QCOMPARE(saved.mid(0, 12), lines.mid(0, 12));
    }

    // A settings, scheme or high-score name that leads to no regular file,
    // or a settings or scheme name that leads to one far larger than any
    // such file, is not read: the player is told at once that it cannot be
    // opened (the high scores: as for a file they may not read), and
    // nothing of it is applied. (In a child process with little memory, so
    // that a fault ends there.)
    void onlyRegularFilesOfSensibleSizeAreRead_data() {
        // file: 0 settings, 1 scheme, 2 high scores; target: what the name leads to
        test::columns<int, QString, bool>("file", "target", "read");
        for (int file : {0, 1, 2}) {
            const char *name = std::array{"settings", "scheme", "high scores"}[file];
            QTest::addRow("%s: endless device", name) << file << "/dev/zero" << false;
            QTest::addRow("%s: pipe without a writer", name) << file << "(pipe)" << false;
            if (file == 2)
                break;
            QTest::addRow("%s: 1 MiB and a byte", name) << file << "(1 MiB + 1)" << false;
            QTest::addRow("%s: 1 MiB", name) << file << "(1 MiB)" << true;
        }
    }
    void onlyRegularFilesOfSensibleSizeAreRead() {
        const auto [file, target, read] = test::fetch<int, QString, bool>("file", "target", "read");
        const bool scheme = file == 1;
        test::GameWindows w;
        TSound &sound = *w.context.windows.Sound;
        ::chmod(QFile::encodeName(w.folder.dir.path()).constData(), 0705);
        const QString name = QStringList{"setup.ini", "odd.snd", "tarvil.hig"}.at(file);
        const QString path = w.folder.path(name);
        QFile::remove(path);
        if (target == QLatin1String("(pipe)")) {
            QVERIFY(::mkfifo(QFile::encodeName(path).constData(), 0644) == 0);
        } else if (target.startsWith(QLatin1String("(1 MiB"))) {
            // A first line "x", then one long line up to the size.
            QByteArray bytes("x\r\n");
            bytes += QByteArray(1024 * 1024 - bytes.size(), 'p');
            if (target.contains(QLatin1Char('+')))
                bytes += 'p';
            QFile f(path);
            QVERIFY(f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size());
            f.close();
            QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadOther);
        } else {
            QVERIFY(QFile::link(target, path));
        }
        const QByteArray pathBefore = sound.path(1);
        const std::optional<QString> told = test::asOtherUser([&] {
            // Room for the file and far more, not for bytes without end.
            QFile statm(QStringLiteral("/proc/self/statm"));
            if (statm.open(QIODevice::ReadOnly)) {
                const rlim_t mapped = statm.readAll().split(' ').value(0).toULongLong() *
                                      rlim_t(::sysconf(_SC_PAGESIZE));
                const rlimit memory{mapped + (rlim_t{256} << 20), mapped + (rlim_t{256} << 20)};
                ::setrlimit(RLIMIT_AS, &memory);
            }
            if (scheme) {
                sound.ComboBox1->setEditText(name);
                w.errors.guard([&] { sound.ComboBox1Change(); });
            } else if (file == 2) {
                w.errors.guard([&] { LoadHighScores(w.shared); });
            } else {
                w.errors.guard([&] { applySettingsFile(w.context); });
            }
            return w.fake.messages.texts.join(QLatin1Char('\n')) + QLatin1Char('|') +
                   QString::fromLocal8Bit(scheme ? sound.path(1) : QByteArray());
        });
        QVERIFY2(told, "the read did not end within seconds");
        const QString message = told->section(QLatin1Char('|'), 0, 0);
        const QString firstPath = told->section(QLatin1Char('|'), 1);
        if (read) { // read whole: the settings stop at line 0, the scheme at line 12
            QCOMPARE(message, scheme ? QStringLiteral("'' is not a valid integer value")
                                     : QStringLiteral("'x' is not a valid integer value"));
            if (scheme)
                QCOMPARE(firstPath, QStringLiteral("x"));
        } else {
            QCOMPARE(message, file == 2 ? QStringLiteral("File access denied")
                                        : QStringLiteral("Cannot open file ") + name);
            if (scheme)
                QCOMPARE(firstPath, QString::fromLocal8Bit(pathBefore));
        }
    }

    // SIGTERM and SIGINT end the program even while it is stuck in a call
    // that does not return (the open of a named pipe that no one writes), and
    // SIGKILL while a child of its own lives on holding the link to the
    // keeper: each time the keeper puts the player's keyboard repeat back and
    // ends. The program is a child process whose keeper's keyboard tells the
    // repeat it is set to.
    void signalEndsAStuckProgram_data() {
        QTest::addColumn<int>("sig");
        QTest::newRow("SIGTERM") << SIGTERM;
        QTest::newRow("SIGINT") << SIGINT;
        QTest::newRow("SIGKILL, a child lives on") << SIGKILL;
    }
    void signalEndsAStuckProgram() {
        QFETCH(int, sig);
        test::TempGameDir dir;
        const QByteArray fifo = QFile::encodeName(dir.path(QStringLiteral("tarvil.hig")));
        static int told[2];
        int childLives[2];
        QVERIFY(::mkfifo(fifo.constData(), 0600) == 0 && ::pipe(told) == 0 &&
                ::pipe(childLives) == 0);
        const pid_t child = ::fork();
        if (child == 0) {
            ::close(childLives[1]);
            const EmergencyRestore::Keyboard keyboard{
                [](RepeatRate &rate) {
                    rate = RepeatRate{600, 40};
                    return 0;
                },
                [](const RepeatRate &rate) {
                    return ::write(told[1], &rate, sizeof rate) == sizeof rate ? 0 : 1;
                }};
            EmergencyRestore::startKeeper([&](int link) { EmergencyRestore::keep(link, keyboard); },
                                          {told[1]});
            ::close(told[1]);
            EmergencyRestore::installHandlers();
            RepeatRate saved;
            if (EmergencyRestore::read(saved) != 0 || EmergencyRestore::set(FastestRepeat) != 0)
                ::_exit(1);
            if (sig == SIGKILL && ::fork() == 0) {
                char end = 0;
                (void)!::read(childLives[0], &end, 1); // until the test ends
                ::_exit(0);
            }
            std::thread([sig] { ::usleep(100 * 1000), ::kill(::getpid(), sig); }).detach();
            ::open(fifo.constData(), O_RDONLY); // never returns
            ::_exit(0);
        }
        ::close(told[1]);
        ::close(childLives[0]);
        RepeatRate rate;
        QList<int> delays; // of the rates set, in order, till the keeper ends
        ssize_t n = 0;
        while (test::readable(told[0], 5000) && (n = ::read(told[0], &rate, sizeof rate)) > 0)
            delays.append(rate.delayMs);
        int status = 0;
        ::kill(child, SIGKILL); // no-op once it has ended
        ::waitpid(child, &status, 0);
        ::close(told[0]);
        ::close(childLives[1]);
        QCOMPARE(delays, (QList<int>{FastestRepeat.delayMs, 600}));
        QVERIFY2(n == 0, "the keeper did not end");
        QCOMPARE(rate, (RepeatRate{600, 40}));
        QVERIFY(WIFSIGNALED(status));
        QCOMPARE(WTERMSIG(status), sig);
    }

    // The message for a very long line reaches the player at once: the
    // game's message box is up within two seconds (a line of 1 MB here; the
    // time grows with the length of the line).
    void longLineMessageShowsAtOnce() {
        test::GameWindows w;
        place(w, QStringLiteral("setup.ini"), MegabyteLine);
        w.errors.guard([&] { applySettingsFile(w.context); });
        QCOMPARE(w.fake.messages.texts.size(), 1);
        QElapsedTimer clock;
        qint64 shownAfter = -1;
        test::answerModal<QDialog>([&](QDialog &) { shownAfter = clock.elapsed(); });
        clock.start();
        DialogMessageBox().show(QStringLiteral("Krumlix"), w.fake.messages.texts.first());
        QVERIFY(shownAfter >= 0);
        QVERIFY2(shownAfter < 2000,
                 qPrintable(QStringLiteral("shown after %1 ms").arg(shownAfter)));
    }
};

QTEST_MAIN(BadStartTest)
#include "tst_badstart.moc"
