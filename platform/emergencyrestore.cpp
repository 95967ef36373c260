// SPDX-License-Identifier: GPL-3.0-or-later
#include "emergencyrestore.h"

#include <QCoreApplication>
#include <QSocketNotifier>

#include <csignal>
#include <cstdlib>
#include <exception>
#include <fcntl.h>
#include <unistd.h>

namespace krumlix::EmergencyRestore {
namespace {

// Process-wide by nature: signal handlers can reach nothing else.
KeyboardRepeat *armedKeyboard = nullptr;
RepeatRate armedRate;
int signalPipe[2] = {-1, -1};
std::terminate_handler previousTerminate = nullptr;

constexpr int politeSignals[] = {SIGINT, SIGTERM, SIGHUP, SIGQUIT};
constexpr int crashSignals[] = {SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT};

void onPoliteSignal(int sig) {
    // Only async-signal-safe work here; the event loop does the rest.
    const unsigned char byte = static_cast<unsigned char>(sig);
    [[maybe_unused]] const auto written = ::write(signalPipe[1], &byte, 1);
}

void onCrashSignal(int sig) {
    // Best effort: the process is going down anyway, and our own X
    // connection is not in use by anything else.
    restoreNow();
    std::signal(sig, SIG_DFL);
    std::raise(sig);
}

void onTerminate() {
    restoreNow();
    if (previousTerminate)
        previousTerminate();
    std::abort();
}

} // namespace

void installHandlers() {
    if (signalPipe[0] >= 0)
        return;
    if (::pipe2(signalPipe, O_CLOEXEC | O_NONBLOCK) != 0)
        return;
    auto *notifier =
        new QSocketNotifier(signalPipe[0], QSocketNotifier::Read, QCoreApplication::instance());
    QObject::connect(notifier, &QSocketNotifier::activated, notifier, [] {
        unsigned char sig = 0;
        if (::read(signalPipe[0], &sig, 1) != 1)
            return;
        restoreNow();
        // End the way the signal asked for, with its exit status.
        std::signal(sig, SIG_DFL);
        std::raise(sig);
    });
    for (int sig : politeSignals)
        std::signal(sig, onPoliteSignal);
    for (int sig : crashSignals)
        std::signal(sig, onCrashSignal);
    previousTerminate = std::set_terminate(onTerminate);
}

void arm(KeyboardRepeat &keyboard, const RepeatRate &saved) {
    armedKeyboard = &keyboard;
    armedRate = saved;
}

void disarm() {
    armedKeyboard = nullptr;
}

void restoreNow() {
    KeyboardRepeat *keyboard = armedKeyboard;
    armedKeyboard = nullptr;
    if (keyboard)
        keyboard->set(armedRate);
}

} // namespace krumlix::EmergencyRestore
