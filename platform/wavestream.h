// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "wavedecoder.h"

#include <QString>

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <stop_token>
#include <thread>
#include <vector>

namespace krumlix {

/// A wave file decoded a piece at a time into the playback format, with the
/// same samples as decodeWave gives for the whole file.
class WaveDecoding {
public:
    /// From the bytes of a file, which must outlive this.
    explicit WaveDecoding(const QByteArray &bytes);
    /// From an open file, which this closes.
    explicit WaveDecoding(int fd);
    ~WaveDecoding();
    WaveDecoding(const WaveDecoding &) = delete;
    WaveDecoding &operator=(const WaveDecoding &) = delete;

    /// False when the file cannot be played; why() then says why.
    bool ok() const { return why_.isEmpty(); }
    const QString &why() const { return why_; }
    /// The samples the whole file comes to, as its header tells.
    std::size_t expectedSamples() const;
    /// Appends the samples of the next piece of the file (a few thousand
    /// frames, about a millisecond's work) to `out`. False once nothing
    /// more comes: the file is done, or cannot be played after all.
    bool next(std::vector<std::int16_t> &out);

private:
    struct Source;
    class Converter;
    void open();
    std::unique_ptr<Source> source_;
    std::unique_ptr<Converter> converter_;
    QString why_;
    bool done_ = false;
};

/// A wave file read and decoded on a thread of its own as it plays, at
/// most `ahead` samples ahead of what has been taken, so that a file of any
/// length takes little memory. The reader waits while its buffer is full
/// and stops, within a piece, when the stream is destroyed.
class WaveStream {
public:
    /// Two seconds of playback samples.
    static constexpr std::size_t DefaultAhead = std::size_t(2) * PlaybackRate * PlaybackChannels;

    /// Starts reading `path`; returns at once.
    explicit WaveStream(const QByteArray &path, std::size_t ahead = DefaultAhead);
    ~WaveStream();
    WaveStream(const WaveStream &) = delete;
    WaveStream &operator=(const WaveStream &) = delete;

    /// Copies at most `max` of the samples decoded and not yet taken to
    /// `to`, whole frames only, and returns how many. Never waits for the
    /// reader: a short lock around the copy.
    std::size_t take(std::int16_t *to, std::size_t max);
    /// Samples decoded and not yet taken.
    std::size_t available() const;
    /// Every sample has been decoded and taken, or the file failed.
    bool ended() const;
    /// Why the file cannot be played, empty while it can.
    QString failure() const;
    /// Waits until `samples` can be taken, or the reader has finished, at
    /// most `limit`; for the start of a sound, never on the server's thread.
    bool waitFor(std::size_t samples, std::chrono::milliseconds limit);

private:
    void read(std::stop_token stop, QByteArray path);

    const std::size_t ahead_;
    mutable std::mutex mutex_;
    std::condition_variable_any changed_;
    std::vector<std::int16_t> buffer_; ///< a ring of `ahead_` samples
    std::size_t head_ = 0, count_ = 0;
    bool finished_ = false; ///< the reader has put its last sample
    QString failure_;
    std::jthread reader_; // last: it starts once everything above is set up
};

} // namespace krumlix
