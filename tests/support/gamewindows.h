// SPDX-License-Identifier: GPL-3.0-or-later
// All eleven windows on the platform doubles, as the program creates them;
// a guard against modal windows that nothing answers, so that a fault that
// opens one ends the test in seconds; what a player sees of a label, and the
// mouse as a player uses it.
#pragma once

#include "app/windows.h"
#include "datarows.h"
#include "fakes.h"
#include "game/gamewindow.h"
#include "highscore/highscorefile.h"
#include "highscore/menuwindow.h"
#include "settings/difficultywindow.h"
#include "settings/savednotice.h"
#include "sound/filechooser.h"
#include "stats/statswindow.h"
#include "tempgame.h"

#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QPointer>
#include <QStringList>
#include <QTest>
#include <QTimer>
#include <QWidget>

#include <chrono>
#include <functional>
#include <memory>

namespace krumlix::test {

/// While it lives, any modal window that stays the active one for longer
/// than `limit` is closed (rejected) and the running test fails, naming it.
/// A test that answers its windows, even slowly, never meets it.
class ModalWatchdog {
public:
    explicit ModalWatchdog(std::chrono::milliseconds limit = std::chrono::seconds(10))
        : limit_(limit) {
        timer_.setInterval(50);
        QObject::connect(&timer_, &QTimer::timeout, &timer_, [this] { check(); });
        timer_.start();
    }
    ModalWatchdog(const ModalWatchdog &) = delete;
    ModalWatchdog &operator=(const ModalWatchdog &) = delete;

    /// The windows it had to close, by object name and caption.
    QStringList closed;

private:
    void check() {
        QWidget *modal = QApplication::activeModalWidget();
        if (modal != watched_ || !modal) {
            watched_ = modal;
            since_.start();
            return;
        }
        if (since_.elapsed() < limit_.count())
            return;
        const QString name =
            modal->objectName() + QStringLiteral(" \"") + modal->windowTitle() + QLatin1Char('"');
        closed << name;
        watched_ = nullptr;
        if (auto *dialog = qobject_cast<QDialog *>(modal))
            dialog->done(QDialog::Rejected);
        else
            modal->close();
        QTest::qFail(qPrintable(QStringLiteral("modal window %1 left open for %2 ms was closed")
                                    .arg(name)
                                    .arg(limit_.count())),
                     __FILE__, __LINE__);
    }

    std::chrono::milliseconds limit_;
    QTimer timer_;
    QPointer<QWidget> watched_;
    QElapsedTimer since_;
};

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

/// True when the label shows its text character for character: a text
/// such as "<b>Ann</b>" taken as markup would take far less room than its
/// characters do.
inline bool rendersPlainly(const QLabel *label) {
    const int characters = label->fontMetrics().horizontalAdvance(label->text());
    return label->sizeHint().width() + 2 >= characters;
}

/// The right edge of a control in its parent, where a readout is aligned.
inline int rightEdge(const QWidget *control) {
    return control->geometry().x() + control->width();
}

/// The ways a player's mouse meets a control.
enum class Gesture { Click, DoubleClick, TwoClicks, RightClick, ReleaseOutside };

/// Delivers a gesture as the window system does: a double-click is a press,
/// a release, the double-click press and its release.
inline void perform(QWidget *control, Gesture gesture) {
    switch (gesture) {
    case Gesture::Click:
        QTest::mouseClick(control, Qt::LeftButton);
        break;
    case Gesture::DoubleClick:
        QTest::mousePress(control, Qt::LeftButton);
        QTest::mouseRelease(control, Qt::LeftButton);
        QTest::mouseDClick(control, Qt::LeftButton);
        QTest::mouseRelease(control, Qt::LeftButton);
        break;
    case Gesture::TwoClicks:
        QTest::mouseClick(control, Qt::LeftButton);
        QTest::mouseClick(control, Qt::LeftButton);
        break;
    case Gesture::RightClick:
        QTest::mouseClick(control, Qt::RightButton);
        break;
    case Gesture::ReleaseOutside:
        QTest::mousePress(control, Qt::LeftButton);
        QTest::mouseRelease(control, Qt::LeftButton, {},
                            QPoint(control->width() + 20, control->height() + 20));
        break;
    }
}

} // namespace krumlix::test

Q_DECLARE_METATYPE(krumlix::test::Gesture)
