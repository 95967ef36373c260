// SPDX-License-Identifier: GPL-3.0-or-later
// Every writer of the game under faults: a full disk, a game folder the
// player may not write to, the file's name taken by a folder, and the
// program killed in the middle of its saves. Afterwards the file is the old
// one or the new one, whole, and the player was told why in the game's words.
#include "faults/faultrig.h"
#include "highscore/clearscores.h"
#include "highscore/highscorefile.h"
#include "settings/settingsfile.h"
#include "sound/soundwindow.h"
#include "stats/statswindow.h"
#include "support/gamewindows.h"

#include <QTest>

#include <tuple>

using namespace krumlix;

namespace {

enum Writer { SaveSettings, StatsFlag, HighScores, ClearedScores, SaveScheme };

/// The file each writer writes.
QString fileOf(int writer) {
    const char *files[] = {"setup.ini", "setup.ini", "tarvil.hig", "tarvil.hig", "mine.snd"};
    return QLatin1String(files[writer]);
}

struct Rig {
    test::GameWindows w;
    TSound &sound = *w.context.windows.Sound;
    TStats &stats = *w.context.windows.Stats;
    TForm7 &clear = *w.context.windows.Form7;
    QString dir;

    explicit Rig(const QString &programDir) : dir(programDir) {
        w.shared.ProgramDir = programDir;
        sound.SaveDialog1 =
            std::make_unique<test::ScriptedChooser>(QStringLiteral("/elsewhere/mine.snd"));
        for (int e = 1; e <= 10; ++e)
            w.shared.HighScoreTable[e] = DefaultEntry();
    }
    QString file(int writer) const { return dir + fileOf(writer); }

    /// The save as the player makes it, through the handler of its window;
    /// `newer` picks which of two states is saved.
    void save(int writer, bool newer) {
        switch (writer) {
        case SaveSettings: // the menu's "Save settings"
            w.setup().RadioGroup1->setItemIndex(newer ? 3 : 1);
            w.errors.guard([this] { saveSettingsFile(w.context); });
            break;
        case StatsFlag: // a click on "Show stats automatically"
            stats.CheckBox1->setChecked(!newer);
            stats.CheckBox1->click();
            break;
        case HighScores: // the table after a run that qualified
            w.shared.HighScoreTable[1][HighScoreEntry::RunScore] = newer ? 4321 : 1234;
            w.errors.guard([this] { SaveHighScores(w.shared); });
            break;
        case ClearedScores: // "Yes" in the clear-scores dialog; before, a table of scores
            if (newer) {
                clear.Button1->click();
            } else {
                w.shared.HighScoreTable[1][HighScoreEntry::RunScore] = 1234;
                w.errors.guard([this] { SaveHighScores(w.shared); });
            }
            break;
        case SaveScheme: // "Save scheme as..."
            sound.enableBox(5)->setChecked(!newer);
            sound.Button13->click();
            break;
        }
    }
    /// Saves the new state and then the old one: returns their bytes, the
    /// old one left in the file.
    std::pair<QByteArray, QByteArray> oldAndNew(int writer) {
        if (writer == StatsFlag) // it re-writes the settings file, which must be there
            w.errors.guard([this] { saveSettingsFile(w.context); });
        save(writer, false); // from here on the two states alternate exactly
        save(writer, true);
        const QByteArray fresh = test::fileBytes(file(writer)).value_or(QByteArray());
        save(writer, false);
        const QByteArray old = test::fileBytes(file(writer)).value_or(QByteArray());
        return {old, fresh};
    }
    QStringList entries() const {
        return QDir(dir).entryList(QDir::AllEntries | QDir::NoDotAndDotDot);
    }
    const QStringList &messages() const { return w.fake.messages.texts; }
};

/// How the folder refuses new files: by its permissions (EACCES), and also
/// by the immutable attribute or a filter on the saver (EPERM); by its
/// permissions on a disk whose sync fails (EIO).
enum Lock { Permissions, Immutable, Refusing, SyncFailing };

/// A row for each writer, and each of `locks`.
void addWriters(std::initializer_list<int> locks = {Permissions}) {
    test::columns<int, int>("writer", "lock");
    const char *writers[] = {"save settings", "statistics flag", "high scores", "cleared scores",
                             "save scheme"};
    const char *lockNames[] = {"", ", immutable folder", ", folder refusing new files",
                               ", sync failing"};
    for (int lock : locks)
        for (int writer = SaveSettings; writer <= SaveScheme; ++writer)
            QTest::addRow("%s%s", writers[writer], lockNames[lock]) << writer << lock;
}

} // namespace

