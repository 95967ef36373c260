// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform.h"

namespace krumlix {

/// Puts the player's keyboard repeat back when the program ends abnormally:
/// by SIGINT, SIGTERM, SIGHUP or SIGQUIT, by an uncaught exception, or by a
/// crash. While armed, it holds the settings to restore.
namespace EmergencyRestore {

/// Installs the signal and terminate handlers; call once, after the
/// application object exists (the polite signals are delivered through its
/// event loop).
void installHandlers();

/// From now on an abnormal end restores `saved` through `keyboard`.
void arm(KeyboardRepeat &keyboard, const RepeatRate &saved);

/// The settings were restored normally; nothing more to do.
void disarm();

/// Restores at once if armed (and disarms). Used by the handlers.
void restoreNow();

} // namespace EmergencyRestore
} // namespace krumlix
