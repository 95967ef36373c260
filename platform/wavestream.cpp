// SPDX-License-Identifier: GPL-3.0-or-later
#include "wavestream.h"

#include "soundfile.h"

#include <samplerate.h>
#include <sndfile.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <optional>

namespace krumlix {
namespace {

constexpr int MaxChannels = 32;
constexpr int MinRate = 1000;
constexpr int MaxRate = 384000;
/// The most frames read, mixed and converted at a time.
constexpr sf_count_t Block = 4096;
/// Weighed against libsamplerate's other converters and speexdsp's levels
/// (bench/resamplebench.cpp): a 1 kHz tone comes out 114 to 119 dB above
/// the error and a tone above the new limit 103 dB down, beyond what 16
/// bits hold, and a minute of stereo takes about 0.3 s from any rate, where
/// speexdsp at a like quality (108 dB) takes from 0.05 s (11025 Hz) to
/// 0.6 s (48000 Hz).
constexpr int Resampler = SRC_SINC_FASTEST;

struct CloseFile {
    void operator()(SNDFILE *file) const { sf_close(file); }
};
struct DeleteResampler {
    void operator()(SRC_STATE *state) const { src_delete(state); }
};

} // namespace

/// The bytes of a file as libsndfile reads them: from memory, or from an
/// open file at the place it asks for.
struct WaveDecoding::Source {
    const QByteArray *bytes = nullptr;
    int fd = -1;
    sf_count_t at = 0;
    SF_INFO info{};
    std::unique_ptr<SNDFILE, CloseFile> file;
    sf_count_t maxFrames = 0, total = 0;
    std::vector<float> read, stereo;

    ~Source() {
        file.reset();
        if (fd >= 0)
            ::close(fd);
    }

    sf_count_t length() const {
        struct stat st {};
        return bytes ? bytes->size() : ::fstat(fd, &st) == 0 ? sf_count_t(st.st_size) : 0;
    }

    sf_count_t readAt(void *to, sf_count_t count) {
        const sf_count_t left = std::max<sf_count_t>(0, length() - at);
        const auto n = std::clamp<sf_count_t>(count, 0, left);
        sf_count_t got = 0;
        if (bytes) {
            if (n > 0)
                std::memcpy(to, bytes->constData() + at, std::size_t(n));
            got = n;
        } else {
            for (ssize_t r = 1; r > 0 && got < n; got += std::max<ssize_t>(r, 0))
                r = ::pread(fd, static_cast<char *>(to) + got, std::size_t(n - got), at + got);
        }
        at += got;
        return got;
    }

    static Source &of(void *user) { return *static_cast<Source *>(user); }

    static SF_VIRTUAL_IO io() {
        SF_VIRTUAL_IO io{};
        io.get_filelen = [](void *user) { return of(user).length(); };
        io.seek = [](sf_count_t offset, int whence, void *user) -> sf_count_t {
            Source &s = of(user);
            const sf_count_t base = whence == SEEK_CUR ? s.at : whence == SEEK_END ? s.length() : 0;
            if (offset > 0 ? base > INT64_MAX - offset : base + offset < 0)
                return -1;
            return s.at = base + offset;
        };
        io.read = [](void *to, sf_count_t count, void *user) { return of(user).readAt(to, count); };
        io.write = [](const void *, sf_count_t, void *) -> sf_count_t { return 0; };
        io.tell = [](void *user) { return of(user).at; };
        return io;
    }
};

/// Stereo float frames in, playback samples out, through the resampler when
/// the file has another rate.
class WaveDecoding::Converter {
public:
    explicit Converter(int rate) : ratio_(double(PlaybackRate) / rate) {
        if (rate != PlaybackRate) {
            int error = 0;
            resampler_.reset(src_new(Resampler, PlaybackChannels, &error));
        }
    }
    bool ready() const { return ratio_ == 1.0 || resampler_; }
    double ratio() const { return ratio_; }

    /// With `last`, the filter's last frames follow what is given.
    void add(const float *frames, std::size_t count, bool last, std::vector<std::int16_t> &out) {
        if (!resampler_) {
            put(frames, count, out);
            return;
        }
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
            put(resampled_.data(), std::size_t(data.output_frames_gen), out);
            frames += data.input_frames_used * PlaybackChannels;
            count -= std::size_t(data.input_frames_used);
            if (count == 0 && (!last || data.output_frames_gen == 0))
                return;
        }
    }

private:
    static void put(const float *frames, std::size_t count, std::vector<std::int16_t> &out) {
        for (std::size_t i = 0; i < count * PlaybackChannels; ++i)
            out.push_back(std::int16_t(
                std::lround(std::clamp(double(frames[i]), -1.0, 32767.0 / 32768.0) * 32768)));
    }

    double ratio_;
    std::unique_ptr<SRC_STATE, DeleteResampler> resampler_;
    std::vector<float> resampled_ = std::vector<float>(std::size_t(Block) * 4 * PlaybackChannels);
};

WaveDecoding::WaveDecoding(const QByteArray &bytes) : source_(std::make_unique<Source>()) {
    source_->bytes = &bytes;
    open();
}

WaveDecoding::WaveDecoding(int fd) : source_(std::make_unique<Source>()) {
    source_->fd = fd;
    open();
}

WaveDecoding::~WaveDecoding() = default;

