// SPDX-License-Identifier: GPL-3.0-or-later
// "setup.ini" on real files: the start-up load into the windows, "Save
// settings", the statistics flag, damaged and missing files.
#include "platform/textfile.h"
#include "settings/presetrates.h"
#include "settings/settingsfile.h"
#include "sound/soundwindow.h"
#include "stats/statswindow.h"
#include "support/gamewindows.h"
#include "support/tempgame.h"

#include <QTest>

#include <cerrno>

using namespace krumlix;

namespace {

/// The 51 lines of a valid settings file; tests change some of them.
QList<QByteArray> validLines() {
    QList<QByteArray> lines{"2"};
    for (int n = 1; n <= 12; ++n)
        lines << QByteArray::number(100 + n);
    for (int n = 1; n <= 12; ++n)
        lines << QByteArray::number(200 + n);
    lines << "1";
    for (int e = 1; e <= 12; ++e)
        lines << QStringLiteral("/sounds/event%1.wav").arg(e).toLatin1();
    for (int e = 1; e <= 12; ++e)
        lines << "1";
    lines << "0";
    return lines;
}

QByteArray joined(const QList<QByteArray> &lines, const char *end = "\r\n") {
    QByteArray text;
    for (const QByteArray &line : lines)
        text += line + end;
    return text;
}

struct Rig {
    test::TempGameDir game;
    test::GameWindows w;
    Tsetup &setup = w.setup();
    TSound &sound = *w.context.windows.Sound;
    TStats &stats = *w.context.windows.Stats;

    Rig() { w.shared.ProgramDir = game.programDir(); }
    void writeSettings(const QList<QByteArray> &lines, const char *end = "\r\n") {
        game.write(QStringLiteral("setup.ini"), joined(lines, end));
    }
    QByteArray settings() const { return game.read(QStringLiteral("setup.ini")); }
    /// Writes the valid lines with `changes` (line, text) and loads them;
    /// returns the lines written.
    QList<QByteArray> load(const QList<std::pair<int, QByteArray>> &changes,
                           const char *end = "\r\n") {
        QList<QByteArray> lines = validLines();
        for (const auto &[n, text] : changes)
            lines[n] = text;
        writeSettings(lines, end);
        applySettingsFile(w.context);
        return lines;
    }
    /// "Save settings", and the lines it wrote.
    QList<QByteArray> save() {
        saveSettingsFile(w.context);
        return splitTextLines(settings());
    }
};

} // namespace

class SettingsFileTest : public QObject {
    Q_OBJECT
private slots:
    // A file read and saved unchanged comes back byte for byte, whatever
    // line ends it had; paths keep their blanks.
    void loadThenSaveKeepsTheFile_data() {
        QTest::addColumn<QByteArray>("end");
        QTest::newRow("CR LF") << QByteArray("\r\n");
        QTest::newRow("LF") << QByteArray("\n");
        QTest::newRow("CR") << QByteArray("\r");
    }
    void loadThenSaveKeepsTheFile() {
        QFETCH(QByteArray, end);
        Rig rig;
        const QList<QByteArray> lines =
            rig.load({{27, "  /odd path/with blanks.wav  "}}, end.constData());
        QCOMPARE(rig.setup.RadioGroup1->itemIndex(), 2);
        QCOMPARE(rig.w.spinValues().first(), 101);
        QCOMPARE(rig.w.shared.UserRates[12], 212);
        QCOMPARE(rig.sound.path(2), lines[27]);
        QVERIFY(!rig.stats.CheckBox1->isChecked());
        saveSettingsFile(rig.w.context);
        QCOMPARE(rig.settings(), joined(lines));
    }

