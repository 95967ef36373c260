// SPDX-License-Identifier: GPL-3.0-or-later
#include "gamepad_sdl.h"

#include "logging.h"

#include <QSocketNotifier>

#include <SDL.h>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/inotify.h>
#include <unistd.h>

namespace krumlix {
namespace {

/// The stick turns a key down past half its travel and lets it go back
/// inside under a third: a stick at rest or drifting a little holds
/// nothing, and one held near the edge does not flicker.
constexpr int StickPressAt = 16384;
constexpr int StickReleaseAt = 10000;

/// After a device comes or goes, SDL is read again at these delays (ms):
/// the system may finish setting the device up (its permissions, SDL's own
/// notice of it) a while after its node appears.
constexpr std::array<int, 4> SettleDelaysMs{100, 500, 1500, 4000};
/// Where no device folder can be watched, SDL is read this often (ms).
constexpr int SlowPollMs = 500;

constexpr const char *InputFolder = "/dev/input";

/// The key each input stands for, in the order of the pad's inputs.
constexpr std::array<int, 11> InputKeys{Qt::Key_Space, Qt::Key_Escape, Qt::Key_Return, Qt::Key_Left,
                                        Qt::Key_Right, Qt::Key_Up,     Qt::Key_Down,   Qt::Key_Left,
                                        Qt::Key_Right, Qt::Key_Up,     Qt::Key_Down};
/// The slot of each input's key among the seven keys.
constexpr std::array<int, 11> InputSlots{0, 1, 2, 3, 4, 5, 6, 3, 4, 5, 6};

SDL_GameController *controllerOf(void *controller) {
    return static_cast<SDL_GameController *>(controller);
}

} // namespace

SdlGamepads::SdlGamepads(QObject *parent) : QObject(parent) {
    // The game's own signal handlers stay in charge, and the pad's buttons
    // are taken by where they sit: the south one is the south one on every
    // pad, whatever its label.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    SDL_SetHint(SDL_HINT_GAMECONTROLLER_USE_BUTTON_LABELS, "0");
    if (SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER) != 0) {
        qCWarning(lcGamepad) << "no gamepads: SDL's game controllers did not start:"
                             << SDL_GetError();
        return;
    }
    started_ = true;
    poll_.setInterval(PollMs);
    poll_.setTimerType(Qt::PreciseTimer);
    connect(&poll_, &QTimer::timeout, this, &SdlGamepads::pump);
    settle_.setSingleShot(true);
    connect(&settle_, &QTimer::timeout, this, [this] {
        pump();
        if (++settleStep_ < static_cast<int>(SettleDelaysMs.size()))
            settle_.start(SettleDelaysMs[static_cast<std::size_t>(settleStep_)]);
    });
    slow_.setInterval(SlowPollMs);
    connect(&slow_, &QTimer::timeout, this, &SdlGamepads::pump);
    watchDevices();
    // The pads already plugged in.
    pump();
}

SdlGamepads::~SdlGamepads() {
    while (!pads_.empty())
        close(pads_.back()->id);
    if (inotify_ >= 0)
        ::close(inotify_);
    if (started_)
        SDL_QuitSubSystem(SDL_INIT_GAMECONTROLLER);
}

void SdlGamepads::watchDevices() {
    inotify_ = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    // /dev itself, for the input folder appearing and for the raw devices
    // some pads are read through.
    if (inotify_ < 0 ||
        inotify_add_watch(inotify_, "/dev", IN_CREATE | IN_DELETE | IN_MOVED_TO | IN_MOVED_FROM) <
            0) {
        qCWarning(lcGamepad) << "cannot watch the devices, looking for gamepads twice a second:"
                             << std::strerror(errno);
        if (inotify_ >= 0)
            ::close(inotify_);
        inotify_ = -1;
        slow_.start();
        return;
    }
    inputWatch_ = inotify_add_watch(
        inotify_, InputFolder, IN_CREATE | IN_DELETE | IN_ATTRIB | IN_MOVED_TO | IN_MOVED_FROM);
    devices_ = new QSocketNotifier(inotify_, QSocketNotifier::Read, this);
    connect(devices_, &QSocketNotifier::activated, this, &SdlGamepads::devicesChanged);
}

