// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

#include <cstdint>

namespace krumlix {

/// The seconds the clock shows after `elapsed` milliseconds of a run. The run
/// lasts 183 seconds plus a lead-in: 184 only in the very first millisecond,
/// 1 for two seconds (the division truncates towards zero), 0 from 184,000 ms.
constexpr std::int32_t clockSeconds(std::uint32_t elapsed) {
    const std::int64_t left = std::int64_t{183000} - std::int64_t{elapsed};
    return static_cast<std::int32_t>(left / 1000 + 1);
}

/// "m:ss", as 3:04, 1:05, 0:00.
QString clockText(std::int32_t seconds);

} // namespace krumlix
