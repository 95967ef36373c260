// SPDX-License-Identifier: GPL-3.0-or-later
#include "errors.h"

#include "platform.h"

#include <cerrno>

namespace krumlix {

KrumlixError KrumlixError::cannotOpenFile(const QString &name) {
    return KrumlixError(QStringLiteral("Cannot open file %1").arg(name));
}

KrumlixError KrumlixError::notValidInteger(const QString &text) {
    return KrumlixError(QStringLiteral("'%1' is not a valid integer value").arg(text));
}

KrumlixError KrumlixError::fileNotFound() {
    return KrumlixError(QStringLiteral("File not found"));
}

KrumlixError KrumlixError::readBeyondEnd() {
    return KrumlixError(QStringLiteral("Read beyond end of file"));
}

KrumlixError KrumlixError::fromErrno(int error) {
    switch (error) {
    case ENOENT:
    case ENOTDIR:
        return fileNotFound();
    case EACCES:
    case EPERM:
    case EROFS:
    case EISDIR:
        return KrumlixError(QStringLiteral("File access denied"));
    case ENOSPC:
    case EDQUOT:
        return KrumlixError(QStringLiteral("Disk full"));
    case EMFILE:
    case ENFILE:
        return KrumlixError(QStringLiteral("Too many open files"));
    default:
        return KrumlixError(QStringLiteral("I/O error %1").arg(error));
    }
}

void ErrorHandler::report(const KrumlixError &error) {
    messages_.show(QStringLiteral("Krumlix"), error.text());
}

} // namespace krumlix
