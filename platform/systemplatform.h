// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform.h"
#include "pulsesoundoutput.h"

#include <initializer_list>
#include <memory>
#include <random>

namespace krumlix {

/// Milliseconds of the monotonic system clock, cut to 32 bits.
class SystemCounter final : public MillisecondCounter {
public:
    std::uint32_t now() override;
};

/// Waits in a nested event loop woken by a precise single-shot timer, so the
/// process sleeps between ticks instead of polling the counter.
class EventLoopWaiter final : public TickWaiter {
public:
    explicit EventLoopWaiter(MillisecondCounter &counter) : counter_(counter) {}
    void waitSince(std::uint32_t start, std::uint32_t ms) override;

private:
    MillisecondCounter &counter_;
};

/// A modal QMessageBox with one OK button.
class DialogMessageBox final : public MessageBox {
public:
    void show(const QString &caption, const QString &text) override;
};

class SystemTimeOfDay final : public TimeOfDay {
public:
    std::uint32_t millisecondsSinceMidnight() override;
    QDate localDate() override { return QDate::currentDate(); }
};

class DesktopBrowser final : public WebBrowser {
public:
    void open(const QUrl &url) override;
};

class MersenneRandom final : public RandomSource {
public:
    void seed(std::uint32_t seed) override { engine_.seed(seed); }
    int below1000() override { return std::uniform_int_distribution<int>(0, 999)(engine_); }

private:
    std::mt19937 engine_;
};

/// True when the desktop session is a Wayland one (XDG_SESSION_TYPE or
/// WAYLAND_DISPLAY say so), even when the program itself talks to the
/// session's X server.
bool inWaylandSession();

/// The keyboard repeat of the X server named by $DISPLAY, through XKB, read
/// and set by the keeper of the repeat (EmergencyRestore) on an X connection
/// of its own. Without a display or a keeper it reads nothing and sets
/// nothing. In a Wayland session the repeat belongs to the compositor, which
/// hands it to its X server as it pleases: there no keeper is started, and
/// nothing is read or set.
class X11KeyboardRepeat final : public KeyboardRepeat {
public:
    /// Starts the keeper, unless in a Wayland session or without a display.
    /// Call first thing in main, before any thread has started. The keeper
    /// holds the files of `keepOpen` open too, till it ends.
    static void startKeeper(std::initializer_list<int> keepOpen = {});
    /// Decides once, from the session it starts in, whether it may set the
    /// repeat.
    X11KeyboardRepeat();

    bool read(RepeatRate &rate) override;
    void set(const RepeatRate &rate) override;
    bool canSet() const override { return !wayland_; }

private:
    bool wayland_;
    bool readFailed_ = false; ///< each said once, not on every call
    bool setFailed_ = false;
};

/// Everything real, owned in one place by the entry point.
class SystemPlatform {
public:
    SystemPlatform();
    Platform &platform() { return platform_; }

private:
    SystemCounter counter_;
    EventLoopWaiter waiter_{counter_};
    X11KeyboardRepeat keyboard_;
    DialogMessageBox messages_;
    SystemTimeOfDay timeOfDay_;
    MersenneRandom random_;
    PulseSoundOutput sound_;
    DesktopBrowser browser_;
    Platform platform_;
};

} // namespace krumlix