void SdlGamepads::devicesChanged() {
    alignas(inotify_event) char buffer[4096];
    bool inputAppeared = false;
    for (;;) {
        const ssize_t got = ::read(inotify_, buffer, sizeof buffer);
        if (got <= 0)
            break;
        for (ssize_t at = 0; at < got;) {
            const auto *event = reinterpret_cast<const inotify_event *>(buffer + at);
            if (event->wd == inputWatch_ && (event->mask & IN_IGNORED))
                inputWatch_ = -1;
            else if (event->len > 0 && std::strcmp(event->name, "input") == 0 &&
                     (event->mask & (IN_CREATE | IN_MOVED_TO)))
                inputAppeared = true;
            at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
        }
    }
    if (inputAppeared && inputWatch_ < 0)
        inputWatch_ = inotify_add_watch(
            inotify_, InputFolder, IN_CREATE | IN_DELETE | IN_ATTRIB | IN_MOVED_TO | IN_MOVED_FROM);
    pump();
    settleStep_ = 0;
    settle_.start(SettleDelaysMs[0]);
}

void SdlGamepads::pump() {
    if (!started_)
        return;
    lastRead_.start();
    SDL_GameControllerUpdate();
    std::array<SDL_Event, 32> events;
    int got = 0;
    while ((got = SDL_PeepEvents(events.data(), static_cast<int>(events.size()), SDL_GETEVENT,
                                 SDL_FIRSTEVENT, SDL_LASTEVENT)) > 0) {
        for (int i = 0; i < got; ++i) {
            const SDL_Event &event = events[static_cast<std::size_t>(i)];
            switch (event.type) {
            case SDL_CONTROLLERDEVICEADDED:
                open(event.cdevice.which);
                break;
            case SDL_CONTROLLERDEVICEREMOVED:
                close(event.cdevice.which);
                break;
            case SDL_CONTROLLERBUTTONDOWN:
            case SDL_CONTROLLERBUTTONUP: {
                Pad *pad = find(event.cbutton.which);
                if (!pad)
                    break;
                const bool down = event.cbutton.state == SDL_PRESSED;
                switch (event.cbutton.button) {
                case SDL_CONTROLLER_BUTTON_A:
                    set(*pad, South, down);
                    break;
                case SDL_CONTROLLER_BUTTON_B:
                    set(*pad, East, down);
                    break;
                case SDL_CONTROLLER_BUTTON_START:
                    set(*pad, Start, down);
                    break;
                case SDL_CONTROLLER_BUTTON_DPAD_LEFT:
                    set(*pad, DpadLeft, down);
                    break;
                case SDL_CONTROLLER_BUTTON_DPAD_RIGHT:
                    set(*pad, DpadRight, down);
                    break;
                case SDL_CONTROLLER_BUTTON_DPAD_UP:
                    set(*pad, DpadUp, down);
                    break;
                case SDL_CONTROLLER_BUTTON_DPAD_DOWN:
                    set(*pad, DpadDown, down);
                    break;
                default:
                    break;
                }
                break;
            }
            case SDL_CONTROLLERAXISMOTION:
                if (Pad *pad = find(event.caxis.which))
                    axis(*pad, event.caxis.axis, event.caxis.value);
                break;
            default:
                break;
            }
        }
    }
    // Handed on only now, in order: a key may open a window whose own
    // event loop reads the pads again, and hands on what is still waiting
    // before anything newer.
    while (!pending_.empty()) {
        const KeyChange change = pending_.front();
        pending_.pop_front();
        emit keyChanged(change.key, change.down);
    }
}

void SdlGamepads::open(int deviceIndex) {
    SDL_GameController *controller = SDL_GameControllerOpen(deviceIndex);
    if (!controller) {
        qCWarning(lcGamepad) << "cannot open a gamepad:" << SDL_GetError();
        return;
    }
    const SDL_JoystickID id = SDL_JoystickInstanceID(SDL_GameControllerGetJoystick(controller));
    if (find(id)) {
        SDL_GameControllerClose(controller); // open already; SDL counted one more
        return;
    }
    auto pad = std::make_unique<Pad>();
    pad->controller = controller;
    pad->id = id;
    // Woken by the pad's own device: the game sleeps until the pad has news.
    if (const char *path = SDL_GameControllerPath(controller))
        pad->fd = ::open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (pad->fd >= 0)
        watch(*pad);
    qCDebug(lcGamepad) << "gamepad" << SDL_GameControllerName(controller)
                       << (pad->fd >= 0 ? "woken by its device" : "read on a timer");
    pads_.push_back(std::move(pad));
    updatePolling();
}

