// SPDX-License-Identifier: GPL-3.0-or-later
// A gamepad in the real windows, through SDL's own virtual pads: the whole
// cycle with a pad alone, pads plugged in and pulled out during a run, the
// stick's dead zone, the repeat of a held button, and a pad that does
// nothing while no window of the game is active.
#include "highscore/nameentry.h"
#include "platform/gamepad_sdl.h"
#include "support/gamewindows.h"
#include "widgets/padkeys.h"

#include <QLineEdit>
#include <QSignalSpy>
#include <QWindow>

#include <SDL.h>

using namespace krumlix;

namespace {

/// A pad of SDL's making, plugged in while it lives.
class VirtualPad {
public:
    VirtualPad() {
        SDL_VirtualJoystickDesc desc{};
        desc.version = SDL_VIRTUAL_JOYSTICK_DESC_VERSION;
        desc.type = SDL_JOYSTICK_TYPE_GAMECONTROLLER;
        desc.naxes = SDL_CONTROLLER_AXIS_MAX;
        desc.nbuttons = SDL_CONTROLLER_BUTTON_MAX;
        desc.name = "Test pad";
        joystick_ = SDL_JoystickOpen(SDL_JoystickAttachVirtualEx(&desc));
    }
    ~VirtualPad() { pull(); }
    void pull() {
        if (!joystick_)
            return;
        const SDL_JoystickID id = SDL_JoystickInstanceID(joystick_);
        for (int i = 0; i < SDL_NumJoysticks(); ++i)
            if (SDL_JoystickGetDeviceInstanceID(i) == id)
                SDL_JoystickDetachVirtual(i);
        SDL_JoystickClose(joystick_);
        joystick_ = nullptr;
    }
    void button(int button, bool down) { SDL_JoystickSetVirtualButton(joystick_, button, down); }
    void axis(int axis, int value) {
        SDL_JoystickSetVirtualAxis(joystick_, axis, static_cast<Sint16>(value));
    }

private:
    SDL_Joystick *joystick_ = nullptr;
};

/// The game windows with the pads wired as the program wires them.
struct PadWindows : test::GameWindows {
    SdlGamepads pads;
    PadKeys keys;
    PadWindows() { QObject::connect(&pads, &SdlGamepads::keyChanged, &keys, &PadKeys::keyChanged); }
    /// Presses and lets go of `button`, each read at once as a pad's device
    /// would have the game read it. A press whose handling still runs (it
    /// opened a window) is let go first.
    void click(VirtualPad &pad, int button) {
        pad.button(button, false);
        pads.pump();
        pad.button(button, true);
        pads.pump();
        pad.button(button, false);
        pads.pump();
    }
    int aim() { return game().game().AimPosition; }
};

/// Runs `step` with the tick's number on every tick of a run.
void onTicks(PadWindows &w, std::function<void(int)> step) {
    w.fake.waiter.beforeEvents = [&w, step, tick = 0]() mutable {
        if (w.shared.GameState == GamePhase::Running)
            step(++tick);
    };
}

} // namespace

