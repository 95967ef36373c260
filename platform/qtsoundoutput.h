// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform.h"

#include <QByteArray>
#include <QThread>

#include <memory>

namespace krumlix {

class SoundPlayer;

/// Plays wave files through Qt Multimedia's sound effects, which keep the
/// decoded sound in memory: each file is loaded once and started again at
/// once. The effects live on a thread of their own, because starting one
/// waits for the sound server to open a stream: a play request returns at
/// once, so a sound never delays a tick or a key.
class QtSoundOutput final : public SoundOutput {
public:
    QtSoundOutput();
    ~QtSoundOutput() override;
    QtSoundOutput(const QtSoundOutput &) = delete;
    QtSoundOutput &operator=(const QtSoundOutput &) = delete;

    void play(const QByteArray &path) override;
    /// Returns once the sound has stopped.
    void stop() override;
    void preload(const QByteArray &path) override;

private:
    QThread thread_;
    SoundPlayer *player_; // lives on thread_
};

} // namespace krumlix
