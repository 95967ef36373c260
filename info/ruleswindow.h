// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/appcontext.h"

#include <QDialog>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollArea>

namespace krumlix {

/// The rules of the game, on a scrolled page with a picture of Tarvil's poses.
class TRegler : public QDialog {
    Q_OBJECT
public:
    TRegler(AppContext &context, QWidget *parent);

    void FormActivate();

    QScrollArea *ScrollBox1 = nullptr;
    QPlainTextEdit *Memo1 = nullptr;
    QLabel *Image1 = nullptr;
    QPlainTextEdit *Memo2 = nullptr;
    QPushButton *OKButton = nullptr;

protected:
    void showEvent(QShowEvent *event) override;

private:
    [[maybe_unused]] AppContext &context_;
};

} // namespace krumlix
