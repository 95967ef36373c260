// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "app/platform.h"

#include <QByteArray>

#include <map>
#include <memory>

class QSoundEffect;

namespace krumlix {

/// Plays wave files through Qt Multimedia's sound effects, which keep the
/// decoded sound in memory: each file is loaded once and started again at
/// once, so a sound never delays a tick or a key.
class QtSoundOutput final : public SoundOutput {
public:
    QtSoundOutput();
    ~QtSoundOutput() override;
    QtSoundOutput(const QtSoundOutput &) = delete;
    QtSoundOutput &operator=(const QtSoundOutput &) = delete;

    void play(const QByteArray &path) override;
    void stop() override;

    void preload(const QByteArray &path) override;

private:
    QSoundEffect *effectFor(const QByteArray &path);

    std::map<QByteArray, std::unique_ptr<QSoundEffect>> effects_;
    QSoundEffect *playing_ = nullptr;
};

} // namespace krumlix
