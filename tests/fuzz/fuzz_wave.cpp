// SPDX-License-Identifier: GPL-3.0-or-later
// The wave reading from any bytes: stereo samples of at most ten minutes at
// the playback rate, or nothing, and never an end of the program.
#include "fuzzcheck.h"
#include "platform/wavedecoder.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    const QByteArray bytes(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    const auto samples = krumlix::decodeWave(bytes);
    if (samples) {
        KRUMLIX_REQUIRE(samples->size() % krumlix::PlaybackChannels == 0);
        // The resampler may round up by a frame.
        KRUMLIX_REQUIRE(samples->size() / krumlix::PlaybackChannels <=
                        krumlix::MaxSoundSeconds * krumlix::PlaybackRate + 1);
    }
    return 0;
}
