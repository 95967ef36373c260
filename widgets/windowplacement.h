// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QList>
#include <QMargins>
#include <QObject>
#include <QPoint>
#include <QPointer>
#include <QTimer>

#include <functional>
#include <optional>

namespace krumlix {

/// Where a window's client area of `size` goes so that the window with its
/// `frame` stands in the middle of `area`.
QPoint centredClient(const QRect &area, QSize size, const QMargins &frame);

/// What the display says of a window, where Qt's own idea may lag behind
/// the window manager's.
struct WindowDisplay {
    /// The frame around a window, or the frame it will get, when the window
    /// manager says so.
    std::function<std::optional<QMargins>(QWidget *)> frame;
    /// Where the window's client area is on the screen now.
    std::function<std::optional<QPoint>(QWidget *)> origin;
    /// Puts the window's client area there.
    std::function<void(QWidget *, QPoint)> move;
};

/// Opens the game window and every dialog in the middle of the screen, or
/// of the fullscreen game a dialog opens over, its frame included. Qt leaves
/// a dialog's place to the window manager's placement, and some put it
/// elsewhere (a third of the way down its parent); a place the program sets
/// is one they keep. Installed on the application.
class WindowPlacement : public QObject {
public:
    explicit WindowPlacement(WindowDisplay display = {}, QObject *parent = nullptr);
    bool eventFilter(QObject *watched, QEvent *event) override;
    /// Centres a window about to be shown, as a dialog is at its opening.
    void centre(QWidget *window);
    /// Sees that a window back from fullscreen stands at `origin`: a window
    /// manager still framing it again may put it by the frame it had.
    void keepAt(QWidget *window, QPoint origin);

private:
    /// A window watched for a while after it was placed.
    struct Watch {
        QPointer<QWidget> window;
        std::optional<QPoint> origin; ///< kept there; else centred once its frame is known
        int checks = 0;
        int steady = 0; ///< checks in a row it stood where it belongs
    };

    void place(QWidget *window, const std::optional<QMargins> &own);
    QMargins shownFrame(QWidget *window) const;
    void watch(QWidget *window, std::optional<QPoint> origin);
    /// Whether the window is to be watched further.
    bool check(Watch &watch);
    void recheck();

    static constexpr int CheckInterval = 20; ///< ms
    static constexpr int MaxChecks = 50;
    static constexpr int SteadyChecks = 10;

    WindowDisplay display_;
    QMargins frame_; ///< the largest the window manager put around a window
    QList<Watch> watched_;
    QTimer recheck_;
};

} // namespace krumlix
