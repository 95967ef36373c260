// SPDX-License-Identifier: GPL-3.0-or-later
// The work of one tick with a full sky: AnimalStep with all forty slots in
// flight, drawn into a real field image, and the three readouts formatted as
// the game window shows them. Prints the median, mean and 99th percentile.
//
//   krumlix_tickbench [ticks] [device pixel ratio]
#include "tickwork.h"

#include <QGuiApplication>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

int main(int argc, char *argv[]) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const int ticks = argc > 1 ? std::max(2000, std::atoi(argv[1])) : 5000;
    const qreal ratio = argc > 2 ? std::atof(argv[2]) : 1.0;

    const krumlix::bench::TickWork work = krumlix::bench::measureTickWork(ticks, ratio);
    const krumlix::bench::Summary s = krumlix::bench::summarise(work.micros);
    std::printf("ticks=%d animals=40 ratio=%.0f readout_chars=%lld\n", ticks, ratio,
                static_cast<long long>(work.readoutChars));
    std::printf("tick_work_us=%.1f\n", s.median);
    std::printf("tick_work_mean_us=%.1f\n", s.mean);
    std::printf("tick_work_p99_us=%.1f\n", s.p99);
    return 0;
}
