// SPDX-License-Identifier: GPL-3.0-or-later
// The menu window as a player meets it: start-up, runs that qualify or not,
// the name entry, clearing the scores, the mail dialog.
#include "highscore/clearscores.h"
#include "highscore/highscorefile.h"
#include "highscore/mailinstructions.h"
#include "highscore/nameentry.h"
#include "stats/statswindow.h"
#include "support/gamewindows.h"
#include "support/tempgame.h"
#include "widgets/heldkeys.h"

#include <QLineEdit>
#include <QSlider>
#include <QTest>

using namespace krumlix;

namespace {

QColor colourOf(const QLabel *label) {
    return label->palette().color(QPalette::WindowText);
}

/// A table of 900, 800, ..., 0 points saved in the game folder.
void saveHundreds(test::GameWindows &w) {
    for (int e = 1; e <= 10; ++e) {
        w.shared.HighScoreTable[e] = DefaultEntry();
        w.shared.HighScoreTable[e][HighScoreEntry::RunScore] = 1000 - 100 * e;
    }
    SaveHighScores(w.shared);
}

/// Types a name into the congratulations dialog and presses Enter.
std::function<void(TForm6 &)> enterName(const QString &name) {
    return [name](TForm6 &dialog) {
        dialog.Edit1->setText(name);
        QTest::keyClick(dialog.Edit1, Qt::Key_Return);
    };
}

/// Pretends a run of `score` points on "3. Champion" has just ended.
void runEnded(test::GameWindows &w, int score) {
    w.shared.GameState = GamePhase::AfterRun;
    w.shared.RunScore = score;
    w.shared.DifficultyLevel = 2;
    w.setup().RadioGroup1->setItemIndex(2);
}

/// Pretends a run of `score` points has just ended and shows the menu as
/// the after-run Enter does; `answer` answers the congratulations dialog,
/// `whileOpen` runs in the menu's modal loop (after any dialog of the
/// activation has been answered).
void menuAfterRun(test::GameWindows &w, int score, const std::function<void(TForm6 &)> &answer,
                  const std::function<void()> &whileOpen) {
    runEnded(w, score);
    const auto inMenu = [&w, whileOpen](QWidget *) {
        QTRY_COMPARE(w.shared.StatsEntry, LatestGameEntry);
        whileOpen();
        w.menu().done(0);
    };
    test::whenModal([&w, answer, inMenu](QWidget *modal) {
        if (modal != w.context.windows.Form6)
            return inMenu(modal);
        auto *dialog = static_cast<TForm6 *>(modal);
        answer(*dialog);
        if (dialog->isVisible()) // an answer that failed to close it
            dialog->done(0);
        test::whenModal(inMenu);
    });
    w.menu().exec();
}

struct Clearing {
    test::Answer<TForm7> answer;
    bool clears = false; ///< the cleared table is written and shown
    bool fileThere = true;
};
struct NameEntry {
    QString typed;
    test::Answer<TForm6> finish;
    QString stored;
};
struct KeyRow {
    const char *window;
    Qt::Key key;             ///< Qt::Key_Enter: the keypad's
    const char *button = ""; ///< focused first; none: as it opens
    bool stayOpen = true;
    int repeats = 0;
};

/// Runs `action` once `target` is the modal window on top.
void whenOnTop(QWidget *target, const std::function<void()> &action) {
    test::whenModal([action](QWidget *) { action(); }, target);
}

/// Minimises the window and restores it twice, as a taskbar does.
void minimiseAndRestoreTwice(QWidget *window) {
    for (int i = 0; i < 2; ++i) {
        window->setWindowState(Qt::WindowMinimized);
        QTest::qWait(10);
        window->setWindowState(Qt::WindowNoState);
        QTest::qWait(10);
    }
}

} // namespace

