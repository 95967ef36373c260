// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QMargins>
#include <QPoint>

#include <optional>

class QWidget;

namespace krumlix {

/// The frame the X11 window manager puts around `window` (_NET_FRAME_EXTENTS),
/// or will put around it, asked of it before the window is mapped
/// (_NET_REQUEST_FRAME_EXTENTS), so that a window can be placed by its
/// frame's size from the start. Nothing on another platform, or where the
/// window manager has not said. One that does not say it answers, answers
/// no frame or does not answer within a tenth of a second is not asked again.
class FrameExtents {
public:
    std::optional<QMargins> operator()(QWidget *window);

private:
    bool unanswered_ = false;
};

/// Where the X server has `window`'s client area on the screen now. Qt's
/// idea of it can be left behind when the window manager moves a frame
/// without a word to the window (GNOME, back from fullscreen). Nothing on
/// another platform.
std::optional<QPoint> clientOrigin(QWidget *window);
/// Asks the window manager to put `window`'s client area at `origin`, where
/// Qt may believe it is already.
void moveClient(QWidget *window, QPoint origin);

} // namespace krumlix
