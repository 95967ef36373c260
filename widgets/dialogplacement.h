// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QMargins>
#include <QObject>
#include <QPointer>
#include <QTimer>

#include <QDialog>

namespace krumlix {

/// Opens every dialog in the middle of the screen, or of the fullscreen game
/// it opens over, its frame included. Qt leaves a dialog's place to the
/// window manager's placement, and some put it elsewhere (a third of the way
/// down its parent); a place the program sets is one they keep. Installed
/// on the application.
class DialogPlacement : public QObject {
public:
    explicit DialogPlacement(QObject *parent = nullptr);
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void place(QDialog *dialog);
    void recheck();

    static constexpr int CheckInterval = 20; ///< ms
    static constexpr int MaxChecks = 50;

    QMargins frame_;            ///< the largest the window manager put around a window
    QPointer<QDialog> pending_; ///< shown before any frame was known
    QTimer recheck_;
    int checks_ = 0;
};

} // namespace krumlix
