// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

namespace krumlix {

/// The maker's addresses, shown in the menu, the about window and the
/// high-score dialogs.
inline constexpr const char *MakerWebAddress = "krumlix.example.com";
inline constexpr const char *MakerWebUrl = "https://krumlix.example.com/";
inline constexpr const char *MakerMailAddress = "krumlix@example.com";
inline constexpr const char *MakerPrize = "the Golden Elephant";

} // namespace krumlix
