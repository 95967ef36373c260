// SPDX-License-Identifier: GPL-3.0-or-later
#include "qualification.h"

#include "platform/cp1252.h"
#include "widgets/numberformat.h"

#include <algorithm>

namespace krumlix {
namespace {

constexpr const char *MonthNames[12] = {"January",   "February", "March",    "April",
                                        "May",       "June",     "July",     "August",
                                        "September", "October",  "November", "December"};

QString ordinalSuffix(int day) {
    switch (day % 10) {
    case 1:
        return day == 11 ? QStringLiteral("th") : QStringLiteral("st");
    case 2:
        return day == 12 ? QStringLiteral("th") : QStringLiteral("nd");
    case 3:
        return day == 13 ? QStringLiteral("th") : QStringLiteral("rd");
    default:
        return QStringLiteral("th");
    }
}

} // namespace

QString dateText(const QDate &date) {
    return QLatin1String(MonthNames[date.month() - 1]) + QLatin1Char(' ') +
           QString::number(date.day()) + ordinalSuffix(date.day()) + QLatin1Char(' ') +
           QStringLiteral("%1").arg(date.year(), 4, 10, QLatin1Char('0'));
}

QString hitrateText(float hitrate, const QLocale &locale) {
    // The file holds every character by its Windows-1252 code: a separator
    // the code page lacks is stored as a point.
    const QString point = locale.decimalPoint();
    const bool storable = std::all_of(point.begin(), point.end(), [](QChar c) {
        return c == QLatin1Char('?') || cp1252FromChar(c) != '?';
    });
    return (fixed2(static_cast<double>(hitrate), storable ? point : QStringLiteral("."),
                   locale.negativeSign()) +
            QStringLiteral(" %"))
        .rightJustified(HighScoreEntry::HitrateLength, QLatin1Char(' '));
}

void recordLatestGame(SharedState &s) {
    HighScoreEntry &latest = s.HighScoreTable[LatestGameEntry];
    latest.setText(HighScoreEntry::EntryHitrateText, HighScoreEntry::HitrateLength,
                   hitrateText(s.Hitrate));
    latest[HighScoreEntry::DifficultyLevel] = s.DifficultyLevel;
    latest[HighScoreEntry::ShotCount] = s.ShotCount;
    latest[HighScoreEntry::MissCount] = s.MissCount;
    latest[HighScoreEntry::ElephantCount] = s.ElephantCount;
    latest[HighScoreEntry::ElephantShotCount] = s.Elephant7Count + s.Elephant5Count +
                                                s.Elephant3Count + s.Elephant2Count +
                                                s.Elephant0Count;
    latest[HighScoreEntry::Elephant7Count] = s.Elephant7Count;
    latest[HighScoreEntry::Elephant5Count] = s.Elephant5Count;
    latest[HighScoreEntry::Elephant3Count] = s.Elephant3Count;
    latest[HighScoreEntry::Elephant2Count] = s.Elephant2Count;
    latest[HighScoreEntry::Elephant0Count] = s.Elephant0Count;
    latest[HighScoreEntry::ElephantEscapeCount] = s.ElephantEscapeCount;
    latest[HighScoreEntry::BeeCount] = s.BeeCount;
    latest[HighScoreEntry::BeeHitCount] = s.BeeHitCount;
    for (int p = 1; p <= 6; ++p)
        latest[HighScoreEntry::PeriodScore1 + p - 1] = s.PeriodScore[p];
    latest[HighScoreEntry::BonusPoints] = s.BonusLevel * 100;
    latest[HighScoreEntry::OptimalScore] = s.OptimalScore;
    latest[HighScoreEntry::RunScore] = s.RunScore;
}

std::int32_t rankOfLatestGame(const SharedState &s) {
    const HighScoreEntry &latest = s.HighScoreTable[LatestGameEntry];
    // Stored runs are of the levels 0-4: a user-defined run (5) never
    // enters, nor one played with no level selected (a level below 0 in
    // the settings file).
    const std::int32_t level = latest[HighScoreEntry::DifficultyLevel];
    if (level < 0 || level > 4)
        return LatestGameEntry;
    for (int i = 1; i <= 10; ++i) {
        if (latest[HighScoreEntry::RunScore] > s.HighScoreTable[i][HighScoreEntry::RunScore])
            return i;
    }
    return LatestGameEntry;
}

void insertLatestGame(SharedState &s, std::int32_t rank, const QString &name, const QDate &today) {
    auto &table = s.HighScoreTable;
    for (int k = 10; k >= rank; --k)
        table[k + 1] = table[k];
    table[rank] = table[LatestGameEntry];
    table[rank].setText(HighScoreEntry::EntryName, HighScoreEntry::NameLength, name);
    table[rank].setText(HighScoreEntry::EntryDateText, HighScoreEntry::DateLength, dateText(today));
}

} // namespace krumlix
