// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>

#include <sys/stat.h>

#include <cstdint>
#include <optional>

namespace krumlix {

/// What a file on disk is like: a file rewritten or replaced since it was
/// read differs in one of these, even when its size stayed the same.
struct Stamp {
    dev_t device = 0;
    ino_t inode = 0;
    off_t size = 0;
    std::int64_t modifiedNs = 0;
    std::int64_t changedNs = 0;
    friend bool operator==(const Stamp &, const Stamp &) = default;
};

Stamp stampOf(const struct stat &st);

/// The stamp of a regular file; nothing for anything else or no file.
std::optional<Stamp> stampOf(const QByteArray &path);

/// A regular file opened for reading, with its stamp as it was opened; -1
/// for anything else. The open does not wait (a named pipe without a
/// writer), and a device, which would give bytes without end, is not read.
int openSoundFile(const QByteArray &path, Stamp &stamp);

} // namespace krumlix
