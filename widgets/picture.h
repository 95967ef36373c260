// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QIcon>
#include <QImage>
#include <QLabel>

#include <array>

namespace krumlix {

/// The pixel ratios the build renders every picture at (the scales desktops
/// offer); a screen between two of them gets the larger one scaled down.
inline constexpr std::array<qreal, 6> PictureRatios{1.0, 1.25, 1.5, 1.75, 2.0, 3.0};

/// The rendered ratio a picture is taken from for a screen of `ratio`: that
/// ratio, or else the nearest larger one (above the largest, the largest).
qreal pictureRatioFor(qreal ratio);

/// One of the game's pictures (":/pictures/NAME.jpg" and its variants),
/// decoded from JPEG for a screen of `ratio` device pixels per window pixel:
/// the variant rendered for that ratio, or else the nearest larger one
/// scaled down (above the largest, that one scaled up). The image carries
/// `ratio` as its device pixel ratio, so it keeps its size in the window. A
/// picture that cannot be decoded comes back as a null image.
QImage gamePicture(const char *name, qreal ratio = 1.0);

/// A picture in a window, always drawn at the pixel ratio of the screen the
/// window is on: when the window moves to a screen of another ratio (or its
/// screen's ratio changes), the next paint brings the picture for it.
class Picture : public QLabel {
public:
    Picture(const char *name, QWidget *parent);
    /// The pixel ratio the shown picture was made for.
    qreal shownRatio() const { return ratio_; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    void follow(qreal ratio);

    const char *name_;
    qreal ratio_ = 0;
};

/// The game's icon, drawn from its source at every size a window system
/// picks from for a title bar or a task switcher at any scale.
QIcon gameIcon();

} // namespace krumlix
