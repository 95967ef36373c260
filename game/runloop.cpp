// SPDX-License-Identifier: GPL-3.0-or-later
// The run from its start to the after-run screen: initialisation, the tick
// loop with its clock, the end of the run and the bonus count-up.
#include "gamerun.h"

#include "runclock.h"

namespace krumlix {
namespace {

constexpr std::uint32_t TickMilliseconds = 50;

struct BonusGrade {
    std::int32_t points;
    SoundEvent sound;
    const char *label;
    int labelLeft;
};

constexpr std::array<BonusGrade, 4> BonusGrades{{
    {0, SoundEvent::TarvilFinish, nullptr, 0},
    {100, SoundEvent::DygtigBonus, "Tarvil was: Dygtig  +100 points", 132},
    {200, SoundEvent::HardcoreBonus, "Tarvil was: Hardcore  +200 points", 115},
    {300, SoundEvent::UltraHardcoreBonus, "Tarvil was: Ultra-Hardcore  +300 points", 83},
}};

} // namespace

QString clockText(std::int32_t seconds) {
    // A tick that comes more than a second late could end the run below
    // zero; the clock never shows less than 0:00.
    if (seconds < 0)
        seconds = 0;
    const std::int32_t secs = seconds % 60;
    return QString::number(seconds / 60) + QLatin1Char(':') +
           (secs < 10 ? QStringLiteral("0") : QString()) + QString::number(secs);
}

GameRun::GameRun(SharedState &shared, Platform &platform, Field &field, GameHost &host)
    : s_(shared), platform_(platform), field_(field), host_(host) {}

void GameRun::initialiseRun() {
    BonusCounting = Flag::Lowered;
    BonusDone = Flag::Lowered;
    s_.CloseMode = CloseModes::RunStarted;
    for (SlotGroup &g : animals)
        g.state.fill(0);

    s_.BonusLevel = 3;
    AimPosition = 4;
    AnimPhase = 1;
    StopFlag = Flag::Lowered;
    TorchTick = 0;
    ShotTicks = 0;
    ShotShownAim = 0;
    LastShotAim = AimPosition;
    s_.RunScore = 0;
    s_.OptimalScore = 0;
    s_.Hitrate = 0.0f;
    s_.ShotCount = s_.MissCount = s_.ElephantCount = s_.BeeCount = 0;
    s_.Elephant7Count = s_.Elephant5Count = s_.Elephant3Count = s_.Elephant2Count = 0;
    s_.Elephant0Count = s_.ElephantEscapeCount = s_.BeeHitCount = 0;
    s_.PeriodScore.fill(0);
    PeriodsPassed = -1;
    // PeriodIndex keeps its value from the last run; the rates of -1 keep
    // every animal out until the clock shows 3:00.

    s_.DifficultyLevel = host_.selectedLevel();
    for (auto &period : s_.AnimalRates)
        period.fill(-1);

    group(Group::RightwardElephant).x.fill(RightwardElephantStartX);
    group(Group::LeftwardElephant).x.fill(LeftwardElephantStartX);
    group(Group::RightwardBee).x.fill(RightwardBeeStartX);
    group(Group::LeftwardBee).x.fill(LeftwardBeeStartX);

    field_.clear();
    field_.draw(Sprite::fakkel, TorchLeftX, TorchY);
    field_.draw(Sprite::fakkel, TorchRightX, TorchY);
    field_.draw(Sprite::ild1, FlameLeftX, FlameY);
    field_.draw(Sprite::ild2, FlameRightX, FlameY);
    field_.draw(Sprite::jord, 0, GroundY);
    field_.draw(Sprite::pos4, HeroStillX, HeroStillY);
    host_.fieldChanged();

    host_.setPromptVisible(false);
    host_.hideBonusLabel();
    s_.GameState = GamePhase::Running;
    RunStartTime = platform_.counter.now();
}

void GameRun::StartRun() {
    playing_ = true;
    ticks_ = 0;
    ++runs_;
    initialiseRun();
    for (;;) {
        TickStartTime = platform_.counter.now();
        ClockSeconds = clockSeconds(platform_.counter.now() - RunStartTime);
        if (ClockSeconds == 180 || (ClockSeconds < 180 && PeriodsPassed < 0)) {
            // Repeated on every tick of 3:00, so the rates are those of the
            // difficulty window as the animals start; a run whose ticks
            // stalled across 3:00 loads them on its first tick after it.
            for (int p = 0; p < 6; ++p) {
                const int elephants = host_.rateSpinValue(p + 1);
                const int bees = host_.rateSpinValue(p + 7);
                s_.AnimalRates[p] = {0, elephants, elephants, bees, bees};
            }
        }
        AnimalStep();
        ++ticks_;
        ClockText = clockText(ClockSeconds);
        if (s_.ShotCount > 0)
            s_.Hitrate = static_cast<float>(static_cast<double>(s_.ShotCount - s_.MissCount) /
                                            s_.ShotCount * 100.0);
        if (ClockSeconds <= 0)
            break;
        if (StopFlag == Flag::Raised) {
            s_.BonusLevel = 0;
            break;
        }
        host_.showClock(ClockText);
        host_.showScore(s_.RunScore);
        host_.showHitrate(s_.Hitrate);
        host_.fieldChanged();
        platform_.waiter.waitSince(TickStartTime, TickMilliseconds);
    }
    endRun();
    playing_ = false;
}

void GameRun::settleBonus() {
    if (s_.DifficultyLevel < 2)
        s_.BonusLevel = 0;
    if (s_.BonusLevel == 3 && !(s_.Hitrate >= 95.0f))
        s_.BonusLevel = 2;
    if (s_.BonusLevel == 2 && !(s_.Hitrate >= 93.0f))
        s_.BonusLevel = 1;
    if (s_.BonusLevel == 1 && !(s_.Hitrate >= 91.0f))
        s_.BonusLevel = 0;
}

void GameRun::completePeriodScores() {
    auto &ps = s_.PeriodScore;
    auto sumUpTo = [&ps](int last) {
        std::int32_t sum = 0;
        for (int i = 1; i <= last; ++i)
            sum += ps[i];
        return sum;
    };
    if (StopFlag == Flag::Lowered)
        ps[6] = s_.RunScore - sumUpTo(5);
    // A run that ended early gives the points since the last recorded
    // period to the first period still at 0.
    for (int i = 1; i <= 6; ++i) {
        if (sumUpTo(6) != s_.RunScore && ps[i] == 0)
            ps[i] = s_.RunScore - sumUpTo(i - 1);
    }
}

void GameRun::endRun() {
    host_.fieldChanged();
    settleBonus();
    const BonusGrade &grade = BonusGrades[static_cast<std::size_t>(s_.BonusLevel)];
    host_.PlayEventSound(StopFlag == Flag::Raised ? SoundEvent::TarvilDie : grade.sound);
    completePeriodScores();

    host_.showClock(ClockText);
    host_.showScore(s_.RunScore);

    s_.OptimalScore += s_.BonusLevel * 100;
    s_.RunScore += s_.BonusLevel * 100;

    s_.GameState = GamePhase::AfterRun;
    BonusCounting = Flag::Lowered;
    BonusDone = s_.BonusLevel < 1 ? Flag::Raised : Flag::Lowered;
    host_.setPromptVisible(true);
    if (s_.BonusLevel >= 1)
        host_.showBonusLabel(QString::fromLatin1(grade.label), grade.labelLeft);
    // The labels changed, so the window repaints, which cleans up the field.
    host_.requestRepaint();
}

void GameRun::BonusCountUp() {
    BonusCounting = Flag::Raised;
    const std::int32_t n = s_.BonusLevel * 100;
    std::int32_t v = s_.RunScore - n;
    for (std::int32_t i = 0; i < n; ++i) {
        TickStartTime = platform_.counter.now();
        ++v;
        host_.showScore(v);
        if (StopFlag == Flag::Raised)
            break;
        platform_.waiter.waitSince(TickStartTime, TickMilliseconds);
    }
    host_.showScore(s_.RunScore);
    BonusCounting = Flag::Lowered;
    BonusDone = Flag::Raised;
    host_.hideBonusLabel();
}

void GameRun::drawStillScene() {
    field_.draw(Sprite::fakkel, TorchLeftX, TorchY);
    field_.draw(Sprite::fakkel, TorchRightX, TorchY);
    field_.draw(Sprite::jord, 0, GroundY);
    field_.draw(Sprite::pos4, HeroStillX, HeroStillY);
}

void GameRun::CleanUp() {
    field_.clear();
    drawStillScene();
    // The prompt is a label of its own over the field, so it stays visible.
    host_.fieldChanged();
}

void GameRun::FormPaint() {
    if (playing_)
        return;
    if (s_.GameState == GamePhase::AfterRun)
        CleanUp();
    else if (s_.GameState == GamePhase::RunRequested)
        StartRun();
}

bool GameRun::FormCloseQuery() {
    if (s_.CloseMode == CloseModes::RunStarted) {
        StopFlag = Flag::Raised;
        return false;
    }
    return true;
}

} // namespace krumlix
