// SPDX-License-Identifier: GPL-3.0-or-later
#include "cp1252.h"

#include <array>

namespace krumlix {
namespace {

// 0x80..0x9F; the five codes the code page leaves free keep their C1 values.
constexpr std::array<char16_t, 32> High{
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

} // namespace

QChar charFromCp1252(std::int32_t code) {
    const auto byte = static_cast<std::uint8_t>(static_cast<std::uint32_t>(code) & 0xFFu);
    if (byte >= 0x80 && byte <= 0x9F)
        return QChar(High[byte - 0x80]);
    return QChar(static_cast<char16_t>(byte));
}

std::int32_t cp1252FromChar(QChar c) {
    const char16_t u = c.unicode();
    if (u < 0x80 || (u >= 0xA0 && u <= 0xFF))
        return u;
    for (std::size_t i = 0; i < High.size(); ++i) {
        if (High[i] == u)
            return static_cast<std::int32_t>(0x80 + i);
    }
    return '?';
}

QString textFromCp1252(const QByteArray &bytes) {
    QString text;
    text.reserve(bytes.size());
    for (char byte : bytes)
        text += charFromCp1252(static_cast<std::uint8_t>(byte));
    return text;
}

QByteArray cp1252FromText(const QString &text) {
    QByteArray bytes;
    bytes.reserve(text.size());
    for (QChar c : text)
        bytes += static_cast<char>(cp1252FromChar(c));
    return bytes;
}

} // namespace krumlix