void SdlGamepads::close(std::int32_t id) {
    const auto it = std::find_if(pads_.begin(), pads_.end(),
                                 [id](const std::unique_ptr<Pad> &pad) { return pad->id == id; });
    if (it == pads_.end())
        return;
    Pad &pad = **it;
    // Whatever it held is let go.
    for (int input = 0; input < InputCount; ++input)
        set(pad, static_cast<Input>(input), false);
    stopWatching(pad);
    SDL_GameControllerClose(controllerOf(pad.controller));
    pads_.erase(it);
    updatePolling();
}

void SdlGamepads::padReadable(std::int32_t id) {
    Pad *pad = find(id);
    if (!pad || pad->fd < 0)
        return;
    // Only the news matters here; SDL reads the events from its own handle.
    char buffer[1024];
    for (;;) {
        const ssize_t got = ::read(pad->fd, buffer, sizeof buffer);
        if (got > 0)
            continue;
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0 && errno == EAGAIN)
            break;
        // Gone or failing: read on the timer until SDL lets it go.
        stopWatching(*pad);
        updatePolling();
        break;
    }
    // A pad that reports all the time is read no more often than every
    // PollMs: news sooner than that waits for the rest of it.
    const qint64 since = lastRead_.isValid() ? lastRead_.elapsed() : PollMs;
    if (QSocketNotifier *notifier = pad->notifier; notifier && since < PollMs) {
        notifier->setEnabled(false);
        QTimer::singleShot(static_cast<int>(PollMs - since), Qt::PreciseTimer, notifier,
                           [this, notifier] {
                               notifier->setEnabled(true);
                               pump();
                           });
        return;
    }
    pump();
}

void SdlGamepads::wakeOn(std::int32_t padId, int fd) {
    Pad *pad = find(padId);
    if (!pad)
        return;
    stopWatching(*pad);
    pad->fd = fd;
    pad->ownsFd = false;
    watch(*pad);
    updatePolling();
}

void SdlGamepads::watch(Pad &pad) {
    pad.notifier = new QSocketNotifier(pad.fd, QSocketNotifier::Read, this);
    connect(pad.notifier, &QSocketNotifier::activated, this,
            [this, id = pad.id] { padReadable(id); });
}

void SdlGamepads::stopWatching(Pad &pad) {
    if (pad.notifier) {
        pad.notifier->setEnabled(false);
        pad.notifier->deleteLater(); // it may be the one whose signal runs
        pad.notifier = nullptr;
    }
    if (pad.fd >= 0 && pad.ownsFd)
        ::close(pad.fd);
    pad.fd = -1;
    pad.ownsFd = true;
}

SdlGamepads::Pad *SdlGamepads::find(std::int32_t id) {
    for (const std::unique_ptr<Pad> &pad : pads_)
        if (pad->id == id)
            return pad.get();
    return nullptr;
}

void SdlGamepads::set(Pad &pad, Input input, bool held) {
    if (pad.held[input] == held)
        return;
    pad.held[input] = held;
    int &holders = holders_[static_cast<std::size_t>(InputSlots[input])];
    holders += held ? 1 : -1;
    if ((held && holders == 1) || (!held && holders == 0))
        pending_.push_back({InputKeys[input], held});
}

void SdlGamepads::axis(Pad &pad, int axis, int value) {
    Input lower, upper;
    if (axis == SDL_CONTROLLER_AXIS_LEFTX) {
        lower = StickLeft;
        upper = StickRight;
    } else if (axis == SDL_CONTROLLER_AXIS_LEFTY) {
        lower = StickUp;
        upper = StickDown;
    } else {
        return;
    }
    // Let go before the other side goes down, for a stick flicked across.
    if (pad.held[lower] && value > -StickReleaseAt)
        set(pad, lower, false);
    if (pad.held[upper] && value < StickReleaseAt)
        set(pad, upper, false);
    if (value <= -StickPressAt)
        set(pad, lower, true);
    if (value >= StickPressAt)
        set(pad, upper, true);
}

void SdlGamepads::updatePolling() {
    const bool needed = std::any_of(pads_.begin(), pads_.end(),
                                    [](const std::unique_ptr<Pad> &pad) { return pad->fd < 0; });
    if (needed && !poll_.isActive())
        poll_.start();
    else if (!needed)
        poll_.stop();
}

} // namespace krumlix
