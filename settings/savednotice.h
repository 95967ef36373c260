// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "widgets/gamedialog.h"

#include <QGroupBox>
#include <QLabel>
#include <QPushButton>

namespace krumlix {

/// The notice that the settings were saved.
class TForm9 : public GameDialog {
    Q_OBJECT
public:
    explicit TForm9(QWidget *parent);
    void Button1Click() { close(); }

    QGroupBox *GroupBox1 = nullptr;
    QLabel *Label1 = nullptr;
    QLabel *Label2 = nullptr;
    QPushButton *Button1 = nullptr;
};

} // namespace krumlix
