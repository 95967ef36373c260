// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>

#include <functional>

namespace krumlix {

/// F11 in any window of the program calls `toggle` once per press; the key
/// goes no further, so no window acts on it as a key of its own (a run
/// keeps its held key's repeat, the menu does not take it for a letter).
/// Installed on the application.
class FullScreenKey : public QObject {
public:
    explicit FullScreenKey(std::function<void()> toggle, QObject *parent = nullptr)
        : QObject(parent), toggle_(std::move(toggle)) {}
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    std::function<void()> toggle_;
};

} // namespace krumlix
