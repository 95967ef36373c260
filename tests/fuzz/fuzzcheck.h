// SPDX-License-Identifier: GPL-3.0-or-later
// The fuzz targets' check: a property that does not hold ends the run with
// a report, so libFuzzer keeps the input as a crash.
#pragma once

#include <cstdio>
#include <cstdlib>

/// A property of the game that must hold for every input.
#define KRUMLIX_REQUIRE(condition)                                                                 \
    do {                                                                                           \
        if (!(condition)) {                                                                        \
            std::fprintf(stderr, "%s:%d: does not hold: %s\n", __FILE__, __LINE__, #condition);    \
            std::abort();                                                                          \
        }                                                                                          \
    } while (false)
