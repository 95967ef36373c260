// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "errors.h"
#include "platform.h"
#include "sharedstate.h"

#include <QPointer>

#include <functional>

namespace krumlix {

class TForm1;
class TAboutBox;
class TRegler;
class Tsetup;
class THighscore;
class TSound;
class TStats;
class TForm6;
class TForm7;
class TForm8;
class TForm9;

/// The eleven windows, created once in this order; they reach each other
/// through these pointers.
struct Windows {
    QPointer<TForm1> Form1;
    QPointer<TAboutBox> AboutBox;
    QPointer<TRegler> Regler;
    QPointer<Tsetup> setup;
    QPointer<THighscore> Highscore;
    QPointer<TSound> Sound;
    QPointer<TStats> Stats;
    QPointer<TForm6> Form6;
    QPointer<TForm7> Form7;
    QPointer<TForm8> Form8;
    QPointer<TForm9> Form9;
};

/// What every window is given: the shared variables, the platform, the
/// error handler and the other windows.
struct AppContext {
    SharedState &shared;
    Platform &platform;
    ErrorHandler &errors;
    Windows windows;
    /// Ends the program once the game window has closed.
    std::function<void()> endProgram;
};

} // namespace krumlix
