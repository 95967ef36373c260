// SPDX-License-Identifier: GPL-3.0-or-later
#include "windows.h"

#include "game/gamewindow.h"
#include "highscore/clearscores.h"
#include "highscore/mailinstructions.h"
#include "highscore/menuwindow.h"
#include "highscore/nameentry.h"
#include "info/aboutwindow.h"
#include "info/ruleswindow.h"
#include "settings/difficultywindow.h"
#include "settings/savednotice.h"
#include "sound/soundwindow.h"
#include "stats/statswindow.h"
#include "widgets/picture.h"

#include <QGuiApplication>

namespace krumlix {

TForm1 *createWindows(AppContext &context) {
    Windows &w = context.windows;
    // Every window, message boxes too, carries the icon at each size.
    QGuiApplication::setWindowIcon(gameIcon());
    auto *form1 = new TForm1(context);
    w.Form1 = form1;
    w.AboutBox = new TAboutBox(context, form1);
    w.Regler = new TRegler(context, form1);
    w.setup = new Tsetup(context, form1);
    w.Highscore = new THighscore(context, form1);
    w.Sound = new TSound(context, form1);
    w.Stats = new TStats(context, form1);
    w.Form6 = new TForm6(context, form1);
    w.Form7 = new TForm7(context, form1);
    w.Form8 = new TForm8(context, form1);
    w.Form9 = new TForm9(form1);
    // The lower windows report; the menu that opened them acts on it.
    QObject::connect(w.setup, &Tsetup::levelChosen, w.Highscore, &THighscore::showLevelBadge);
    QObject::connect(w.Form7, &TForm7::scoresCleared, w.Highscore, &THighscore::Button10Click);
    // The menu acts on the game window through it, too.
    QObject::connect(w.Highscore, &THighscore::shown, form1, &TForm1::FormPaint);
    QObject::connect(w.Highscore, &THighscore::runRequested, form1, [form1] {
        form1->raise();
        form1->activateWindow();
    });
    QObject::connect(w.Highscore, &THighscore::quitRequested, form1, &QWidget::close);
    return form1;
}

} // namespace krumlix
