// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QLoggingCategory>

// Failures the player is not told of, because the game goes on without what
// failed, each said once on the standard error at warning level; the debug
// level adds what the game did instead. Turned on or off like any Qt
// category, e.g. QT_LOGGING_RULES="krumlix.*.debug=true".
Q_DECLARE_LOGGING_CATEGORY(lcSound)    // "krumlix.sound": the sound server and wave files
Q_DECLARE_LOGGING_CATEGORY(lcFiles)    // "krumlix.files": how files are read and written
Q_DECLARE_LOGGING_CATEGORY(lcKeyboard) // "krumlix.keyboard": the keyboard repeat
Q_DECLARE_LOGGING_CATEGORY(lcDesktop)  // "krumlix.desktop": the browser and the platform
Q_DECLARE_LOGGING_CATEGORY(lcGamepad)  // "krumlix.gamepad": the gamepads
