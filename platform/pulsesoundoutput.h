// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform.h"
#include "soundstore.h"

#include <QByteArray>

#include <chrono>
#include <memory>

namespace krumlix {

/// Plays wave files on one stream of the desktop's sound server, spoken to
/// in the PulseAudio protocol that PulseAudio and PipeWire both serve. The
/// stream is opened once, when the program starts, and kept: a play request
/// drops what the stream still holds and then feeds it the new sound as it
/// plays, about a second ahead of what the server says it has played
/// (topped up four times a second, and whenever the server asks for more),
/// so that a sound of any length plays to its end while the server holds
/// little more than a second of it. Once the server says it has played all
/// of a sound, the stream is paused, so neither the program nor the server
/// wakes up for silence. Decoded sounds are kept in a SoundStore; a file too
/// long to hold is read and decoded as it plays. The work is done on a
/// thread of its own, which sets a decoding aside as soon as a newer request
/// comes and goes on with it afterwards, so a request returns at once; that
/// thread also lets go of the sounds that have ended, so that the caller
/// never waits for a reader of a slow disk. A server that has not yet
/// answered for the last sound is handed nothing more: the newest request
/// waits for its answer (any older one would be cut off at once anyway), so
/// a server that has stopped reading never has more than one sound queued.
class PulseSoundOutput final : public SoundOutput {
public:
    /// At most `storeBytes` of decoded sounds are kept.
    explicit PulseSoundOutput(std::size_t storeBytes = SoundStore::DefaultBound);
    ~PulseSoundOutput() override;
    PulseSoundOutput(const PulseSoundOutput &) = delete;
    PulseSoundOutput &operator=(const PulseSoundOutput &) = delete;

    void play(const QByteArray &path) override;
    /// Returns once the server has stopped the sound, or after 25 ms when
    /// it has not answered by then; it stops it as soon as it reads on.
    void stop() override;
    void preload(int event, const QByteArray &path) override;
    /// Returns once every request so far is done and every file asked for
    /// ahead is decoded; false when that took longer than `limit`.
    bool settle(std::chrono::milliseconds limit);

    class Worker;

private:
    std::unique_ptr<Worker> worker_;
};

} // namespace krumlix
