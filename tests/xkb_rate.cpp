// SPDX-License-Identifier: GPL-3.0-or-later
// Prints the X server's keyboard repeat as "DELAY INTERVAL" in milliseconds,
// read through XKB by a client of its own; with two arguments it sets them.
#include <X11/XKBlib.h>
#include <X11/Xlib.h>

#include <cstdio>
#include <cstdlib>

int main(int argc, char **argv) {
    int major = XkbMajorVersion, minor = XkbMinorVersion, reason = 0;
    Display *display = XkbOpenDisplay(nullptr, nullptr, nullptr, &major, &minor, &reason);
    if (!display) {
        std::fprintf(stderr, "xkb_rate: cannot open display (%d)\n", reason);
        return 2;
    }
    if (argc == 3) {
        XkbSetAutoRepeatRate(display, XkbUseCoreKbd, static_cast<unsigned>(std::atoi(argv[1])),
                             static_cast<unsigned>(std::atoi(argv[2])));
        XSync(display, False);
    }
    unsigned int delay = 0, interval = 0;
    if (!XkbGetAutoRepeatRate(display, XkbUseCoreKbd, &delay, &interval)) {
        std::fprintf(stderr, "xkb_rate: cannot read the repeat rate\n");
        return 3;
    }
    std::printf("%u %u\n", delay, interval);
    XCloseDisplay(display);
    return 0;
}
