// SPDX-License-Identifier: GPL-3.0-or-later
#include "qtsoundoutput.h"

#include <QFileInfo>
#include <QSoundEffect>
#include <QUrl>

namespace krumlix {

QtSoundOutput::QtSoundOutput() = default;

QtSoundOutput::~QtSoundOutput() = default;

QSoundEffect *QtSoundOutput::effectFor(const QByteArray &path) {
    auto found = effects_.find(path);
    // An effect that failed stays silent for good; a file that has appeared
    // or been repaired since gets a fresh one.
    if (found != effects_.end() && found->second->status() == QSoundEffect::Error) {
        if (playing_ == found->second.get())
            playing_ = nullptr;
        effects_.erase(found);
        found = effects_.end();
    }
    if (found == effects_.end()) {
        auto effect = std::make_unique<QSoundEffect>();
        effect->setSource(
            QUrl::fromLocalFile(QFileInfo(QString::fromLocal8Bit(path)).absoluteFilePath()));
        found = effects_.emplace(path, std::move(effect)).first;
    }
    return found->second.get();
}

void QtSoundOutput::preload(const QByteArray &path) {
    if (!path.isEmpty())
        effectFor(path);
}

void QtSoundOutput::play(const QByteArray &path) {
    stop();
    // A name that is empty or cannot be played is silent.
    if (path.isEmpty())
        return;
    playing_ = effectFor(path);
    playing_->play();
}

void QtSoundOutput::stop() {
    if (playing_) {
        playing_->stop();
        playing_ = nullptr;
    }
}

} // namespace krumlix
