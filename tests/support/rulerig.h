// SPDX-License-Identifier: GPL-3.0-or-later
// A game on the platform doubles for the rule tests: whole runs under the
// virtual clock, or single ticks and keys on a field prepared mid-run, and
// the helpers that read the field's pixels.
#pragma once

#include "datarows.h"
#include "fakes.h"
#include "game/gamehost.h"
#include "game/gamerun.h"
#include "game/lanes.h"
#include "settings/presetrates.h"

#include <QImage>
#include <QRect>
#include <QStringList>
#include <QTest>

#include <array>
#include <functional>
#include <initializer_list>
#include <utility>
#include <vector>

namespace krumlix::test {

/// A game host that records what a run shows, for rule tests without windows.
class FakeHost final : public GameHost {
public:
    void showClock(const QString &text) override { clocks << text; }
    void showScore(std::int32_t score) override { scores.push_back(score); }
    void showHitrate(float hitrate) override { hitrates.push_back(hitrate); }
    void setPromptVisible(bool visible) override { promptVisible = visible; }
    void showBonusLabel(const QString &text, int left) override {
        bonusText = text;
        bonusLeft = left;
        bonusVisible = true;
    }
    void hideBonusLabel() override { bonusVisible = false; }
    int selectedLevel() override { return level; }
    int rateSpinValue(int n) override {
        ++rateReads;
        return rates[static_cast<std::size_t>(n - 1)];
    }
    void PlayEventSound(SoundEvent event) override { sounds.push_back(event); }
    void fieldChanged() override { ++flushes; }
    void requestRepaint() override { ++repaints; }
    void showMenu() override {
        ++menus;
        if (onMenu)
            onMenu();
    }

    int level = 2;
    std::array<int, 12> rates = PresetRates[2];
    QStringList clocks;
    std::vector<std::int32_t> scores;
    std::vector<float> hitrates;
    std::vector<SoundEvent> sounds;
    bool promptVisible = true;
    bool bonusVisible = false;
    QString bonusText;
    int bonusLeft = 0;
    int rateReads = 0;
    int flushes = 0;
    int repaints = 0;
    int menus = 0;
    std::function<void()> onMenu;
};

struct RuleRig {
    FakePlatform fake;
    FakeHost host;
    SharedState shared;
    SpriteSheet sprites;
    Field field{sprites};
    GameRun game{shared, fake.platform, field, host};

    RuleRig() {
        fake.waiter.processEvents = false;
        // Every rate is 999 and every draw 999 unless a test scripts one, so
        // nothing enters unless a test lets it in.
        fake.random.fallback = 999;
        host.rates.fill(999);
    }

    /// Runs `action` after every tick of a run (and every step of the bonus
    /// count-up), in the wait where the player's keys are handled.
    void afterEveryTick(std::function<void()> action) {
        fake.waiter.beforeEvents = std::move(action);
    }

    /// Plays a whole run, started by the paint dispatch as after the menu.
    void playRun() {
        shared.GameState = GamePhase::RunRequested;
        game.FormPaint();
    }

    /// A run under way at 2:50 with an empty, black field: every slot free
    /// at its entry, all rates 999, the hero facing up (or at `aim`, when
    /// given). For single ticks.
    void prepareMidRun(int aim = 0) {
        if (aim > 0)
            game.AimPosition = aim;
        shared.GameState = GamePhase::Running;
        shared.BonusLevel = 3;
        game.ClockSeconds = 170;
        game.PeriodIndex = 0;
        for (Group g : AllGroups) {
            game.group(g).x.fill(lane(g).entryX);
            game.group(g).state.fill(0);
        }
        for (auto &period : shared.AnimalRates)
            period = {0, 999, 999, 999, 999};
    }

    /// Scripts the four draws of the next tick so that one animal enters in
    /// each of `groups` (if its lane is not blocked) and none elsewhere.
    void letInNextTick(std::initializer_list<Group> groups) {
        std::array<int, 4> draws{999, 999, 999, 999};
        for (Group g : groups)
            draws[static_cast<std::size_t>(g) - 1] = 0;
        fake.random.script.insert(fake.random.script.end(), draws.begin(), draws.end());
    }

    void step(int ticks = 1) {
        for (int i = 0; i < ticks; ++i)
            game.AnimalStep();
    }

    /// Steps at most `limit` ticks until `done()` holds after one: returns
    /// that tick, counted from 1, or 0. `between(t)` runs after each tick
    /// that did not end it.
    int stepUntil(int limit, const std::function<bool()> &done,
                  const std::function<void(int)> &between = {}) {
        for (int t = 1; t <= limit; ++t) {
            step();
            if (done())
                return t;
            if (between)
                between(t);
        }
        return 0;
    }

    void press(Key key) { game.FormKeyDown(static_cast<std::uint16_t>(key)); }

    /// Turns the hero with the arrow keys until he aims at `aim`: six
    /// presses at most reach any position from any other; a turn that goes
    /// wrong fails the test instead of pressing on for ever.
    void turnTo(int aim) {
        for (int i = 0; i < 6 && game.AimPosition < aim; ++i)
            press(Key::Right);
        for (int i = 0; i < 6 && game.AimPosition > aim; ++i)
            press(Key::Left);
        if (game.AimPosition != aim)
            QFAIL(qPrintable(QStringLiteral("six presses turned the hero to %1, not %2")
                                 .arg(game.AimPosition)
                                 .arg(aim)));
    }

    void place(Group g, int slot, int x, int state = 1) {
        game.group(g).x[slot] = x;
        game.group(g).state[slot] = state;
    }

    int flying(Group g) const {
        int n = 0;
        for (int i = 1; i <= SlotsPerGroup; ++i)
            n += game.animals[static_cast<int>(g)].state[i] == 1;
        return n;
    }
};

/// A rule rig prepared mid-run, the hero at `aim` (facing up when 0).
struct MidRunRig : RuleRig {
    explicit MidRunRig(int aim = 0) { prepareMidRun(aim); }
};

/// The field pixels of `rect` (field coordinates), at the field's scale.
inline QImage fieldPart(const Field &field, const QRect &rect) {
    const qreal ratio = field.image().devicePixelRatio();
    const QRect pixels(QPointF(rect.topLeft() * ratio).toPoint(),
                       QSizeF(rect.size() * ratio).toSize());
    return field.image().copy(pixels);
}

/// The sprite is on the field with its top-left corner at (x, y).
inline bool showsSprite(const Field &field, Sprite sprite, int x, int y) {
    const QRect rect(x, y, info(sprite).width, info(sprite).height);
    return fieldPart(field, rect) == field.sprites().image(sprite);
}

inline bool allBlack(const QImage &image) {
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if ((image.pixel(x, y) & 0xFFFFFFu) != 0)
                return false;
    return true;
}

inline bool isBlack(const Field &field, const QRect &rect) {
    return allBlack(fieldPart(field, rect));
}

} // namespace krumlix::test
