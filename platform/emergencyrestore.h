// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform.h"

#include <functional>
#include <initializer_list>

namespace krumlix {

/// The player's keyboard repeat is kept by a small process of the game's
/// own, its keeper, started before anything else. The keeper reads and sets
/// the repeat when the game asks, and puts the player's back when the game
/// asks or, whatever way the game ends (a crash or SIGKILL included), as
/// soon as it sees the game gone: the kernel closes the game's end of the
/// link between them, and tells the keeper that its parent died should a
/// child of the game's still hold that end. Then the keeper ends too.
namespace EmergencyRestore {

/// How the keeper reaches the keyboard. Each call gives 0 when it worked,
/// else a reason of the keyboard's own that the game reports.
struct Keyboard {
    std::function<int(RepeatRate &)> read;
    std::function<int(const RepeatRate &)> set;
};

/// The keeper did not answer: there is none, it has gone, or it took too
/// long.
inline constexpr int NoKeeper = -1;

/// Forks the keeper, which calls `run` with its end of the link (run it
/// through `keep`) and then ends. Call before any thread has started. The
/// keeper holds none of the game's open files but those in `keepOpen`; its
/// standard input and outputs are /dev/null. False if it could not start.
bool startKeeper(const std::function<void(int link)> &run,
                 std::initializer_list<int> keepOpen = {});

/// The keeper's work: answers the game on `link` through `keyboard` until
/// the game has ended, then puts the repeat the game first read back if the
/// game had changed it.
void keep(int link, const Keyboard &keyboard);

/// Asks the keeper for the repeat. The answer is the keyboard's, or NoKeeper
/// after a few seconds at most. Not from the keeper's children.
int read(RepeatRate &rate);
/// Asks the keeper to set the repeat, the same way.
int set(const RepeatRate &rate);

/// A file the handlers remove once the repeat is back (a lock of the game's
/// and its socket); up to eight, each of fewer than 256 bytes.
void removeAtEnd(const char *path);

/// Installs the handlers of the signals that end the program, polite
/// (SIGINT, SIGTERM, SIGHUP, SIGQUIT) and crashes: each asks the keeper to
/// put the repeat back at once, waits a second at most for it, and ends the
/// program with its own signal, whatever the main thread is doing.
void installHandlers();

} // namespace EmergencyRestore
} // namespace krumlix