class MenuTest : public QObject {
    Q_OBJECT
private slots:
    // At start-up the table shows, nothing highlighted, no statistics.
    void startUpShowsTheTable() {
        test::GameWindows w;
        w.context.windows.Stats->CheckBox1->setChecked(true);
        bool statsOpened = false;
        test::whenModal([&](QWidget *modal) {
            statsOpened = modal == w.context.windows.Stats;
            QTRY_COMPARE(w.menu().nameLabel(3)->text(), QStringLiteral("Tarvil        "));
            QCOMPARE(w.menu().dateLabel(3)->text(), QStringLiteral("March 31st 1999    "));
            QCOMPARE(w.menu().efficiencyLabel(3)->text(), QStringLiteral("0,00 %"));
            QCOMPARE(w.menu().pointsLabel(3)->text(), QStringLiteral("0"));
            QCOMPARE(w.menu().rankLabel(10)->text(), QStringLiteral("10."));
            QCOMPARE(w.menu().header()->text(),
                     QStringLiteral("Pl.  Name                     Date                         "
                                    "Efficiency   Points"));
            QCOMPARE(w.menu().pointsLabel(3)->geometry().right() + 1, THighscore::PointsRight);
            for (int r = 1; r <= 10; ++r)
                QCOMPARE(colourOf(w.menu().nameLabel(r)), QColor(Qt::white));
            QCOMPARE(w.shared.CloseMode, CloseModes::MenuInCharge);
            w.menu().done(0);
        });
        w.menu().exec();
        QVERIFY(!statsOpened);
        QCOMPARE(w.shared.NewEntryRank, 12);
        QVERIFY(w.fake.messages.texts.isEmpty());
    }

    // A qualifying run asks for a name, is saved with today's date and its
    // row turns aqua; it stays aqua after "No" in the clear dialog, and the
    // next run that does not qualify leaves the table and whitens the row.
    void qualifyingRunIsEnteredAndHighlighted() {
        test::GameWindows w;
        saveHundreds(w);
        menuAfterRun(w, 700, enterName(QStringLiteral("Zoe")), [&] {
            QCOMPARE(w.shared.NewEntryRank, 4);
            QCOMPARE(w.menu().nameLabel(4)->text(), QStringLiteral("Zoe           "));
            QCOMPARE(colourOf(w.menu().pointsLabel(4)), QColor(0, 255, 255));
            QCOMPARE(colourOf(w.menu().pointsLabel(3)), QColor(Qt::white));
            test::answerModal<TForm7>([](TForm7 &d) { QTest::keyClick(&d, Qt::Key_Escape); });
            w.menu().Button9Click();
            QCOMPARE(colourOf(w.menu().nameLabel(4)), QColor(0, 255, 255));
        });
        QCOMPARE(w.fake.sound.played.last(),
                 QStringLiteral("%1highscore310.wav").arg(w.shared.ProgramDir));
        const HighScoreTableType onDisk = w.scoresOnDisk();
        QCOMPARE(onDisk[4].text(0, 14), QStringLiteral("Zoe           "));
        QCOMPARE(onDisk[4].text(14, 19), QStringLiteral("December 8th 2026  "));
        QCOMPARE(onDisk[4][HighScoreEntry::RunScore], 700);
        QCOMPARE(onDisk[3][HighScoreEntry::RunScore], 700);
        QCOMPARE(onDisk[5][HighScoreEntry::RunScore], 600);

        // The edit box keeps the last name; a run of 0 does not enter.
        menuAfterRun(w, 0, enterName(QString()), [&] {
            QCOMPARE(w.shared.NewEntryRank, 12);
            QCOMPARE(w.menu().nameLabel(4)->text(), QStringLiteral("Zoe           "));
            QCOMPARE(colourOf(w.menu().nameLabel(4)), QColor(Qt::white));
        });
        QCOMPARE(w.context.windows.Form6->Edit1->text(), QStringLiteral("Zoe"));
    }

    // After a run the statistics open by themselves when their box is ticked.
    void statisticsOpenAfterARun() {
        test::GameWindows w;
        w.context.windows.Stats->CheckBox1->setChecked(true);
        bool statsOpened = false;
        w.shared.GameState = GamePhase::AfterRun;
        test::whenModal([&](QWidget *modal) {
            statsOpened = modal == w.context.windows.Stats;
            static_cast<QDialog *>(modal)->done(0);
            test::whenModal([&](QWidget *) { w.menu().done(0); });
        });
        w.menu().exec();
        QVERIFY(statsOpened);
        QCOMPARE(w.shared.StatsEntry, 12);
    }

