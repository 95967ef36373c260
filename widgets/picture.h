// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QImage>

namespace krumlix {

/// One of the game's pictures (":/pictures/NAME.jpg"), decoded from JPEG.
/// A picture that cannot be decoded comes back as a null image.
QImage gamePicture(const char *name);

} // namespace krumlix
