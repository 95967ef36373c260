// SPDX-License-Identifier: GPL-3.0-or-later
#include "emergencyrestore.h"

#include <QCoreApplication>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <exception>
#include <fcntl.h>
#include <thread>
#include <unistd.h>

namespace krumlix::EmergencyRestore {
namespace {

// Process-wide by nature: signal handlers can reach nothing else.
std::atomic<KeyboardRepeat *> armedKeyboard{nullptr};
RepeatRate armedRate; ///< written before the keyboard is armed
int signalPipe[2] = {-1, -1};
std::terminate_handler previousTerminate = nullptr;

constexpr int politeSignals[] = {SIGINT, SIGTERM, SIGHUP, SIGQUIT};
constexpr int crashSignals[] = {SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT};
/// The time the event loop has to end the program on a polite signal
/// before the watcher ends it itself: the main thread may be stuck in a
/// call that does not return.
constexpr auto EventLoopGrace = std::chrono::seconds(1);

void onPoliteSignal(int sig) {
    // Only async-signal-safe work here; the watcher does the rest.
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

/// Puts the repeat back and ends the way the signal asked for, with its
/// exit status.
void endBySignal(int sig) {
    restoreNow();
    std::signal(sig, SIG_DFL);
    ::kill(::getpid(), sig);
}

/// Waits for a polite signal on a thread of its own: the event loop is
/// asked to end the program, and if it does not within the grace, the
/// watcher ends it.
void watchSignals() {
    unsigned char sig = 0;
    ssize_t n = 0;
    while ((n = ::read(signalPipe[0], &sig, 1)) < 0 && errno == EINTR) {
    }
    if (n != 1)
        return;
    if (QCoreApplication *app = QCoreApplication::instance())
        QMetaObject::invokeMethod(
            app, [sig] { endBySignal(sig); }, Qt::QueuedConnection);
    std::this_thread::sleep_for(EventLoopGrace);
    // Should putting the repeat back hang too (a display that does not
    // answer), the alarm ends the program all the same.
    std::signal(SIGALRM, SIG_DFL);
    ::alarm(2);
    endBySignal(sig);
}

} // namespace

void installHandlers() {
    if (signalPipe[0] >= 0)
        return;
    // The watcher blocks on its end; the handler never does on its own.
    if (::pipe2(signalPipe, O_CLOEXEC) != 0 || ::fcntl(signalPipe[1], F_SETFL, O_NONBLOCK) != 0)
        return;
    std::thread(watchSignals).detach();
    for (int sig : politeSignals)
        std::signal(sig, onPoliteSignal);
    for (int sig : crashSignals)
        std::signal(sig, onCrashSignal);
    previousTerminate = std::set_terminate(onTerminate);
}

void arm(KeyboardRepeat &keyboard, const RepeatRate &saved) {
    armedRate = saved;
    armedKeyboard.store(&keyboard);
}

void disarm() {
    armedKeyboard.store(nullptr);
}

void restoreNow() {
    // Whoever comes first restores: the event loop, the watcher or a crash.
    KeyboardRepeat *keyboard = armedKeyboard.exchange(nullptr);
    if (keyboard)
        keyboard->set(armedRate);
}

} // namespace krumlix::EmergencyRestore
