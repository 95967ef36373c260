// SPDX-License-Identifier: GPL-3.0-or-later
#include "savednotice.h"

#include "widgets/windowlook.h"

namespace krumlix {

TForm9::TForm9(QWidget *parent) : GameDialog(parent) {
    setObjectName(QStringLiteral("Form9"));
    applyWindowLook(this, QStringLiteral("Krumlix"), QSize(194, 117));
    GroupBox1 = new QGroupBox(this);
    GroupBox1->setGeometry(16, 8, 161, 57);
    Label1 = new QLabel(QStringLiteral("Level & Sound"), GroupBox1);
    Label1->move(39, 16);
    Label2 = new QLabel(QStringLiteral("settings saved."), GroupBox1);
    Label2->move(38, 32);
    for (QLabel *label : {Label1, Label2})
        label->adjustSize();
    Button1 = new QPushButton(QStringLiteral("OK"), this);
    Button1->setGeometry(59, 80, 75, 25);
    Button1->setDefault(true);
    connect(Button1, &QPushButton::clicked, this, &TForm9::Button1Click);
}

} // namespace krumlix
