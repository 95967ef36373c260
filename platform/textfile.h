// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

#include <cstdint>

namespace krumlix {

/// The largest text file the game reads: far more than any settings or
/// scheme file holds (a few kilobytes even with long paths).
inline constexpr qint64 MaxTextFileSize = 1024 * 1024;

/// The lines of an 8-bit text file, kept as bytes. CR LF, a lone LF and a
/// lone CR each end a line; a last line without an end still counts.
/// Raises "Cannot open file %s" with `shownName` when the file cannot be
/// read, is no regular file (a device, a pipe, a folder) or is larger than
/// MaxTextFileSize.
QList<QByteArray> readTextLines(const QString &path, const QString &shownName);

/// The reading guard of the game's files: at most `limit` bytes from the
/// start of the file. Only a regular file is read, and the open never waits
/// (a named pipe without a writer). On failure `error` holds the system's
/// error number and nothing is returned; a name that leads to anything but
/// a regular file (a folder, a device, a pipe) fails as a file that may not
/// be read does, with EACCES.
QByteArray readRegularFile(const QString &path, qint64 limit, int &error);

/// Splits text into lines as readTextLines does.
QList<QByteArray> splitTextLines(const QByteArray &text);

/// Replaces the file with `lines`, each ended by CR LF. The old file stays
/// whole until the new one is complete; a failure raises the error of the
/// system ("File access denied", "Disk full", ...).
void writeTextLines(const QString &path, const QList<QByteArray> &lines);

/// Replaces the file with `bytes` atomically: the old file stays whole until
/// the new one is complete. Where the folder refuses a new file, for
/// whatever reason, but the file itself may be written, it is written in
/// place. A failure raises the error of the system.
void replaceFile(const QString &path, const QByteArray &bytes);

/// A line read as an integer: decimal digits with an optional minus sign,
/// nothing else (no blanks, no plus sign), within 32 bits. Anything else
/// raises "'%s' is not a valid integer value".
std::int32_t toInteger(const QByteArray &line);

/// The line at `index`, or empty text past the end of the file.
inline QByteArray lineAt(const QList<QByteArray> &lines, int index) {
    return index < lines.size() ? lines.at(index) : QByteArray();
}

} // namespace krumlix
