// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform.h"

#include <QByteArray>

#include <memory>

namespace krumlix {

/// Plays wave files on one stream of the desktop's sound server, spoken to
/// in the PulseAudio protocol that PulseAudio and PipeWire both serve. The
/// stream is opened once, when the program starts, and kept: a play request
/// drops what the stream still holds and writes the new sound's samples into
/// it whole, so the server starts it with its next period. Between sounds
/// the stream is paused, so neither the program nor the server wakes up for
/// silence. Every file is decoded once, and again when it changes on disk.
/// The work is done on a thread of its own, so a request returns at once.
class PulseSoundOutput final : public SoundOutput {
public:
    PulseSoundOutput();
    ~PulseSoundOutput() override;
    PulseSoundOutput(const PulseSoundOutput &) = delete;
    PulseSoundOutput &operator=(const PulseSoundOutput &) = delete;

    void play(const QByteArray &path) override;
    /// Returns once the server has stopped the sound.
    void stop() override;
    void preload(const QByteArray &path) override;

    class Worker;

private:
    std::unique_ptr<Worker> worker_;
};

} // namespace krumlix
