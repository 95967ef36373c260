// SPDX-License-Identifier: GPL-3.0-or-later
#include "tickwork.h"

#include "game/gamerun.h"
#include "game/lanes.h"
#include "game/runclock.h"
#include "platform/systemplatform.h"
#include "widgets/numberformat.h"

#include <algorithm>
#include <chrono>
#include <numeric>

namespace krumlix::bench {
namespace {

/// The windows around the run, doing nothing: only the tick is measured.
class QuietHost final : public GameHost {
public:
    void showClock(const QString &) override {}
    void showScore(std::int32_t) override {}
    void showHitrate(float) override {}
    void setPromptVisible(bool) override {}
    void showBonusLabel(const QString &, int) override {}
    void hideBonusLabel() override {}
    int selectedLevel() override { return 2; }
    int rateSpinValue(int) override { return 999; }
    void PlayEventSound(SoundEvent) override {}
    void fieldChanged() override {}
    void requestRepaint() override {}
    void showMenu() override {}
};

/// Every slot flying, spread along its lane, so that each tick moves and
/// draws forty animals and no lane has a free slot to let one in.
void fillTheSky(GameRun &game) {
    for (Group g : AllGroups) {
        SlotGroup &flock = game.group(g);
        const bool elephant = isElephant(g);
        const bool fromLeft = lane(g).step > 0;
        const int gap = elephant ? 55 : 24;
        const int first = elephant ? 30 : 12;
        for (int i = 1; i <= SlotsPerGroup; ++i) {
            const int along = first + gap * (i - 1);
            flock.state[i] = 1;
            flock.x[i] = fromLeft ? along : lane(g).entryX - along;
        }
    }
}

} // namespace

Summary summarise(std::vector<double> values) {
    Summary s;
    if (values.empty())
        return s;
    std::sort(values.begin(), values.end());
    s.median = values[values.size() / 2];
    s.mean = std::accumulate(values.begin(), values.end(), 0.0) / double(values.size());
    s.p99 = values[std::min(values.size() - 1, values.size() * 99 / 100)];
    s.max = values.back();
    return s;
}

TickWork measureTickWork(int ticks, qreal ratio) {
    SharedState shared;
    SystemPlatform system;
    QuietHost host;
    SpriteSheet sprites(ratio);
    Field field(sprites);
    GameRun game(shared, system.platform(), field, host);

    shared.GameState = GamePhase::Running;
    shared.BonusLevel = 3;
    shared.ShotCount = 57;
    shared.MissCount = 4;
    shared.Hitrate = 93.0f;
    for (auto &period : shared.AnimalRates)
        period = {0, 999, 999, 999, 999};
    game.PeriodIndex = 0;
    field.clear();
    game.drawStillScene();

    using Clock = std::chrono::steady_clock;
    TickWork work;
    work.micros.reserve(static_cast<std::size_t>(ticks));
    const int warmUp = 200;
    for (int t = 0; t < warmUp + ticks; ++t) {
        fillTheSky(game); // outside the measured work: the animals stay in the field
        game.ClockSeconds = 179 - (t / 20) % 179;
        shared.RunScore = 300 - t % 600;

        const auto start = Clock::now();
        game.AnimalStep();
        const QString clock = clockText(game.ClockSeconds);
        const QString score = QString::number(shared.RunScore);
        if (shared.ShotCount > 0)
            shared.Hitrate =
                static_cast<float>(static_cast<double>(shared.ShotCount - shared.MissCount) /
                                   shared.ShotCount * 100.0);
        const QString hitrate = fixed2(static_cast<double>(shared.Hitrate));
        const auto end = Clock::now();

        work.readoutChars += clock.size() + score.size() + hitrate.size();
        if (t >= warmUp)
            work.micros.push_back(std::chrono::duration<double, std::micro>(end - start).count());
    }
    return work;
}

} // namespace krumlix::bench
