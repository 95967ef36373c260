// SPDX-License-Identifier: GPL-3.0-or-later
#include "soundfile.h"

#include <fcntl.h>
#include <unistd.h>

namespace krumlix {

Stamp stampOf(const struct stat &st) {
    return {st.st_dev, st.st_ino, st.st_size,
            std::int64_t(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec,
            std::int64_t(st.st_ctim.tv_sec) * 1000000000 + st.st_ctim.tv_nsec};
}

std::optional<Stamp> stampOf(const QByteArray &path) {
    struct stat st {};
    if (::stat(path.constData(), &st) != 0 || !S_ISREG(st.st_mode))
        return std::nullopt;
    return stampOf(st);
}

int openSoundFile(const QByteArray &path, Stamp &stamp) {
    const int fd = ::open(path.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0)
        return -1;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return -1;
    }
    stamp = stampOf(st);
    return fd;
}

} // namespace krumlix
