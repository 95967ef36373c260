// SPDX-License-Identifier: GPL-3.0-or-later
// A sound scheme "*.snd" from any bytes, loaded as the sound window's box
// loads it. One that loads whole is saved with "Save scheme as..." and
// loaded again: the same paths and enables come back.
#include "fuzzwindows.h"
#include "platform/textfile.h"
#include "sound/soundwindow.h"

using namespace krumlix;

namespace {

struct Scheme {
    std::array<QByteArray, SoundEventCount> paths;
    std::array<bool, SoundEventCount> enabled{};
    friend bool operator==(const Scheme &, const Scheme &) = default;
};

Scheme schemeOf(const TSound &sound) {
    Scheme scheme;
    for (int e = 1; e <= SoundEventCount; ++e) {
        scheme.paths[std::size_t(e - 1)] = sound.path(e);
        scheme.enabled[std::size_t(e - 1)] = sound.enableBox(e)->isChecked();
    }
    return scheme;
}

bool load(TSound &sound, const QString &name) {
    sound.ComboBox1->setEditText(name);
    try {
        sound.ComboBox1Change();
        return true;
    } catch (const KrumlixError &error) {
        KRUMLIX_REQUIRE(error.text().endsWith(QStringLiteral("' is not a valid integer value")));
        return false;
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    const QByteArray bytes = fuzz::input(data, size);
    test::GameWindows &w = fuzz::windows();
    TSound &sound = *w.context.windows.Sound;
    static const bool chooser = [&sound] {
        sound.SaveDialog1 = std::make_unique<test::ScriptedChooser>(QStringLiteral("resaved.snd"));
        return true;
    }();
    (void)chooser;

    fuzz::writeGameFile(QStringLiteral("fuzz.snd"), bytes);
    const bool whole = load(sound, QStringLiteral("fuzz.snd"));
    // The paths come first, verbatim, whatever follows them.
    const QList<QByteArray> lines = splitTextLines(bytes);
    for (int e = 1; e <= SoundEventCount; ++e)
        KRUMLIX_REQUIRE(sound.path(e) == lineAt(lines, e - 1));
    if (!whole)
        return 0;
    // Each name fits its label, or has been cut down to "..." and less.
    for (int e = 1; e <= SoundEventCount; ++e) {
        const QLabel *label = sound.nameLabel(e);
        KRUMLIX_REQUIRE(label->width() <= TSound::NameLabelMaxWidth || label->text().size() <= 3);
    }

    const Scheme loaded = schemeOf(sound);
    sound.Button13Click();
    KRUMLIX_REQUIRE(sound.ComboBox1->currentText() == QStringLiteral("resaved.snd"));
    for (int e = 1; e <= SoundEventCount; ++e) // the load must really happen again
        sound.enableBox(e)->setChecked(!sound.enableBox(e)->isChecked());
    KRUMLIX_REQUIRE(load(sound, QStringLiteral("resaved.snd")));
    KRUMLIX_REQUIRE(schemeOf(sound) == loaded);
    return 0;
}
