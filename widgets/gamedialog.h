// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDialog>
#include <QPointer>
#include <QPushButton>

namespace krumlix {

/// A secondary window of the game. It closes only through its own buttons
/// and its close box: Escape presses the cancel button where the window
/// names one and does nothing in every other window. Enter presses the
/// button that has the focus, or else the default button where the window
/// names one.
///
/// Buttons that are not the default are made with autoDefault off, so that
/// no button becomes the default by itself when the window opens.
class GameDialog : public QDialog {
    Q_OBJECT
public:
    using QDialog::QDialog;
    /// The button that Escape presses.
    void setCancelButton(QPushButton *button) { cancelButton_ = button; }

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    QPointer<QPushButton> cancelButton_;
};

} // namespace krumlix
