// SPDX-License-Identifier: GPL-3.0-or-later
// The game's own repeat of a held key, on a virtual clock and timer: how many
// key-downs a hold gives, what ends it, and that the system's repeats add
// nothing.
#include "game/gamerun.h"
#include "game/keyrepeater.h"
#include "support/datarows.h"
#include "support/fakes.h"

#include <QTest>

using namespace krumlix;

namespace {

/// Left held for `hold` ms; the key-downs it gives, the press included.
struct Hold {
    int hold, keyDowns;
    int late = 0;   ///< each wake this late
    int system = 0; ///< the system's repeats: 0 none, 1 plain, 2 release-press pairs
    QString interrupt = {};
    int at = 0; ///< when `interrupt` happens
};

/// Remembers when it was asked to fire, on the virtual clock.
class FakeTimer final : public RepeatTimer {
public:
    explicit FakeTimer(test::VirtualCounter &clock) : clock_(clock) {}
    void start(std::uint32_t ms) override {
        armed = true;
        due = clock_.time + ms;
    }
    void stop() override { armed = false; }
    bool armed = false;
    std::uint32_t due = 0;

private:
    test::VirtualCounter &clock_;
};

constexpr auto Left = static_cast<std::uint16_t>(Key::Left);
constexpr auto Enter = static_cast<std::uint16_t>(Key::Enter);

} // namespace

class KeyRepeaterTest : public QObject {
    Q_OBJECT
private slots:
    // Left goes down at 0 and is let go at `hold`; the timer fires `late` ms
    // after the time it was set for. Repeats come at 250, 283, 316, ...
    // counted from the key-down however late the timer is. The system's own
    // repeats (every 40 ms from 600 ms, plain or as X11 release-press pairs)
    // add nothing and do not end the hold; the end of the run or another key
    // going down at `at` ends it, or Left is let go and pressed again then.
    void keyDownsOfAHold_data() {
        QTest::addColumn<Hold>("row");
        QTest::newRow("a tap") << Hold{0, 1};
        QTest::newRow("249 ms") << Hold{249, 1};
        QTest::newRow("251 ms") << Hold{251, 2};
        QTest::newRow("282 ms") << Hold{282, 2};
        QTest::newRow("284 ms") << Hold{284, 3};
        QTest::newRow("450 ms") << Hold{450, 8};
        QTest::newRow("1 s") << Hold{1000, 24};
        QTest::newRow("1 s, each wake 20 ms late") << Hold{1000, 24, 20};
        QTest::newRow("1 s, each wake 40 ms late") << Hold{1000, 23, 40};
        // Asleep from 250 to 950 ms: 22 repeats are due, only the last 8 come.
        QTest::newRow("1 s, each wake 700 ms late") << Hold{1000, 9, 700};
        QTest::newRow("1 s with system repeats") << Hold{1000, 24, 0, 1};
        QTest::newRow("1 s with X11 pairs") << Hold{1000, 24, 0, 2};
        QTest::newRow("run ends at 400 ms") << Hold{1000, 6, 0, 0, "run end", 400};
        QTest::newRow("run ends, system repeats after") << Hold{1000, 6, 0, 2, "run end", 400};
        QTest::newRow("Enter goes down at 300 ms") << Hold{1000, 3, 0, 0, "Enter", 300};
        // Two holds of 500 ms, each repeating from its own key-down.
        QTest::newRow("let go and pressed again at 500 ms")
            << Hold{1000, 18, 0, 0, "Left again", 500};
    }
    void keyDownsOfAHold() {
        const auto &[hold, keyDowns, late, system, interrupt, at] = test::fetch<Hold>("row");
        test::VirtualCounter clock;
        FakeTimer timer(clock);
        std::uint32_t run = 1;
        int lefts = 1; // the press itself, handled before the repeater sees it
        int others = 0;
        KeyRepeater repeater(
            clock, timer, [&] { return run; },
            [&](std::uint16_t key) { key == Left ? ++lefts : ++others; });
        const std::uint32_t start = clock.time;
        repeater.pressed(Left);
        const std::uint32_t end = start + static_cast<std::uint32_t>(hold);
        std::uint32_t nextSystem = start + 600;
        bool interrupted = interrupt.isEmpty();
        for (int step = 0; step < 10000; ++step) {
            std::uint32_t wakeAt = timer.armed ? timer.due + static_cast<std::uint32_t>(late) : end;
            const std::uint32_t interruptAt = start + static_cast<std::uint32_t>(at);
            const std::uint32_t t =
                std::min({wakeAt, end, system ? nextSystem : end, interrupted ? end : interruptAt});
            clock.time = t;
            if (!interrupted && t == interruptAt) {
                interrupted = true;
                if (interrupt == QLatin1String("run end")) {
                    run = 0;
                } else if (interrupt == QLatin1String("Left again")) {
                    repeater.released(Left, t);
                    ++lefts;
                    repeater.pressed(Left);
                } else {
                    repeater.pressed(Enter);
                }
            } else if (t == end) {
                repeater.released(Left, t);
                break;
            } else if (system && t == nextSystem) {
                if (system == 2)
                    repeater.released(Left, t);
                repeater.systemRepeat(Left, t);
                nextSystem += 40;
            } else {
                timer.armed = false;
                repeater.wake();
            }
        }
        // Nothing more once the key is let go, however long the timer runs on.
        clock.time += 1000;
        if (timer.armed)
            repeater.wake();
        QCOMPARE(lefts, keyDowns);
        QCOMPARE(others, 0);
        QVERIFY(!repeater.repeating());
    }
};

QTEST_GUILESS_MAIN(KeyRepeaterTest)
#include "tst_keyrepeater.moc"
