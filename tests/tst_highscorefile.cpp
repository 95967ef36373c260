// SPDX-License-Identifier: GPL-3.0-or-later
// "tarvil.hig" on real files: its layout with the key, short and long
// files, the cleared table, atomic replacement, and the efficiency.
#include "highscore/highscorefile.h"
#include "platform/cp1252.h"
#include "platform/errors.h"
#include "support/datarows.h"
#include "support/tempgame.h"
#include "widgets/numberformat.h"

#include <QTest>
#include <QtEndian>

#include <cerrno>
#include <limits>

using namespace krumlix;

namespace {

QString errorOf(const std::function<void()> &action) {
    try {
        action();
    } catch (const KrumlixError &error) {
        return error.text();
    }
    return QString();
}

/// The bytes of ten cleared entries, built by hand.
QByteArray clearedBytes() {
    QByteArray text = QByteArray("Tarvil        ") + "March 31st 1999    " + "  0,00 %";
    QByteArray bytes;
    for (int e = 0; e < 10; ++e) {
        for (int i = 0; i < 63; ++i) {
            const qint32 value = i < text.size() ? text.at(i) : 0;
            char le[4];
            qToLittleEndian<quint32>(static_cast<quint32>(value + 21739), le);
            bytes.append(le, 4);
        }
    }
    return bytes;
}

struct Fixed {
    double value;
    const char *locale, *shown; ///< shown: UTF-8
};

struct Rig {
    test::TempGameDir game;
    SharedState shared;
    Rig() { shared.ProgramDir = game.programDir(); }
};

} // namespace

class HighScoreFileTest : public QObject {
    Q_OBJECT
private slots:
    // Every value comes back exactly, at the limits too, and the file holds
    // value + 21739 little-endian with 32-bit wrap-around.
    void roundTrip_data() {
        QTest::addColumn<qint32>("score");
        QTest::newRow("-250") << -250;
        QTest::newRow("0") << 0;
        QTest::newRow("max") << std::numeric_limits<qint32>::max();
        QTest::newRow("min") << std::numeric_limits<qint32>::min();
    }
    void roundTrip() {
        QFETCH(qint32, score);
        Rig rig;
        for (int e = 1; e <= 10; ++e) {
            rig.shared.HighScoreTable[e] = DefaultEntry();
            rig.shared.HighScoreTable[e][HighScoreEntry::RunScore] = score;
            rig.shared.HighScoreTable[e][HighScoreEntry::ShotCount] = e;
        }
        SaveHighScores(rig.shared);
        const QByteArray bytes = rig.game.read(QStringLiteral("tarvil.hig"));
        QCOMPARE(bytes.size(), 2520);
        QCOMPARE(qFromLittleEndian<quint32>(bytes.constData() + 62 * 4),
                 static_cast<quint32>(score) + 21739u);
        SharedState loaded;
        loaded.ProgramDir = rig.game.programDir();
        LoadHighScores(loaded);
        for (int e = 1; e <= 10; ++e)
            QCOMPARE(loaded.HighScoreTable[e], rig.shared.HighScoreTable[e]);
        QCOMPARE(loaded.ScoreFileOffset, 21739);
    }

    // The cleared table is ten default entries, to the byte; the game ships it.
    void clearedTableBytes() {
        Rig rig;
        writeClearedHighScores(rig.shared);
        QCOMPARE(rig.game.read(QStringLiteral("tarvil.hig")), clearedBytes());
        QFile shipped(QStringLiteral(KRUMLIX_SOURCE_DIR "/highscore/default/tarvil.hig"));
        QVERIFY(shipped.open(QIODevice::ReadOnly));
        QCOMPARE(shipped.readAll(), clearedBytes());
        LoadHighScores(rig.shared);
        QCOMPARE(rig.shared.HighScoreTable[7].text(0, 14), QStringLiteral("Tarvil        "));
        QCOMPARE(rig.shared.HighScoreTable[7][HighScoreEntry::DifficultyLevel], 0);
    }

    // A file one byte short fails on the last value; entries 1..9 are
    // already replaced, and so is entry 10 up to its last value.
    void shortFileFailsOnItsLastValue() {
        Rig rig;
        rig.game.write(QStringLiteral("tarvil.hig"), clearedBytes().left(2519));
        for (int e = 1; e <= 12; ++e)
            rig.shared.HighScoreTable[e][HighScoreEntry::RunScore] = 99;
        QCOMPARE(errorOf([&] { LoadHighScores(rig.shared); }),
                 QStringLiteral("Read beyond end of file"));
        for (int e = 1; e <= 9; ++e)
            QCOMPARE(rig.shared.HighScoreTable[e], DefaultEntry());
        QCOMPARE(rig.shared.HighScoreTable[10][61], 0);
        QCOMPARE(rig.shared.HighScoreTable[10][HighScoreEntry::RunScore], 99);
        QCOMPARE(rig.shared.HighScoreTable[12][HighScoreEntry::RunScore], 99);
    }

    // A longer file loads its first 2,520 bytes and is saved back at 2,520.
    void longFileLoadsItsFirstEntries() {
        Rig rig;
        rig.game.write(QStringLiteral("tarvil.hig"), clearedBytes() + QByteArray(480, '\x7f'));
        LoadHighScores(rig.shared);
        QCOMPARE(rig.shared.HighScoreTable[10], DefaultEntry());
        SaveHighScores(rig.shared);
        QCOMPARE(rig.game.read(QStringLiteral("tarvil.hig")), clearedBytes());
    }

