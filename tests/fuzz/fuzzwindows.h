// SPDX-License-Identifier: GPL-3.0-or-later
// What the fuzz targets share: the eleven windows on the test doubles under
// Qt's offscreen platform, made once per process.
#pragma once

#include "fuzzcheck.h"
#include "support/gamewindows.h"

#include <QApplication>
#include <QFile>

#include <cstdint>

namespace krumlix::fuzz {

/// The application and the windows, made on first use.
inline test::GameWindows &windows() {
    static QApplication *app = [] {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        static int argc = 1;
        static char name[] = "krumlix_fuzz";
        static char *argv[] = {name, nullptr};
        return new QApplication(argc, argv);
    }();
    (void)app;
    static test::GameWindows *w = new test::GameWindows;
    return *w;
}

/// Writes `bytes` as the file `name` in the game folder.
inline void writeGameFile(const QString &name, const QByteArray &bytes) {
    QFile f(windows().folder.dir.filePath(name));
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(bytes) != bytes.size()) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(f.fileName()));
        std::abort();
    }
}

inline QByteArray input(const std::uint8_t *data, std::size_t size) {
    return QByteArray(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
}

} // namespace krumlix::fuzz