class WriteFaultsTest : public QObject {
    Q_OBJECT
    /// What a save as another user did in a game folder that user may not
    /// write in, its files given the mode `fileMode`.
    struct LockedSave {
        bool lockable = true;          ///< false: no immutable folders here
        std::optional<QString> told;   ///< the messages shown; none if the save did not run
        QByteArray old, fresh;         ///< the file before, and as the save would write it
        std::optional<QByteArray> now; ///< the file after
        QStringList before, after;     ///< the folder's entries
    };
    static LockedSave saveInLockedFolder(int writer, mode_t fileMode, Lock lock = Permissions) {
        test::TempGameDir game;
        const auto chmod = [](const QString &path, mode_t mode) {
            ::chmod(QFile::encodeName(path).constData(), mode);
        };
        chmod(game.dir.path(), 0755);
        Rig rig(game.programDir());
        LockedSave save;
        std::tie(save.old, save.fresh) = rig.oldAndNew(writer);
        if (save.old.isEmpty() || save.old == save.fresh)
            return save; // told stays empty: the caller fails
        save.before = rig.entries();
        for (const QString &name : std::as_const(save.before))
            chmod(game.path(name), fileMode);
        if (::getuid() != 0) // the owner loses the right; root keeps it, so a child drops root
            chmod(game.dir.path(), 0500);
        save.lockable = lock != Immutable || test::setImmutable(game.dir.path(), true);
        if (!save.lockable)
            return save;
        save.told = test::asOtherUser([&rig, writer, lock] {
            if ((lock == Refusing && !test::refuseNewFiles()) ||
                (lock == SyncFailing && !test::failSyncs()))
                return QStringLiteral("(no filter)");
            rig.save(writer, true);
            return rig.messages().join(QLatin1Char('\n'));
        });
        test::setImmutable(game.dir.path(), false);
        chmod(game.dir.path(), 0700);
        save.now = test::fileBytes(rig.file(writer));
        save.after = rig.entries();
        return save;
    }

private slots:
    // The disk fills up: the save fails with "Disk full", the old file
    // stays whole and no part of the new one is left; once there is room
    // again the same save goes through.
    void diskFull_data() { addWriters(); }
    void diskFull() {
        QFETCH(int, writer);
        test::SmallDisk disk;
        if (QTest::currentDataTag() == QByteArray("save settings"))
            qInfo("full disk played by %s", disk.mounted() ? "a 16 KiB tmpfs" : "RLIMIT_FSIZE");
        Rig rig(disk.programDir());
        const auto [old, fresh] = rig.oldAndNew(writer);
        QVERIFY(!old.isEmpty() && old != fresh);
        QCOMPARE(rig.messages(), QStringList());
        const QStringList before = rig.entries();
        QVERIFY(disk.fill());
        rig.save(writer, true);
        QCOMPARE(rig.messages(), QStringList{disk.fullMessage()});
        QCOMPARE(test::fileBytes(rig.file(writer)), old);
        QStringList after = before;
        if (disk.mounted())
            after << QStringLiteral("filler");
        after.sort();
        QCOMPARE(rig.entries(), after);
        disk.release();
        rig.save(writer, true);
        QCOMPARE(rig.messages().size(), 1);
        QCOMPARE(test::fileBytes(rig.file(writer)), fresh);
        QCOMPARE(rig.entries(), before);
    }

    // The player may not write in the game folder: "File access denied",
    // the old file whole, nothing added.
    void folderNotWritable_data() { addWriters(); }
    void folderNotWritable() {
        QFETCH(int, writer);
        const LockedSave save = saveInLockedFolder(writer, 0644);
        QVERIFY(!save.old.isEmpty() && save.old != save.fresh);
        QVERIFY(save.told);
        QCOMPARE(*save.told, QStringLiteral("File access denied"));
        QCOMPARE(save.now, save.old);
        QCOMPARE(save.after, save.before);
    }

