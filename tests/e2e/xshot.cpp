// SPDX-License-Identifier: GPL-3.0-or-later
// Takes a screenshot of the X display and answers questions about it:
//   xshot OUT.png [pixel X Y] [white X Y W H] [colour R G B X Y W H] ...
// "pixel" prints "R G B"; "white" and "colour" print how many pixels of the
// rectangle are (nearly) white or of the given colour.
#include <QGuiApplication>
#include <QImage>
#include <QPixmap>
#include <QScreen>

#include <cstdio>
#include <cstdlib>

namespace {

bool near(int a, int b) {
    return std::abs(a - b) <= 8;
}

int count(const QImage &image, int x, int y, int w, int h, QRgb wanted) {
    int n = 0;
    for (int j = y; j < y + h; ++j)
        for (int i = x; i < x + w; ++i) {
            if (!image.valid(i, j))
                continue;
            const QRgb p = image.pixel(i, j);
            n += near(qRed(p), qRed(wanted)) && near(qGreen(p), qGreen(wanted)) &&
                         near(qBlue(p), qBlue(wanted))
                     ? 1
                     : 0;
        }
    return n;
}

} // namespace

int main(int argc, char **argv) {
    QGuiApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr,
                     "usage: xshot OUT.png [pixel X Y] [white X Y W H] [colour R G B X Y W H]\n");
        return 2;
    }
    const QImage image = QGuiApplication::primaryScreen()->grabWindow(0).toImage();
    if (image.isNull() || !image.save(QString::fromLocal8Bit(argv[1])))
        return 3;
    for (int i = 2; i < argc;) {
        const QByteArray cmd = argv[i];
        auto arg = [&](int k) { return std::atoi(argv[i + k]); };
        if (cmd == "pixel" && i + 2 < argc) {
            const QRgb p = image.pixel(arg(1), arg(2));
            std::printf("%d %d %d\n", qRed(p), qGreen(p), qBlue(p));
            i += 3;
        } else if (cmd == "white" && i + 4 < argc) {
            std::printf("%d\n", count(image, arg(1), arg(2), arg(3), arg(4), qRgb(255, 255, 255)));
            i += 5;
        } else if (cmd == "colour" && i + 7 < argc) {
            std::printf("%d\n",
                        count(image, arg(4), arg(5), arg(6), arg(7), qRgb(arg(1), arg(2), arg(3))));
            i += 8;
        } else {
            std::fprintf(stderr, "xshot: bad arguments at %s\n", argv[i]);
            return 2;
        }
    }
    return 0;
}
