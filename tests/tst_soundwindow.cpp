// SPDX-License-Identifier: GPL-3.0-or-later
// The sound window and the event sounds, on real scheme files in a
// temporary game folder; playback is recorded by a double.
#include "sound/soundwindow.h"
#include "support/gamewindows.h"

#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>

using namespace krumlix;

namespace {

struct SoundRig {
    test::GameWindows w;
    QTemporaryDir &dir = w.folder.dir;
    TSound &sound = *w.context.windows.Sound;
    test::ScriptedChooser *open = new test::ScriptedChooser;
    test::ScriptedChooser *save = new test::ScriptedChooser;

    SoundRig() {
        sound.OpenDialog1.reset(open);
        sound.SaveDialog1.reset(save);
    }
    void writeFile(const QString &name, const QByteArray &bytes) const {
        QVERIFY(w.folder.write(name, bytes));
    }
};

QByteArray schemeBytes(const QString &prefix, const QList<QByteArray> &flags,
                       const char *end = "\r\n") {
    QByteArray text;
    for (int e = 1; e <= 12; ++e)
        text += (prefix + QStringLiteral("/s%1.wav").arg(e)).toLocal8Bit() + end;
    for (const QByteArray &flag : flags)
        text += flag + end;
    return text;
}

} // namespace

class SoundTest : public QObject {
    Q_OBJECT
private slots:
    // Every event sound goes through the two switches; "Play" does not.
    void eventSoundsFollowTheSwitches() {
        SoundRig rig;
        rig.sound.setPath(2, "/x/elephant.wav");
        rig.sound.PlayEventSound(2);
        QCOMPARE(rig.w.fake.sound.played, QStringList{QStringLiteral("/x/elephant.wav")});
        QCOMPARE(rig.w.shared.SoundPath, QByteArray("/x/elephant.wav"));

        rig.sound.enableBox(2)->setChecked(false);
        rig.sound.PlayEventSound(2);
        QCOMPARE(rig.w.fake.sound.played.size(), 1);

        rig.sound.enableBox(2)->setChecked(true);
        rig.sound.CheckBox1->setChecked(false);
        rig.sound.PlayEventSound(2);
        QCOMPARE(rig.w.fake.sound.played.size(), 1);
        rig.sound.playButton(2)->click();
        QCOMPARE(rig.w.fake.sound.played.size(), 2);
    }

    // "Sound on" stops any sound on every change and greys the event
    // controls out while it is off.
    void masterSwitchStopsAndGreys() {
        SoundRig rig;
        const int stops = rig.w.fake.sound.stops;
        rig.sound.CheckBox1->setChecked(false);
        QCOMPARE(rig.w.fake.sound.stops, stops + 1);
        for (int e = 1; e <= 12; ++e) {
            QVERIFY(!rig.sound.enableBox(e)->isEnabled());
            QVERIFY(!rig.sound.nameLabel(e)->isEnabled());
            QVERIFY(rig.sound.enableBox(e)->isChecked());
            QVERIFY(rig.sound.chooseButton(e)->isEnabled());
        }
        rig.sound.CheckBox1->setChecked(false); // the state it has: nothing runs
        QCOMPARE(rig.w.fake.sound.stops, stops + 1);
        rig.sound.CheckBox1->setChecked(true);
        QCOMPARE(rig.w.fake.sound.stops, stops + 2);
        QVERIFY(rig.sound.enableBox(5)->isEnabled());
        QCOMPARE(rig.w.fake.sound.played.size(), 0);
    }

