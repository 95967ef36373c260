// SPDX-License-Identifier: GPL-3.0-or-later
#include "wavedecoder.h"

#include <samplerate.h>
#include <sndfile.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>

namespace krumlix {
namespace {

constexpr int MaxChannels = 32;
constexpr int MinRate = 1000;
constexpr int MaxRate = 384000;
/// The frames read, mixed and converted at a time.
constexpr sf_count_t Block = 4096;
/// Weighed against libsamplerate's other converters and speexdsp's levels
/// (bench/resamplebench.cpp): a 1 kHz tone comes out 114 to 119 dB above
/// the error and a tone above the new limit 103 dB down, beyond what 16
/// bits hold, and a minute of stereo takes about 0.3 s from any rate, where
/// speexdsp at a like quality (108 dB) takes from 0.05 s (11025 Hz) to
/// 0.6 s (48000 Hz).
constexpr int Resampler = SRC_SINC_FASTEST;

/// The bytes of a file as libsndfile reads them.
struct Memory {
    const QByteArray &bytes;
    sf_count_t at = 0;
};

Memory &memory(void *user) {
    return *static_cast<Memory *>(user);
}

SF_VIRTUAL_IO memoryIo() {
    SF_VIRTUAL_IO io{};
    io.get_filelen = [](void *user) -> sf_count_t { return memory(user).bytes.size(); };
    io.seek = [](sf_count_t offset, int whence, void *user) -> sf_count_t {
        Memory &m = memory(user);
        const sf_count_t base = whence == SEEK_CUR   ? m.at
                                : whence == SEEK_END ? sf_count_t(m.bytes.size())
                                                     : 0;
        if (offset > 0 ? base > INT64_MAX - offset : base + offset < 0)
            return -1;
        return m.at = base + offset;
    };
    io.read = [](void *to, sf_count_t count, void *user) -> sf_count_t {
        Memory &m = memory(user);
        const sf_count_t left = std::max<sf_count_t>(0, m.bytes.size() - m.at);
        const sf_count_t n = std::clamp<sf_count_t>(count, 0, left);
        if (n > 0)
            std::memcpy(to, m.bytes.constData() + m.at, std::size_t(n));
        m.at += n;
        return n;
    };
    io.write = [](const void *, sf_count_t, void *) -> sf_count_t { return 0; };
    io.tell = [](void *user) -> sf_count_t { return memory(user).at; };
    return io;
}

struct CloseFile {
    void operator()(SNDFILE *file) const { sf_close(file); }
};
struct DeleteResampler {
    void operator()(SRC_STATE *state) const { src_delete(state); }
};

/// Stereo float frames in, playback samples out, through the resampler when
/// the file has another rate.
class Converter {
public:
    /// `frames`: how many the file says it holds, so that the samples are
    /// given their room once.
    Converter(int rate, sf_count_t frames) : ratio_(double(PlaybackRate) / rate) {
        out_.reserve(std::size_t(double(std::max<sf_count_t>(frames, 0)) * ratio_ + 2) *
                     PlaybackChannels);
        if (rate != PlaybackRate) {
            int error = 0;
            resampler_.reset(src_new(Resampler, PlaybackChannels, &error));
        }
    }
    bool ready() const { return ratio_ == 1.0 || resampler_; }

    void add(const float *frames, std::size_t count) {
        if (resampler_)
            resample(frames, count, false);
        else
            put(frames, count);
    }

    std::vector<std::int16_t> finish() {
        if (resampler_) { // the filter's last frames, from no more input
            const float none = 0;
            resample(&none, 0, true);
        }
        // A file that said more than it held leaves no room unused.
        if (out_.capacity() - out_.size() > out_.size() / 8)
            out_.shrink_to_fit();
        return std::move(out_);
    }

private:
    void resample(const float *frames, std::size_t count, bool last) {
        for (int calls = 0; calls < 1000000; ++calls) {
            SRC_DATA data{};
            data.data_in = frames;
            data.input_frames = long(count);
            data.data_out = resampled_.data();
            data.output_frames = long(resampled_.size() / PlaybackChannels);
            data.end_of_input = last ? 1 : 0;
            data.src_ratio = ratio_;
            if (src_process(resampler_.get(), &data) != 0)
                return;
            put(resampled_.data(), std::size_t(data.output_frames_gen));
            frames += data.input_frames_used * PlaybackChannels;
            count -= std::size_t(data.input_frames_used);
            if (count == 0 && (!last || data.output_frames_gen == 0))
                return;
        }
    }