    // The player may write the file but not the folder, so no new file can
    // be made beside it, whether the folder answers EACCES or EPERM: the
    // save writes the file in place, without a word, and the folder holds
    // what it held. The save is done only once the disk has the bytes: a
    // sync that fails is reported.
    void writableFileInLockedFolder_data() {
        addWriters({Permissions, Immutable, Refusing, SyncFailing});
    }
    void writableFileInLockedFolder() {
        const auto [writer, lock] = test::fetch<int, int>("writer", "lock");
        const LockedSave save = saveInLockedFolder(writer, 0666, Lock(lock));
        if (!save.lockable)
            QSKIP("chattr +i fails here: the temporary folder's file system has no immutable "
                  "attribute, or setting it takes root");
        QVERIFY(!save.old.isEmpty() && save.old != save.fresh);
        QVERIFY(save.told);
        QCOMPARE(*save.told,
                 lock == SyncFailing ? QStringLiteral("I/O error %1").arg(EIO) : QString());
        QCOMPARE(save.now, save.fresh);
        QCOMPARE(save.after, save.before);
    }

    // A folder has the file's name: the save is refused with the game's
    // message and the folder is left with what it holds.
    void nameTakenByAFolder_data() {
        test::columns<int, QString>("writer", "message");
        const QString denied = QStringLiteral("File access denied");
        QTest::newRow("save settings") << int(SaveSettings) << denied;
        // The flag reads the file before it writes it.
        QTest::newRow("statistics flag")
            << int(StatsFlag) << QStringLiteral("Cannot open file setup.ini");
        QTest::newRow("high scores") << int(HighScores) << denied;
        QTest::newRow("cleared scores") << int(ClearedScores) << denied;
        QTest::newRow("save scheme") << int(SaveScheme) << denied;
    }
    void nameTakenByAFolder() {
        const auto [writer, message] = test::fetch<int, QString>("writer", "message");
        test::TempGameDir game;
        Rig rig(game.programDir());
        rig.oldAndNew(writer);
        QVERIFY(QFile::remove(rig.file(writer)));
        QVERIFY(QDir(game.dir.path()).mkpath(fileOf(writer) + QStringLiteral("/inside")));
        const QStringList before = rig.entries();
        rig.save(writer, true);
        QCOMPARE(rig.messages(), QStringList{message});
        QVERIFY(QFileInfo(rig.file(writer)).isDir());
        QCOMPARE(QDir(rig.file(writer)).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
                 QStringList{"inside"});
        QCOMPARE(rig.entries(), before);
    }

    // Killed at random moments of its saves, 200 times: each time the file
    // is the old one or the new one, whole. Both are seen, so the kills
    // fell before and after the replacement.
    void killedDuringSaves_data() { addWriters(); }
    void killedDuringSaves() {
        QFETCH(int, writer);
        test::TempGameDir game;
        Rig rig(game.programDir());
        QByteArray old, fresh; // captured below, so no structured binding
        std::tie(old, fresh) = rig.oldAndNew(writer);
        QVERIFY(!old.isEmpty() && old != fresh);
        const QString file = rig.file(writer);
        const test::KillTally tally = test::killDuringSaves(
            200, file, old, fresh, [&] { game.write(fileOf(writer), old); },
            [&rig, writer](int i) { rig.save(writer, i % 2 == 0); });
        qInfo("seed %u: old %d, new %d, broken %d; folder holds %s", tally.seed, tally.old,
              tally.fresh, tally.broken, qPrintable(rig.entries().join(QLatin1Char(' '))));
        if (tally.broken)
            qInfo("first broken file: %s", tally.firstBroken.toPercentEncoding().constData());
        QCOMPARE(tally.notReady, 0);
        QCOMPARE(tally.broken, 0);
        QVERIFY(tally.old > 0);
        QVERIFY(tally.fresh > 0);
        QCOMPARE(tally.old + tally.fresh, 200);
        // The parent saw no message: the children's reports died with them.
        QCOMPARE(rig.messages(), QStringList());
    }
};

QTEST_MAIN(WriteFaultsTest)
#include "tst_writefaults.moc"
