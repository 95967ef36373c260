// SPDX-License-Identifier: GPL-3.0-or-later
// The fitting of a file name to its label in the sound window, for names of
// growing length (a damaged settings or scheme file may hold one of
// thousands of characters, and every activation fits all twelve). Prints
// one line per length and, as its last line:
//
//   fit: us_1000=N us_8000=N us_64000=N
//
//   QT_QPA_PLATFORM=offscreen krumlix_fitbench
#include "sound/soundwindow.h"

#include <QApplication>
#include <QLabel>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

/// The best of `rounds` fits of a name of `length` characters, in microseconds.
double fitMicroseconds(int length, int rounds) {
    QLabel label;
    label.setFont(QFont(QStringLiteral("Verdana"), 8));
    const QString name = QString(length - 4, QLatin1Char('w')) + QStringLiteral(".wav");
    double best = 0;
    for (int i = 0; i < rounds; ++i) {
        label.setText(name);
        const auto start = Clock::now();
        krumlix::TSound::FitFileNameLabel(&label);
        const double us = std::chrono::duration<double, std::micro>(Clock::now() - start).count();
        best = i == 0 ? us : std::min(best, us);
    }
    std::printf("fit: %d characters to %lld, %.0f us (best of %d)\n", length,
                static_cast<long long>(label.text().size()), best, rounds);
    return best;
}

} // namespace

int main(int argc, char **argv) {
    QApplication app(argc, argv);
    std::setvbuf(stdout, nullptr, _IOLBF, 0); // each line as it is measured
    const double a = fitMicroseconds(1000, 5);
    const double b = fitMicroseconds(8000, 5);
    const double c = fitMicroseconds(64000, 3);
    std::printf("fit: us_1000=%.0f us_8000=%.0f us_64000=%.0f\n", a, b, c);
    return 0;
}