    // A window minimised and restored comes back as it was: the menu does
    // not check the run again (the run is in the file once), the name entry
    // does not play its fanfare again, the statistics are not re-read.
    void restoreRunsNothingAgain_data() {
        QTest::addColumn<QString>("restored");
        QTest::newRow("menu after a qualifying run") << QStringLiteral("Highscore");
        QTest::newRow("name entry") << QStringLiteral("Form6");
        QTest::newRow("statistics after a run") << QStringLiteral("Stats");
    }
    void restoreRunsNothingAgain() {
        QFETCH(QString, restored);
        test::GameWindows w;
        saveHundreds(w);
        w.context.windows.Stats->CheckBox1->setChecked(true);
        runEnded(w, 700);
        TForm6 *form6 = w.context.windows.Form6;
        TStats *stats = w.context.windows.Stats;
        test::ModalWatchdog watchdog;
        int statsOpenings = 0;
        std::pair<std::int32_t, int> statsAfter; // entry 3's points, track bar
        whenOnTop(form6, [&] {
            if (restored == QLatin1String("Form6"))
                minimiseAndRestoreTwice(form6);
            form6->Edit1->setText(QStringLiteral("Zoe"));
            QTest::keyClick(form6->Edit1, Qt::Key_Return);
            whenOnTop(stats, [&] {
                ++statsOpenings;
                stats->TrackBar1->setValue(2);
                // Changed in memory only: a re-read would bring back 700.
                w.shared.HighScoreTable[3][HighScoreEntry::RunScore] = 12345;
                if (restored == QLatin1String("Stats"))
                    minimiseAndRestoreTwice(stats);
                statsAfter = {w.shared.HighScoreTable[3][HighScoreEntry::RunScore],
                              stats->TrackBar1->value()};
                stats->done(0);
                whenOnTop(&w.menu(), [&] {
                    if (restored == QLatin1String("Highscore"))
                        minimiseAndRestoreTwice(&w.menu());
                    QTest::qWait(50);
                    w.menu().done(0);
                });
            });
        });
        w.menu().exec();
        QVERIFY(watchdog.closed.isEmpty());
        QCOMPARE(statsOpenings, 1);
        QCOMPARE(statsAfter, std::make_pair(std::int32_t{12345}, 2));
        QCOMPARE(w.fake.sound.played.count(
                     QStringLiteral("%1highscore310.wav").arg(w.shared.ProgramDir)),
                 1);
        const HighScoreTableType onDisk = w.scoresOnDisk();
        for (int rank : {3, 4})
            QCOMPARE(onDisk[rank][HighScoreEntry::RunScore], 700);
        QCOMPARE(onDisk[5][HighScoreEntry::RunScore], 600);
        QCOMPARE(w.shared.NewEntryRank, 4);
    }

    // Enter, Space and Escape start a run as "Begin new Game" does.
    void charactersStartARun_data() {
        QTest::addColumn<int>("key");
        QTest::newRow("Enter") << int(Qt::Key_Return);
        QTest::newRow("Space") << int(Qt::Key_Space);
        QTest::newRow("Escape") << int(Qt::Key_Escape);
        QTest::newRow("letter") << int(Qt::Key_Q);
    }
    void charactersStartARun() {
        QFETCH(int, key);
        test::GameWindows w;
        test::whenModal([key](QWidget *modal) { QTest::keyClick(modal, Qt::Key(key)); });
        w.menu().exec();
        QCOMPARE(w.shared.GameState, GamePhase::RunRequested);
        QCOMPARE(w.shared.CloseMode, CloseModes::RunStarted);
        QCOMPARE(w.menu().GameStarted, Flag::Raised);
    }

    // Closing the menu with its close box ends the program.
    void closingTheMenuEndsTheProgram() {
        test::GameWindows w;
        test::whenModal([&](QWidget *modal) {
            QTRY_COMPARE(w.shared.CloseMode, CloseModes::MenuInCharge);
            modal->close();
        });
        w.menu().exec();
        QCOMPARE(w.programEnds, 1);
    }

    // A missing high-score file is reported; the menu stays usable.
    void missingHighScoreFile() {
        test::GameWindows w;
        QFile::remove(w.folder.path(QStringLiteral("tarvil.hig")));
        test::whenModal([&](QWidget *) {
            QTRY_COMPARE(w.shared.CloseMode, CloseModes::MenuInCharge);
            w.menu().Button1Click();
        });
        w.menu().exec();
        QCOMPARE(w.fake.messages.texts, QStringList{QStringLiteral("File not found")});
        QCOMPARE(w.shared.GameState, GamePhase::RunRequested);
    }