class GamepadTest : public QObject {
    Q_OBJECT
private slots:
    // Start in the menu starts a game; the d-pad and the stick turn Tarvil,
    // the south button fires, the east button ends the run; Start goes on
    // past the after-run screen and the bonus count-up and accepts the name
    // in the name entry's box; the menu is back with the run in the table.
    void wholeCycleWithAPadAlone() {
        PadWindows w;
        VirtualPad pad;
        w.pads.pump();
        QCOMPARE(w.pads.count(), 1);
        w.setup().RadioGroup1->setItemIndex(2);
        QList<int> aims;
        int shots = -1;
        onTicks(w, [&](int tick) {
            if (tick == 2) {
                w.click(pad, SDL_CONTROLLER_BUTTON_DPAD_LEFT);
                aims << w.aim();
                pad.axis(SDL_CONTROLLER_AXIS_LEFTX, 30000);
                w.pads.pump();
                pad.axis(SDL_CONTROLLER_AXIS_LEFTX, 0);
                w.pads.pump();
                aims << w.aim();
                w.click(pad, SDL_CONTROLLER_BUTTON_A);
                shots = w.shared.ShotCount;
                w.shared.RunScore = 100000; // as though it had hit: a run for the table
            } else if (tick == 4) {
                w.click(pad, SDL_CONTROLLER_BUTTON_B);
            }
        });
        int menus = 0;
        const auto start = [&](QWidget *modal) {
            ++menus;
            QTRY_COMPARE(QApplication::activeWindow(), modal);
            w.click(pad, SDL_CONTROLLER_BUTTON_START);
        };
        test::whenModal(start);
        w.game().show();
        QTRY_COMPARE(w.shared.GameState, GamePhase::AfterRun);
        QCOMPARE(menus, 1);
        QCOMPARE(aims, (QList<int>{3, 4}));
        QCOMPARE(shots, 1);
        QCOMPARE(w.game().game().ticksPlayed(), 5); // ended early
        TForm6 *form6 = w.context.windows.Form6;
        form6->Edit1->setText(QStringLiteral("Ann")); // kept from an earlier entry
        test::whenModal(
            [&](QWidget *modal) {
                test::whenModal([&](QWidget *) { ++menus, w.menu().done(0); }, &w.menu());
                QTRY_COMPARE(QApplication::activeWindow(), modal);
                w.click(pad, SDL_CONTROLLER_BUTTON_START);
            },
            form6);
        for (int press = 0; press < 3 && menus < 2; ++press)
            w.click(pad, SDL_CONTROLLER_BUTTON_START);
        QCOMPARE(menus, 2);
        QCOMPARE(w.scoresOnDisk()[1].text(HighScoreEntry::EntryName, 3), QStringLiteral("Ann"));
    }

    // Pads plugged in and pulled out during a run: both of two pads work,
    // a pad pulled while it holds a key lets the key go, the run goes on,
    // and the keyboard and the other pad keep working.
    void plugAndPullInARun() {
        PadWindows w;
        std::unique_ptr<VirtualPad> a, b;
        QList<int> aims, counts;
        onTicks(w, [&](int tick) {
            if (tick == 2) {
                a = std::make_unique<VirtualPad>();
                b = std::make_unique<VirtualPad>();
                w.pads.pump();
                counts << w.pads.count();
                a->button(SDL_CONTROLLER_BUTTON_DPAD_LEFT, true);
                w.pads.pump();
                aims << w.aim();
                a->pull(); // holding Left
                w.pads.pump();
                counts << w.pads.count();
                QTest::qWait(400); // a key left held would repeat by now
                aims << w.aim();
                QTest::keyClick(&w.game(), Qt::Key_Right);
                aims << w.aim();
                w.click(*b, SDL_CONTROLLER_BUTTON_DPAD_LEFT); // Left was let go
                aims << w.aim();
                b->pull();
                w.pads.pump();
                counts << w.pads.count();
            } else if (tick == 3) {
                QTest::keyClick(&w.game(), Qt::Key_Escape);
            }
        });
        test::whenModal([](QWidget *modal) { QTest::keyClick(modal, Qt::Key_Return); });
        w.game().show();
        QTRY_COMPARE(w.shared.GameState, GamePhase::AfterRun);
        QCOMPARE(counts, (QList<int>{2, 1, 0}));
        QCOMPARE(aims, (QList<int>{3, 3, 4, 3}));
        QCOMPARE(w.game().game().ticksPlayed(), 4);
    }

