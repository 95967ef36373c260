// SPDX-License-Identifier: GPL-3.0-or-later
#include "mailinstructions.h"

#include "platform/maker.h"
#include "widgets/windowlook.h"

#include <QShowEvent>

namespace krumlix {

TForm8::TForm8(AppContext &context, QWidget *parent) : GameDialog(parent), context_(context) {
    setObjectName(QStringLiteral("Form8"));
    applyWindowLook(this, QStringLiteral("Krumlix - mail highscore"), QSize(343, 314));
    GroupBox1 = new QGroupBox(this);
    GroupBox1->setGeometry(12, 8, 317, 257);
    const struct {
        int number, x, y;
        QString text;
        bool aqua;
    } texts[] = {
        {6, 40, 19, QStringLiteral("If you can beat any of the ten entries on the"), false},
        {7, 40, 34, QStringLiteral("highscore, you just HAVE to mail your high-"), false},
        {10, 40, 49,
         QStringLiteral("score to ") + QLatin1String(MakerWebAddress) +
             QStringLiteral(". Maybe you'll win"),
         false},
        {11, 91, 72, QLatin1String(MakerPrize) + QStringLiteral(" !!!"), false},
        {9, 42, 117, QStringLiteral("Your highscore-file is placed in the folder"), false},
        {1, 0, 134, QString(), true},
        {2, 86, 151, QStringLiteral("and is called"), false},
        {12, 160, 151, QStringLiteral("'tarvil.hig'."), true},
        {3, 42, 186, QStringLiteral("Attach the file to an e-mail and send it to"), false},
        {4, 92, 203, QLatin1String(MakerMailAddress), true},
        {5, 131, 230, QStringLiteral("DO IT !!!!"), false},
    };
    for (const auto &t : texts) {
        auto *label = new QLabel(t.text, GroupBox1);
        label->setTextFormat(Qt::PlainText); // the folder is shown as it is named
        label->move(t.x, t.y);
        label->adjustSize();
        if (t.aqua) {
            QPalette palette = label->palette();
            palette.setColor(QPalette::WindowText, HighlightColour);
            label->setPalette(palette);
        }
        labels[static_cast<std::size_t>(t.number)] = label;
    }
    Button1 = new QPushButton(QStringLiteral("OK"), this);
    Button1->setGeometry(134, 280, 75, 25);
    Button1->setDefault(true);
    connect(Button1, &QPushButton::clicked, this, &TForm8::Button1Click);
}

void TForm8::FormActivate() {
    QLabel *folder = labels[1];
    // As it is: on a file system that tells capitals apart, the folder in
    // lower case may not exist.
    folder->setText(context_.shared.ProgramDir);
    folder->adjustSize();
    folder->move(GroupBox1->width() / 2 - folder->width() / 2, folder->y());
}

void TForm8::showEvent(QShowEvent *event) {
    GameDialog::showEvent(event);
    if (event->spontaneous()) // restored after a minimise: left as it was
        return;
    FormActivate();
}

} // namespace krumlix
