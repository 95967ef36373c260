// SPDX-License-Identifier: GPL-3.0-or-later
#include "emergencyrestore.h"
#include "logging.h"
#include "systemplatform.h"

#include <QByteArray>
#include <QtGlobal>

#include <X11/XKBlib.h>
#include <X11/Xlib.h>

#include <unistd.h>

namespace krumlix {
namespace {

/// What the keeper tells when the keyboard did not do as asked.
enum Failure : int {
    Refused = 1, ///< the X server refused the connection
    NoXkb,       ///< the X server has no keyboard extension
    OldXkb,      ///< its keyboard extension is too old
    Unreachable, ///< the X server could not be reached
    NotTold,     ///< it did not tell the repeat
    NotSet,      ///< it did not set the repeat
};

// The keeper's own, in its own process.
int xErrors = 0;
int countError(Display *, XErrorEvent *) {
    ++xErrors;
    return 0;
}
/// The X server has gone: nothing is left to put back on it.
[[noreturn]] int endKeeper(Display *) {
    ::_exit(0);
}

/// The keeper's connection to the X server, opened when the game first asks.
class KeeperDisplay {
public:
    int read(RepeatRate &rate) {
        if (!open())
            return failure_;
        unsigned int delay = 0;
        unsigned int interval = 0;
        if (!XkbGetAutoRepeatRate(display_, XkbUseCoreKbd, &delay, &interval))
            return NotTold;
        rate = RepeatRate{static_cast<int>(delay), static_cast<int>(interval)};
        return 0;
    }

    int set(const RepeatRate &rate) {
        if (!open())
            return failure_;
        xErrors = 0;
        const bool sent =
            XkbSetAutoRepeatRate(display_, XkbUseCoreKbd, static_cast<unsigned>(rate.delayMs),
                                 static_cast<unsigned>(rate.intervalMs));
        XSync(display_, False);
        return sent && xErrors == 0 ? 0 : NotSet;
    }

private:
    bool open() {
        if (display_ || failure_)
            return display_;
        XSetErrorHandler(countError);
        XSetIOErrorHandler(endKeeper);
        int major = XkbMajorVersion;
        int minor = XkbMinorVersion;
        int reason = 0;
        display_ = XkbOpenDisplay(nullptr, nullptr, nullptr, &major, &minor, &reason);
        if (!display_)
            failure_ = reason == XkbOD_ConnectionRefused  ? Refused
                       : reason == XkbOD_NonXkbServer     ? NoXkb
                       : reason == XkbOD_BadServerVersion ? OldXkb
                                                          : Unreachable;
        return display_;
    }

    Display *display_ = nullptr; ///< closed by the keeper's end
    int failure_ = 0;
};

/// Why the repeat could not be read or set, for the log.
const char *why(int status) {
    switch (status) {
    case Refused:
        return "the X server refused the connection";
    case NoXkb:
        return "the X server has no keyboard extension";
    case OldXkb:
        return "the X server's keyboard extension is too old";
    case Unreachable:
        return "the X server could not be reached";
    case NotTold:
        return "the X server did not tell it";
    case NotSet:
        return "the X server did not take it";
    default:
        return qEnvironmentVariableIsEmpty("DISPLAY")
                   ? "no X display is set"
                   : "the process that keeps it is not running or did not answer";
    }
}

} // namespace

bool inWaylandSession() {
    return qgetenv("XDG_SESSION_TYPE").trimmed().toLower() == "wayland" ||
           !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
}

void X11KeyboardRepeat::startKeeper(std::initializer_list<int> keepOpen) {
    if (inWaylandSession() || qEnvironmentVariableIsEmpty("DISPLAY"))
        return;
    EmergencyRestore::startKeeper(
        [](int link) {
            KeeperDisplay keyboard;
            EmergencyRestore::keep(link,
                                   {[&](RepeatRate &rate) { return keyboard.read(rate); },
                                    [&](const RepeatRate &rate) { return keyboard.set(rate); }});
        },
        keepOpen);
}

X11KeyboardRepeat::X11KeyboardRepeat() : wayland_(inWaylandSession()) {
    if (wayland_)
        qCDebug(lcKeyboard) << "a Wayland session: the desktop's repeat is left alone, the game"
                               " repeats held keys itself";
}

bool X11KeyboardRepeat::read(RepeatRate &rate) {
    if (wayland_)
        return false;
    const int status = EmergencyRestore::read(rate);
    if (status != 0 && !readFailed_) {
        readFailed_ = true;
        qCWarning(lcKeyboard).nospace()
            << "the keyboard repeat cannot be read on display " << qgetenv("DISPLAY") << ": "
            << why(status) << "; it is left as it is";
    }
    return status == 0;
}

void X11KeyboardRepeat::set(const RepeatRate &rate) {
    if (wayland_)
        return;
    const int status = EmergencyRestore::set(rate);
    if (status != 0 && !setFailed_) {
        setFailed_ = true;
        qCWarning(lcKeyboard).nospace()
            << "the keyboard repeat could not be set to a delay of " << rate.delayMs
            << " ms and an interval of " << rate.intervalMs << " ms: " << why(status);
    }
}

} // namespace krumlix
