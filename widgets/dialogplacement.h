// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QMargins>
#include <QObject>
#include <QPointer>
#include <QTimer>

#include <functional>
#include <optional>

#include <QDialog>

namespace krumlix {

/// Where a window's client area of `size` goes so that the window with its
/// `frame` stands in the middle of `area`.
QPoint centredClient(const QRect &area, QSize size, const QMargins &frame);

/// The frame a window manager will put around a window not yet shown, when
/// it says so.
using FrameSource = std::function<std::optional<QMargins>(QWidget *)>;

/// Opens every dialog in the middle of the screen, or of the fullscreen game
/// it opens over, its frame included. Qt leaves a dialog's place to the
/// window manager's placement, and some put it elsewhere (a third of the way
/// down its parent); a place the program sets is one they keep. Installed
/// on the application.
class DialogPlacement : public QObject {
public:
    explicit DialogPlacement(FrameSource frameSource = {}, QObject *parent = nullptr);
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void place(QDialog *dialog);
    void recheck();

    static constexpr int CheckInterval = 20; ///< ms
    static constexpr int MaxChecks = 50;

    FrameSource frameSource_;
    QMargins frame_;            ///< the largest the window manager put around a window
    QPointer<QDialog> pending_; ///< shown before any frame was known
    QTimer recheck_;
    int checks_ = 0;
};

} // namespace krumlix
