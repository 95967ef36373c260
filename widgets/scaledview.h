// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QRegion>
#include <QWidget>

#include <functional>

namespace krumlix {

/// The largest whole number of times `content` fits into `room` (at least 1).
int wholeScale(QSize room, QSize content);

/// Shows another widget, `source`, at the largest whole-number scale at which
/// it fits, centred on black. The source keeps its own size and layout and
/// is hidden: it is drawn through a scaled painter, so that its texts are
/// laid out as in the window and drawn at the screen's resolution, and a
/// picture made for the scaled ratio lands pixel for pixel. Nothing tells
/// the view that the hidden source changed: its owner says so through
/// `updateSource`.
class ScaledView : public QWidget {
public:
    /// `scaleChanged` is told the scale whenever the view's size is set.
    ScaledView(QWidget *source, QWidget *parent, std::function<void(int)> scaleChanged = {});

    int scale() const { return scale_; }
    /// Where the source is shown, in the view's coordinates.
    QRect contentRect() const;
    /// Repaints what the source shows in `region`, in the source's coordinates.
    void updateSource(const QRegion &region);

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    QWidget *source_;
    std::function<void(int)> scaleChanged_;
    int scale_ = 1;
};

} // namespace krumlix
