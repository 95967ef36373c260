// SPDX-License-Identifier: GPL-3.0-or-later
// The memory the decoded sounds take: three sound schemes of twelve
// different long files asked for one after the other, as the sound window
// does when a scheme is chosen, then a thirteenth file tried with "Play" and
// streamed to its end. Prints, after each step, the samples held, how many
// files are to be streamed and the memory in use (VmRSS), then how long a
// decoding and a stream take to stop when asked:
//   soundmem: 600 s files, ... bound=64 MB start=N MB
//   soundmem: scheme1 held=N MB in K files, streamed=S, rss=N MB ...
//   soundmem: tried streamed, rss at most N MB while it played
//   soundmem: stop asked 100 ms in: decoding stopped in N ms, stream in N ms
// Usage: krumlix_soundmembench [SECONDS_PER_FILE]   (600)
#include "platform/soundstore.h"
#include "platform/wavestream.h"
#include "support/tonefile.h"

#include <QCoreApplication>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <thread>

using namespace krumlix;
using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

namespace {

/// The memory the process has in use, in MB.
double residentMb() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toDouble() / 1024;
    return -1;
}

double mb(std::size_t bytes) {
    return double(bytes) / (1024 * 1024);
}

double msSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

} // namespace

int main(int argc, char **argv) {
    QCoreApplication app(argc, argv);
    const int seconds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 600;
    constexpr int Rate = 22050; // mono files at another rate: converted, as most are
    QTemporaryDir dir;
    std::vector<QByteArray> files;
    for (int i = 0; i < 37; ++i) {
        const QString path = dir.filePath(QStringLiteral("sound%1.wav").arg(i));
        if (writeTones(path, 1, Rate, seconds * Rate, 20 * i).empty()) {
            std::printf("soundmem: cannot write %s\n", qPrintable(path));
            return 1;
        }
        files.push_back(QFile::encodeName(path));
    }
    SoundStore store;
    std::printf("soundmem: %d s files, %.1f MB decoded each; bound=%.0f MB start=%.0f MB\n",
                seconds, mb(std::size_t(seconds) * PlaybackRate * PlaybackChannels * 2),
                mb(SoundStore::DefaultBound), residentMb());
    for (int scheme = 0; scheme < 3; ++scheme) {
        const auto first = files.begin() + scheme * 12;
        store.setEventFiles({first, first + 12});
        int streamed = 0, held = 0;
        for (auto file = first; file != first + 12; ++file)
            streamed += store.sound(*file).stream;
        for (auto file = first; file != first + 12; ++file)
            held += store.holds(*file);
        std::printf("soundmem: scheme%d held=%.1f MB in %d files, streamed=%d, rss=%.0f MB\n",
                    scheme + 1, mb(store.heldBytes()), held, streamed, residentMb());
    }

    // The thirteenth file, tried: held if it fits beside the events' files,
    // else streamed to its end as the feed takes it.
    const SoundStore::Sound tried = store.sound(files.back());
    double most = residentMb();
    if (tried.stream) {
        WaveStream stream(files.back());
        std::vector<std::int16_t> piece(PlaybackRate / 4 * PlaybackChannels);
        for (int takes = 0; !stream.ended() && takes < 10000000; ++takes) {
            stream.waitFor(piece.size(), 1s);
            stream.take(piece.data(), piece.size());
            if (takes % 64 == 0)
                most = std::max(most, residentMb());
        }
    }
    std::printf("soundmem: tried %s, held=%.1f MB, rss at most %.0f MB while it played\n",
                tried.stream ? "streamed" : "held", mb(store.heldBytes()), most);

    // A stop asked for while a file is decoded whole (in a store that would
    // hold it) and while it is streamed.
    SoundStore roomy(std::size_t(1) << 30);
    std::stop_source stop;
    Clock::time_point asked;
    std::jthread asker([&] {
        std::this_thread::sleep_for(100ms);
        asked = Clock::now();
        stop.request_stop();
    });
    const bool cancelled = roomy.sound(files.front(), stop.get_token()).cancelled;
    const Clock::time_point returned = Clock::now();
    asker.join();
    const double decodeStop = std::chrono::duration<double, std::milli>(returned - asked).count();
    auto stream = std::make_unique<WaveStream>(files.front());
    std::this_thread::sleep_for(100ms);
    const Clock::time_point dropped = Clock::now();
    stream.reset();
    std::printf("soundmem: stop asked 100 ms in: decoding %s in %.2f ms, stream stopped in %.2f "
                "ms\n",
                cancelled ? "stopped" : "finished first", decodeStop, msSince(dropped));
    return 0;
}
