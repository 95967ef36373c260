// SPDX-License-Identifier: GPL-3.0-or-later
// Helpers for faults while the game writes its files: a small disk of its
// own, a game folder the player may not write to, saves in a child process
// that is killed at a random moment.
#pragma once

#include "support/tempgame.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStringList>

#include <fcntl.h>
#include <grp.h>
#include <linux/audit.h>
#include <linux/filter.h>
#include <linux/seccomp.h>
#include <poll.h>
#include <sys/mount.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <random>
#include <vector>

namespace krumlix::test {

/// The bytes of a file, or nothing when it cannot be read as one.
inline std::optional<QByteArray> fileBytes(const QString &path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return std::nullopt;
    return f.readAll();
}

/// A game folder on a file system of its own: a 16 KiB tmpfs mounted over a
/// temporary folder, so that a test can take every free block. Where the
/// mount is refused (no privilege for it), the folder is an ordinary one and
/// a full disk is played by a file size limit instead (EFBIG, not ENOSPC).
class SmallDisk : public TempGameDir {
public:
    SmallDisk() {
        mounted_ = ::mount("tmpfs", QFile::encodeName(dir.path()).constData(), "tmpfs",
                           MS_NOSUID | MS_NODEV, "size=16k,mode=0755") == 0;
    }
    ~SmallDisk() {
        limit_.reset();
        if (mounted_)
            ::umount2(QFile::encodeName(dir.path()).constData(), MNT_DETACH);
    }
    SmallDisk(const SmallDisk &) = delete;
    SmallDisk &operator=(const SmallDisk &) = delete;

    bool mounted() const { return mounted_; }

    /// From now on no byte more fits: every free block of the tmpfs goes to
    /// a filler file, or, without the mount, no file may grow past 16 bytes.
    /// Returns false when the disk could not be filled.
    bool fill() {
        if (!mounted_) {
            limit_ = std::make_unique<FileSizeLimit>(16);
            return true;
        }
        const QByteArray filler = QFile::encodeName(path(QStringLiteral("filler")));
        const int fd = ::open(filler.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (fd < 0)
            return false;
        char block[4096] = {};
        for (std::size_t size : {sizeof block, std::size_t{1}}) {
            while (::write(fd, block, size) == static_cast<ssize_t>(size)) {
            }
        }
        const bool full = errno == ENOSPC;
        ::close(fd);
        return full;
    }
    /// Gives the room back.
    void release() {
        limit_.reset();
        QFile::remove(path(QStringLiteral("filler")));
    }
    /// The message the game is to give for a write on the full disk.
    QString fullMessage() const {
        return mounted_ ? QStringLiteral("Disk full") : QStringLiteral("I/O error %1").arg(EFBIG);
    }

private:
    bool mounted_ = false;
    std::unique_ptr<FileSizeLimit> limit_;
};

/// Sets or clears the immutable attribute of a folder (root only): nobody
/// may then make a new file in it (EPERM), while its files may still be
/// written. False where the file system or the tools do not allow it.
inline bool setImmutable(const QString &folder, bool on) {
    return QProcess::execute(QStringLiteral("chattr"),
                             {on ? QStringLiteral("+i") : QStringLiteral("-i"), folder}) == 0;
}

/// From now on the system calls that `pick` singles out fail in this process
/// with `error`. `pick` runs with the call's number loaded; it jumps to its
/// end to fail the call, one further to let it go on. False when the filter
/// could not be installed.
inline bool failCalls(std::initializer_list<sock_filter> pick, int error) {
    std::vector<sock_filter> filter{
        BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offsetof(seccomp_data, arch)),
        BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, AUDIT_ARCH_X86_64, 0, std::uint8_t(pick.size() + 2)),
        BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offsetof(seccomp_data, nr))};
    filter.insert(filter.end(), pick);
    filter.push_back(BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ERRNO | std::uint32_t(error)));
    filter.push_back(BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ALLOW));
    sock_fprog program{static_cast<unsigned short>(filter.size()), filter.data()};
    return ::prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0) == 0 &&
           ::prctl(PR_SET_SECCOMP, SECCOMP_MODE_FILTER, &program) == 0;
}

/// The exclusive and unnamed opens that make temporary files fail with EPERM,
/// as in a folder that refuses new files (an immutable one, some network file
/// systems); other opens go on.
inline bool refuseNewFiles() {
    return failCalls({BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, __NR_openat, 0, 3),
                      BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offsetof(seccomp_data, args[2])),
                      BPF_JUMP(BPF_JMP | BPF_JSET | BPF_K, O_EXCL | __O_TMPFILE, 0, 1)},
                     EPERM);
}

