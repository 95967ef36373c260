// SPDX-License-Identifier: GPL-3.0-or-later
#include "unit3.h"

#include "app/windowlook.h"
#include "game/unit1.h"
#include "settings/settingsfile.h"
#include "settings/unit2.h"
#include "settings/unit9.h"

#include <QCloseEvent>
#include <QKeyEvent>

namespace krumlix {
namespace {

constexpr const char *BadgeTexts[6] = {"(1)", "(2)", "(3)", "(4)", "(5)", "(u)"};

} // namespace

THighscore::THighscore(AppContext &context, QWidget *parent) : QDialog(parent), context_(context) {
    setObjectName(QStringLiteral("Highscore"));
    applyWindowLook(this, QStringLiteral("Welcome to Krumlix"), QSize(575, 373));
    context_.shared.CloseMode = 0;

    auto button = [this](const QString &caption, int top) {
        auto *b = new QPushButton(caption, this);
        b->setGeometry(20, top, 120, 25);
        b->setAutoDefault(false);
        b->setFocusPolicy(Qt::NoFocus);
        return b;
    };
    Button1 = button(QStringLiteral("Begin new Game"), 127);
    Button3 = button(QStringLiteral("Game difficulty"), 228);
    Button8 = button(QStringLiteral("Save settings"), 262);
    Button6 = button(QStringLiteral("Quit"), 331);
    connect(Button1, &QPushButton::clicked, this, &THighscore::Button1Click);
    connect(Button3, &QPushButton::clicked, this, &THighscore::Button3Click);
    connect(Button6, &QPushButton::clicked, this, &THighscore::Button6Click);
    connect(Button8, &QPushButton::clicked, this,
            [this] { context_.errors.guard([this] { Button8Click(); }); });

    for (int level = 0; level < 6; ++level) {
        auto *badge = new QLabel(QString::fromLatin1(BadgeTexts[level]), this);
        badge->setObjectName(QStringLiteral("Image%1").arg(level == 0 ? 13 : 14 + level));
        badge->setGeometry(150, 228, 30, 20);
        badge->hide();
        levelBadges[static_cast<std::size_t>(level)] = badge;
    }
}

void THighscore::showLevelBadge(int level) {
    for (QLabel *badge : levelBadges)
        badge->hide();
    if (level >= 0 && level < 6)
        levelBadges[static_cast<std::size_t>(level)]->show();
}

void THighscore::Button1Click() {
    SharedState &s = context_.shared;
    s.CloseMode = 1;
    s.GameState = 4;
    done(QDialog::Accepted);
    GameStarted = 1;
    if (TForm1 *game = context_.windows.Form1) {
        game->raise();
        game->activateWindow();
    }
}

void THighscore::Button3Click() {
    QPointer<Tsetup> setup = context_.windows.setup;
    if (setup)
        setup->exec();
}

void THighscore::Button6Click() {
    context_.shared.CloseMode = 2;
    if (TForm1 *game = context_.windows.Form1)
        game->close();
}

void THighscore::Button8Click() {
    saveSettingsFile(context_);
    QPointer<TForm9> notice = context_.windows.Form9;
    if (notice)
        notice->exec();
}

void THighscore::FormShow() {
    if (TForm1 *game = context_.windows.Form1)
        game->FormPaint();
}

void THighscore::FormActivate() {
    context_.shared.CloseMode = 2;
    if (Tsetup *setup = context_.windows.setup) {
        context_.shared.DifficultyLevel = setup->RadioGroup1->itemIndex();
        showLevelBadge(context_.shared.DifficultyLevel);
    }
}

void THighscore::showEvent(QShowEvent *event) {
    QDialog::showEvent(event);
    FormShow();
    FormActivate();
}

void THighscore::closeEvent(QCloseEvent *event) {
    switch (context_.shared.CloseMode) {
    case 0: event->ignore(); return;
    case 2:
        // The menu is in charge: closing it ends the program.
        if (TForm1 *game = context_.windows.Form1)
            game->close();
        break;
    default: break;
    }
    QDialog::closeEvent(event);
}

void THighscore::keyPressEvent(QKeyEvent *event) {
    // Any key that types a character starts a game, Enter and Escape
    // included; nothing else (arrows, shift) does.
    const bool character = !event->text().isEmpty() && event->text().at(0) != QChar(0x7f) &&
                           !(event->modifiers() & (Qt::ControlModifier | Qt::AltModifier));
    if (character || event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter ||
        event->key() == Qt::Key_Escape) {
        Button1Click();
        return;
    }
    QDialog::keyPressEvent(event);
}

} // namespace krumlix
