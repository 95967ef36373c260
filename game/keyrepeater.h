// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/platform.h"

#include <cstdint>
#include <functional>

namespace krumlix {

/// Wakes the key repeater once, `ms` milliseconds from now; a new start
/// replaces the one before.
class RepeatTimer {
public:
    virtual ~RepeatTimer() = default;
    virtual void start(std::uint32_t ms) = 0;
    virtual void stop() = 0;
};

/// The repeater's timer on the run's own clock: a repeat falls due inside
/// the waits of the run loop, which it splits, so that each comes at its
/// time on whatever clock the run is played by. The run waits through it.
class RepeatingWaiter final : public TickWaiter, public RepeatTimer {
public:
    RepeatingWaiter(MillisecondCounter &clock, TickWaiter &waiter, std::function<void()> fired);
    void waitSince(std::uint32_t start, std::uint32_t ms) override;
    void start(std::uint32_t ms) override;
    void stop() override { armed_ = false; }

private:
    MillisecondCounter &clock_;
    TickWaiter &waiter_;
    std::function<void()> fired_;
    bool armed_ = false;
    std::uint32_t due_ = 0; ///< the clock reading it fires at
};

/// The game's own repeat of a held arrow or Space key, for a session in which
/// no program may set the keyboard's: the first repeat 250 ms after the key
/// went down, then one every 33 ms, for as long as the key is held in the run
/// it went down in. Each repeat is timed from the key-down, not from the
/// repeat before, so a late wake-up does not push the later ones back. Like a
/// keyboard it repeats only the key that went down last.
class KeyRepeater {
public:
    /// Handles one key-down, as a key press would.
    using KeyDown = std::function<void(std::uint16_t key)>;
    /// The run going on, by number; 0 when none is.
    using CurrentRun = std::function<std::uint32_t()>;

    KeyRepeater(MillisecondCounter &clock, RepeatTimer &timer, CurrentRun currentRun,
                KeyDown keyDown);

    /// The keys repeated: the arrows and Space.
    static bool repeats(std::uint16_t key);

    /// A key went down, not by a repeat; its own key-down has been handled.
    void pressed(std::uint16_t key);
    /// A key was let go; `timestamp` is the window system's time of it.
    void released(std::uint16_t key, std::uint64_t timestamp);
    /// The system repeated a held key. That hands on nothing; but a repeat
    /// with the very time of the key's release undoes the release: the
    /// system sent its repeat as a release and a press.
    void systemRepeat(std::uint16_t key, std::uint64_t timestamp);
    /// Nothing is held any more (the window lost the keyboard).
    void stop();
    /// The timer fired: hands on the repeats that are due.
    void wake();

    bool repeating() const { return down_; }

private:
    void schedule();

    MillisecondCounter &clock_;
    RepeatTimer &timer_;
    CurrentRun currentRun_;
    KeyDown keyDown_;
    std::uint16_t key_ = 0;        ///< the key repeated, 0 for none
    bool down_ = false;            ///< it is held
    std::uint32_t run_ = 0;        ///< the run it went down in
    std::uint32_t pressedAt_ = 0;  ///< the clock when it went down
    std::uint32_t delivered_ = 0;  ///< repeats handed on since then
    std::uint64_t releasedAt_ = 0; ///< the window system's time of its release
};

} // namespace krumlix