    // A name that fits in 160 pixels is shown whole; a longer one ends in
    // "..." and fits, keeping as much of its start as fits.
    void fileNamesFitTheirLabels_data() {
        QTest::addColumn<QByteArray>("path");
        QTest::newRow("short") << QByteArray("/games/krumlix/intro.wav");
        QTest::newRow("long") << QByteArray(
            "/a/an_extremely_long_sound_file_name_for_an_event.wav");
        QTest::newRow("windows path") << QByteArray("C:\\Sounds\\bee.wav");
        QTest::newRow("markup") << QByteArray("/a/<b>Ann<b>.wav");
        QTest::newRow("long markup")
            << QByteArray("/a/<b>an extremely long sound file name for an event.wav");
        QTest::newRow("8,000 characters")
            << QByteArray("/x/") + QByteArray(7996, 'w') + QByteArray(".wav");
    }
    void fileNamesFitTheirLabels() {
        QFETCH(QByteArray, path);
        SoundRig rig;
        rig.sound.setPath(3, path);
        rig.sound.showFileName(3);
        TSound::FitFileNameLabel(rig.sound.nameLabel(3));
        QLabel *label = rig.sound.nameLabel(3);
        const QString whole = QString::fromLocal8Bit(TSound::fileNamePart(path));
        QVERIFY(label->width() <= 160);
        if (label->fontMetrics().horizontalAdvance(whole) <= 160) {
            QCOMPARE(label->text(), whole);
        } else {
            QVERIFY(label->text().endsWith(QStringLiteral("...")));
            QVERIFY(whole.startsWith(label->text().chopped(3)));
            // One character more would not fit.
            const QString longer = whole.left(label->text().size() - 2) + QStringLiteral("...");
            QVERIFY(label->fontMetrics().horizontalAdvance(longer) > 160);
        }
        QVERIFY(test::rendersPlainly(label));
        QVERIFY(!label->text().contains(QLatin1Char('/')));
        QVERIFY(!label->text().contains(QLatin1Char('\\')));
    }

    // Cancel leaves the row; one dialog serves every row and offers the
    // name last chosen in it.
    void chooseFileKeepsTheLastChoice() {
        SoundRig rig;
        const QByteArray before = rig.sound.path(3);
        rig.sound.chooseFile(3);
        QCOMPARE(rig.sound.path(3), before);
        rig.open->answer = QStringLiteral("/music/boom.wav");
        rig.sound.chooseFile(7);
        QCOMPARE(rig.sound.path(7), QByteArray("/music/boom.wav"));
        QCOMPARE(rig.sound.nameLabel(7)->text(), QStringLiteral("boom.wav"));
        rig.open->answer.clear();
        rig.sound.chooseFile(3);
        QCOMPARE(rig.open->offered.last(), QStringLiteral("/music/boom.wav"));
    }

    // Typing a scheme name loads at every key: each prefix that names no
    // file gives the cannot-open message with the text typed so far.
    void typingASchemeNameLoadsAtEveryKey() {
        SoundRig rig;
        QList<QByteArray> flags;
        for (int e = 1; e <= 12; ++e)
            flags << (e % 3 == 0 ? "0" : "1");
        rig.writeFile(QStringLiteral("default.snd"), schemeBytes(QStringLiteral("/loaded"), flags));
        rig.sound.show();
        rig.sound.ComboBox1->lineEdit()->clear();
        QTest::keyClicks(rig.sound.ComboBox1->lineEdit(), QStringLiteral("default.snd"));
        const QStringList &texts = rig.w.fake.messages.texts;
        QCOMPARE(texts.size(), 10);
        QCOMPARE(texts.first(), QStringLiteral("Cannot open file d"));
        QCOMPARE(texts.last(), QStringLiteral("Cannot open file default.sn"));
        QCOMPARE(rig.sound.path(12), QByteArray("/loaded/s12.wav"));
        QVERIFY(!rig.sound.enableBox(3)->isChecked());
        QVERIFY(rig.sound.enableBox(4)->isChecked());
        QCOMPARE(rig.sound.nameLabel(5)->text(), QStringLiteral("s5.wav"));
        QVERIFY(rig.sound.CheckBox1->isChecked());
    }

    // A short scheme applies what it has and stops at the first flag line
    // that is no integer; other line ends read the same.
    void shortSchemeStopsAtItsEnd() {
        SoundRig rig;
        QList<QByteArray> flags(8, "2");
        rig.writeFile(QStringLiteral("short.snd"), schemeBytes(QStringLiteral("/s"), flags, "\n"));
        for (int e = 1; e <= 12; ++e)
            rig.sound.enableBox(e)->setChecked(false);
        rig.sound.ComboBox1->setEditText(QStringLiteral("short.snd"));
        rig.w.errors.guard([&] { rig.sound.ComboBox1Change(); });
        QCOMPARE(rig.w.fake.messages.texts,
                 QStringList{QStringLiteral("'' is not a valid integer value")});
        QCOMPARE(rig.sound.path(12), QByteArray("/s/s12.wav"));
        QVERIFY(rig.sound.enableBox(8)->isChecked());
        QVERIFY(!rig.sound.enableBox(9)->isChecked());
    }

