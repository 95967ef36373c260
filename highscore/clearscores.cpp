// SPDX-License-Identifier: GPL-3.0-or-later
#include "clearscores.h"

#include "highscorefile.h"
#include "widgets/windowlook.h"

#include <QGuiApplication>
#include <QShowEvent>

namespace krumlix {

TForm7::TForm7(AppContext &context, QWidget *parent) : GameDialog(parent), context_(context) {
    setObjectName(QStringLiteral("Form7"));
    applyWindowLook(this, QStringLiteral("Krumlix - clear scores"), QSize(285, 192));
    GroupBox1 = new QGroupBox(this);
    GroupBox1->setGeometry(22, 16, 240, 153);
    auto label = [this](const QString &text, int x, int y) {
        auto *l = new QLabel(text, GroupBox1);
        l->move(x, y);
        l->adjustSize();
        return l;
    };
    Label1 = label(QStringLiteral("You are about to clear your highscore."), 11, 30);
    Label2 = label(QStringLiteral("Are you absolutely SURE "), 46, 62);
    Label3 = label(QStringLiteral("this is what you want to do ?"), 38, 78);
    Button1 = new QPushButton(QStringLiteral("Yes"), GroupBox1);
    Button1->setGeometry(35, 106, 75, 25);
    Button2 = new QPushButton(QStringLiteral("No"), GroupBox1);
    Button2->setGeometry(131, 106, 75, 25);
    // Escape answers "No". There is no default button: Enter presses the
    // button that has the focus.
    for (QPushButton *button : {Button1, Button2})
        button->setAutoDefault(false);
    setCancelButton(Button2);
    connect(Button1, &QPushButton::clicked, this,
            [this] { context_.errors.guard([this] { Button1Click(); }); });
    connect(Button2, &QPushButton::clicked, this, &TForm7::Button2Click);
}

void TForm7::showEvent(QShowEvent *event) {
    GameDialog::showEvent(event);
    if (event->spontaneous()) // restored after a minimise: left as it was
        return;
    // "No" has the focus, so an Enter right away clears nothing.
    Button2->setFocus();
}

void TForm7::Button1Click() {
    struct BusyCursor {
        BusyCursor() { QGuiApplication::setOverrideCursor(Qt::WaitCursor); }
        ~BusyCursor() { QGuiApplication::restoreOverrideCursor(); }
    } busy;
    writeClearedHighScores(context_.shared);
    accept();
    LoadHighScores(context_.shared);
    context_.shared.NewEntryRank = LatestGameEntry;
    emit scoresCleared();
}

} // namespace krumlix
