// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

#include <cstdint>

namespace krumlix {

/// The character of an 8-bit Windows-1252 code; a value outside 0..255 is
/// taken by its low 8 bits.
QChar charFromCp1252(std::int32_t code);

/// The Windows-1252 code of a character; "?" for one the code page lacks.
std::int32_t cp1252FromChar(QChar c);

/// Windows-1252 bytes to text and back, as the text files of the game hold them.
QString textFromCp1252(const QByteArray &bytes);
QByteArray cp1252FromText(const QString &text);

} // namespace krumlix
