// SPDX-License-Identifier: GPL-3.0-or-later
#include "difficultywindow.h"

#include "presetrates.h"
#include "widgets/windowlook.h"

namespace krumlix {
namespace {

constexpr const char *ElephantCaptions[6] = {
    "Elephants 3:00 - 2:30 :", "Elephants 2:30 - 2:00 :", "Elephants 2:00 - 1:30 :",
    "Elephants 1:30 - 1:00 :", "Elephants 1:00 - 0:30 :", "Elephants 0:30 - 0:00 :"};
constexpr const char *BeeCaptions[6] = {
    "Bees 3:00 - 2:30 :", "Bees 2:30 - 2:00 :", "Bees 2:00 - 1:30 :",
    "Bees 1:30 - 1:00 :", "Bees 1:00 - 0:30 :", "Bees 0:30 - 0:00 :"};

} // namespace

Tsetup::Tsetup(AppContext &context, QWidget *parent) : GameDialog(parent), context_(context) {
    setObjectName(QStringLiteral("setup"));
    applyWindowLook(this, QStringLiteral("Krumlix - choose level"), QSize(505, 231));

    RadioGroup1 = new RadioGroup(QStringLiteral("Difficulty level"),
                                 {QStringLiteral("1. Beginner"), QStringLiteral("2. Experienced"),
                                  QStringLiteral("3. Champion"), QStringLiteral("4. God"),
                                  QStringLiteral("5. Tarvil"), QStringLiteral("User defined")},
                                 this);
    RadioGroup1->setGeometry(6, 13, 115, 172);
    // Before the settings are read: "4. God" selected, every rate 999 and
    // locked, without the level's rates filled in.
    RadioGroup1->setItemIndex(3);
    RadioGroup1->onClick = [this] { RadioGroup1Click(); };

    GroupBox1 = new QGroupBox(QStringLiteral("Animal rates"), this);
    GroupBox1->setGeometry(126, 13, 371, 172);
    for (int k = 0; k < 6; ++k) {
        labels[k] = new QLabel(QString::fromLatin1(ElephantCaptions[k]), GroupBox1);
        labels[k]->move(10, 23 + 24 * k);
        labels[k + 6] = new QLabel(QString::fromLatin1(BeeCaptions[k]), GroupBox1);
        labels[k + 6]->move(202, 23 + 24 * k);
    }
    for (QLabel *label : labels)
        label->adjustSize();
    for (int n = 1; n <= RateCount; ++n) {
        auto *spin = new SpinEdit(GroupBox1);
        spin->setObjectName(QStringLiteral("SpinEdit%1").arg(n));
        spin->setRange(0, 999);
        spin->setSingleStep(1);
        spin->setValue(999);
        spin->setEnabled(false);
        const int k = (n - 1) % 6;
        spin->setGeometry(n <= 6 ? 145 : 313, 19 + 24 * k, 48, 22);
        connect(spin, &QSpinBox::valueChanged, this, [this, n] { SpinEditChange(n); });
        spinEdits_[static_cast<std::size_t>(n - 1)] = spin;
    }

    Button1 = new QPushButton(QStringLiteral("OK"), this);
    Button1->setGeometry(27, 197, 75, 25);
    Button1->setDefault(true);
    connect(Button1, &QPushButton::clicked, this, &Tsetup::Button1Click);
}

void Tsetup::RadioGroup1Click() {
    const int level = RadioGroup1->itemIndex();
    const bool user = level == UserDefinedLevel;
    for (SpinEdit *spin : spinEdits_)
        spin->setEnabled(user);
    for (int n = 1; n <= RateCount; ++n) {
        if (level >= 0 && level < PresetLevelCount)
            spinEdit(n)->setValue(PresetRates[level][n - 1]);
        else if (user)
            spinEdit(n)->setValue(context_.shared.UserRates[n]);
    }
}

void Tsetup::SpinEditChange(int n) {
    if (RadioGroup1->itemIndex() == UserDefinedLevel)
        context_.shared.UserRates[n] = spinEdit(n)->value();
}

void Tsetup::Button1Click() {
    // OK takes the focus first, so a rate still being typed is settled.
    Button1->setFocus();
    for (SpinEdit *spin : spinEdits_)
        spin->settle();
    SharedState &s = context_.shared;
    s.DifficultyLevel = RadioGroup1->itemIndex();
    for (int p = 0; p < 6; ++p) {
        const int elephants = spinEdit(p + 1)->value();
        const int bees = spinEdit(p + 7)->value();
        s.AnimalRates[p] = {s.AnimalRates[p][0], elephants, elephants, bees, bees};
    }
    emit levelChosen(s.DifficultyLevel);
    close();
}

} // namespace krumlix
