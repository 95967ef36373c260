// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>

#include <functional>

class QObject;

namespace krumlix {

/// One game at a time per player's desktop and per game folder: the
/// keyboard repeat belongs to the desktop's X server, the settings and
/// scores to the folder, and two games would each take the other's for the
/// player's. A game holds a lock on each (a file lock in the player's
/// runtime folder, which the kernel lets go when the game and its keeper of
/// the repeat are gone, however they ended) and answers later starts on a
/// local socket beside it.
class SingleGame {
public:
    enum class Start {
        First,          ///< no other game: this one runs
        BroughtForward, ///< the running game, on this desktop, came forward
        Elsewhere,      ///< a game of this folder runs on another desktop
        NoAnswer,       ///< a game holds a lock but did not answer in time
    };

    SingleGame();
    ~SingleGame();
    SingleGame(const SingleGame &) = delete;
    SingleGame &operator=(const SingleGame &) = delete;

    /// Takes the locks, or asks the game that holds one to come forward,
    /// for two seconds at most. Call first thing in main: it starts no
    /// thread and touches neither the display nor the game folder.
    Start claim();
    /// The locks' descriptors, for the keeper of the repeat to hold too, so
    /// that the next game waits until the repeat is the player's again (-1
    /// for a lock not taken).
    int desktopLock() const { return locks_[0].fd; }
    int folderLock() const { return locks_[1].fd; }
    /// Once the application runs: answers later starts, calling `forward`
    /// for each one from this desktop.
    void listen(QObject *parent, const std::function<void()> &forward);

private:
    /// Removes the lock files taken and lets them go.
    void release();

    struct Lock {
        QByteArray path; ///< the lock file; its socket ends ".socket"
        int fd = -1;
    };
    Lock locks_[2]; ///< the desktop's (no path without one), the folder's
    QByteArray desktop_;
};

} // namespace krumlix