    void missingOrFolder_data() {
        test::columns<bool, QString>("folder", "message");
        QTest::newRow("missing") << false << "File not found";
        QTest::newRow("a folder of that name") << true << "File access denied";
    }
    void missingOrFolder() {
        const auto [folder, message] = test::fetch<bool, QString>("folder", "message");
        Rig rig;
        if (folder)
            QDir(rig.game.dir.path()).mkdir(QStringLiteral("tarvil.hig"));
        QCOMPARE(errorOf([&] { LoadHighScores(rig.shared); }), message);
        if (folder)
            QCOMPARE(errorOf([&] { SaveHighScores(rig.shared); }), message);
    }

    // A save that cannot be completed leaves the old file whole and says why.
    void failedSaveKeepsTheOldFile() {
        Rig rig;
        writeClearedHighScores(rig.shared);
        rig.shared.HighScoreTable[1][HighScoreEntry::RunScore] = 500;
        QString message;
        {
            test::FileSizeLimit limit(1000);
            message = errorOf([&] { SaveHighScores(rig.shared); });
        }
        QCOMPARE(message, QStringLiteral("I/O error %1").arg(EFBIG));
        QCOMPARE(rig.game.read(QStringLiteral("tarvil.hig")), clearedBytes());
        QCOMPARE(QDir(rig.game.dir.path()).entryList(QDir::Files),
                 QStringList{QStringLiteral("tarvil.hig")});
    }

    void efficiency_data() {
        test::columns<QList<int>, QString>("points", "shown"); // optimal, bonus, score; "": none
        QTest::newRow("700/0/350") << QList<int>{700, 0, 350} << "50,00";
        QTest::newRow("with bonus") << QList<int>{900, 200, 550} << "50,00";
        QTest::newRow("no points") << QList<int>{700, 0, 0} << "";
        QTest::newRow("negative") << QList<int>{700, 0, -20} << "";
        QTest::newRow("only the bonus possible") << QList<int>{300, 300, 310} << "";
        // Differences are taken in 64 bits: stored values near the limits do
        // not wrap around.
        QTest::newRow("limits") << QList<int>{std::numeric_limits<int>::max(),
                                              std::numeric_limits<int>::min(), 1}
                                << "50,00";
    }
    void efficiency() {
        const auto [points, shown] = test::fetch<QList<int>, QString>("points", "shown");
        HighScoreEntry entry;
        entry[HighScoreEntry::OptimalScore] = points[0];
        entry[HighScoreEntry::BonusPoints] = points[1];
        entry[HighScoreEntry::RunScore] = points[2];
        const auto value = Efficiency(entry);
        QCOMPARE(value.has_value(), !shown.isEmpty());
        if (value)
            QCOMPARE(fixed2(*value, QLocale(QLocale::Danish)), shown);
    }

    // Shown numbers with decimals: the digits 0-9 in every locale, as the
    // clock and the score, with the locale's own decimal separator.
    void fixedNotation_data() {
        QTest::addColumn<Fixed>("row");
        QTest::newRow("Danish") << Fixed{66.666, "da_DK", "66,67"};
        QTest::newRow("Danish, large") << Fixed{123456.5, "da_DK", "123456,50"};
        QTest::newRow("English") << Fixed{50.0, "en_US", "50.00"};
        QTest::newRow("Arabic, Egypt") << Fixed{93.5, "ar_EG", "93\u066B50"};
        QTest::newRow("Persian") << Fixed{100.0, "fa_IR", "100\u066B00"};
        QTest::newRow("Bangla") << Fixed{0.0, "bn_BD", "0.00"};
    }
    void fixedNotation() {
        QFETCH(Fixed, row);
        QCOMPARE(fixed2(row.value, QLocale(QLatin1String(row.locale))),
                 QString::fromUtf8(row.shown));
    }

    // Fixed codes of the code page, both ways: a swap of two entries of the
    // table would pass any round trip.
    void windows1252Codes_data() {
        test::columns<int, int>("code", "unicode");
        const int pairs[][2] = {{0x80, 0x20AC}, {0x82, 0x201A}, {0x85, 0x2026}, {0x8A, 0x0160},
                                {0x8C, 0x0152}, {0x8E, 0x017D}, {0x91, 0x2018}, {0x92, 0x2019},
                                {0x93, 0x201C}, {0x94, 0x201D}, {0x96, 0x2013}, {0x97, 0x2014},
                                {0x99, 0x2122}, {0x9C, 0x0153}, {0x9F, 0x0178}, {0xC5, 0x00C5},
                                {0xFF, 0x00FF}};
        for (const auto &[code, unicode] : pairs)
            QTest::addRow("0x%X U+%04X", code, unicode) << code << unicode;
    }
    void windows1252Codes() {
        const auto [code, unicode] = test::fetch<int, int>("code", "unicode");
        QCOMPARE(int(charFromCp1252(code).unicode()), unicode);
        QCOMPARE(cp1252FromChar(QChar(char16_t(unicode))), code);
    }

    // Text fields hold Windows-1252 codes; a value outside 0..255 shows as
    // the character of its low 8 bits, a character outside as "?".
    void windows1252Texts() {
        HighScoreEntry entry;
        entry.setText(0, 14, QString::fromUtf8("Åse €ā"));
        QCOMPARE(entry[0], 0xC5);
        QCOMPARE(entry[4], 0x80);
        QCOMPARE(entry[5], static_cast<int>('?'));
        QCOMPARE(entry[13], 32);
        QCOMPARE(entry.text(0, 6), QString::fromUtf8("Åse €?"));
        entry[0] = 0x141;
        entry[1] = -0xBF; // low 8 bits 0x41
        QCOMPARE(entry.text(0, 2), QStringLiteral("AA"));
        QCOMPARE(textFromCp1252(cp1252FromText(QString::fromUtf8("Tarvil™ “x”"))),
                 QString::fromUtf8("Tarvil™ “x”"));
    }
};

QTEST_GUILESS_MAIN(HighScoreFileTest)
#include "tst_highscorefile.moc"
