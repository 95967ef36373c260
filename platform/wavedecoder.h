// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>

#include <cstdint>
#include <optional>
#include <vector>

namespace krumlix {

/// The format every sound is played in: 16-bit stereo, interleaved.
constexpr int PlaybackRate = 44100;
constexpr int PlaybackChannels = 2;

/// The samples of a RIFF wave file in the playback format: PCM of 8, 16, 24
/// or 32 bits or 32-bit float, any number of channels (mono is put on both
/// sides, more than two are mixed down) at any rate (converted by linear
/// interpolation). Nothing when the bytes are not such a file.
std::optional<std::vector<std::int16_t>> decodeWave(const QByteArray &bytes);

} // namespace krumlix
