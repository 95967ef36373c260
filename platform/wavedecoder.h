// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <optional>
#include <vector>

namespace krumlix {

/// The format every sound is played in: 16-bit stereo, interleaved.
constexpr int PlaybackRate = 44100;
constexpr int PlaybackChannels = 2;

/// A longer sound is no event sound and is not played.
constexpr double MaxSoundSeconds = 600;

/// The samples of a RIFF wave file in the playback format, read by
/// libsndfile: PCM of 8 to 32 bits, float, IMA and Microsoft ADPCM, mu-law,
/// A-law and the other encodings it knows in a wave file; 1 to 32 channels
/// (mono is put on both sides, more than two are mixed down) at 1000 to
/// 384000 Hz, converted to the playback rate by libsamplerate.
/// Nothing when the bytes are no such file or hold more than MaxSoundSeconds;
/// then `why`, when given, says which.
std::optional<std::vector<std::int16_t>> decodeWave(const QByteArray &bytes,
                                                    QString *why = nullptr);

} // namespace krumlix
