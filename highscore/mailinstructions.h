// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/appcontext.h"
#include "widgets/gamedialog.h"

#include <QGroupBox>
#include <QLabel>
#include <QPushButton>

#include <array>

namespace krumlix {

/// How to mail a high score to the maker.
class TForm8 : public GameDialog {
    Q_OBJECT
public:
    TForm8(AppContext &context, QWidget *parent);

    void FormActivate();
    void Button1Click() { close(); }

    QGroupBox *GroupBox1 = nullptr;
    std::array<QLabel *, 13> labels{}; ///< `Label1` .. `Label12` at [1..12]
    QPushButton *Button1 = nullptr;

protected:
    void showEvent(QShowEvent *event) override;

private:
    AppContext &context_;
};

} // namespace krumlix