    // "Yes" writes the cleared table, also where there was none, and shows
    // ten default rows; "No" and Escape change nothing.
    void clearingTheScores_data() {
        QTest::addColumn<Clearing>("row");
        const test::Answer<TForm7> yes = [](TForm7 &d) { d.Button1->click(); };
        QTest::newRow("yes") << Clearing{yes, true};
        QTest::newRow("yes without a file") << Clearing{yes, true, false};
        QTest::newRow("no") << Clearing{[](TForm7 &d) { d.Button2->click(); }};
        QTest::newRow("escape") << Clearing{[](TForm7 &d) { QTest::keyClick(&d, Qt::Key_Escape); }};
        QTest::newRow("enter right away")
            << Clearing{[](TForm7 &d) { QTest::keyClick(d.focusWidget(), Qt::Key_Return); }};
        QTest::newRow("enter on yes")
            << Clearing{[](TForm7 &d) {
                            QTest::keyClick(d.Button2, Qt::Key_Tab);
                            QTest::keyClick(d.focusWidget(), Qt::Key_Return);
                        },
                        true};
        QTest::newRow("close box") << Clearing{[](TForm7 &d) { d.close(); }};
    }
    void clearingTheScores() {
        QFETCH(Clearing, row);
        test::GameWindows w;
        saveHundreds(w);
        const QString file = QStringLiteral("tarvil.hig");
        if (!row.fileThere)
            QFile::remove(w.folder.path(file));
        const QByteArray old = w.folder.read(file);
        test::answerModal(row.answer);
        w.menu().Button9Click();
        const QByteArray now = w.folder.read(file);
        if (row.clears) {
            QFile golden(QStringLiteral(KRUMLIX_SOURCE_DIR "/highscore/default/tarvil.hig"));
            QVERIFY(golden.open(QIODevice::ReadOnly));
            QCOMPARE(now, golden.readAll());
            QCOMPARE(w.menu().pointsLabel(1)->text(), QStringLiteral("0"));
            QCOMPARE(w.menu().nameLabel(10)->text(), QStringLiteral("Tarvil        "));
        } else {
            QCOMPARE(now, old);
        }
        QVERIFY(!w.context.windows.Form7->isVisible());
    }

    // A clearing that cannot write reports it and leaves the dialog open.
    void failedClearingKeepsTheDialogOpen() {
        test::GameWindows w;
        saveHundreds(w);
        bool stillOpen = false;
        test::whenModal([&](QWidget *modal) {
            auto *dialog = static_cast<TForm7 *>(modal);
            {
                test::FileSizeLimit limit(100);
                dialog->Button1->click();
            }
            stillOpen = dialog->isVisible();
            dialog->Button2->click();
        });
        w.menu().Button9Click();
        QVERIFY(stillOpen);
        QCOMPARE(w.fake.messages.texts.size(), 1);
        QVERIFY(w.fake.messages.texts.first().startsWith(QStringLiteral("I/O error")));
        QCOMPARE(w.scoresOnDisk()[1][HighScoreEntry::RunScore], 900);
    }

    // The mail dialog shows the game folder as it is, centred, markup and
    // all.
    void mailDialogShowsTheFolder_data() {
        QTest::addColumn<QString>("folder");
        QTest::newRow("capitals") << "/Games/Arcade/";
        QTest::newRow("markup") << "/home/<b>Ann</b>/Krumlix/";
    }
    void mailDialogShowsTheFolder() {
        QFETCH(QString, folder);
        test::GameWindows w;
        w.shared.ProgramDir = folder;
        TForm8 &mail = *w.context.windows.Form8;
        mail.FormActivate();
        QLabel *shown = mail.labels[1];
        QCOMPARE(shown->text(), folder);
        QVERIFY(test::rendersPlainly(shown));
        QCOMPARE(shown->x(), 158 - shown->width() / 2);
        QCOMPARE(mail.labels[12]->text(), QStringLiteral("'tarvil.hig'."));
    }

