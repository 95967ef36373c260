// SPDX-License-Identifier: GPL-3.0-or-later
#include "singlegame.h"
#include "emergencyrestore.h"
#include "logging.h"

#include <QCryptographicHash>
#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <thread>

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace krumlix {
namespace {

/// How long a second start tries to reach the running game, and how long
/// it waits between tries.
constexpr auto ReachFor = std::chrono::milliseconds(2000);
constexpr auto RetryEvery = std::chrono::milliseconds(50);

/// The player's runtime folder, or a private one of ours in the temporary
/// folder where the session has none; empty if neither is safe to use.
QByteArray runtimeFolder() {
    QByteArray folder = qgetenv("XDG_RUNTIME_DIR");
    if (folder.isEmpty()) {
        folder = QFile::encodeName(QDir::tempPath()) + "/krumlix-" + QByteArray::number(::getuid());
        ::mkdir(folder.constData(), 0700);
    }
    struct stat info {};
    if (::lstat(folder.constData(), &info) != 0 || !S_ISDIR(info.st_mode) ||
        info.st_uid != ::getuid() || (info.st_mode & 077) != 0)
        return {};
    return folder;
}

/// The X server of $DISPLAY without its screen (":0.0" and "unix:0" are
/// ":0"), else the Wayland compositor's socket; empty without either.
QByteArray desktopName() {
    QByteArray display = qgetenv("DISPLAY");
    if (display.isEmpty())
        return qgetenv("WAYLAND_DISPLAY");
    const qsizetype colon = display.lastIndexOf(':');
    const qsizetype dot = display.indexOf('.', colon);
    if (dot > colon && colon >= 0)
        display.truncate(dot);
    if (display.startsWith("unix:"))
        display.remove(0, 4);
    return display;
}

QByteArray lockPath(const QByteArray &folder, const char *kind, const QByteArray &key) {
    return folder + "/krumlix-" + kind + '-' +
           QCryptographicHash::hash(key, QCryptographicHash::Sha256).toHex().left(16) + ".lock";
}

QByteArray socketPath(const QByteArray &lock) {
    return lock.left(lock.size() - 5) + ".socket";
}

/// Locks the file at `path`, or gives -1 if another process holds it. A
/// lock on a file that was removed and made anew meanwhile is no lock.
int takeLock(const QByteArray &path) {
    for (int tries = 0; tries < 5; ++tries) {
        const int fd = ::open(path.constData(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
        if (fd < 0)
            return -1;
        if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
            ::close(fd);
            return -1;
        }
        struct stat held {
        }, named{};
        if (::fstat(fd, &held) == 0 && ::stat(path.constData(), &named) == 0 &&
            held.st_ino == named.st_ino && held.st_dev == named.st_dev)
            return fd;
        ::close(fd);
    }
    return -1;
}

/// Tells the game listening at `socket` which desktop this start is on, and
/// gives its answer: '1' it came forward, '0' it is on another desktop, or
/// 0 when it did not answer within `ms`.
char askRunningGame(const QByteArray &socket, const QByteArray &desktop, int ms) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (socket.size() >= qsizetype(sizeof address.sun_path))
        return 0;
    std::memcpy(address.sun_path, socket.constData(), socket.size());
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0)
        return 0;
    char answer = 0;
    const QByteArray line = desktop + '\n';
    if (::connect(fd, reinterpret_cast<const sockaddr *>(&address), sizeof address) == 0 &&
        ::send(fd, line.constData(), line.size(), MSG_NOSIGNAL) == line.size()) {
        pollfd ready{fd, POLLIN, 0};
        if (::poll(&ready, 1, ms) > 0 && ::recv(fd, &answer, 1, 0) != 1)
            answer = 0;
    }
    ::close(fd);
    return answer == '1' || answer == '0' ? answer : 0;
}

} // namespace

SingleGame::SingleGame() : desktop_(desktopName()) {
    const QByteArray folder = runtimeFolder();
    if (folder.isEmpty()) {
        qCWarning(lcDesktop) << "no private runtime folder: a second start is not held back";
        return;
    }
    if (!desktop_.isEmpty())
        locks_[0].path = lockPath(folder, "desktop", desktop_);
    locks_[1].path = lockPath(folder, "folder", QFile::encodeName(QDir::current().canonicalPath()));
}

SingleGame::~SingleGame() {
    release();
}

void SingleGame::release() {
    // The files are ours to take away while we hold the lock: no other game
    // can have made them anew. After a SIGKILL the next game finds them
    // unlocked and takes them over.
    for (Lock &lock : locks_) {
        if (lock.fd < 0)
            continue;
        ::unlink(lock.path.constData());
        ::close(lock.fd);
        lock.fd = -1;
    }
}

SingleGame::Start SingleGame::claim() {
    using Clock = std::chrono::steady_clock;
    const Clock::time_point deadline = Clock::now() + ReachFor;
    for (;;) {
        Lock *held = nullptr;
        for (Lock &lock : locks_) {
            if (lock.fd < 0 && !lock.path.isEmpty() && (lock.fd = takeLock(lock.path)) < 0) {
                held = &lock;
                break;
            }
        }
        if (!held) {
            // A signal or a crash that ends the game takes them away too.
            for (const Lock &lock : locks_) {
                if (lock.fd >= 0) {
                    EmergencyRestore::removeAtEnd(lock.path.constData());
                    EmergencyRestore::removeAtEnd(socketPath(lock.path).constData());
                }
            }
            return Start::First;
        }
        // Another game holds it, or one that has just ended and whose
        // keeper is putting the repeat back: that lock comes free soon.
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        const char answer = askRunningGame(socketPath(held->path), desktop_,
                                           static_cast<int>(std::max<qint64>(left.count(), 0)));
        if (answer != 0 || Clock::now() >= deadline) {
            release();
            return answer == '1'   ? Start::BroughtForward
                   : answer == '0' ? Start::Elsewhere
                                   : Start::NoAnswer;
        }
        std::this_thread::sleep_for(RetryEvery);
    }
}

void SingleGame::listen(QObject *parent, const std::function<void()> &forward) {
    for (const Lock &lock : locks_) {
        if (lock.fd < 0)
            continue;
        // Left by a game that was killed, if there: ours, as we hold the lock.
        const QString name = QFile::decodeName(socketPath(lock.path));
        QLocalServer::removeServer(name);
        auto *server = new QLocalServer(parent);
        if (!server->listen(name)) {
            qCWarning(lcDesktop) << "a second start cannot reach this game:"
                                 << server->errorString();
            continue;
        }
        QObject::connect(server, &QLocalServer::newConnection, server, [this, server, forward] {
            while (QLocalSocket *start = server->nextPendingConnection()) {
                QObject::connect(start, &QLocalSocket::disconnected, start, &QObject::deleteLater);
                QObject::connect(start, &QLocalSocket::readyRead, start, [this, start, forward] {
                    if (!start->canReadLine())
                        return;
                    const bool here = start->readLine().trimmed() == desktop_;
                    if (here)
                        forward();
                    start->write(here ? "1" : "0");
                    start->disconnectFromServer();
                });
            }
        });
    }
}

} // namespace krumlix
