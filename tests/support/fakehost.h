// SPDX-License-Identifier: GPL-3.0-or-later
// A game host that records what a run shows, for rule tests without windows.
#pragma once

#include "game/gamehost.h"
#include "settings/presetrates.h"

#include <QStringList>

#include <array>
#include <functional>
#include <vector>

namespace krumlix::test {

class FakeHost final : public GameHost {
public:
    void showClock(const QString &text) override { clocks << text; }
    void showScore(std::int32_t score) override { scores.push_back(score); }
    void showHitrate(float hitrate) override { hitrates.push_back(hitrate); }
    void setPromptVisible(bool visible) override { promptVisible = visible; }
    void showBonusLabel(const QString &text, int left) override {
        bonusText = text;
        bonusLeft = left;
        bonusVisible = true;
    }
    void hideBonusLabel() override { bonusVisible = false; }
    int selectedLevel() override { return level; }
    int rateSpinValue(int n) override {
        ++rateReads;
        return rates[static_cast<std::size_t>(n - 1)];
    }
    void PlayEventSound(SoundEvent event) override { sounds.push_back(event); }
    void fieldChanged() override { ++flushes; }
    void requestRepaint() override { ++repaints; }
    void showMenu() override {
        ++menus;
        if (onMenu)
            onMenu();
    }

    int level = 2;
    std::array<int, 12> rates = PresetRates[2];
    QStringList clocks;
    std::vector<std::int32_t> scores;
    std::vector<float> hitrates;
    std::vector<SoundEvent> sounds;
    bool promptVisible = true;
    bool bonusVisible = false;
    QString bonusText;
    int bonusLeft = 0;
    int rateReads = 0;
    int flushes = 0;
    int repaints = 0;
    int menus = 0;
    std::function<void()> onMenu;
};

} // namespace krumlix::test
