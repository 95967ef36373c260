// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "soundfile.h"

#include <QByteArray>

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <stop_token>
#include <vector>

namespace krumlix {

/// The decoded sounds, each kept with the stamp of the file it came from and
/// read again when the file changes. The samples held never take more than
/// the bound: the files the events use now are kept before any other, then
/// the ones played last. A file that does not fit beside the files kept
/// before it is not held at all: it is to be streamed (WaveStream). A file
/// that cannot be played is warned about once for each state of the file:
/// the failure is kept, without samples, until the file changes. A decoding
/// given up part-way is kept as far as it got, its room still taken, and
/// goes on from there when the file is asked for again.
/// Not thread-safe: one thread, not the windows', does all its work.
class SoundStore {
public:
    using Samples = std::vector<std::int16_t>;
    static constexpr std::size_t DefaultBound = std::size_t(64) << 20;

    explicit SoundStore(std::size_t boundBytes = DefaultBound) : bound_(boundBytes) {}

    struct Sound {
        /// The samples to play; none when there is nothing to play or the
        /// file is to be streamed.
        std::shared_ptr<const Samples> samples;
        bool stream = false;    ///< too large to hold: play it with a WaveStream
        bool cancelled = false; ///< the decoding was given up; what it did is kept
    };

    /// The files the events use now.
    void setEventFiles(std::set<QByteArray> paths);
    /// The sound of `path`, decoded when it is new or has changed; counts as
    /// played now. A stop asked for interrupts the decoding within a piece.
    Sound sound(const QByteArray &path, std::stop_token stop = {});
    /// The bytes of samples held.
    std::size_t heldBytes() const { return held_; }
    /// Whether the samples of `path` are held now.
    bool holds(const QByteArray &path) const;

private:
    struct Decoding;
    struct Entry {
        std::optional<Stamp> stamp; ///< none: no regular file
        std::shared_ptr<const Samples> samples;
        std::uint64_t used = 0;             ///< when it was last asked for
        std::shared_ptr<Decoding> decoding; ///< interrupted part-way, to go on with
    };
    /// Lets samples go, lowest first, until `bytes` more fit; false when
    /// only entries ranked above `path` would have to go.
    bool makeRoom(std::size_t bytes, const QByteArray &path);
    bool ranksBelow(const std::pair<const QByteArray, Entry> &a, const QByteArray &path) const;
    std::size_t bytesOf(const Entry &entry) const;

    std::size_t bound_;
    std::size_t held_ = 0;
    std::uint64_t clock_ = 0;
    std::set<QByteArray> events_;
    std::map<QByteArray, Entry> entries_;
};

} // namespace krumlix
