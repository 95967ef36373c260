// SPDX-License-Identifier: GPL-3.0-or-later
// "tarvil.hig" from any bytes, so every field may hold any 32-bit value:
// the loader, the menu's table display, and the statistics window for each
// entry 1..10 and the latest game.
#include "fuzzwindows.h"
#include "highscore/highscorefile.h"
#include "highscore/menuwindow.h"
#include "platform/textfile.h"
#include "stats/statswindow.h"

#include <algorithm>

using namespace krumlix;

namespace {

int rightEdge(const QLabel *label) {
    return label->x() + label->width();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    const QByteArray bytes = fuzz::input(data, size);
    test::GameWindows &w = fuzz::windows();
    SharedState &s = w.shared;
    const HighScoreEntry before = DefaultEntry();
    s.HighScoreTable.fill(before);

    fuzz::writeGameFile(QLatin1String(HighScoreFileName), bytes);
    try {
        LoadHighScores(s);
        KRUMLIX_REQUIRE(bytes.size() >= HighScoreFileSize);
    } catch (const KrumlixError &error) {
        KRUMLIX_REQUIRE(bytes.size() < HighScoreFileSize);
        KRUMLIX_REQUIRE(error.text() == QStringLiteral("Read beyond end of file"));
    }
    // Whole values read, the rest as it was; entries 11 and 12 untouched.
    const int values = static_cast<int>(std::min<qsizetype>(bytes.size(), HighScoreFileSize) / 4);
    std::array<HighScoreEntry, 10> decoded;
    decoded.fill(before);
    KRUMLIX_REQUIRE(decodeHighScores(bytes, decoded.data()) == values);
    for (int e = 1; e <= 10; ++e)
        KRUMLIX_REQUIRE(s.HighScoreTable[e] == decoded[e - 1]);
    KRUMLIX_REQUIRE(s.HighScoreTable[11] == before && s.HighScoreTable[12] == before);
    if (values == HighScoreFileSize / 4)
        KRUMLIX_REQUIRE(encodeHighScores(&s.HighScoreTable[1]) == bytes.left(HighScoreFileSize));

    // The pushed-off entry and the latest game from the input too: the bytes
    // after the table, or else the input read backwards.
    QByteArray more = bytes.mid(HighScoreFileSize);
    if (more.isEmpty()) {
        more = bytes;
        std::reverse(more.begin(), more.end());
    }
    std::array<HighScoreEntry, 10> extra;
    extra.fill(HighScoreEntry{});
    decodeHighScores(more, extra.data());
    s.HighScoreTable[11] = extra[0];
    s.HighScoreTable[12] = extra[1];
    s.NewEntryRank = size ? data[0] % 13 : 0;

    THighscore &menu = w.menu();
    menu.Button10Click();
    for (int r = 1; r <= 10; ++r) {
        const HighScoreEntry &entry = s.HighScoreTable[r];
        KRUMLIX_REQUIRE(menu.pointsLabel(r)->text() ==
                        QString::number(entry[HighScoreEntry::RunScore]));
        KRUMLIX_REQUIRE(rightEdge(menu.pointsLabel(r)) == THighscore::PointsRight);
        KRUMLIX_REQUIRE(rightEdge(menu.efficiencyLabel(r)) == THighscore::EfficiencyRight);
        KRUMLIX_REQUIRE(menu.nameLabel(r)->text().size() == HighScoreEntry::NameLength);
        KRUMLIX_REQUIRE(menu.dateLabel(r)->text().size() == HighScoreEntry::DateLength);
    }

    TStats &stats = *w.context.windows.Stats;
    for (int e : {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 12}) {
        s.StatsEntry = e;
        stats.FormActivate();
        const HighScoreEntry &entry = s.HighScoreTable[e];
        KRUMLIX_REQUIRE(stats.TrackBar1->value() == (e == 12 ? 10 : e - 1));
        KRUMLIX_REQUIRE(stats.label(44)->text() ==
                        QString::number(entry[HighScoreEntry::RunScore]));
        KRUMLIX_REQUIRE(stats.label(23)->text() ==
                        QString::number(entry[HighScoreEntry::ShotCount]));
        KRUMLIX_REQUIRE(rightEdge(stats.label(44)) == TStats::ValueRight);
        KRUMLIX_REQUIRE(stats.label(25)->text().size() == 6);
    }
    return 0;
}
