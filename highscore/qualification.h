// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/sharedstate.h"

#include <QDate>
#include <QLocale>
#include <QString>

namespace krumlix {

/// "March 31st 1999": month, day with its English ordinal suffix, year.
QString dateText(const QDate &date);

/// The hitrate as "93,50 %", padded on the left with blanks to 8 characters,
/// as the high-score file stores it: a decimal separator without a
/// Windows-1252 code is written as a point.
QString hitrateText(float hitrate, const QLocale &locale = QLocale());

/// Records the run that ended last as the latest-game entry (name and date
/// fields are left as they are).
void recordLatestGame(SharedState &shared);

/// The rank (1..10) the latest game enters the table at, or 12: it must beat
/// an entry's score strictly, and only a run of the levels 0-4 enters.
std::int32_t rankOfLatestGame(const SharedState &shared);

/// Moves the entries from `rank` down one place (entry 10 into the overflow
/// entry) and puts the latest game at `rank` with the name and the date.
void insertLatestGame(SharedState &shared, std::int32_t rank, const QString &name,
                      const QDate &today);

} // namespace krumlix
