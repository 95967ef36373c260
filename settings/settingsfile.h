// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/appcontext.h"

#include <QByteArray>
#include <QList>

namespace krumlix {

inline constexpr const char *SettingsFileName = "setup.ini";
inline constexpr int SettingsLineCount = 51;

/// Reads "setup.ini" at start-up into the difficulty window, UserRates, the
/// sound window and the statistics flag, line by line in file order; a
/// failing line raises its error with the lines before it applied.
/// `applied`, when given, counts the lines applied.
void applySettingsFile(AppContext &context, int *applied = nullptr);

/// The start-up load as the program runs it: a failure is reported, what was
/// not applied is given a consistent default (the selected level's rates),
/// and a missing file is written afresh from that. Returns false on failure.
bool loadSettingsAtStartUp(AppContext &context);

/// The 51 lines of the live settings, in file order.
QList<QByteArray> currentSettingsLines(AppContext &context);

/// "Save settings": replaces "setup.ini" with the live settings.
void saveSettingsFile(AppContext &context);

/// The statistics window's flag: "setup.ini" re-written with line 50
/// replaced, every other line as the file holds it.
void saveStatsFlag(AppContext &context, bool checked);

} // namespace krumlix
