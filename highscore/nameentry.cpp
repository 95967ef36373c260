// SPDX-License-Identifier: GPL-3.0-or-later
#include "nameentry.h"

#include "platform/maker.h"
#include "sound/soundwindow.h"
#include "widgets/windowlook.h"

#include <QShowEvent>

namespace krumlix {

TForm6::TForm6(AppContext &context, QWidget *parent) : GameDialog(parent), context_(context) {
    setObjectName(QStringLiteral("Form6"));
    applyWindowLook(this, QStringLiteral("Krumlix - congratulations"), QSize(317, 286));
    GroupBox1 = new QGroupBox(QStringLiteral("Congratulations !!!"), this);
    GroupBox1->setGeometry(30, 20, 257, 237);
    const struct {
        int x, y;
        QString text;
    } texts[] = {
        {0, 0, {}},
        {49, 22, QStringLiteral("Your game qualified you for")},
        {106, 37, QStringLiteral("1. place")},
        {73, 52, QStringLiteral("on the highscore !!!")},
        {58, 83, QStringLiteral("Please enter your name:")},
        {68, 98, QStringLiteral("(14 characters max.)")},
        {31, 192, QStringLiteral("Remember to mail your highscore")},
        {46, 208, QStringLiteral("to ") + QLatin1String(MakerMailAddress) + QStringLiteral(" !!!")},
    };
    for (int i = 1; i <= 7; ++i) {
        labels[i] = new QLabel(texts[i].text, GroupBox1);
        labels[i]->setTextFormat(Qt::PlainText);
        labels[i]->move(texts[i].x, texts[i].y);
        labels[i]->adjustSize();
    }
    Edit1 = new QLineEdit(GroupBox1);
    Edit1->setGeometry(68, 121, 121, 21);
    Edit1->setMaxLength(14);
    QPalette edit = Edit1->palette();
    edit.setColor(QPalette::Base, Qt::white);
    edit.setColor(QPalette::Text, Qt::black);
    Edit1->setPalette(edit);
    Button1 = new QPushButton(QStringLiteral("Accept"), GroupBox1);
    Button1->setGeometry(91, 150, 75, 25);
    Button1->setDefault(true);
    QPalette button = Button1->palette();
    button.setColor(QPalette::ButtonText, QColor(128, 0, 0));
    button.setColor(QPalette::Button, QColor(224, 224, 224)); // maroon reads on light grey
    Button1->setPalette(button);
    connect(Button1, &QPushButton::clicked, this, &TForm6::Button1Click);
}

void TForm6::FormActivate() {
    const std::int32_t rank = context_.shared.NewEntryRank;
    const SoundEvent event = rank == 1   ? SoundEvent::Highscore1
                             : rank == 2 ? SoundEvent::Highscore2
                                         : SoundEvent::Highscore3to10;
    if (TSound *sound = context_.windows.Sound)
        sound->PlayEventSound(static_cast<int>(event) + 1);
    labels[2]->setText(QString::number(rank) + QStringLiteral(". place"));
    labels[2]->adjustSize();
}

void TForm6::showEvent(QShowEvent *event) {
    GameDialog::showEvent(event);
    // Restored after a minimise: the fanfare has been played already.
    if (event->spontaneous())
        return;
    FormActivate();
    Edit1->setFocus();
}

} // namespace krumlix
