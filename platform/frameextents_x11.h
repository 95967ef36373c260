// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QMargins>

#include <optional>

class QWidget;

namespace krumlix {

/// The frame the X11 window manager will put around `window`, asked of it
/// before the window is mapped (_NET_REQUEST_FRAME_EXTENTS), so that a
/// window can be placed by its frame's size from the start. Nothing on
/// another platform, or from a window manager that does not say it answers,
/// answers no frame or does not answer within a tenth of a second (it is
/// not asked again).
class FrameExtents {
public:
    std::optional<QMargins> operator()(QWidget *window);

private:
    bool unanswered_ = false;
};

} // namespace krumlix
