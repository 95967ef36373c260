// SPDX-License-Identifier: GPL-3.0-or-later
#include "fakekeys.h"

// Xlib last: its macros (None, Bool, KeyPress) would clash with anything after it.
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>

namespace krumlix::bench {

struct FakeKeys::Display {
    ::Display *connection = nullptr;
    ~Display() {
        if (connection)
            XCloseDisplay(connection);
    }
};

FakeKeys::FakeKeys() : display_(std::make_unique<Display>()) {
    display_->connection = XOpenDisplay(nullptr);
    int event = 0, error = 0, major = 0, minor = 0;
    if (display_->connection &&
        !XTestQueryExtension(display_->connection, &event, &error, &major, &minor)) {
        XCloseDisplay(display_->connection);
        display_->connection = nullptr;
    }
}

FakeKeys::~FakeKeys() = default;

bool FakeKeys::usable() const {
    return display_->connection;
}

bool FakeKeys::press(const char *keysym) {
    ::Display *connection = display_->connection;
    const KeySym symbol = connection ? XStringToKeysym(keysym) : NoSymbol;
    const KeyCode code = symbol != NoSymbol ? XKeysymToKeycode(connection, symbol) : 0;
    if (code == 0)
        return false;
    // XSync returns once the server has answered a request sent after the
    // two events: by then it has delivered them.
    return XTestFakeKeyEvent(connection, code, True, CurrentTime) &&
           XTestFakeKeyEvent(connection, code, False, CurrentTime) && XSync(connection, False);
}

} // namespace krumlix::bench