    // Saving writes 24 CR LF lines into the game folder, whatever folder was
    // browsed to, enables as checked even while greyed out; "2" comes back "1".
    void saveSchemeWritesIntoTheGameFolder() {
        SoundRig rig;
        QList<QByteArray> flags(12, "2");
        flags[0] = "0";
        rig.writeFile(QStringLiteral("in.snd"), schemeBytes(QStringLiteral("/p"), flags, "\r"));
        rig.sound.ComboBox1->setEditText(QStringLiteral("in.snd"));
        rig.sound.ComboBox1Change();
        rig.sound.CheckBox1->setChecked(false);
        rig.save->answer = QStringLiteral("/somewhere/else/mine");
        rig.sound.Button13Click();
        QList<QByteArray> expected(12, "1");
        expected[0] = "0";
        QCOMPARE(rig.w.folder.read(QStringLiteral("mine")),
                 schemeBytes(QStringLiteral("/p"), expected));
        QCOMPARE(rig.sound.ComboBox1->currentText(), QStringLiteral("mine"));

        rig.save->answer.clear(); // cancelled: nothing written, text kept
        rig.sound.Button13Click();
        QCOMPARE(rig.sound.ComboBox1->currentText(), QStringLiteral("mine"));
    }

    // Entering the box lists the schemes sorted without regard to case,
    // replacing items in place; with none, the list stays as it was.
    void schemeListRefresh() {
        SoundRig rig;
        rig.sound.ComboBox1Enter();
        QCOMPARE(rig.sound.ComboBox1->count(), 1);
        QCOMPARE(rig.sound.ComboBox1->itemText(0), QStringLiteral("default.snd"));
        for (const char *name : {"b.snd", "A.snd", "c.snd", "note.txt"})
            rig.writeFile(QString::fromLatin1(name), "x");
        QDir(rig.dir.path()).mkdir(QStringLiteral("folder.snd"));
        rig.sound.ComboBox1Enter();
        QStringList items;
        for (int i = 0; i < rig.sound.ComboBox1->count(); ++i)
            items << rig.sound.ComboBox1->itemText(i);
        QCOMPARE(items, (QStringList{"A.snd", "b.snd", "c.snd"}));
        QVERIFY(rig.w.fake.messages.texts.isEmpty());
    }

