// SPDX-License-Identifier: GPL-3.0-or-later
#include "highscorefile.h"

#include "platform/errors.h"
#include "platform/textfile.h"

#include <QDir>

namespace krumlix {
namespace {

QString filePath(const SharedState &shared) {
    return QDir(shared.ProgramDir).filePath(QLatin1String(HighScoreFileName));
}

} // namespace

QByteArray encodeHighScores(const HighScoreEntry *entries) {
    QByteArray bytes;
    bytes.reserve(HighScoreFileSize);
    for (int e = 0; e < 10; ++e) {
        for (std::int32_t value : entries[e].value) {
            const std::uint32_t stored =
                static_cast<std::uint32_t>(value) + static_cast<std::uint32_t>(HighScoreKey);
            for (int shift = 0; shift < 32; shift += 8)
                bytes += static_cast<char>((stored >> shift) & 0xFFu);
        }
    }
    return bytes;
}

int decodeHighScores(const QByteArray &bytes, HighScoreEntry *entries) {
    const int available =
        static_cast<int>(std::min<qsizetype>(bytes.size(), HighScoreFileSize) / 4);
    for (int i = 0; i < available; ++i) {
        std::uint32_t stored = 0;
        for (int b = 0; b < 4; ++b)
            stored |= std::uint32_t{static_cast<std::uint8_t>(bytes.at(i * 4 + b))} << (8 * b);
        entries[i / HighScoreEntry::Size][i % HighScoreEntry::Size] =
            static_cast<std::int32_t>(stored - static_cast<std::uint32_t>(HighScoreKey));
    }
    return available;
}

void LoadHighScores(SharedState &shared) {
    shared.ScoreFileOffset = HighScoreKey;
    int error = 0;
    const QByteArray bytes = readRegularFile(filePath(shared), HighScoreFileSize, error);
    if (error != 0)
        throw KrumlixError::fromErrno(error);
    if (decodeHighScores(bytes, &shared.HighScoreTable[1]) < HighScoreFileSize / 4)
        throw KrumlixError::readBeyondEnd();
}

void SaveHighScores(SharedState &shared) {
    shared.ScoreFileOffset = HighScoreKey;
    replaceFile(filePath(shared), encodeHighScores(&shared.HighScoreTable[1]));
}

void writeClearedHighScores(SharedState &shared) {
    shared.ScoreFileOffset = HighScoreKey;
    std::array<HighScoreEntry, 10> cleared;
    cleared.fill(DefaultEntry());
    replaceFile(filePath(shared), encodeHighScores(cleared.data()));
}

} // namespace krumlix
