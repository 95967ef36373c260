// SPDX-License-Identifier: GPL-3.0-or-later
#include "settingsfile.h"

#include "difficultywindow.h"
#include "platform/textfile.h"
#include "sound/soundwindow.h"
#include "stats/statswindow.h"

#include <QDir>
#include <QFileInfo>

namespace krumlix {
namespace {

constexpr int LevelLine = 0;
constexpr int RatesLine = 1;      // 1..12, the spin edits
constexpr int UserRatesLine = 13; // 13..24
constexpr int SoundOnLine = 25;
constexpr int PathsLine = 26;   // 26..37
constexpr int EnablesLine = 38; // 38..49
constexpr int StatsFlagLine = 50;

QString settingsPath(const AppContext &context) {
    return QDir(context.shared.ProgramDir).filePath(QLatin1String(SettingsFileName));
}

QByteArray flag(bool on) {
    return on ? QByteArray("1") : QByteArray("0");
}

/// Lines 1..12 were not all read: the spin edits take the selected level's
/// rates, as a click on it gives them.
void fillRatesFromLevel(AppContext &context) {
    context.windows.setup->RadioGroup1Click();
}

} // namespace

void applySettingsFile(AppContext &context, int *applied) {
    int done = 0;
    // Counts every line applied, also when a later one raises.
    auto line = [&done, applied](auto &&apply) {
        apply();
        ++done;
        if (applied)
            *applied = done;
    };
    const QList<QByteArray> lines =
        readTextLines(settingsPath(context), QLatin1String(SettingsFileName));
    Tsetup &setup = *context.windows.setup;
    TSound &sound = *context.windows.Sound;
    auto number = [&lines](int index) { return toInteger(lineAt(lines, index)); };

    // A level above 5 selects "User defined"; one below 0 selects none.
    line([&] { setup.RadioGroup1->setItemIndex(std::min(number(LevelLine), std::int32_t{5})); });
    for (int n = 1; n <= 12; ++n)
        line([&] { setup.spinEdit(n)->setValue(number(RatesLine + n - 1)); });
    for (int n = 1; n <= 12; ++n)
        line([&] { context.shared.UserRates[n] = number(UserRatesLine + n - 1); });
    line([&] { sound.CheckBox1->setChecked(number(SoundOnLine) == 1); });
    for (int e = 1; e <= SoundEventCount; ++e)
        line([&] { sound.setPath(e, lineAt(lines, PathsLine + e - 1)); });
    for (int e = 1; e <= SoundEventCount; ++e)
        line([&] { sound.enableBox(e)->setChecked(number(EnablesLine + e - 1) != 0); });
    line([&] { context.windows.Stats->CheckBox1->setChecked(number(StatsFlagLine) != 0); });
}

bool loadSettingsAtStartUp(AppContext &context) {
    const bool existed = QFileInfo::exists(settingsPath(context));
    int applied = 0;
    try {
        applySettingsFile(context, &applied);
        return true;
    } catch (const KrumlixError &error) {
        context.errors.report(error);
    }
    // What the file gave stays; rates it did not give all of come from the
    // selected level, as a click on it fills them.
    if (applied <= 12)
        fillRatesFromLevel(context);
    if (!existed) {
        // A first start without a settings file: write the defaults, so that
        // the next start finds them. A damaged file is never overwritten.
        context.errors.guard([&context] { saveSettingsFile(context); });
    }
    return false;
}

QList<QByteArray> currentSettingsLines(AppContext &context) {
    Tsetup &setup = *context.windows.setup;
    TSound &sound = *context.windows.Sound;
    QList<QByteArray> lines;
    lines << QByteArray::number(setup.RadioGroup1->itemIndex());
    for (int n = 1; n <= 12; ++n)
        lines << QByteArray::number(setup.spinEdit(n)->value());
    for (int n = 1; n <= 12; ++n)
        lines << QByteArray::number(context.shared.UserRates[n]);
    lines << flag(sound.CheckBox1->isChecked());
    for (int e = 1; e <= SoundEventCount; ++e)
        lines << sound.path(e);
    for (int e = 1; e <= SoundEventCount; ++e)
        lines << flag(sound.enableBox(e)->isChecked());
    lines << flag(context.windows.Stats->CheckBox1->isChecked());
    return lines;
}

void saveSettingsFile(AppContext &context) {
    writeTextLines(settingsPath(context), currentSettingsLines(context));
}

void saveStatsFlag(AppContext &context, bool checked) {
    QList<QByteArray> lines = readTextLines(settingsPath(context), QLatin1String(SettingsFileName));
    // A short file gets empty lines up to the flag; lines after it are dropped.
    lines.resize(SettingsLineCount);
    lines[StatsFlagLine] = flag(checked);
    writeTextLines(settingsPath(context), lines);
}

} // namespace krumlix