    // "Sound on" is on only for exactly 1; an enable for anything but 0.
    void flagsAreReadAsTheirLinesSay() {
        Rig rig;
        rig.load({{25, "2"}, {38, "2"}, {39, "0"}, {50, "-3"}});
        QVERIFY(!rig.sound.CheckBox1->isChecked());
        QVERIFY(!rig.sound.enableBox(1)->isEnabled()); // greyed out with sound off
        QVERIFY(rig.sound.enableBox(1)->isChecked());
        QVERIFY(!rig.sound.enableBox(2)->isChecked());
        QVERIFY(rig.stats.CheckBox1->isChecked());
        const QList<QByteArray> saved = rig.save();
        QCOMPARE(saved[25], QByteArray("0"));
        QCOMPARE(saved[38], QByteArray("1"));
        QCOMPARE(saved[39], QByteArray("0"));
        QCOMPARE(saved[50], QByteArray("1"));
    }

    // Rates out of range are clamped by the spin edits and saved clamped;
    // the user's rates stay as read.
    void ratesAreClamped() {
        Rig rig;
        rig.load({{3, "1200"}, {4, "-7"}, {15, "5000"}});
        QCOMPARE(rig.setup.spinEdit(3)->value(), 999);
        QCOMPARE(rig.setup.spinEdit(4)->value(), 0);
        QCOMPARE(rig.w.shared.UserRates[3], 5000);
        const QList<QByteArray> saved = rig.save();
        QCOMPARE(saved[3], QByteArray("999"));
        QCOMPARE(saved[4], QByteArray("0"));
        QCOMPARE(saved[15], QByteArray("5000"));
    }

    // "User defined" in line 0: the spin edits show lines 1..12 and are
    // enabled; another level and back shows lines 13..24.
    void userDefinedLevelKeepsBothRateSets() {
        Rig rig;
        rig.load({{0, "5"}});
        QCOMPARE(rig.w.spinValues(),
                 (QList<int>{101, 102, 103, 104, 105, 106, 107, 108, 109, 110, 111, 112}));
        QVERIFY(rig.setup.spinEdit(1)->isEnabled());
        rig.setup.RadioGroup1->setItemIndex(0);
        rig.setup.RadioGroup1->setItemIndex(5);
        QCOMPARE(rig.w.spinValues(),
                 (QList<int>{201, 202, 203, 204, 205, 206, 207, 208, 209, 210, 211, 212}));
    }

    // Levels outside 0..5: above selects "User defined", below selects none;
    // a run then takes the rates as they stand and earns no bonus, and the
    // menu shows no badge.
    void levelOutsideTheRange_data() {
        test::columns<QByteArray, int>("line", "selected");
        QTest::newRow("7") << QByteArray("7") << 5;
        QTest::newRow("-1") << QByteArray("-1") << -1;
    }
    void levelOutsideTheRange() {
        const auto [line, selected] = test::fetch<QByteArray, int>("line", "selected");
        Rig rig;
        rig.load({{0, line}});
        QCOMPARE(rig.setup.RadioGroup1->itemIndex(), selected);
        QCOMPARE(rig.w.spinValues().first(), 101);
        rig.setup.Button1Click();
        QCOMPARE(rig.w.shared.DifficultyLevel, selected);
        QCOMPARE(rig.w.shared.AnimalRates[0][1], 101);
        int badges = 0;
        for (QLabel *badge : rig.w.menu().levelBadges)
            badges += badge->isHidden() ? 0 : 1;
        QCOMPARE(badges, selected < 0 ? 0 : 1);
        QCOMPARE(rig.save()[0], QByteArray::number(selected));
    }

    // Lines after 50 are ignored; both writers write exactly 51.
    void longFileIsCutTo51Lines() {
        Rig rig;
        QList<QByteArray> lines = validLines();
        for (int i = 0; i < 9; ++i)
            lines << "extra";
        rig.writeSettings(lines);
        applySettingsFile(rig.w.context);
        saveStatsFlag(rig.w.context, true);
        QCOMPARE(splitTextLines(rig.settings()).size(), 51);
        rig.writeSettings(lines);
        QCOMPARE(rig.save().size(), 51);
    }

