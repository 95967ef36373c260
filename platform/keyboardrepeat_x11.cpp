// SPDX-License-Identifier: GPL-3.0-or-later
#include "systemplatform.h"

#include "logging.h"

#include <QByteArray>
#include <QtGlobal>

#include <X11/XKBlib.h>
#include <X11/Xlib.h>

namespace krumlix {

// A connection of our own, apart from the toolkit's, so that the settings can
// still be put back while the toolkit is shutting down.
struct X11KeyboardRepeat::Connection {
    Display *display = nullptr;
    ~Connection() {
        if (display)
            XCloseDisplay(display);
    }
};

bool inWaylandSession() {
    return qgetenv("XDG_SESSION_TYPE").trimmed().toLower() == "wayland" ||
           !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
}

X11KeyboardRepeat::X11KeyboardRepeat()
    : wayland_(inWaylandSession()), connection_(std::make_unique<Connection>()) {
    if (wayland_) {
        qCDebug(lcKeyboard) << "a Wayland session: the desktop's repeat is left alone, the game"
                               " repeats held keys itself";
        return;
    }
    int major = XkbMajorVersion;
    int minor = XkbMinorVersion;
    int reason = 0;
    connection_->display = XkbOpenDisplay(nullptr, nullptr, nullptr, &major, &minor, &reason);
    if (!connection_->display) {
        const char *why =
            qEnvironmentVariableIsEmpty("DISPLAY") ? "no X display is set"
            : reason == XkbOD_ConnectionRefused    ? "the X server refused the connection"
            : reason == XkbOD_NonXkbServer         ? "the X server has no keyboard extension"
            : reason == XkbOD_BadServerVersion     ? "the X server's keyboard extension is too old"
                                                   : "the X server could not be reached";
        qCWarning(lcKeyboard).nospace() << "the keyboard repeat cannot be read or set on display "
                                        << qgetenv("DISPLAY") << ": " << why;
    }
}

X11KeyboardRepeat::~X11KeyboardRepeat() = default;

bool X11KeyboardRepeat::read(RepeatRate &rate) {
    if (!connection_->display)
        return false;
    unsigned int delay = 0;
    unsigned int interval = 0;
    if (!XkbGetAutoRepeatRate(connection_->display, XkbUseCoreKbd, &delay, &interval)) {
        qCWarning(lcKeyboard)
            << "the X server did not tell the keyboard repeat; it is left as it is";
        return false;
    }
    rate = RepeatRate{static_cast<int>(delay), static_cast<int>(interval)};
    return true;
}

void X11KeyboardRepeat::set(const RepeatRate &rate) {
    if (!connection_->display)
        return;
    if (!XkbSetAutoRepeatRate(connection_->display, XkbUseCoreKbd,
                              static_cast<unsigned>(rate.delayMs),
                              static_cast<unsigned>(rate.intervalMs)) &&
        !setFailed_) {
        setFailed_ = true;
        qCWarning(lcKeyboard).nospace()
            << "the keyboard repeat could not be set to a delay of " << rate.delayMs
            << " ms and an interval of " << rate.intervalMs << " ms";
    }
    XSync(connection_->display, False);
}

} // namespace krumlix
