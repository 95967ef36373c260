// SPDX-License-Identifier: GPL-3.0-or-later
// Test doubles for the platform: a virtual millisecond counter and a wait
// that advances it, a scripted random generator, recorders.
#pragma once

#include "platform/platform.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QStringList>

#include <deque>
#include <functional>

namespace krumlix::test {

class VirtualCounter final : public MillisecondCounter {
public:
    std::uint32_t now() override {
        const std::uint32_t value = time;
        time += step;
        return value;
    }
    std::uint32_t time = 1000;
    /// Milliseconds that pass with every reading (0: time stands still).
    std::uint32_t step = 0;
};

/// Jumps the counter to the deadline, handling pending events once on the
/// way, as the real wait does.
class VirtualWaiter final : public TickWaiter {
public:
    explicit VirtualWaiter(VirtualCounter &counter) : counter_(counter) {}
    void waitSince(std::uint32_t start, std::uint32_t ms) override {
        ++waits;
        if (beforeEvents)
            beforeEvents();
        if (processEvents)
            QCoreApplication::processEvents(QEventLoop::AllEvents);
        const std::uint32_t elapsed = counter_.time - start;
        if (elapsed < ms)
            counter_.time = start + ms + extraDelay;
    }
    int waits = 0;
    bool processEvents = true;
    std::uint32_t extraDelay = 0;
    /// Runs on every wait, before pending events: a test's player.
    std::function<void()> beforeEvents;

private:
    VirtualCounter &counter_;
};

class FakeKeyboard final : public KeyboardRepeat {
public:
    bool read(RepeatRate &rate) override {
        rate = current;
        return present;
    }
    void set(const RepeatRate &rate) override {
        current = rate;
        ++sets;
    }
    bool canSet() const override { return settable; }
    RepeatRate current{660, 40};
    bool present = true;
    bool settable = true;
    int sets = 0;
};

class RecordingMessageBox final : public MessageBox {
public:
    void show(const QString &caption, const QString &text) override {
        captions << caption;
        texts << text;
    }
    QStringList captions;
    QStringList texts;
};

class FixedTimeOfDay final : public TimeOfDay {
public:
    std::uint32_t millisecondsSinceMidnight() override { return value; }
    QDate localDate() override { return date; }
    std::uint32_t value = 12 * 3600 * 1000;
    QDate date{2026, 12, 8};
};

class RecordingBrowser final : public WebBrowser {
public:
    void open(const QUrl &url) override { opened << url; }
    QList<QUrl> opened;
};

/// Hands out scripted draws, then `fallback` for ever.
class ScriptedRandom final : public RandomSource {
public:
    void seed(std::uint32_t s) override { seeds.push_back(s); }
    int below1000() override {
        ++draws;
        if (!script.empty()) {
            const int r = script.front();
            script.pop_front();
            return r;
        }
        return fallback;
    }
    std::deque<int> script;
    int fallback = 999;
    int draws = 0;
    std::vector<std::uint32_t> seeds;
};

/// Records what would have been played.
class RecordingSound final : public SoundOutput {
public:
    void play(const QByteArray &path) override { played << QString::fromLocal8Bit(path); }
    void stop() override { ++stops; }
    QStringList played;
    int stops = 0;
};

/// A complete set of doubles.
struct FakePlatform {
    VirtualCounter counter;
    VirtualWaiter waiter{counter};
    FakeKeyboard keyboard;
    RecordingMessageBox messages;
    FixedTimeOfDay timeOfDay;
    ScriptedRandom random;
    RecordingSound sound;
    RecordingBrowser browser;
    Platform platform{counter, waiter, keyboard, messages, timeOfDay, random, sound, browser};
};

} // namespace krumlix::test
