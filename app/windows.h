// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/appcontext.h"

namespace krumlix {

/// Creates the eleven windows in their order; the game window owns the
/// others. Returns the game window, not yet shown.
TForm1 *createWindows(AppContext &context);

} // namespace krumlix