/// fsync and fdatasync fail with EIO, as on a disk that could not take the
/// data written.
inline bool failSyncs() {
    return failCalls({BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, __NR_fsync, 1, 0),
                      BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, __NR_fdatasync, 0, 1)},
                     EIO);
}

/// Waits until `fd` can be read, at most `ms` milliseconds.
inline bool readable(int fd, int ms) {
    pollfd p{fd, POLLIN, 0};
    return ::poll(&p, 1, ms) == 1;
}

/// Runs `action` in a child process as the user "nobody", who may not write
/// in a folder of root's, and returns what it gave back as text (the
/// messages of its windows). Without root the child runs as the same user;
/// the caller then takes the write permission away itself.
inline std::optional<QString> asOtherUser(const std::function<QString()> &action) {
    int out[2];
    if (::pipe(out) != 0)
        return std::nullopt;
    const pid_t child = ::fork();
    if (child < 0)
        return std::nullopt;
    if (child == 0) {
        ::close(out[0]);
        bool dropped = true;
        if (::getuid() == 0)
            dropped = ::setgroups(0, nullptr) == 0 && ::setgid(65534) == 0 && ::setuid(65534) == 0;
        const QByteArray text = dropped ? action().toUtf8() : QByteArray("(setuid failed)");
        for (qsizetype done = 0; done < text.size();) {
            const ssize_t n =
                ::write(out[1], text.constData() + done, std::size_t(text.size() - done));
            if (n <= 0)
                break;
            done += n;
        }
        ::_exit(dropped ? 0 : 1);
    }
    ::close(out[1]);
    QByteArray text;
    char buffer[4096];
    while (readable(out[0], 10000)) {
        const ssize_t n = ::read(out[0], buffer, sizeof buffer);
        if (n <= 0)
            break;
        text.append(buffer, n);
    }
    ::close(out[0]);
    ::kill(child, SIGKILL); // no-op when it has ended; ends a hung one
    int status = 0;
    ::waitpid(child, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return std::nullopt;
    return QString::fromUtf8(text);
}

/// What the file held after each kill.
struct KillTally {
    int old = 0;    ///< the file as it was before the child's saves
    int fresh = 0;  ///< the file as the child's save made it
    int broken = 0; ///< anything else: torn, empty, missing
    int notReady = 0;
    QByteArray firstBroken;
    unsigned seed = 0;
};

/// `rounds` times: `reset` puts the old file in place, a child process runs
/// `save(i)` for i = 0, 1, 2, ... without end, and is killed with SIGKILL a
/// random 0..2 ms after it has begun (the span doubling every ten rounds
/// while no save has finished yet, as on a busy machine); then the file
/// must be `oldBytes` or `newBytes`, whole.
inline KillTally killDuringSaves(int rounds, const QString &file, const QByteArray &oldBytes,
                                 const QByteArray &newBytes, const std::function<void()> &reset,
                                 const std::function<void(int)> &save) {
    KillTally tally;
    tally.seed = std::random_device{}();
    std::mt19937 random(tally.seed);
    int spanUs = 2000;
    for (int round = 0; round < rounds; ++round) {
        if (round % 10 == 9 && tally.fresh == 0 && spanUs < 256000)
            spanUs *= 2;
        reset();
        int ready[2];
        if (::pipe(ready) != 0)
            break;
        const pid_t child = ::fork();
        if (child < 0)
            break;
        if (child == 0) {
            ::close(ready[0]);
            const char go = 'g';
            if (::write(ready[1], &go, 1) != 1)
                ::_exit(1);
            for (int i = 0;; ++i)
                save(i);
        }
        ::close(ready[1]);
        char go = 0;
        if (!readable(ready[0], 5000) || ::read(ready[0], &go, 1) != 1)
            ++tally.notReady;
        ::close(ready[0]);
        ::usleep(static_cast<useconds_t>(std::uniform_int_distribution<int>(0, spanUs)(random)));
        ::kill(child, SIGKILL);
        int status = 0;
        ::waitpid(child, &status, 0);
        const std::optional<QByteArray> now = fileBytes(file);
        if (now == oldBytes) {
            ++tally.old;
        } else if (now == newBytes) {
            ++tally.fresh;
        } else {
            if (tally.broken++ == 0)
                tally.firstBroken = now.value_or(QByteArray("(no file)"));
        }
    }
    return tally;
}

} // namespace krumlix::test
