// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <chrono>
#include <memory>

namespace krumlix::bench {

/// Key presses made by the X server itself (its test extension), asked for
/// on a connection of this program's own, so that a press is timed from the
/// moment the server has taken it and sent it on to the focused window, not
/// from the start of a helper process.
class FakeKeys {
public:
    FakeKeys();
    ~FakeKeys();
    FakeKeys(const FakeKeys &) = delete;
    FakeKeys &operator=(const FakeKeys &) = delete;

    /// Connected to $DISPLAY, whose server has the test extension.
    bool usable() const;
    /// Presses and lets go the key of `keysym` (a name such as "space");
    /// returns when the server has handled both, false when it could not.
    bool press(const char *keysym);

private:
    struct Display;
    std::unique_ptr<Display> display_;
};

} // namespace krumlix::bench
