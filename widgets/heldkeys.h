// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QHash>
#include <QObject>
#include <QPointer>

class QWidget;

namespace krumlix {

/// Lets the automatic repeats of a held key act only in the window that saw
/// the key go down. A key held while one window closes and the next one
/// opens does nothing there until it is let go and pressed again, so a held
/// Enter cannot run through several windows at the keyboard's repeat rate.
/// Installed on the application.
class HeldKeys : public QObject {
    Q_OBJECT
public:
    explicit HeldKeys(QObject *parent = nullptr) : QObject(parent) {}
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QHash<int, QPointer<QWidget>> pressedIn_; ///< the window each key last went down in
    QHash<int, quint64> releasedAt_;          ///< the time each key was last let go
};

} // namespace krumlix
