// SPDX-License-Identifier: GPL-3.0-or-later
// Wave files written by libsndfile for the sound tests and benchmarks.
#pragma once

#include <QFile>
#include <QString>

#include <sndfile.h>

#include <cmath>
#include <cstdint>
#include <vector>

/// A 16-bit wave file of `frames` frames whose channel c is a tone of its
/// own, 300 + 200 c (+ `shift`, from frame `shiftFrom` on) Hz at a level of
/// its own; its samples as written (interleaved), none when it could not be
/// written.
inline std::vector<std::int16_t> writeTones(const QString &path, int channels, int rate, int frames,
                                            double shift = 0, int shiftFrom = 0) {
    std::vector<std::int16_t> samples(std::size_t(frames) * std::size_t(channels));
    for (std::size_t i = 0; i < samples.size(); ++i) {
        const int c = int(i % std::size_t(channels));
        const std::size_t frame = i / std::size_t(channels);
        const double t = double(frame) / rate;
        const double hz = 300 + 200 * c + (frame >= std::size_t(shiftFrom) ? shift : 0);
        samples[i] = std::int16_t(std::lround((12000 - 2000 * c) * std::sin(2 * M_PI * hz * t)));
    }
    SF_INFO info{};
    info.samplerate = rate;
    info.channels = channels;
    info.format = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
    SNDFILE *file = sf_open(QFile::encodeName(path).constData(), SFM_WRITE, &info);
    const bool written = file && sf_writef_short(file, samples.data(), frames) == frames;
    if (file)
        sf_close(file);
    return written ? samples : std::vector<std::int16_t>();
}
