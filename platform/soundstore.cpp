// SPDX-License-Identifier: GPL-3.0-or-later
#include "soundstore.h"

#include "logging.h"
#include "wavestream.h"

#include <algorithm>

namespace krumlix {

void SoundStore::setEventFiles(std::set<QByteArray> paths) {
    events_ = std::move(paths);
}

bool SoundStore::holds(const QByteArray &path) const {
    const auto found = entries_.find(path);
    return found != entries_.end() && found->second.samples;
}

/// A decoding interrupted part-way: the file still open, the samples so far.
struct SoundStore::Decoding {
    explicit Decoding(int fd) : wave(fd) {}
    WaveDecoding wave;
    Samples samples;
    std::size_t reserved = 0; ///< the bytes of room taken for it
};

std::size_t SoundStore::bytesOf(const Entry &entry) const {
    return entry.decoding  ? entry.decoding->reserved
           : entry.samples ? entry.samples->size() * sizeof(std::int16_t)
                           : 0;
}

bool SoundStore::ranksBelow(const std::pair<const QByteArray, Entry> &entry,
                            const QByteArray &path) const {
    // `path` is the newest: only an event file outranks it, and only when
    // it is no event file itself.
    return entry.first != path && (events_.count(path) || !events_.count(entry.first));
}

bool SoundStore::makeRoom(std::size_t bytes, const QByteArray &path) {
    std::size_t below = 0;
    for (const auto &entry : entries_)
        if (ranksBelow(entry, path))
            below += bytesOf(entry.second);
    if (bytes > bound_ || held_ - below > bound_ - bytes)
        return false;
    while (held_ > bound_ - bytes) {
        // The lowest goes first: a file no event uses before an event's,
        // then the one asked for longest ago.
        auto lowest = entries_.end();
        const auto key = [&](const auto &entry) {
            return std::pair(events_.count(entry.first) > 0, entry.second.used);
        };
        for (auto it = entries_.begin(); it != entries_.end(); ++it)
            if (bytesOf(it->second) > 0 && ranksBelow(*it, path) &&
                (lowest == entries_.end() || key(*it) < key(*lowest)))
                lowest = it;
        held_ -= bytesOf(lowest->second);
        entries_.erase(lowest);
    }
    return true;
}

SoundStore::Sound SoundStore::sound(const QByteArray &path, std::stop_token stop) {
    const std::optional<Stamp> now = stampOf(path);
    auto found = entries_.find(path);
    if (found != entries_.end() && found->second.stamp != now) {
        held_ -= bytesOf(found->second);
        entries_.erase(found);
        found = entries_.end();
    }
    if (found != entries_.end() && !found->second.decoding) {
        found->second.used = ++clock_;
        return {found->second.samples};
    }
    // Said once for each state of the file: the failure is kept, without
    // samples, until the file changes.
    const auto fail = [&](std::optional<Stamp> stamp, const QString &why) {
        if (!path.isEmpty())
            qCWarning(lcSound).nospace()
                << "the wave file " << QString::fromLocal8Bit(path) << " cannot be played: " << why;
        entries_[path] = {stamp, nullptr, ++clock_, nullptr};
        return Sound{};
    };
    if (found == entries_.end()) {
        Stamp stamp;
        const int fd = now ? openSoundFile(path, stamp) : -1;
        if (fd < 0)
            return now ? fail(now, QStringLiteral("it could not be read"))
                       : fail(now, QStringLiteral("no such regular file"));
        auto decoding = std::make_shared<Decoding>(fd);
        if (!decoding->wave.ok())
            return fail(stamp, decoding->wave.why());
        const std::size_t expected = decoding->wave.expectedSamples();
        // The room is taken from the start, so that what is decoded fits
        // however long the decoding is interrupted.
        decoding->reserved = expected * sizeof(std::int16_t);
        if (!makeRoom(decoding->reserved, path))
            return {nullptr, true};
        decoding->samples.reserve(expected);
        found = entries_.insert_or_assign(path, Entry{stamp, nullptr, 0, decoding}).first;
        held_ += decoding->reserved;
    }
    Entry &entry = found->second;
    entry.used = ++clock_;
    Decoding &decoding = *entry.decoding;
    while (decoding.wave.next(decoding.samples)) {
        if (stop.stop_requested())
            return {nullptr, false, true}; // kept as far as it got
        // A file that holds more than it said is streamed after all.
        if (decoding.samples.size() * sizeof(std::int16_t) > bound_ - (held_ - decoding.reserved)) {
            held_ -= decoding.reserved;
            entries_.erase(found);
            return {nullptr, true};
        }
    }
    held_ -= decoding.reserved;
    if (!decoding.wave.ok()) {
        const QString why = decoding.wave.why();
        return fail(entry.stamp, why);
    }
    Samples &samples = decoding.samples;
    if (samples.capacity() - samples.size() > samples.size() / 8)
        samples.shrink_to_fit();
    entry.samples = std::make_shared<const Samples>(std::move(samples));
    entry.decoding.reset();
    held_ += bytesOf(entry);
    return {entry.samples};
}

} // namespace krumlix
