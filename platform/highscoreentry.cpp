// SPDX-License-Identifier: GPL-3.0-or-later
#include "highscoreentry.h"

#include "cp1252.h"

namespace krumlix {

QString HighScoreEntry::text(int first, int length) const {
    QString result;
    result.reserve(length);
    for (int i = first; i < first + length; ++i)
        result += charFromCp1252((*this)[i]);
    return result;
}

void HighScoreEntry::setText(int first, int length, const QString &text) {
    for (int i = 0; i < length; ++i)
        (*this)[first + i] = i < text.size() ? cp1252FromChar(text.at(i)) : ' ';
}

HighScoreEntry DefaultEntry() {
    HighScoreEntry entry;
    entry.setText(HighScoreEntry::EntryName, HighScoreEntry::NameLength, QStringLiteral("Tarvil"));
    entry.setText(HighScoreEntry::EntryDateText, HighScoreEntry::DateLength,
                  QStringLiteral("March 31st 1999"));
    entry.setText(HighScoreEntry::EntryHitrateText, HighScoreEntry::HitrateLength,
                  QStringLiteral("  0,00 %"));
    return entry;
}

std::optional<double> Efficiency(const HighScoreEntry &entry) {
    // In 64 bits: stored values may lie anywhere in the 32-bit range.
    const std::int64_t bonus = entry[HighScoreEntry::BonusPoints];
    const std::int64_t possible = std::int64_t{entry[HighScoreEntry::OptimalScore]} - bonus;
    const std::int64_t score = entry[HighScoreEntry::RunScore];
    if (possible <= 0 || score <= 0)
        return std::nullopt;
    return static_cast<double>(score - bonus) / static_cast<double>(possible) * 100.0;
}

} // namespace krumlix
