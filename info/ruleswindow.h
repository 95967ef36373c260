// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/appcontext.h"
#include "widgets/gamedialog.h"

#include <QLabel>
#include <QPushButton>
#include <QScrollArea>
#include <QTextEdit>

namespace krumlix {

/// The rules of the game, on a scrolled page with a picture of Tarvil's poses.
class TRegler : public GameDialog {
    Q_OBJECT
public:
    TRegler(AppContext &context, QWidget *parent);

    void FormActivate();

    QScrollArea *ScrollBox1 = nullptr;
    QTextEdit *Memo1 = nullptr;
    QLabel *Image1 = nullptr;
    QTextEdit *Memo2 = nullptr;
    QPushButton *OKButton = nullptr;

protected:
    void showEvent(QShowEvent *event) override;

private:
    void layOutPage();

    [[maybe_unused]] AppContext &context_;
};

} // namespace krumlix
