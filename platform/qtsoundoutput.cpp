// SPDX-License-Identifier: GPL-3.0-or-later
#include "qtsoundoutput.h"

#include <QFileInfo>
#include <QSoundEffect>
#include <QUrl>

#include <map>

namespace krumlix {

/// The sound effects and the one that is playing, on the sound thread.
class SoundPlayer : public QObject {
public:
    void play(const QByteArray &path) {
        stop();
        // A name that is empty or cannot be played is silent.
        if (path.isEmpty())
            return;
        playing_ = effectFor(path);
        playing_->play();
    }

    void stop() {
        if (playing_) {
            playing_->stop();
            playing_ = nullptr;
        }
    }

    void preload(const QByteArray &path) {
        if (!path.isEmpty())
            effectFor(path);
    }

    void clear() {
        stop();
        effects_.clear();
    }

private:
    QSoundEffect *effectFor(const QByteArray &path) {
        auto found = effects_.find(path);
        // An effect that failed stays silent for good; a file that has
        // appeared or been repaired since gets a fresh one.
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

    std::map<QByteArray, std::unique_ptr<QSoundEffect>> effects_;
    QSoundEffect *playing_ = nullptr;
};

QtSoundOutput::QtSoundOutput() : player_(new SoundPlayer) {
    thread_.setObjectName(QStringLiteral("sound"));
    player_->moveToThread(&thread_);
    thread_.start();
}

QtSoundOutput::~QtSoundOutput() {
    // The effects go on the thread that made them.
    if (thread_.isRunning())
        QMetaObject::invokeMethod(
            player_, [this] { player_->clear(); }, Qt::BlockingQueuedConnection);
    thread_.quit();
    thread_.wait();
    delete player_;
}

void QtSoundOutput::play(const QByteArray &path) {
    QMetaObject::invokeMethod(
        player_, [this, path] { player_->play(path); }, Qt::QueuedConnection);
}

void QtSoundOutput::stop() {
    if (thread_.isRunning())
        QMetaObject::invokeMethod(
            player_, [this] { player_->stop(); }, Qt::BlockingQueuedConnection);
}

void QtSoundOutput::preload(const QByteArray &path) {
    QMetaObject::invokeMethod(
        player_, [this, path] { player_->preload(path); }, Qt::QueuedConnection);
}

} // namespace krumlix
