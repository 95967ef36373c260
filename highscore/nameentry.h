// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/appcontext.h"
#include "widgets/gamedialog.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <array>

namespace krumlix {

/// Congratulates a qualifying player and asks for a name.
class TForm6 : public GameDialog {
    Q_OBJECT
public:
    TForm6(AppContext &context, QWidget *parent);

    void FormActivate();
    void Button1Click() { close(); }

    QGroupBox *GroupBox1 = nullptr;
    std::array<QLabel *, 8> labels{}; ///< `Label1` .. `Label7` at [1..7]
    QLineEdit *Edit1 = nullptr;
    QPushButton *Button1 = nullptr;

protected:
    void showEvent(QShowEvent *event) override;

private:
    AppContext &context_;
};

} // namespace krumlix
