// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QtGlobal>

#include <vector>

namespace krumlix::bench {

/// Median, mean, 99th percentile and largest of a set of figures.
struct Summary {
    double median = 0;
    double mean = 0;
    double p99 = 0;
    double max = 0;
};

/// The figures sorted; nearest rank for the median and the percentile.
Summary summarise(std::vector<double> values);

/// The work of `ticks` ticks with all forty slots in flight (after 200 that
/// are not measured): AnimalStep drawing into a real field image at device
/// pixel ratio `ratio`, and the three readouts formatted as the game window
/// shows them. Needs a QGuiApplication.
struct TickWork {
    std::vector<double> micros; ///< one figure per measured tick
    qsizetype readoutChars = 0; ///< the readouts' lengths, summed, so none is optimised away
};
TickWork measureTickWork(int ticks, qreal ratio);

} // namespace krumlix::bench
