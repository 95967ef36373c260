// SPDX-License-Identifier: GPL-3.0-or-later
#include "logging.h"

Q_LOGGING_CATEGORY(lcSound, "krumlix.sound", QtWarningMsg)
Q_LOGGING_CATEGORY(lcFiles, "krumlix.files", QtWarningMsg)
Q_LOGGING_CATEGORY(lcKeyboard, "krumlix.keyboard", QtWarningMsg)
Q_LOGGING_CATEGORY(lcDesktop, "krumlix.desktop", QtWarningMsg)
Q_LOGGING_CATEGORY(lcGamepad, "krumlix.gamepad", QtWarningMsg)