    // The scheme box takes the keys as they are typed: nothing completes a
    // name, Backspace to an empty box loads nothing, and Enter presses OK.
    void schemeBoxTakesKeysAsTyped() {
        SoundRig rig;
        rig.writeFile(QStringLiteral("default.snd"), schemeBytes(QStringLiteral("/d"), {}));
        const QByteArray before = rig.sound.path(1);
        rig.sound.show();
        rig.sound.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&rig.sound));
        rig.sound.ComboBox1->setFocus(Qt::TabFocusReason);
        QLineEdit *edit = rig.sound.ComboBox1->lineEdit();
        edit->clear();
        QTest::keyClick(edit, Qt::Key_D);
        QCOMPARE(edit->text(), QStringLiteral("d"));
        QTest::keyClick(edit, Qt::Key_Backspace);
        QCOMPARE(edit->text(), QString());
        QTest::keyClick(edit, Qt::Key_D);
        QCOMPARE(rig.w.fake.messages.texts, QStringList(2, QStringLiteral("Cannot open file d")));
        QTest::keyClick(edit, Qt::Key_Return);
        QVERIFY(!rig.sound.isVisible());
        QCOMPARE(rig.sound.path(1), before);
        QCOMPARE(rig.w.fake.messages.texts.size(), 2);
    }

    // The mouse wheel over the scheme box picks no scheme.
    void wheelLoadsNothing() {
        SoundRig rig;
        for (const char *name : {"a.snd", "b.snd", "c.snd"})
            rig.writeFile(QString::fromLatin1(name), schemeBytes(QString::fromLatin1(name), {}));
        rig.sound.show();
        rig.sound.ComboBox1Enter();
        const QByteArray before = rig.sound.path(1);
        for (int delta : {-120, -120, 120}) {
            const QPointF at = rig.sound.ComboBox1->rect().center();
            QWheelEvent wheel(at, rig.sound.ComboBox1->mapToGlobal(at), QPoint(), QPoint(0, delta),
                              Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
            QApplication::sendEvent(rig.sound.ComboBox1, &wheel);
        }
        QCOMPARE(rig.sound.path(1), before);
        QCOMPARE(rig.sound.ComboBox1->currentText(), QStringLiteral("Current settings"));
        QVERIFY(rig.w.fake.messages.texts.isEmpty());
    }

    // The list is refreshed when the player moves the focus into the box,
    // not when the window comes back after a message box or a popup; the
    // text stays, and the caret too where the box was not entered.
    void schemeListRefreshedOnEntry_data() {
        test::columns<int, bool>("reason", "refreshed");
        const std::tuple<const char *, Qt::FocusReason, bool> reasons[] = {
            {"Tab", Qt::TabFocusReason, true},
            {"Backtab", Qt::BacktabFocusReason, true},
            {"click", Qt::MouseFocusReason, true},
            {"shortcut", Qt::ShortcutFocusReason, true},
            {"window activated", Qt::ActiveWindowFocusReason, false},
            {"popup closed", Qt::PopupFocusReason, false}};
        for (const auto &[name, reason, refreshed] : reasons)
            QTest::newRow(name) << int(reason) << refreshed;
    }
    void schemeListRefreshedOnEntry() {
        const auto [reason, refreshed] = test::fetch<int, bool>("reason", "refreshed");
        SoundRig rig;
        rig.sound.show();
        QLineEdit *edit = rig.sound.ComboBox1->lineEdit();
        edit->setText(QStringLiteral("defa"));
        edit->setCursorPosition(2);
        rig.writeFile(QStringLiteral("new.snd"), "x");
        QFocusEvent focus(QEvent::FocusIn, Qt::FocusReason(reason));
        QApplication::sendEvent(rig.sound.ComboBox1, &focus);
        QCOMPARE(rig.sound.ComboBox1->itemText(0),
                 refreshed ? QStringLiteral("new.snd") : QStringLiteral("default.snd"));
        QCOMPARE(edit->text(), QStringLiteral("defa"));
        if (!refreshed) // (Tab selects the whole text, as in any text field)
            QCOMPARE(edit->cursorPosition(), 2);
        QVERIFY(rig.w.fake.messages.texts.isEmpty());
    }

    // The desktop's file dialogs start in the game folder, not in a folder
    // they remember from elsewhere, and a scheme saved from there is
    // written where the dialog showed.
    void fileDialogsStartInTheGameFolder() {
        test::GameWindows w;
        const QTemporaryDir &dir = w.folder.dir;
        TSound &sound = *w.context.windows.Sound;
        QString openShown;
        test::answerModal<QFileDialog>([&](QFileDialog &dialog) {
            openShown = dialog.directory().absolutePath();
            dialog.reject();
        });
        sound.chooseFile(2);
        QCOMPARE(openShown, QDir(dir.path()).absolutePath());

        QString saveShown;
        test::answerModal<QFileDialog>([&](QFileDialog &dialog) {
            saveShown = dialog.directory().absolutePath();
            dialog.selectFile(QStringLiteral("mine"));
            static_cast<QDialog &>(dialog).accept();
        });
        w.errors.guard([&] { sound.Button13Click(); });
        QCOMPARE(saveShown, QDir(dir.path()).absolutePath());
        QVERIFY(QFile::exists(saveShown + QStringLiteral("/mine.snd")));
        QCOMPARE(sound.ComboBox1->currentText(), QStringLiteral("mine.snd"));
        QVERIFY(w.fake.messages.texts.isEmpty());
    }

    // Every opening shows "Current settings" and loads nothing.
    void openingShowsCurrentSettings() {
        SoundRig rig;
        rig.sound.ComboBox1->setEditText(QStringLiteral("x.snd"));
        rig.sound.show();
        QCOMPARE(rig.sound.ComboBox1->currentText(), QStringLiteral("Current settings"));
        QVERIFY(rig.w.fake.messages.texts.isEmpty());
        QCOMPARE(rig.sound.windowTitle(), QStringLiteral("Krumlix - choose sounds"));
        QCOMPARE(rig.sound.size(), QSize(466, 332));
    }
};

QTEST_MAIN(SoundTest)
#include "tst_soundwindow.moc"