    void put(const float *frames, std::size_t count) {
        for (std::size_t i = 0; i < count * PlaybackChannels; ++i)
            out_.push_back(std::int16_t(
                std::lround(std::clamp(double(frames[i]), -1.0, 32767.0 / 32768.0) * 32768)));
    }

    double ratio_;
    std::unique_ptr<SRC_STATE, DeleteResampler> resampler_;
    std::vector<float> resampled_ = std::vector<float>(std::size_t(Block) * 4 * PlaybackChannels);
    std::vector<std::int16_t> out_;
};

} // namespace

std::optional<std::vector<std::int16_t>> decodeWave(const QByteArray &bytes, QString *why) {
    const auto refuse = [why](const char *reason) -> std::optional<std::vector<std::int16_t>> {
        if (why)
            *why = QString::fromUtf8(reason);
        return std::nullopt;
    };
    // Only wave files go to the library, which would read many other kinds.
    if (bytes.size() < 12 || !bytes.startsWith("RIFF") || bytes.mid(8, 4) != "WAVE")
        return refuse("no RIFF wave file");
    Memory source{bytes};
    SF_VIRTUAL_IO io = memoryIo();
    SF_INFO info{};
    std::unique_ptr<SNDFILE, CloseFile> file(sf_open_virtual(&io, SFM_READ, &info, &source));
    if (!file) {
        if (why)
            *why = QString::fromUtf8(sf_strerror(nullptr));
        return std::nullopt;
    }
    const int major = info.format & SF_FORMAT_TYPEMASK;
    const int channels = info.channels;
    if ((major != SF_FORMAT_WAV && major != SF_FORMAT_WAVEX) || channels < 1 ||
        channels > MaxChannels || info.samplerate < MinRate || info.samplerate > MaxRate)
        return refuse("a kind of wave file the game does not play (channels or rate)");
    const auto maxFrames = sf_count_t(MaxSoundSeconds * info.samplerate);
    if (info.frames > maxFrames)
        return refuse("longer than ten minutes");

    Converter converter(info.samplerate, info.frames);
    if (!converter.ready())
        return refuse("no converter for its rate");
    std::vector<float> read(std::size_t(Block) * std::size_t(channels));
    std::vector<float> stereo(std::size_t(Block) * PlaybackChannels);
    sf_count_t total = 0;
    for (sf_count_t got; (got = sf_readf_float(file.get(), read.data(), Block)) > 0;) {
        total += got;
        if (total > maxFrames)
            return refuse("longer than ten minutes");
        // Left and right of a frame: mono on both sides, more channels mixed.
        for (sf_count_t f = 0; f < got; ++f) {
            const float *frame = read.data() + f * channels;
            for (int side = 0; side < PlaybackChannels; ++side) {
                float v = 0;
                if (channels <= 2) {
                    v = frame[std::min(side, channels - 1)];
                } else {
                    int mixed = 0;
                    for (int c = side; c < channels; c += 2, ++mixed)
                        v += frame[c];
                    v /= float(mixed);
                }
                // Clipped here already, so that nothing out of range enters
                // the resampler's filter.
                stereo[std::size_t(f) * PlaybackChannels + std::size_t(side)] =
                    std::isfinite(v) ? std::clamp(v, -1.f, 1.f) : 0.f;
            }
        }
        converter.add(stereo.data(), std::size_t(got));
    }
    return converter.finish();
}

} // namespace krumlix
