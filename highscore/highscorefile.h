// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/sharedstate.h"

namespace krumlix {

inline constexpr const char *HighScoreFileName = "tarvil.hig";
/// Every stored value is the field plus this key, with 32-bit wrap-around.
inline constexpr std::int32_t HighScoreKey = 21739;
inline constexpr int HighScoreFileSize = 10 * HighScoreEntry::Size * 4;

/// Reads entries 1..10 of the table from "tarvil.hig" in ProgramDir. Values
/// read before a failure stay; the failure raises "File not found", "Read
/// beyond end of file", ... Bytes after the first 2,520 are not read.
void LoadHighScores(SharedState &shared);
/// Replaces "tarvil.hig" with entries 1..10; the old file stays whole until
/// the new one is complete.
void SaveHighScores(SharedState &shared);
/// Replaces "tarvil.hig" with ten default entries.
void writeClearedHighScores(SharedState &shared);

/// The 2,520 bytes of ten entries, and back (values of a short input stop
/// where it ends; returns how many values were read).
QByteArray encodeHighScores(const HighScoreEntry *entries);
int decodeHighScores(const QByteArray &bytes, HighScoreEntry *entries);

} // namespace krumlix
