// SPDX-License-Identifier: GPL-3.0-or-later
// All eleven windows on the platform doubles, as the program creates them.
#pragma once

#include "app/windows.h"
#include "fakes.h"
#include "game/gamewindow.h"
#include "highscore/highscorefile.h"
#include "highscore/menuwindow.h"
#include "modalwatchdog.h"
#include "settings/difficultywindow.h"
#include "settings/savednotice.h"
#include "sound/filechooser.h"
#include "stats/statswindow.h"
#include "tempgame.h"

#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QTimer>

#include <functional>
#include <memory>

namespace krumlix::test {

/// A game folder of its own holding the shipped files, with the statistics
/// left closed after a run unless a test opens them.
struct GameFolder : TempGameDir {
    GameFolder() {
        for (const char *file : {"settings/default/setup.ini", "highscore/default/tarvil.hig"})
            QFile::copy(QStringLiteral(KRUMLIX_SOURCE_DIR "/") + QLatin1String(file),
                        path(QFileInfo(QLatin1String(file)).fileName()));
        QFile settings(path(QStringLiteral("setup.ini")));
        if (settings.open(QIODevice::ReadWrite)) {
            QByteArray text = settings.readAll();
            text.chop(3); // the last line, the statistics flag
            text += "0\r\n";
            settings.resize(0);
            settings.write(text);
        }
    }
};

/// Answers the file dialogs with `answer` as a player would, or cancels
/// while it is empty; records the names it was offered.
class ScriptedChooser final : public FileChooser {
public:
    explicit ScriptedChooser(QString answer = {}) : answer(std::move(answer)) {}
    bool execute() override {
        ++shown;
        offered << fileName;
        if (answer.isEmpty())
            return false;
        fileName = answer;
        return true;
    }
    QString answer;
    QStringList offered;
    int shown = 0;
};

struct GameWindows {
    /// Every window test fails, and goes on, when a dialog nothing answers stays open.
    ModalWatchdog watchdog;
    GameFolder folder;
    FakePlatform fake;
    SharedState shared;
    ErrorHandler errors{fake.messages};
    int programEnds = 0;
    AppContext context{shared, fake.platform, errors, {}, [this] { ++programEnds; }};
    std::unique_ptr<TForm1> form1{createWindows(context)};

    GameWindows() {
        shared.ProgramDir = folder.programDir();
        context.windows.Stats->CheckBox1->setChecked(false); // as the folder's settings say
        fake.random.fallback = 999;                          // no animal ever enters
        fake.counter.step = 1; // a millisecond passes with every reading
    }

    TForm1 &game() { return *context.windows.Form1; }
    THighscore &menu() { return *context.windows.Highscore; }
    Tsetup &setup() { return *context.windows.setup; }
    /// The rates the difficulty window shows, `SpinEdit1` .. `SpinEdit12`.
    QList<int> spinValues() const {
        QList<int> values;
        for (int n = 1; n <= 12; ++n)
            values << context.windows.setup->spinEdit(n)->value();
        return values;
    }

    /// The high-score table as the file in the game folder holds it now.
    HighScoreTableType scoresOnDisk() const {
        SharedState reread;
        reread.ProgramDir = shared.ProgramDir;
        LoadHighScores(reread);
        return reread.HighScoreTable;
    }
};

/// Runs `action` as soon as a modal window is open, or `target` when one is
/// given is the modal window on top (checked every few milliseconds of real
/// time, from inside its own event loop).
inline void whenModal(std::function<void(QWidget *)> action, QWidget *target = nullptr) {
    auto *timer = new QTimer;
    timer->setInterval(2);
    QObject::connect(timer, &QTimer::timeout, timer, [timer, action, target] {
        QWidget *modal = QApplication::activeModalWidget();
        if (modal && (!target || modal == target)) {
            timer->stop();
            timer->deleteLater();
            action(modal);
        }
    });
    timer->start();
}

/// How a test answers a modal window of the class `Dialog`.
template <typename Dialog> using Answer = std::function<void(Dialog &)>;

/// Answers the next modal window, which must be a `Dialog`, with `answer`;
/// a window the answer left open is closed after it.
template <typename Dialog> void answerModal(const Answer<Dialog> &answer) {
    whenModal([answer](QWidget *modal) {
        auto *dialog = qobject_cast<Dialog *>(modal);
        QVERIFY2(dialog,
                 qPrintable(QStringLiteral("not the window awaited: ") + modal->objectName()));
        answer(*dialog);
        if (dialog->isVisible())
            static_cast<QDialog *>(dialog)->done(0);
    });
}

} // namespace krumlix::test
