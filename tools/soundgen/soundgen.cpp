// SPDX-License-Identifier: GPL-3.0-or-later
// krumlix_soundgen: synthesises the twelve event sounds of Krumlix.
//
//   krumlix_soundgen DIR          write the .wav files into DIR
//   krumlix_soundgen --check DIR  read them back and verify them
//
// Every sound is a list of notes played by a few simple voices (pulse, saw
// and triangle summed from their harmonics, sine, two-operator FM, filtered
// noise), each note under its own attack/decay/release envelope. No voice
// has energy above Ceiling, so nothing folds back below half the sample rate
// and the tones sound clean; --check measures that. The mix is DC-blocked and
// normalised to -3 dBFS. Noise is seeded, so every build writes the same bytes.

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <numbers>
#include <string>
#include <string_view>
#include <vector>

namespace {

constexpr int Rate = 44100;
constexpr double PeakDbfs = -3.0;
constexpr double Tau = 2.0 * std::numbers::pi;
/// The highest partial any voice plays; partials fade out from 80 % of it,
/// so that one does not click in or out as a pitch glides.
constexpr double Ceiling = 10000.0;
/// What --check allows above the band: the energy above this frequency, as
/// a share of the whole, at most this many dB.
constexpr double CheckAboveHz = 12000.0;
constexpr double CheckMaxDb = -40.0;

enum class Wave { Pulse, Saw, Triangle, Sine, Fm, Noise };

// One note. Its length includes the release, so it is silent at at + len.
struct Note {
    double at = 0, len = 0.2;  // start and length, seconds
    double hz = 440, toHz = 0; // pitch; if toHz > 0 it glides there exponentially
    Wave wave = Wave::Pulse;
    double gain = 0.5;
    double duty = 0.5; // Pulse only
    double attack = 0.004, decay = 0.3, sustain = 0.7, release = 0.03;
    double vibHz = 0, vibSemis = 0;
    double fmRatio = 1, fmIndex = 0; // Fm only; the index follows the envelope
};

double key(int midi) {
    return 440.0 * std::pow(2.0, (midi - 69) / 12.0);
}

// The weight of a partial at `hz`: whole up to 80 % of the ceiling, fading
// to nothing at it.
double partialWeight(double hz) {
    if (hz <= 0.8 * Ceiling)
        return 1.0;
    if (hz >= Ceiling)
        return 0.0;
    return 0.5 + 0.5 * std::cos(std::numbers::pi * (hz - 0.8 * Ceiling) / (0.2 * Ceiling));
}

// The waveforms at phase `p` (0..1) of a tone of `hz`, summed from their
// harmonics below the ceiling, each with no DC.
double pulseWave(double p, double hz, double duty) { // +1 for the duty, -1 after
    double v = 0;
    for (int k = 1; k * hz < Ceiling; ++k)
        v += partialWeight(k * hz) * 4.0 / (std::numbers::pi * k) *
             std::sin(std::numbers::pi * k * duty) * std::cos(Tau * k * (p - duty / 2));
    return v;
}
double sawWave(double p, double hz) { // rising from -1 to 1
    double v = 0;
    for (int k = 1; k * hz < Ceiling; ++k)
        v -= partialWeight(k * hz) * 2.0 / (std::numbers::pi * k) * std::sin(Tau * k * p);
    return v;
}
double triangleWave(double p, double hz) { // 1 at phase 0, -1 at 0.5
    double v = 0;
    for (int k = 1; k * hz < Ceiling; k += 2)
        v += partialWeight(k * hz) * 8.0 / (std::numbers::pi * std::numbers::pi * k * k) *
             std::cos(Tau * k * p);
    return v;
}

struct Noise {
    std::uint32_t state;
    double next() { // xorshift32, uniform in [-1, 1)
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        return state / 2147483648.0 - 1.0;
    }
};

double envelope(const Note &n, double t) {
    const double a = std::max(n.attack, 0.002), r = std::max(n.release, 0.005);
    double e = t < a ? t / a
                     : n.sustain + (1.0 - n.sustain) * std::exp(-(t - a) / std::max(n.decay, 1e-3));
    const double left = n.len - t;
    if (left < r)
        e *= 0.5 - 0.5 * std::cos(std::numbers::pi * std::max(left, 0.0) / r);
    return e;
}

void render(const Note &n, std::vector<double> &mix, Noise &noise) {
    const auto first = static_cast<std::size_t>(std::lround(n.at * Rate));
    const auto count = static_cast<std::size_t>(std::lround(n.len * Rate));
    if (mix.size() < first + count)
        mix.resize(first + count, 0.0);
    double phase = 0, modPhase = 0;
    // Noise through four one-pole low-passes at the note's pitch, kept
    // under the ceiling: 24 dB an octave above it.
    std::array<double, 4> lowPass{};
    for (std::size_t i = 0; i < count; ++i) {
        const double t = static_cast<double>(i) / Rate;
        double hz = n.toHz > 0 ? n.hz * std::pow(n.toHz / n.hz, t / n.len) : n.hz;
        if (n.vibSemis > 0)
            hz *= std::pow(2.0, n.vibSemis / 12.0 * std::sin(Tau * n.vibHz * t));
        const double dt = std::min(hz / Rate, 0.5);
        const double hzBand = std::min(hz, 0.6 * Ceiling);
        const double env = envelope(n, t);
        double v = 0;
        switch (n.wave) {
        case Wave::Pulse:
            v = pulseWave(phase, hz, n.duty);
            break;
        case Wave::Saw:
            v = sawWave(phase, hz);
            break;
        case Wave::Triangle:
            v = triangleWave(phase, hz);
            break;
        case Wave::Sine:
            v = std::sin(Tau * phase);
            break;
        case Wave::Fm:
            v = std::sin(Tau * phase + n.fmIndex * env * std::sin(Tau * modPhase));
            break;
        case Wave::Noise: {
            const double a = 1.0 - std::exp(-Tau * hzBand / Rate);
            double x = noise.next();
            for (double &stage : lowPass)
                x = stage += a * (x - stage);
            // Each pole takes a share of the level; this gives it back in
            // part, so that a hat is still heard.
            v = x * 2.0;
            break;
        }
        }
        mix[first + i] += n.gain * env * v;
        phase += dt;
        if (phase >= 1.0)
            phase -= 1.0;
        modPhase = std::fmod(modPhase + dt * n.fmRatio, 1.0);
    }
}

// ---- voices -------------------------------------------------------------

Note lead(double at, double len, int k, double duty = 0.25) {
    return {.at = at,
            .len = len,
            .hz = key(k),
            .duty = duty,
            .decay = 0.15,
            .sustain = 0.6,
            .release = 0.02};
}
Note bass(double at, double len, int k) {
    return {.at = at,
            .len = len,
            .hz = key(k),
            .wave = Wave::Triangle,
            .gain = 0.6,
            .decay = 0.2,
            .sustain = 0.7,
            .release = 0.03};
}
Note kick(double at) {
    return {.at = at,
            .len = 0.12,
            .hz = 150,
            .toHz = 45,
            .wave = Wave::Sine,
            .gain = 0.55,
            .attack = 0.002,
            .decay = 0.05,
            .sustain = 0,
            .release = 0.02};
}
Note hat(double at, double gain = 0.12) {
    return {.at = at,
            .len = 0.05,
            .hz = 12000,
            .wave = Wave::Noise,
            .gain = gain,
            .attack = 0.001,
            .decay = 0.012,
            .sustain = 0,
            .release = 0.01};
}
Note snare(double at, double gain = 0.25) {
    return {.at = at,
            .len = 0.1,
            .hz = 7000,
            .toHz = 4000,
            .wave = Wave::Noise,
            .gain = gain,
            .attack = 0.001,
            .decay = 0.03,
            .sustain = 0,
            .release = 0.02};
}
Note crash(double at, double len) {
    return {.at = at,
            .len = len,
            .hz = 16000,
            .toHz = 9000,
            .wave = Wave::Noise,
            .gain = 0.15,
            .attack = 0.002,
            .decay = len / 3,
            .sustain = 0,
            .release = 0.05};
}

// Puts `keys` one `step` apart from `at`, each lasting `fill` of its step;
// a key of 0 is a rest.
void line(std::vector<Note> &out, double at, double step, std::initializer_list<int> keys,
          double duty = 0.25, double gain = 0.45, double fill = 0.9) {
    for (int k : keys) {
        if (k) {
            Note n = lead(at, step * fill, k, duty);
            n.gain = gain;
            out.push_back(n);
        }
        at += step;
    }
}

// ---- the twelve sounds --------------------------------------------------

std::vector<Note> intro() { // two bars of jingle over C, then F and G, landing on a held C chord
    std::vector<Note> s;
    const double e = 0.12, q = 2 * e, bar = 4 * q, end = 2 * bar;
    line(s, 0, e, {67, 72, 76, 72, 79, 76, 72, 76, 77, 81, 84, 81, 79, 77, 76, 74});
    for (int k : {72, 76, 79, 84}) {
        Note n = lead(end, 1.0, k, k == 84 ? 0.25 : 0.5);
        n.gain = k == 84 ? 0.4 : 0.18, n.decay = 0.5, n.vibHz = 5.5,
        n.vibSemis = k == 84 ? 0.15 : 0;
        s.push_back(n);
    }
    const int bassKeys[] = {48, 55, 48, 55, 53, 60, 55, 62};
    for (int beat = 0; beat < 8; ++beat) { // root and fifth in quarters, kick and snare
        const double at = beat * q;
        s.push_back(bass(at, q * 0.85, bassKeys[beat]));
        s.push_back(beat % 2 ? snare(at, 0.18) : kick(at));
        s.push_back(hat(at + e));
    }
    s.push_back(bass(end, 1.0, 36));
    s.push_back(kick(end));
    s.push_back(crash(end, 0.9));
    return s;
}

std::vector<Note> elephantDie() { // a wobbling trumpet blast falling away, then a pop
    std::vector<Note> s;
    for (double detune : {1.0, 1.012}) {
        s.push_back({.at = 0,
                     .len = 0.4,
                     .hz = 392 * detune,
                     .toHz = 98 * detune,
                     .wave = Wave::Fm,
                     .gain = 0.4,
                     .attack = 0.015,
                     .decay = 0.3,
                     .sustain = 0.6,
                     .release = 0.05,
                     .vibHz = 11,
                     .vibSemis = 0.7,
                     .fmRatio = 1,
                     .fmIndex = 3.5});
    }
    s.push_back({.at = 0,
                 .len = 0.4,
                 .hz = 196,
                 .toHz = 49,
                 .wave = Wave::Saw,
                 .gain = 0.2,
                 .attack = 0.015,
                 .decay = 0.3,
                 .sustain = 0.5,
                 .release = 0.05,
                 .vibHz = 11,
                 .vibSemis = 0.7});
    s.push_back({.at = 0.38,
                 .len = 0.07,
                 .hz = 9000,
                 .toHz = 2500,
                 .wave = Wave::Noise,
                 .gain = 0.6,
                 .attack = 0.001,
                 .decay = 0.015,
                 .sustain = 0,
                 .release = 0.02});
    s.push_back({.at = 0.38,
                 .len = 0.1,
                 .hz = 260,
                 .toHz = 60,
                 .wave = Wave::Sine,
                 .gain = 0.6,
                 .attack = 0.001,
                 .decay = 0.03,
                 .sustain = 0,
                 .release = 0.03});
    return s;
}

std::vector<Note> beeDie() { // a nervous buzz, cut by a zap and a splat
    std::vector<Note> s;
    s.push_back({.at = 0,
                 .len = 0.15,
                 .hz = 200,
                 .toHz = 260,
                 .wave = Wave::Saw,
                 .gain = 0.35,
                 .attack = 0.01,
                 .sustain = 1,
                 .release = 0.006,
                 .vibHz = 38,
                 .vibSemis = 0.8});
    s.push_back({.at = 0,
                 .len = 0.15,
                 .hz = 101,
                 .toHz = 131,
                 .gain = 0.2,
                 .duty = 0.3,
                 .attack = 0.01,
                 .sustain = 1,
                 .release = 0.006,
                 .vibHz = 38,
                 .vibSemis = 0.8});
    s.push_back({.at = 0.14,
                 .len = 0.09,
                 .hz = 1800,
                 .toHz = 150,
                 .gain = 0.3,
                 .duty = 0.5,
                 .attack = 0.001,
                 .decay = 0.04,
                 .sustain = 0.2,
                 .release = 0.02});
    s.push_back({.at = 0.14,
                 .len = 0.15,
                 .hz = 6000,
                 .toHz = 350,
                 .wave = Wave::Noise,
                 .gain = 0.55,
                 .attack = 0.001,
                 .decay = 0.05,
                 .sustain = 0,
                 .release = 0.03});
    return s;
}

std::vector<Note> miss() { // a dull thunk
    return {{.at = 0,
             .len = 0.17,
             .hz = 170,
             .toHz = 55,
             .wave = Wave::Triangle,
             .gain = 0.7,
             .attack = 0.002,
             .decay = 0.06,
             .sustain = 0,
             .release = 0.03},
            {.at = 0,
             .len = 0.035,
             .hz = 1400,
             .wave = Wave::Noise,
             .gain = 0.25,
             .attack = 0.001,
             .decay = 0.01,
             .sustain = 0,
             .release = 0.01}};
}

std::vector<Note> tarvilDie() { // wah, wah, wah, waaah: the brass swells on every note
    std::vector<Note> s;
    const int keys[] = {62, 61, 60, 59};
    for (int i = 0; i < 4; ++i) {
        const bool last = i == 3;
        const double at = i * 0.33, len = last ? 0.5 : 0.3;
        s.push_back({.at = at,
                     .len = len,
                     .hz = key(keys[i]),
                     .toHz = last ? key(57) : 0,
                     .wave = Wave::Fm,
                     .gain = 0.45,
                     .attack = 0.09,
                     .decay = 0.15,
                     .sustain = 0.45,
                     .release = 0.08,
                     .vibHz = last ? 6.0 : 0.0,
                     .vibSemis = last ? 0.35 : 0.0,
                     .fmRatio = 1,
                     .fmIndex = 3});
        s.push_back({.at = at,
                     .len = len,
                     .hz = key(keys[i] - 12),
                     .toHz = last ? key(45) : 0,
                     .wave = Wave::Triangle,
                     .gain = 0.3,
                     .attack = 0.05,
                     .decay = 0.2,
                     .sustain = 0.5,
                     .release = 0.08});
    }
    return s;
}

std::vector<Note> timeout() { // ding-dong on an FM bell
    std::vector<Note> s;
    for (auto [at, k] : {std::pair{0.0, 76}, std::pair{0.3, 72}}) {
        s.push_back({.at = at,
                     .len = 0.98 - at,
                     .hz = key(k),
                     .wave = Wave::Fm,
                     .gain = 0.45,
                     .attack = 0.006,
                     .decay = 0.3,
                     .sustain = 0,
                     .release = 0.12,
                     .fmRatio = 1.4,
                     .fmIndex = 4});
        s.push_back({.at = at,
                     .len = 0.98 - at,
                     .hz = key(k),
                     .wave = Wave::Sine,
                     .gain = 0.25,
                     .attack = 0.006,
                     .decay = 0.5,
                     .sustain = 0,
                     .release = 0.12});
    }
    return s;
}

std::vector<Note> dygtig() { // C, E, G up, the G held
    std::vector<Note> s;
    line(s, 0, 0.13, {72, 76, 79});
    s.back().len = 0.72, s.back().vibHz = 5.5, s.back().vibSemis = 0.15, s.back().decay = 0.3;
    line(s, 0.03, 0.13, {84, 88, 91}, 0.5, 0.12); // a faint echo an octave up
    s.back().len = 0.5;
    s.push_back(bass(0, 0.95, 48));
    return s;
}

std::vector<Note> hardcore() { // G major up two octaves on a thin pulse, then a held chord
    std::vector<Note> s;
    line(s, 0, 0.09, {67, 71, 74, 79, 83}, 0.125);
    for (int k : {79, 83, 86}) {
        Note n = lead(0.5, 0.95, k, 0.125);
        n.gain = 0.25, n.vibHz = 6, n.vibSemis = 0.12, n.decay = 0.35;
        s.push_back(n);
    }
    s.push_back(bass(0, 0.45, 43));
    s.push_back(bass(0.5, 0.95, 55));
    s.push_back(hat(0.5, 0.15));
    return s;
}

std::vector<Note> ultraHardcore() { // ta-ta-ta-taa, a trill over a drum roll, the final chord
    std::vector<Note> s;
    line(s, 0, 0.12, {72, 72, 72}, 0.25, 0.45, 0.75);
    s.push_back(lead(0.36, 0.3, 79));
    for (int i = 0; i < 12; ++i) {
        s.push_back(lead(0.7 + i * 0.05, 0.048, i % 2 ? 86 : 84, 0.125));
        s.back().gain = 0.4;
        s.push_back(snare(0.7 + i * 0.05, 0.08 + 0.01 * i));
    }
    for (int k : {76, 79, 84}) {
        Note n = lead(1.34, 0.6, k, k == 84 ? 0.25 : 0.5);
        n.gain = k == 84 ? 0.4 : 0.22, n.vibHz = 6, n.vibSemis = k == 84 ? 0.2 : 0, n.decay = 0.4;
        s.push_back(n);
    }
    for (double at : {0.0, 0.12, 0.24})
        s.push_back(bass(at, 0.09, 48));
    s.push_back(bass(0.36, 0.3, 43));
    s.push_back(bass(0.7, 0.6, 43));
    s.push_back(bass(1.34, 0.6, 36));
    s.push_back(kick(1.34));
    s.push_back(crash(1.34, 0.6));
    return s;
}

std::vector<Note> highscore1() { // the big one: melody in thirds, bass and drums
    std::vector<Note> s;
    const double e = 0.11;
    line(s, 0, e, {67, 72, 76, 79});
    const std::pair<int, int> tune[] = {{84, 76}, {79, 0}, {81, 77}, {77, 0}, {79, 74}, {83, 0}};
    double at = 4 * e;
    for (int i = 0; i < 6; ++i) {
        const double len = i % 2 ? e : 2 * e;
        s.push_back(lead(at, len * 0.9, tune[i].first));
        if (tune[i].second) {
            s.push_back(lead(at, len * 0.9, tune[i].second, 0.5));
            s.back().gain = 0.2;
        }
        at += len;
    }
    for (int k : {84, 79, 76}) {
        Note n = lead(at, 0.5, k, k == 84 ? 0.25 : 0.5);
        n.gain = k == 84 ? 0.45 : 0.2, n.vibHz = 6, n.vibSemis = k == 84 ? 0.15 : 0;
        s.push_back(n);
    }
    const std::pair<double, int> roots[] = {
        {0, 48}, {4 * e, 48}, {7 * e, 53}, {10 * e, 55}, {at, 48}};
    for (auto [t, k] : roots) {
        s.push_back(bass(t, t == at ? 0.5 : 0.3, k));
        s.push_back(kick(t));
    }
    for (int i = 0; i < 13; ++i)
        s.push_back(hat(i * e));
    s.push_back(crash(at, 0.5));
    return s;
}

std::vector<Note> highscore2() { // the same idea, smaller: F major, no harmony
    std::vector<Note> s;
    line(s, 0, 0.12, {65, 69, 72, 77, 0, 76, 74, 72});
    s[3].len = 0.22;
    s.push_back(lead(0.96, 0.5, 77));
    s.back().vibHz = 6, s.back().vibSemis = 0.15;
    for (auto [t, k] :
         {std::pair{0.0, 41}, std::pair{0.36, 48}, std::pair{0.6, 46}, std::pair{0.84, 48}})
        s.push_back(bass(t, 0.22, k));
    s.push_back(bass(0.96, 0.5, 41));
    for (double t : {0.0, 0.48, 0.96})
        s.push_back(kick(t));
    return s;
}

std::vector<Note> highscore310() { // a bouncy square-wave hop in D
    std::vector<Note> s;
    line(s, 0, 0.1, {74, 78, 81, 78}, 0.5, 0.45, 0.7);
    s.push_back(lead(0.42, 0.5, 86, 0.5));
    s.push_back(bass(0, 0.38, 50));
    s.push_back(bass(0.42, 0.5, 45));
    s.push_back(hat(0.42, 0.15));
    return s;
}

struct Sound {
    const char *file;
    double maxSeconds;
    std::vector<Note> (*compose)();
};

const Sound Sounds[] = {
    {"intro.wav", 4.0, intro},
    {"elephantdie.wav", 2.0, elephantDie},
    {"beedie.wav", 2.0, beeDie},
    {"miss.wav", 2.0, miss},
    {"tarvildie.wav", 2.0, tarvilDie},
    {"timeout.wav", 2.0, timeout},
    {"dygtig.wav", 2.0, dygtig},
    {"hardcore.wav", 2.0, hardcore},
    {"ultrahardcore.wav", 2.0, ultraHardcore},
    {"highscore1.wav", 2.0, highscore1},
    {"highscore2.wav", 2.0, highscore2},
    {"highscore310.wav", 2.0, highscore310},
};

// ---- mixing and files ---------------------------------------------------

std::vector<std::int16_t> synthesise(const Sound &sound, std::uint32_t seed) {
    std::vector<double> mix;
    Noise noise{seed};
    for (const Note &n : sound.compose())
        render(n, mix, noise);
    mix.resize(mix.size() + Rate / 50, 0.0); // 20 ms of tail for the DC blocker to settle
    double x1 = 0, y1 = 0, peak = 0;
    for (double &x : mix) { // one-pole DC blocker, corner near 10 Hz
        const double y = x - x1 + 0.9986 * y1;
        x1 = x, y1 = y, x = y;
        peak = std::max(peak, std::abs(y));
    }
    const double scale = peak > 0 ? std::pow(10.0, PeakDbfs / 20.0) * 32767.0 / peak : 0.0;
    std::vector<std::int16_t> pcm(mix.size());
    const std::size_t fade = Rate / 200; // the blocker's residue fades out in the last 5 ms
    for (std::size_t i = 0; i < mix.size(); ++i) {
        const double tail = std::min(1.0, static_cast<double>(mix.size() - 1 - i) / fade);
        pcm[i] = static_cast<std::int16_t>(std::lround(mix[i] * scale * tail));
    }
    return pcm;
}

void put(std::string &out, std::uint32_t v, int bytes) {
    for (int i = 0; i < bytes; ++i)
        out.push_back(static_cast<char>((v >> (8 * i)) & 0xff));
}

std::string wavFile(const std::vector<std::int16_t> &pcm) {
    const auto data = static_cast<std::uint32_t>(pcm.size() * 2);
    std::string out = "RIFF";
    put(out, 36 + data, 4);
    out += "WAVEfmt ";
    put(out, 16, 4);
    put(out, 1, 2); // PCM
    put(out, 1, 2); // mono
    put(out, Rate, 4);
    put(out, Rate * 2, 4); // bytes per second
    put(out, 2, 2);        // block align
    put(out, 16, 2);       // bits per sample
    out += "data";
    put(out, data, 4);
    for (std::int16_t s : pcm)
        put(out, static_cast<std::uint16_t>(s), 2);
    return out;
}

int generate(const std::filesystem::path &dir) {
    std::filesystem::create_directories(dir);
    std::uint32_t seed = 0x4b52554d; // one fixed seed per sound, in table order
    for (const Sound &sound : Sounds) {
        const std::string bytes = wavFile(synthesise(sound, seed));
        seed = seed * 1664525u + 1013904223u;
        std::ofstream f(dir / sound.file, std::ios::binary | std::ios::trunc);
        f.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        if (!f.flush()) {
            std::fprintf(stderr, "krumlix_soundgen: cannot write %s\n", (dir / sound.file).c_str());
            return 1;
        }
    }
    return 0;
}

// ---- reading back -------------------------------------------------------

std::uint32_t get(const std::string &b, std::size_t at, int bytes) {
    std::uint32_t v = 0;
    for (int i = 0; i < bytes; ++i)
        v |= static_cast<std::uint32_t>(static_cast<unsigned char>(b[at + i])) << (8 * i);
    return v;
}

// The energy of the samples above `hz`, as a share of all their energy, in
// dB: what passes four Butterworth-like high-pass sections (48 dB an
// octave below `hz`) against the whole.
template <typename Sample>
double energyAboveDb(Sample sample, std::size_t count, double rate, double hz) {
    const double w = Tau * hz / rate, alpha = std::sin(w) / (2 * 0.7071), c = std::cos(w);
    const double a0 = 1 + alpha;
    const double b0 = (1 + c) / 2 / a0, b1 = -(1 + c) / a0, b2 = b0, a1 = -2 * c / a0,
                 a2 = (1 - alpha) / a0;
    std::array<std::array<double, 4>, 4> state{}; // x1 x2 y1 y2 of each section
    double all = 0, above = 0;
    for (std::size_t i = 0; i < count; ++i) {
        double x = sample(i);
        all += x * x;
        for (auto &s : state) {
            const double y = b0 * x + b1 * s[0] + b2 * s[1] - a1 * s[2] - a2 * s[3];
            s[1] = s[0], s[0] = x, s[3] = s[2], s[2] = y;
            x = y;
        }
        above += x * x;
    }
    return 10 * std::log10((above + 1e-30) / (all + 1e-30));
}

// Returns an empty string if `path` is a sound the game can play within the
// limits, otherwise what is wrong with it. `info` gets a one-line summary.
std::string verify(const std::filesystem::path &path, double maxSeconds, std::string &info) {
    std::ifstream f(path, std::ios::binary);
    if (!f)
        return "cannot be read";
    const std::string b{std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>()};
    if (b.size() < 12 || b.compare(0, 4, "RIFF") != 0 || b.compare(8, 4, "WAVE") != 0)
        return "not a RIFF WAVE file";
    if (get(b, 4, 4) != b.size() - 8)
        return "RIFF size does not match the file size";
    std::size_t fmt = 0, data = 0, dataSize = 0;
    for (std::size_t at = 12; at + 8 <= b.size();) {
        const std::size_t size = get(b, at + 4, 4);
        if (size > b.size() - at - 8)
            return "chunk runs past the end of the file";
        if (b.compare(at, 4, "fmt ") == 0 && size >= 16)
            fmt = at + 8;
        if (b.compare(at, 4, "data") == 0)
            data = at + 8, dataSize = size;
        at += 8 + size + (size & 1);
    }
    if (!fmt)
        return "no fmt chunk";
    if (!data)
        return "no data chunk";
    const std::uint32_t rate = get(b, fmt + 4, 4);
    if (get(b, fmt, 2) != 1)
        return "not PCM";
    if (get(b, fmt + 2, 2) != 1)
        return "not mono";
    if (rate != 22050 && rate != 44100)
        return "sample rate is neither 22050 nor 44100 Hz";
    if (get(b, fmt + 14, 2) != 16)
        return "not 16-bit";
    if (get(b, fmt + 12, 2) != 2 || get(b, fmt + 8, 4) != rate * 2)
        return "block align or byte rate is wrong";
    if (dataSize % 2 || dataSize == 0)
        return "data is empty or not whole samples";

    const std::size_t count = dataSize / 2;
    double peak = 0, sum = 0;
    auto sample = [&](std::size_t i) {
        return static_cast<std::int16_t>(get(b, data + 2 * i, 2)) / 32768.0;
    };
    for (std::size_t i = 0; i < count; ++i) {
        peak = std::max(peak, std::abs(sample(i)));
        sum += sample(i);
    }
    const double seconds = static_cast<double>(count) / rate,
                 peakDb = 20 * std::log10(peak + 1e-12);
    const double mean = sum / static_cast<double>(count);
    char line[128];
    std::snprintf(line, sizeof line, "%.3f s, peak %.2f dBFS, mean %+.5f", seconds, peakDb, mean);
    info = line;
    if (seconds > maxSeconds) {
        std::snprintf(line, sizeof line, "longer than %.1f s", maxSeconds);
        return line;
    }
    if (peakDb > -1.0)
        return "peak above -1 dBFS, too close to clipping";
    if (peakDb < -6.0)
        return "peak below -6 dBFS, not normalised";
    if (std::abs(mean) > 0.002)
        return "DC offset";
    if (std::abs(sample(0)) > 0.01 || std::abs(sample(count - 1)) > 0.01)
        return "does not start and end in silence";
    const double aboveDb = energyAboveDb(sample, count, rate, CheckAboveHz);
    std::snprintf(line, sizeof line, ", %.0f dB above %.0f kHz", aboveDb, CheckAboveHz / 1000);
    info += line;
    if (aboveDb > CheckMaxDb) {
        std::snprintf(line, sizeof line, "more than %.0f dB of its energy above %.0f kHz",
                      CheckMaxDb, CheckAboveHz / 1000);
        return line;
    }
    return {};
}

int check(const std::filesystem::path &dir) {
    int failures = 0;
    for (const Sound &sound : Sounds) {
        std::string info;
        const std::string fault = verify(dir / sound.file, sound.maxSeconds, info);
        if (fault.empty()) {
            std::printf("ok   %-18s %s\n", sound.file, info.c_str());
        } else {
            std::printf("FAIL %-18s %s%s%s\n", sound.file, fault.c_str(), info.empty() ? "" : ": ",
                        info.c_str());
            ++failures;
        }
    }
    return failures ? 1 : 0;
}

} // namespace

int main(int argc, char **argv) {
    const std::vector<std::string_view> args(argv + 1, argv + argc);
    if (args.size() == 1 && args[0] != "--check")
        return generate(args[0]);
    if (args.size() == 2 && args[0] == "--check")
        return check(args[1]);
    std::fprintf(stderr, "usage: krumlix_soundgen DIR | krumlix_soundgen --check DIR\n");
    return 2;
}
