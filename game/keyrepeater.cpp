// SPDX-License-Identifier: GPL-3.0-or-later
#include "keyrepeater.h"

#include "gamerun.h"

namespace krumlix {
namespace {

constexpr auto RepeatDelay = static_cast<std::uint32_t>(FastestRepeat.delayMs);
constexpr auto RepeatInterval = static_cast<std::uint32_t>(FastestRepeat.intervalMs);
/// A wake-up later than this many repeats (a suspended machine, a stalled
/// desktop) hands on only this many, not a burst of every one missed.
constexpr std::uint32_t MaxCatchUp = 8;
/// More repeats than one wait of the run can hold.
constexpr int MaxWakesPerWait = 64;

} // namespace

RepeatingWaiter::RepeatingWaiter(MillisecondCounter &clock, TickWaiter &waiter,
                                 std::function<void()> fired)
    : clock_(clock), waiter_(waiter), fired_(std::move(fired)) {}

void RepeatingWaiter::start(std::uint32_t ms) {
    due_ = clock_.now() + ms;
    armed_ = true;
}

void RepeatingWaiter::waitSince(std::uint32_t start, std::uint32_t ms) {
    // Every repeat handed on sets the next one at least an interval later,
    // so a wait holds only a few; the bound keeps a stuck clock from
    // holding the run here.
    for (int step = 0; armed_ && step < MaxWakesPerWait; ++step) {
        const std::uint32_t now = clock_.now();
        const std::uint32_t elapsed = now - start;
        const std::uint32_t left = elapsed < ms ? ms - elapsed : 0;
        const auto dueIn = static_cast<std::int32_t>(due_ - now);
        if (dueIn >= 0 && static_cast<std::uint32_t>(dueIn) >= left)
            break;
        if (dueIn > 0) {
            waiter_.waitSince(now, static_cast<std::uint32_t>(dueIn));
            // The keys handled in the wait may have let go of the key or
            // set the repeat anew.
            if (!armed_ || static_cast<std::int32_t>(due_ - clock_.now()) > 0)
                continue;
        }
        armed_ = false;
        fired_();
    }
    waiter_.waitSince(start, ms);
}

KeyRepeater::KeyRepeater(MillisecondCounter &clock, RepeatTimer &timer, CurrentRun currentRun,
                         KeyDown keyDown)
    : clock_(clock), timer_(timer), currentRun_(std::move(currentRun)),
      keyDown_(std::move(keyDown)) {}

bool KeyRepeater::repeats(std::uint16_t key) {
    return key == static_cast<std::uint16_t>(Key::Left) ||
           key == static_cast<std::uint16_t>(Key::Right) ||
           key == static_cast<std::uint16_t>(Key::Space);
}

void KeyRepeater::pressed(std::uint16_t key) {
    // Any other key going down ends the repeat of the one held before.
    const std::uint32_t run = currentRun_();
    if (!repeats(key) || run == 0) {
        stop();
        return;
    }
    key_ = key;
    down_ = true;
    run_ = run;
    pressedAt_ = clock_.now();
    delivered_ = 0;
    releasedAt_ = 0;
    schedule();
}

void KeyRepeater::released(std::uint16_t key, std::uint64_t timestamp) {
    if (!down_ || key != key_)
        return;
    down_ = false;
    releasedAt_ = timestamp;
    timer_.stop();
}

void KeyRepeater::systemRepeat(std::uint16_t key, std::uint64_t timestamp) {
    if (down_ || key != key_ || timestamp == 0 || timestamp != releasedAt_)
        return;
    down_ = true;
    releasedAt_ = 0;
    wake();
}

void KeyRepeater::stop() {
    down_ = false;
    key_ = 0;
    timer_.stop();
}

void KeyRepeater::wake() {
    if (!down_)
        return;
    if (currentRun_() != run_) {
        stop();
        return;
    }
    const std::uint32_t held = clock_.now() - pressedAt_;
    const std::uint32_t due = held < RepeatDelay ? 0 : (held - RepeatDelay) / RepeatInterval + 1;
    if (due > delivered_ + MaxCatchUp)
        delivered_ = due - MaxCatchUp;
    while (delivered_ < due) {
        ++delivered_;
        keyDown_(key_);
        // The key-down may have ended the run or let go of the key.
        if (!down_)
            return;
        if (currentRun_() != run_) {
            stop();
            return;
        }
    }
    schedule();
}

void KeyRepeater::schedule() {
    const std::uint32_t nextAt = RepeatDelay + delivered_ * RepeatInterval;
    const std::uint32_t held = clock_.now() - pressedAt_;
    timer_.start(nextAt > held ? nextAt - held : 0);
}

} // namespace krumlix