    // The stick holds a key only past half its travel, and lets it go only
    // back under a third: rest and drift hold nothing.
    void stickDeadZone_data() {
        test::columns<int, QList<int>, QStringList>("axis", "values", "changes");
        const int x = SDL_CONTROLLER_AXIS_LEFTX, y = SDL_CONTROLLER_AXIS_LEFTY;
        QTest::newRow("rest and drift")
            << x << QList<int>{0, 4000, -9000, 12000, -15000} << QStringList{};
        QTest::newRow("past half") << x << QList<int>{17000} << QStringList{"Right down"};
        QTest::newRow("held inside the release line")
            << x << QList<int>{-17000, -11000, -20000} << QStringList{"Left down"};
        QTest::newRow("let go under a third")
            << x << QList<int>{17000, 9000} << QStringList{"Right down", "Right up"};
        QTest::newRow("flicked across")
            << x << QList<int>{-32768, 32767} << QStringList{"Left down", "Left up", "Right down"};
        QTest::newRow("up") << y << QList<int>{-20000, 0} << QStringList{"Up down", "Up up"};
        QTest::newRow("the right stick")
            << int(SDL_CONTROLLER_AXIS_RIGHTX) << QList<int>{30000} << QStringList{};
    }
    void stickDeadZone() {
        const auto [axis, values, changes] =
            test::fetch<int, QList<int>, QStringList>("axis", "values", "changes");
        SdlGamepads pads;
        VirtualPad pad;
        pads.pump();
        QStringList seen;
        connect(&pads, &SdlGamepads::keyChanged, this, [&seen](int key, bool down) {
            seen << QKeySequence(key).toString() + (down ? " down" : " up");
        });
        for (int value : values) {
            pad.axis(axis, value);
            pads.pump();
        }
        QCOMPARE(seen, changes);
    }

    // A held button repeats as the keyboard at its fastest: the first repeat
    // a quarter second after it went down, then one every 33 ms, each timed
    // from the going down.
    void heldButtonRepeats() {
        QLineEdit target;
        target.show();
        target.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&target));
        PadKeys keys;
        QElapsedTimer held;
        QList<qint64> repeats;
        int presses = 0;
        struct Filter : QObject {
            std::function<void(QKeyEvent *)> seen;
            bool eventFilter(QObject *, QEvent *event) override {
                if (event->type() == QEvent::KeyPress)
                    seen(static_cast<QKeyEvent *>(event));
                return false;
            }
        } filter;
        filter.seen = [&](QKeyEvent *event) {
            ++presses;
            if (event->isAutoRepeat())
                repeats << held.elapsed();
        };
        target.installEventFilter(&filter);
        held.start();
        keys.keyChanged(Qt::Key_Right, true);
        QTRY_VERIFY_WITH_TIMEOUT(repeats.size() >= 12, 2000);
        keys.keyChanged(Qt::Key_Right, false);
        const int afterRelease = presses;
        for (int n = 0; n < repeats.size(); ++n)
            QVERIFY2(repeats[n] >= 250 + 33 * n, qPrintable(QString::number(repeats[n])));
        // Late wake-ups of a busy machine delay a repeat, not the ones after.
        QVERIFY2(repeats[11] < 250 + 33 * 11 + 80, qPrintable(QString::number(repeats[11])));
        QTest::qWait(100);
        QCOMPARE(presses, afterRelease);
    }

    // While no window of the game is active a pad does nothing, and what it
    // held then does not act once the game is back in front.
    void inactiveGameIgnoresThePad() {
        PadWindows w;
        VirtualPad pad;
        w.pads.pump();
        QWindow other;
        QList<int> aims;
        onTicks(w, [&](int tick) {
            if (tick != 2)
                return;
            w.click(pad, SDL_CONTROLLER_BUTTON_DPAD_LEFT);
            aims << w.aim();
            other.show();
            other.requestActivate();
            QTRY_VERIFY(!QApplication::activeWindow());
            w.click(pad, SDL_CONTROLLER_BUTTON_DPAD_LEFT);
            pad.button(SDL_CONTROLLER_BUTTON_B, true);
            w.pads.pump();
            aims << w.aim();
            w.game().activateWindow();
            QTRY_COMPARE(QApplication::activeWindow(), &w.game());
            pad.button(SDL_CONTROLLER_BUTTON_B, false);
            w.pads.pump();
            w.click(pad, SDL_CONTROLLER_BUTTON_DPAD_LEFT);
            aims << w.aim();
            QTest::keyClick(&w.game(), Qt::Key_Escape);
        });
        test::whenModal([](QWidget *modal) { QTest::keyClick(modal, Qt::Key_Return); });
        w.game().show();
        QTRY_COMPARE(w.shared.GameState, GamePhase::AfterRun);
        QCOMPARE(aims, (QList<int>{3, 3, 2}));
        QCOMPARE(w.game().game().ticksPlayed(), 3);
    }
};

QTEST_MAIN(GamepadTest)
#include "tst_gamepad.moc"
