// SPDX-License-Identifier: GPL-3.0-or-later
// The resamplers the wave reading could use, side by side: the time each
// takes for a minute of sound and the quality of what comes out. Prints one
// line per resampler:
//   name: ms_8000=N ms_11025=N ms_22050=N ms_48000=N snr_db_22050=N
//         snr_db_8000=N alias_db_48000=N
// ms_RATE: a minute of stereo from RATE (the decoder resamples stereo).
// snr_db: a 1 kHz tone against the exact tone at 44100 Hz; alias_db: what is
// left of a 23 kHz tone (above the new Nyquist limit) taken from 48000 Hz,
// relative to its level before.
#include <samplerate.h>
#include <speex/speex_resampler.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

namespace {

constexpr int Out = 44100;

using Resample =
    std::function<std::vector<float>(const std::vector<float> &, int rate, int channels)>;

std::vector<float> tone(double hz, int rate, int channels, double seconds) {
    const auto frames = std::size_t(seconds * rate);
    std::vector<float> v(frames * std::size_t(channels));
    for (std::size_t i = 0; i < frames; ++i)
        for (int c = 0; c < channels; ++c)
            v[i * std::size_t(channels) + std::size_t(c)] =
                float(0.5 * std::sin(2 * M_PI * hz * double(i) / rate));
    return v;
}

Resample libsamplerate(int type) {
    return [type](const std::vector<float> &in, int rate, int channels) {
        const double ratio = double(Out) / rate;
        std::vector<float> out(std::size_t(double(in.size()) * ratio) + 64 * std::size_t(channels));
        SRC_DATA data{};
        data.data_in = in.data();
        data.input_frames = long(in.size()) / channels;
        data.data_out = out.data();
        data.output_frames = long(out.size()) / channels;
        data.src_ratio = ratio;
        src_simple(&data, type, channels);
        out.resize(std::size_t(data.output_frames_gen) * std::size_t(channels));
        return out;
    };
}

Resample speex(int quality) {
    return [quality](const std::vector<float> &in, int rate, int channels) {
        int error = 0;
        SpeexResamplerState *st =
            speex_resampler_init(spx_uint32_t(channels), spx_uint32_t(rate), Out, quality, &error);
        speex_resampler_skip_zeros(st);
        const double ratio = double(Out) / rate;
        const std::size_t want = std::size_t(double(in.size() / std::size_t(channels)) * ratio);
        // The input followed by the zeros that push its end out of the filter.
        std::vector<float> padded = in;
        padded.resize(in.size() + std::size_t(speex_resampler_get_input_latency(st) * channels),
                      0.f);
        std::vector<float> out(want * std::size_t(channels) + 64 * std::size_t(channels));
        spx_uint32_t inFrames = spx_uint32_t(padded.size() / std::size_t(channels));
        spx_uint32_t outFrames = spx_uint32_t(out.size() / std::size_t(channels));
        speex_resampler_process_interleaved_float(st, padded.data(), &inFrames, out.data(),
                                                  &outFrames);
        speex_resampler_destroy(st);
        out.resize(std::min<std::size_t>(outFrames, want) * std::size_t(channels));
        return out;
    };
}

double ms(const Resample &r, const std::vector<float> &in, int rate, int channels) {
    const auto start = std::chrono::steady_clock::now();
    const auto out = r(in, rate, channels);
    const auto end = std::chrono::steady_clock::now();
    if (out.empty())
        return -1;
    return std::chrono::duration<double, std::milli>(end - start).count();
}

/// A tone of `hz` resampled from `rate`, against the exact tone; the first
/// and last tenth of a second are left out (the filters' edges).
double snrDb(const Resample &r, double hz, int rate) {
    const auto out = r(tone(hz, rate, 1, 2.0), rate, 1);
    const auto exact = tone(hz, Out, 1, 2.0);
    double signal = 0, noise = 0;
    for (std::size_t i = Out / 10; i + Out / 10 < std::min(out.size(), exact.size()); ++i) {
        signal += double(exact[i]) * exact[i];
        noise += (double(out[i]) - exact[i]) * (double(out[i]) - exact[i]);
    }
    return 10 * std::log10(signal / std::max(noise, 1e-30));
}

double aliasDb(const Resample &r) {
    const auto in = tone(23000, 48000, 1, 2.0);
    const auto out = r(in, 48000, 1);
    double before = 0, after = 0;
    for (float v : in)
        before += double(v) * v;
    for (std::size_t i = Out / 10; i + Out / 10 < out.size(); ++i)
        after += double(out[i]) * out[i];
    before /= double(in.size());
    after /= double(out.size() - Out / 5);
    return 10 * std::log10(std::max(after, 1e-30) / before);
}

} // namespace

int main() {
    const std::vector<std::pair<std::string, Resample>> all{
        {"libsamplerate linear", libsamplerate(SRC_LINEAR)},
        {"libsamplerate sinc fastest", libsamplerate(SRC_SINC_FASTEST)},
        {"libsamplerate sinc medium", libsamplerate(SRC_SINC_MEDIUM_QUALITY)},
        {"libsamplerate sinc best", libsamplerate(SRC_SINC_BEST_QUALITY)},
        {"speexdsp 3", speex(3)},
        {"speexdsp 5", speex(5)},
        {"speexdsp 7", speex(7)},
        {"speexdsp 10", speex(10)},
    };
    for (const auto &[name, r] : all) {
        std::printf("%s:", name.c_str());
        for (int rate : {8000, 11025, 22050, 48000})
            std::printf(" ms_%d=%.0f", rate, ms(r, tone(1000, rate, 2, 60), rate, 2));
        std::printf(" snr_db_22050=%.1f snr_db_8000=%.1f alias_db_48000=%.1f\n",
                    snrDb(r, 1000, 22050), snrDb(r, 1000, 8000), aliasDb(r));
    }
    return 0;
}
