// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QDate>
#include <QString>
#include <QUrl>

#include <cstdint>

namespace krumlix {

/// The multimedia millisecond counter: unsigned 32 bits, wrapping. Elapsed
/// times are always differences modulo 2^32.
class MillisecondCounter {
public:
    virtual ~MillisecondCounter() = default;
    virtual std::uint32_t now() = 0;
};

/// Hands control to the window system until `ms` milliseconds have passed
/// since `start` (a counter reading). Pending keys, paints and close requests
/// are handled while it waits, at least once even when the time is already up.
class TickWaiter {
public:
    virtual ~TickWaiter() = default;
    virtual void waitSince(std::uint32_t start, std::uint32_t ms) = 0;
};

/// The keyboard's auto-repeat: the delay before the first repeat and the
/// interval between repeats, in milliseconds.
struct RepeatRate {
    int delayMs = 0;
    int intervalMs = 0;
    friend bool operator==(const RepeatRate &, const RepeatRate &) = default;
};

/// The fastest repeat the game sets while it runs: a delay of 250 ms and 30
/// repeats a second.
inline constexpr RepeatRate FastestRepeat{250, 33};

class KeyboardRepeat {
public:
    virtual ~KeyboardRepeat() = default;
    /// The current settings; false when there is no keyboard to ask.
    virtual bool read(RepeatRate &rate) = 0;
    /// Sets the repeat for this session only; nothing is stored in the
    /// user's profile.
    virtual void set(const RepeatRate &rate) = 0;
    /// False in a session where no program may change the repeat (Wayland):
    /// the game then leaves it alone and repeats held keys itself.
    virtual bool canSet() const { return true; }
};

/// Shows an error text to the player in a box with an OK button.
class MessageBox {
public:
    virtual ~MessageBox() = default;
    virtual void show(const QString &caption, const QString &text) = 0;
};

/// The system clock: milliseconds since midnight (UTC) and the local date.
class TimeOfDay {
public:
    virtual ~TimeOfDay() = default;
    virtual std::uint32_t millisecondsSinceMidnight() = 0;
    virtual QDate localDate() = 0;
};

/// Opens a web page in the user's browser; a failure is not reported.
class WebBrowser {
public:
    virtual ~WebBrowser() = default;
    virtual void open(const QUrl &url) = 0;
};

/// The pseudo-random generator the animals are let in by.
class RandomSource {
public:
    virtual ~RandomSource() = default;
    virtual void seed(std::uint32_t seed) = 0;
    /// A uniform integer from 0 to 999.
    virtual int below1000() = 0;
};

/// Wave-file playback on one channel: a new sound cuts off the one playing.
class SoundOutput {
public:
    virtual ~SoundOutput() = default;
    /// Starts playing the file and returns at once. A path that cannot be
    /// played is silent.
    virtual void play(const QByteArray &path) = 0;
    /// Stops the sound playing, if any, and returns once it has stopped.
    virtual void stop() = 0;
    /// Gets the file that event `event` uses now ready, so that its first
    /// play starts at once. The files the events use now are kept ready
    /// before any other, within a bound on the memory they take.
    virtual void preload(int event, const QByteArray &path) {
        (void)event;
        (void)path;
    }
};

/// The services the game takes from the platform. Not owned.
struct Platform {
    MillisecondCounter &counter;
    TickWaiter &waiter;
    KeyboardRepeat &keyboard;
    MessageBox &messages;
    TimeOfDay &timeOfDay;
    RandomSource &random;
    SoundOutput &sound;
    WebBrowser &browser;
};

} // namespace krumlix
