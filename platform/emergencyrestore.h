// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform.h"

namespace krumlix {

/// Puts the player's keyboard repeat back when the program ends abnormally:
/// by SIGINT, SIGTERM, SIGHUP or SIGQUIT, by an uncaught exception, or by a
/// crash. While armed, it holds the settings to restore.
namespace EmergencyRestore {

/// Installs the signal and terminate handlers; call once, after the
/// application object exists. The polite signals end the program through its
/// event loop, or from a thread of their own when the event loop does not
/// answer within a second.
void installHandlers();

/// From now on an abnormal end restores `saved` through `keyboard`.
void arm(KeyboardRepeat &keyboard, const RepeatRate &saved);

/// The settings were restored normally; nothing more to do.
void disarm();

/// Restores at once if armed (and disarms). Used by the handlers.
void restoreNow();

} // namespace EmergencyRestore
} // namespace krumlix