    // A file of 40 lines stops at line 40 with the message for an empty
    // text; the sound paths and the first two enables are applied.
    void shortFileStopsAtItsEnd() {
        Rig rig;
        QList<QByteArray> lines = validLines().mid(0, 40);
        lines[38] = "0";
        lines[39] = "0";
        rig.writeSettings(lines);
        QCOMPARE(loadSettingsAtStartUp(rig.w.context), false);
        QCOMPARE(rig.w.fake.messages.texts,
                 QStringList{QStringLiteral("'' is not a valid integer value")});
        QCOMPARE(rig.sound.path(12), QByteArray("/sounds/event12.wav"));
        QVERIFY(!rig.sound.enableBox(1)->isChecked());
        QVERIFY(!rig.sound.enableBox(2)->isChecked());
        QVERIFY(rig.sound.enableBox(3)->isChecked());
        // The damaged file is left as it was.
        QCOMPARE(rig.settings(), joined(lines));
    }

    // A line that is no integer stops the load there; rates the file did not
    // give come from the selected level, not the built-in 999s, down to the
    // last rate line.
    void damagedRateLineFallsBackToTheLevel_data() {
        QTest::addColumn<int>("line");
        QTest::newRow("line 1") << 1;
        QTest::newRow("line 5") << 5;
        QTest::newRow("line 12, the last rate") << 12;
    }
    void damagedRateLineFallsBackToTheLevel() {
        QFETCH(int, line);
        Rig rig;
        QList<QByteArray> lines = validLines();
        lines[line] = "12a";
        rig.writeSettings(lines);
        const QByteArray before = rig.settings();
        loadSettingsAtStartUp(rig.w.context);
        QCOMPARE(rig.w.fake.messages.texts,
                 QStringList{QStringLiteral("'12a' is not a valid integer value")});
        const auto &champion = PresetRates[2];
        QCOMPARE(rig.w.spinValues(), QList<int>(champion.begin(), champion.end()));
        QCOMPARE(rig.settings(), before);
    }

    // Without a settings file the game starts on its defaults and writes
    // them, so the next start finds a file.
    void missingFileIsWrittenFromTheDefaults() {
        Rig rig;
        QCOMPARE(loadSettingsAtStartUp(rig.w.context), false);
        QCOMPARE(rig.w.fake.messages.texts,
                 QStringList{QStringLiteral("Cannot open file setup.ini")});
        const auto &god = PresetRates[3];
        QCOMPARE(rig.w.spinValues(), QList<int>(god.begin(), god.end()));
        QCOMPARE(splitTextLines(rig.settings()), currentSettingsLines(rig.w.context));
        QCOMPARE(splitTextLines(rig.settings()).size(), 51);
    }

    // The statistics flag re-writes only line 50, from the file: a level
    // changed and not saved stays unsaved.
    void statsFlagKeepsTheFileAsItWas() {
        Rig rig;
        rig.load({});
        rig.setup.RadioGroup1->setItemIndex(4);
        saveStatsFlag(rig.w.context, true);
        QList<QByteArray> expected = validLines();
        expected[50] = "1";
        QCOMPARE(rig.settings(), joined(expected));
    }

    // A save that cannot be completed leaves the old file whole.
    void failedSaveKeepsTheOldFile() {
        Rig rig;
        QList<QByteArray> lines = validLines();
        for (int e = 26; e <= 37; ++e)
            lines[e] = QByteArray(60, 'p');
        rig.writeSettings(lines);
        applySettingsFile(rig.w.context);
        const QByteArray before = rig.settings();
        rig.setup.RadioGroup1->setItemIndex(0);
        QString message;
        {
            test::FileSizeLimit limit(200);
            rig.w.errors.guard([&] { saveSettingsFile(rig.w.context); });
            rig.w.errors.guard([&] { saveStatsFlag(rig.w.context, true); });
        }
        QCOMPARE(rig.w.fake.messages.texts,
                 QStringList(2, QStringLiteral("I/O error %1").arg(EFBIG)));
        QCOMPARE(rig.settings(), before);
    }
};

QTEST_MAIN(SettingsFileTest)
#include "tst_settingsfile.moc"
