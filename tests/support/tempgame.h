// SPDX-License-Identifier: GPL-3.0-or-later
// A game folder of its own for a test, with helpers for real files in it.
#pragma once

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <sys/resource.h>

#include <csignal>

namespace krumlix::test {

struct TempGameDir {
    QTemporaryDir dir;
    QString programDir() const { return dir.path() + QLatin1Char('/'); }
    QString path(const QString &name) const { return dir.filePath(name); }
    bool write(const QString &name, const QByteArray &bytes) const {
        QFile f(path(name));
        return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
    }
    /// A file of the folder as it is now; empty when it cannot be read.
    QByteArray read(const QString &name) const {
        QFile f(path(name));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
};

/// While it lives, no file of this process may grow beyond `bytes`: writes
/// past it fail as on a full disk (EFBIG), without the signal.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        std::signal(SIGXFSZ, SIG_IGN);
        getrlimit(RLIMIT_FSIZE, &saved_);
        rlimit limit = saved_;
        limit.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit() { setrlimit(RLIMIT_FSIZE, &saved_); }
    FileSizeLimit(const FileSizeLimit &) = delete;
    FileSizeLimit &operator=(const FileSizeLimit &) = delete;

private:
    rlimit saved_{};
};

} // namespace krumlix::test
