// SPDX-License-Identifier: GPL-3.0-or-later
#include "wavedecoder.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace krumlix {
namespace {

std::uint32_t little(const QByteArray &b, qsizetype at, int bytes) {
    std::uint32_t v = 0;
    for (int i = 0; i < bytes; ++i)
        v |= std::uint32_t(static_cast<unsigned char>(b[at + i])) << (8 * i);
    return v;
}

constexpr int FormatPcm = 1;
constexpr int FormatFloat = 3;
constexpr int FormatExtensible = 0xfffe;
/// Far beyond any event sound; a larger file is not played.
constexpr double MaxSeconds = 600;

} // namespace

std::optional<std::vector<std::int16_t>> decodeWave(const QByteArray &b) {
    if (b.size() < 12 || !b.startsWith("RIFF") || b.mid(8, 4) != "WAVE")
        return std::nullopt;
    qsizetype fmt = -1, data = -1, dataSize = 0;
    for (qsizetype at = 12; at + 8 <= b.size();) {
        const qsizetype size = little(b, at + 4, 4);
        const QByteArray id = b.mid(at, 4);
        if (id == "fmt " && size >= 16 && at + 8 + size <= b.size())
            fmt = at + 8;
        if (id == "data") {
            // A writer that did not know the length leaves it too large.
            data = at + 8, dataSize = std::min(size, b.size() - data);
            break;
        }
        at += 8 + size + (size & 1);
    }
    if (fmt < 0 || data < 0)
        return std::nullopt;
    int format = int(little(b, fmt, 2));
    const int channels = int(little(b, fmt + 2, 2));
    const std::uint32_t rate = little(b, fmt + 4, 4);
    const int bits = int(little(b, fmt + 14, 2));
    if (format == FormatExtensible && little(b, fmt - 4, 4) >= 40)
        format = int(little(b, fmt + 24, 2)); // the sub-format's first field
    const int bytesPerSample = bits / 8;
    const bool known =
        (format == FormatPcm && (bits == 8 || bits == 16 || bits == 24 || bits == 32)) ||
        (format == FormatFloat && bits == 32);
    if (!known || channels < 1 || channels > 32 || rate < 1000 || rate > 384000)
        return std::nullopt;
    const qsizetype frameBytes = qsizetype(bytesPerSample) * channels;
    const qsizetype frames = dataSize / frameBytes;
    if (double(frames) / rate > MaxSeconds)
        return std::nullopt;

    // One sample of the file as a value from -1 to 1.
    const char *raw = b.constData() + data;
    auto sample = [&](qsizetype frame, int channel) -> double {
        const char *p = raw + frame * frameBytes + qsizetype(channel) * bytesPerSample;
        switch (bits) {
        case 8:
            return (static_cast<unsigned char>(p[0]) - 128) / 128.0;
        case 16:
            return std::int16_t(std::uint16_t(static_cast<unsigned char>(p[0]) |
                                              static_cast<unsigned char>(p[1]) << 8)) /
                   32768.0;
        case 24: {
            std::int32_t v = static_cast<unsigned char>(p[0]) |
                             static_cast<unsigned char>(p[1]) << 8 |
                             static_cast<unsigned char>(p[2]) << 16;
            if (v & 0x800000)
                v -= 0x1000000;
            return v / 8388608.0;
        }
        default:
            if (format == FormatFloat) {
                float f;
                std::memcpy(&f, p, sizeof f);
                return std::isfinite(f) ? double(f) : 0.0;
            }
            return std::int32_t(little(b, p - b.constData(), 4)) / 2147483648.0;
        }
    };
    // Left and right of a frame: mono on both sides, more channels mixed.
    auto side = [&](qsizetype frame, int which) -> double {
        if (channels == 1)
            return sample(frame, 0);
        if (channels == 2)
            return sample(frame, which);
        double sum = 0;
        for (int c = which; c < channels; c += 2)
            sum += sample(frame, c);
        return sum / ((channels - which + 1) / 2);
    };

    std::vector<std::int16_t> out;
    if (frames == 0)
        return out;
    const double step = double(rate) / PlaybackRate;
    const auto outFrames = static_cast<qsizetype>(std::floor((frames - 1) / step)) + 1;
    out.reserve(std::size_t(outFrames) * PlaybackChannels);
    for (qsizetype i = 0; i < outFrames; ++i) {
        const double at = i * step;
        const auto first = static_cast<qsizetype>(at);
        const qsizetype second = std::min(first + 1, frames - 1);
        const double mix = at - double(first);
        for (int s = 0; s < PlaybackChannels; ++s) {
            const double v = side(first, s) * (1 - mix) + side(second, s) * mix;
            out.push_back(
                std::int16_t(std::lround(std::clamp(v, -1.0, 32767.0 / 32768.0) * 32768)));
        }
    }
    return out;
}

} // namespace krumlix
