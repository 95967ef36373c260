// SPDX-License-Identifier: GPL-3.0-or-later
#include "appcontext.h"

#include "game/unit1.h"
#include "highscore/unit3.h"
#include "highscore/unit6.h"
#include "highscore/unit7.h"
#include "highscore/unit8.h"
#include "info/about.h"
#include "info/rules.h"
#include "settings/unit2.h"
#include "settings/unit9.h"
#include "sound/unit4.h"
#include "stats/unit5.h"

namespace krumlix {

TForm1 *createWindows(AppContext &context) {
    Windows &w = context.windows;
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
    return form1;
}

} // namespace krumlix
