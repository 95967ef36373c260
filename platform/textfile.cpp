// SPDX-License-Identifier: GPL-3.0-or-later
#include "textfile.h"

#include "errors.h"

#include <QFile>
#include <QSaveFile>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
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

QList<QByteArray> readTextLines(const QString &path, const QString &shownName) {
    // Only a regular file is read, and only up to the limit: a name that
    // points at a device would give bytes without end or wait for input.
    // The open itself must not wait either (a named pipe without a writer).
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        throw KrumlixError::cannotOpenFile(shownName);
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || info.st_size > MaxTextFileSize) {
        ::close(fd);
        throw KrumlixError::cannotOpenFile(shownName);
    }
    QFile file;
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        throw KrumlixError::cannotOpenFile(shownName);
    }
    // One byte more than the limit tells a file that grew since it was looked at.
    const QByteArray text = file.read(MaxTextFileSize + 1);
    if (file.error() != QFileDevice::NoError || text.size() > MaxTextFileSize)
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

void replaceFile(const QString &path, const QByteArray &text) {
    QSaveFile file(path);
    // A folder that refuses the temporary file may still hold a file the
    // player may write: then the file is written in place, every write and
    // the flush still checked.
    file.setDirectWriteFallback(true);
    errno = 0;
    if (!file.open(QIODevice::WriteOnly))
        throw KrumlixError::fromErrno(errno ? errno : EACCES);
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
