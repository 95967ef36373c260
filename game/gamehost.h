// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "sound/soundevent.h"

#include <QString>

#include <cstdint>

namespace krumlix {

/// What a run needs from the windows around it: the readouts and labels of
/// the game window, the level and rates of the difficulty window, the sounds,
/// and the menu. The game window implements it; rule tests use a double.
class GameHost {
public:
    virtual ~GameHost() = default;

    virtual void showClock(const QString &text) = 0; ///< `Label1`
    virtual void showScore(std::int32_t score) = 0;  ///< `Label2`
    virtual void showHitrate(float hitrate) = 0;     ///< `Label35`
    virtual void setPromptVisible(bool visible) = 0; ///< `Label53`
    /// `Label56`: shows `text` with its left edge at `left`.
    virtual void showBonusLabel(const QString &text, int left) = 0;
    virtual void hideBonusLabel() = 0;

    /// The level selected in the difficulty window, 0..5.
    virtual int selectedLevel() = 0;
    /// The value of the difficulty window's rate spin edit `n` (1..12).
    virtual int rateSpinValue(int n) = 0;

    /// Plays an event's sound when sound is on and the event enabled.
    virtual void PlayEventSound(SoundEvent event) = 0;

    /// Shows the field drawn so far on the screen.
    virtual void fieldChanged() = 0;
    /// The window repaints soon, outside the current handler.
    virtual void requestRepaint() = 0;
    /// Shows the menu window modally and returns when it has closed.
    virtual void showMenu() = 0;
};

} // namespace krumlix