void WaveDecoding::open() {
    Source &s = *source_;
    // Only wave files go to the library, which would read many other kinds.
    char head[12] = {};
    if (s.readAt(head, 12) != 12 || std::memcmp(head, "RIFF", 4) != 0 ||
        std::memcmp(head + 8, "WAVE", 4) != 0) {
        why_ = QStringLiteral("no RIFF wave file");
        return;
    }
    s.at = 0;
    SF_VIRTUAL_IO io = Source::io();
    s.file.reset(sf_open_virtual(&io, SFM_READ, &s.info, &s));
    if (!s.file) {
        why_ = QString::fromUtf8(sf_strerror(nullptr));
        return;
    }
    const int major = s.info.format & SF_FORMAT_TYPEMASK;
    if ((major != SF_FORMAT_WAV && major != SF_FORMAT_WAVEX) || s.info.channels < 1 ||
        s.info.channels > MaxChannels || s.info.samplerate < MinRate ||
        s.info.samplerate > MaxRate) {
        why_ = QStringLiteral("a kind of wave file the game does not play (channels or rate)");
        return;
    }
    s.maxFrames = sf_count_t(MaxSoundSeconds * s.info.samplerate);
    if (s.info.frames > s.maxFrames) {
        why_ = QStringLiteral("longer than ten minutes");
        return;
    }
    converter_ = std::make_unique<Converter>(s.info.samplerate);
    if (!converter_->ready()) {
        why_ = QStringLiteral("no converter for its rate");
        return;
    }
    s.read.resize(std::size_t(Block) * std::size_t(s.info.channels));
    s.stereo.resize(std::size_t(Block) * PlaybackChannels);
}

std::size_t WaveDecoding::expectedSamples() const {
    if (!ok())
        return 0;
    // A converted file may come to a frame or two more than its share.
    const double ratio = converter_->ratio();
    return std::size_t(double(std::max<sf_count_t>(source_->info.frames, 0)) * ratio +
                       (ratio == 1.0 ? 0 : 2)) *
           PlaybackChannels;
}

bool WaveDecoding::next(std::vector<std::int16_t> &out) {
    if (!ok() || done_)
        return false;
    Source &s = *source_;
    const int channels = s.info.channels;
    // A piece comes to at most a block of playback frames, whatever the rate.
    const sf_count_t frames =
        std::clamp<sf_count_t>(Block * s.info.samplerate / PlaybackRate, 64, Block);
    const sf_count_t got = sf_readf_float(s.file.get(), s.read.data(), frames);
    s.total += std::max<sf_count_t>(got, 0);
    if (s.total > s.maxFrames) {
        why_ = QStringLiteral("longer than ten minutes");
        return false;
    }
    // Left and right of a frame: mono on both sides, more channels mixed.
    for (sf_count_t f = 0; f < got; ++f) {
        const float *frame = s.read.data() + f * channels;
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
            // Clipped here already, so that nothing out of range enters the
            // resampler's filter.
            s.stereo[std::size_t(f) * PlaybackChannels + std::size_t(side)] =
                std::isfinite(v) ? std::clamp(v, -1.f, 1.f) : 0.f;
        }
    }
    done_ = got <= 0;
    converter_->add(s.stereo.data(), std::size_t(std::max<sf_count_t>(got, 0)), done_, out);
    return !done_;
}

// ---- the stream ----

WaveStream::WaveStream(const QByteArray &path, std::size_t ahead)
    : ahead_(std::max<std::size_t>(ahead - ahead % PlaybackChannels, PlaybackChannels)),
      buffer_(ahead_), reader_([this, path](std::stop_token stop) { read(stop, path); }) {}

WaveStream::~WaveStream() = default;

void WaveStream::read(std::stop_token stop, QByteArray path) {
    Stamp stamp;
    const int fd = openSoundFile(path, stamp);
    std::optional<WaveDecoding> decoding;
    if (fd >= 0)
        decoding.emplace(fd);
    std::vector<std::int16_t> piece;
    for (bool more = decoding && decoding->ok(); !stop.stop_requested();) {
        piece.clear();
        more = more && decoding->next(piece);
        std::unique_lock lock(mutex_);
        for (std::size_t at = 0; at < piece.size();) {
            if (!changed_.wait(lock, stop, [&] { return count_ < ahead_; }))
                return; // no longer wanted
            const std::size_t n = std::min(ahead_ - count_, piece.size() - at);
            for (std::size_t i = 0; i < n; ++i)
                buffer_[(head_ + count_ + i) % ahead_] = piece[at + i];
            count_ += n;
            at += n;
            changed_.notify_all();
        }
        if (!more) {
            failure_ = !decoding        ? QStringLiteral("it could not be read")
                       : decoding->ok() ? QString()
                                        : decoding->why();
            finished_ = true;
            changed_.notify_all();
            return;
        }
    }
}

std::size_t WaveStream::take(std::int16_t *to, std::size_t max) {
    std::lock_guard lock(mutex_);
    const std::size_t n = std::min(max, count_) / PlaybackChannels * PlaybackChannels;
    const std::size_t first = std::min(n, ahead_ - head_);
    std::copy_n(buffer_.data() + head_, first, to);
    std::copy_n(buffer_.data(), n - first, to + first);
    head_ = (head_ + n) % ahead_;
    count_ -= n;
    if (n > 0)
        changed_.notify_all();
    return n;
}

std::size_t WaveStream::available() const {
    std::lock_guard lock(mutex_);
    return count_;
}

bool WaveStream::ended() const {
    std::lock_guard lock(mutex_);
    return finished_ && count_ == 0;
}

QString WaveStream::failure() const {
    std::lock_guard lock(mutex_);
    return failure_;
}

bool WaveStream::waitFor(std::size_t samples, std::chrono::milliseconds limit) {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, limit,
                             [&] { return finished_ || count_ >= std::min(samples, ahead_); });
}

} // namespace krumlix