    // The name is typed into a box that takes 14 characters; Enter, Accept
    // and the close box all enter the run with what the box holds, and
    // Escape does nothing: the dialog stays open for the name. The table
    // shows the name as typed, markup and all.
    void nameEntry_data() {
        QTest::addColumn<NameEntry>("row");
        const test::Answer<TForm6> enter = [](TForm6 &d) {
            QTest::keyClick(d.Edit1, Qt::Key_Return);
        };
        QTest::newRow("14 characters") << NameEntry{"Abcdefghijklmn", enter, "Abcdefghijklmn"};
        QTest::newRow("no 15th") << NameEntry{"Abcdefghijklmno", enter, "Abcdefghijklmn"};
        QTest::newRow("accept") << NameEntry{
            "Zoe", [](TForm6 &d) { QTest::mouseClick(d.Button1, Qt::LeftButton); },
            "Zoe           "};
        QTest::newRow("close box")
            << NameEntry{"Zoe", [](TForm6 &d) { d.close(); }, "Zoe           "};
        QTest::newRow("escape does nothing")
            << NameEntry{"Zoe",
                         [](TForm6 &d) {
                             QTest::keyClick(d.Edit1, Qt::Key_Escape);
                             QVERIFY(d.isVisible());
                             QTest::keyClicks(d.Edit1, "!");
                             QTest::keyClick(d.Edit1, Qt::Key_Return);
                         },
                         "Zoe!          "};
        QTest::newRow("markup") << NameEntry{"<b>Ann</b>", enter, "<b>Ann</b>    "};
    }
    void nameEntry() {
        QFETCH(NameEntry, row);
        test::GameWindows w;
        saveHundreds(w);
        QString shownInTable;
        bool shownPlainly = false;
        auto answer = [&](TForm6 &dialog) {
            QTest::keyClicks(dialog.Edit1, row.typed);
            row.finish(dialog);
        };
        menuAfterRun(w, 700, answer, [&] {
            shownInTable = w.menu().nameLabel(4)->text();
            shownPlainly = test::rendersPlainly(w.menu().nameLabel(4));
        });
        QVERIFY(!w.context.windows.Form6->isVisible());
        QCOMPARE(w.scoresOnDisk()[4].text(0, 14), row.stored);
        QCOMPARE(shownInTable, row.stored);
        QVERIFY(shownPlainly);
    }

    // Escape leaves every secondary window open, and its close box closes
    // it. (The menu starts a run on Escape, the clear-scores dialog takes
    // it for "No": both are tested above.) Enter presses the button that
    // has the focus, not the window's default button nor none; the keypad's
    // Enter does the same, and so does each repeat of a held Enter.
    void keysInTheWindows_data() {
        QTest::addColumn<KeyRow>("row");
        for (const char *window :
             {"AboutBox", "Regler", "setup", "Sound", "Stats", "Form6", "Form8", "Form9"})
            QTest::addRow("%s, Escape", window) << KeyRow{window, Qt::Key_Escape};
        QTest::newRow("Sound, Enter on Play") << KeyRow{"Sound", Qt::Key_Return, "Play"};
        QTest::newRow("Sound, keypad Enter on Play") << KeyRow{"Sound", Qt::Key_Enter, "Play"};
        QTest::newRow("Sound, Enter held on Play")
            << KeyRow{"Sound", Qt::Key_Return, "Play", true, 2};
        QTest::newRow("Stats, Enter on OK") << KeyRow{"Stats", Qt::Key_Return, "OK", false};
    }
    void keysInTheWindows() {
        const auto [window, key, button, stayOpen, repeats] = test::fetch<KeyRow>("row");
        HeldKeys heldKeys;
        qApp->installEventFilter(&heldKeys);
        test::GameWindows w;
        auto *dialog = w.game().findChild<QDialog *>(QLatin1String(window));
        QVERIFY(dialog);
        bool openAfterKey = false;
        bool closedByCloseBox = false;
        test::whenModal([&](QWidget *modal) {
            QTRY_VERIFY(modal->isActiveWindow());
            for (QPushButton *b : modal->findChildren<QPushButton *>()) {
                if (b->text() == QLatin1String(button)) {
                    b->setFocus();
                    break;
                }
            }
            QWidget *target = modal->focusWidget() ? modal->focusWidget() : modal;
            const auto modifier = key == Qt::Key_Enter ? Qt::KeypadModifier : Qt::NoModifier;
            QTest::keyPress(target, key, modifier);
            for (int i = 0; i < repeats; ++i) {
                QKeyEvent repeat(QEvent::KeyPress, key, modifier, QString(), true);
                QApplication::sendEvent(target, &repeat);
            }
            QTest::keyRelease(target, key, modifier);
            openAfterKey = modal->isVisible();
            modal->close();
            closedByCloseBox = !modal->isVisible();
            if (modal->isVisible())
                static_cast<QDialog *>(modal)->done(0);
        });
        dialog->exec();
        QCOMPARE(openAfterKey, stayOpen);
        QVERIFY(closedByCloseBox);
        QVERIFY(w.fake.messages.texts.isEmpty());
        if (QLatin1String(button) == QLatin1String("Play"))
            QCOMPARE(w.fake.sound.played.size(), 1 + repeats);
    }
};

QTEST_MAIN(MenuTest)
#include "tst_menuwindow.moc"
