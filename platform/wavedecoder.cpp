// SPDX-License-Identifier: GPL-3.0-or-later
#include "wavedecoder.h"

#include "wavestream.h"

namespace krumlix {

std::optional<std::vector<std::int16_t>> decodeWave(const QByteArray &bytes, QString *why) {
    WaveDecoding decoding(bytes);
    std::vector<std::int16_t> samples;
    // The samples are given their room once, as the file says it holds.
    samples.reserve(decoding.expectedSamples());
    while (decoding.next(samples)) {
    }
    if (!decoding.ok()) {
        if (why)
            *why = decoding.why();
        return std::nullopt;
    }
    // A file that said more than it held leaves no room unused.
    if (samples.capacity() - samples.size() > samples.size() / 8)
        samples.shrink_to_fit();
    return samples;
}

} // namespace krumlix
