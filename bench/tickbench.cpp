// SPDX-License-Identifier: GPL-3.0-or-later
// The work of one tick with a full sky: AnimalStep with all forty slots in
// flight, drawn into a real field image, and the three readouts formatted as
// the game window shows them. Prints the median, mean and 99th percentile.
//
//   krumlix_tickbench [ticks] [device pixel ratio]
#include "app/numberformat.h"
#include "app/systemplatform.h"
#include "game/gamerun.h"
#include "game/lanes.h"
#include "game/runclock.h"

#include <QGuiApplication>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <numeric>
#include <vector>

using namespace krumlix;

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

int main(int argc, char *argv[]) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const int ticks = argc > 1 ? std::max(2000, std::atoi(argv[1])) : 5000;
    const qreal ratio = argc > 2 ? std::atof(argv[2]) : 1.0;

    SharedState shared;
    SystemPlatform system;
    QuietHost host;
    SpriteSheet sprites(ratio);
    Field field(sprites);
    GameRun game(shared, system.platform(), field, host);

    shared.GameState = 1;
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
    std::vector<double> micros;
    micros.reserve(static_cast<std::size_t>(ticks));
    qsizetype shown = 0;
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
            shared.Hitrate = static_cast<float>(
                static_cast<double>(shared.ShotCount - shared.MissCount) / shared.ShotCount * 100.0);
        const QString hitrate = fixed2(static_cast<double>(shared.Hitrate));
        const auto end = Clock::now();

        shown += clock.size() + score.size() + hitrate.size();
        if (t >= warmUp)
            micros.push_back(std::chrono::duration<double, std::micro>(end - start).count());
    }

    std::vector<double> sorted = micros;
    std::sort(sorted.begin(), sorted.end());
    const double median = sorted[sorted.size() / 2];
    const double mean = std::accumulate(sorted.begin(), sorted.end(), 0.0) / double(sorted.size());
    const double p99 = sorted[std::min(sorted.size() - 1, sorted.size() * 99 / 100)];
    std::printf("ticks=%d animals=40 ratio=%.0f readout_chars=%lld\n", ticks, ratio,
                static_cast<long long>(shown));
    std::printf("tick_work_us=%.1f\n", median);
    std::printf("tick_work_mean_us=%.1f\n", mean);
    std::printf("tick_work_p99_us=%.1f\n", p99);
    return 0;
}
