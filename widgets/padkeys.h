// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QSet>
#include <QTimer>

namespace krumlix {

/// Turns a pad's buttons into the keys they stand for: each goes down and up
/// as a key event in the window that has the keyboard, so that every window
/// does with a button what it does with its key. Only while one of the
/// program's windows is active, as with keys. A held button repeats as the
/// game's fastest keyboard repeat does: the first repeat 250 ms after it
/// went down, then one every 33 ms, each timed from the going down; like a
/// keyboard, only the key that went down last repeats.
class PadKeys : public QObject {
    Q_OBJECT
public:
    explicit PadKeys(QObject *parent = nullptr);

    /// A pad's key (a `Qt::Key`) went down or up.
    void keyChanged(int key, bool down);

private:
    void deliver(bool press, int key, bool autoRepeat);
    void repeat();
    void schedule();
    void forgetHeld();

    QSet<int> down_;      ///< the keys the windows were told went down
    int repeating_ = 0;   ///< the key repeated, 0 for none
    QElapsedTimer since_; ///< from its going down
    int delivered_ = 0;   ///< repeats handed on since then
    QTimer repeat_;
};

} // namespace krumlix
