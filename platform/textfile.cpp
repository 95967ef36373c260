// SPDX-License-Identifier: GPL-3.0-or-later
#include "textfile.h"

#include "errors.h"
#include "logging.h"

#include <QFile>
#include <QSaveFile>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <limits>

namespace krumlix {

QList<QByteArray> splitTextLines(const QByteArray &text) {
    QList<QByteArray> lines;
    qsizetype start = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char c = text.at(i);
        if (c != '\r' && c != '\n')
            continue;
        lines.append(text.mid(start, i - start));
        if (c == '\r' && i + 1 < text.size() && text.at(i + 1) == '\n')
            ++i;
        start = i + 1;
    }
    if (start < text.size())
        lines.append(text.mid(start));
    return lines;
}

QByteArray readRegularFile(const QString &path, qint64 limit, int &error) {
    // A name that points at a device would give bytes without end or wait
    // for input; the open of a named pipe without a writer would wait.
    error = 0;
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        error = errno;
        return {};
    }
    struct stat info {};
    QFile file;
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) ||
        !file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        error = EACCES;
        return {};
    }
    errno = 0;
    QByteArray bytes = file.read(limit);
    if (file.error() != QFileDevice::NoError) {
        error = errno ? errno : EIO;
        return {};
    }
    return bytes;
}

QList<QByteArray> readTextLines(const QString &path, const QString &shownName) {
    // One byte more than the limit tells a file too large.
    int error = 0;
    const QByteArray text = readRegularFile(path, MaxTextFileSize + 1, error);
    if (error != 0 || text.size() > MaxTextFileSize)
        throw KrumlixError::cannotOpenFile(shownName);
    return splitTextLines(text);
}

void writeTextLines(const QString &path, const QList<QByteArray> &lines) {
    QByteArray text;
    for (const QByteArray &line : lines) {
        text += line;
        text += "\r\n";
    }
    replaceFile(path, text);
}

namespace {

/// Writes the file where it stands; `refusal` is the error raised when it
/// cannot be opened for writing. The old bytes are written over and only
/// then cut to the new length, so that the file needs no more room than it
/// has while it is written.
void writeInPlace(const QString &path, const QByteArray &text, int refusal) {
    const int fd = ::open(QFile::encodeName(path).constData(),
                          O_WRONLY | O_CREAT | O_NONBLOCK | O_CLOEXEC, 0666);
    QFile file;
    if (fd < 0 || !file.open(fd, QIODevice::WriteOnly, QFileDevice::AutoCloseHandle)) {
        if (fd >= 0)
            ::close(fd);
        throw KrumlixError::fromErrno(refusal);
    }
    errno = 0;
    const bool written = file.write(text) == text.size() && file.flush() &&
                         file.resize(text.size()) && ::fsync(file.handle()) == 0;
    const int error = errno ? errno : EIO;
    file.close();
    if (!written || file.error() != QFileDevice::NoError)
        throw KrumlixError::fromErrno(error);
}

} // namespace

void replaceFile(const QString &path, const QByteArray &text) {
    QSaveFile file(path);
    errno = 0;
    if (!file.open(QIODevice::WriteOnly)) {
        // A folder that refuses the temporary file (EACCES where the player
        // may not write in it, EPERM where it is immutable or on some
        // network file systems) may still hold a file the player may write.
        const int refusal = errno ? errno : EACCES;
        qCWarning(lcFiles).nospace() << "no temporary file beside " << path << " ("
                                     << std::strerror(refusal) << "): written in place";
        writeInPlace(path, text, refusal);
        return;
    }
    // The data must be on disk, whole, before the old file is replaced: a
    // short write only shows when the buffer is flushed, and commit() would
    // not notice it.
    errno = 0;
    const bool written =
        file.write(text) == text.size() && file.flush() && file.error() == QFileDevice::NoError;
    if (!written) {
        const int error = errno ? errno : EIO;
        file.cancelWriting();
        throw KrumlixError::fromErrno(error);
    }
    errno = 0;
    if (!file.commit())
        throw KrumlixError::fromErrno(errno ? errno : EIO);
}

std::int32_t toInteger(const QByteArray &line) {
    // Plain decimal as the game writes it, with an optional minus sign.
    qsizetype i = line.startsWith('-') ? 1 : 0;
    bool ok = line.size() > i && line.size() - i <= 10;
    for (qsizetype j = i; ok && j < line.size(); ++j)
        ok = line.at(j) >= '0' && line.at(j) <= '9';
    const qlonglong value = ok ? line.toLongLong(&ok) : 0;
    if (!ok || value < std::numeric_limits<std::int32_t>::min() ||
        value > std::numeric_limits<std::int32_t>::max())
        throw KrumlixError::notValidInteger(QString::fromLatin1(line));
    return static_cast<std::int32_t>(value);
}

} // namespace krumlix
