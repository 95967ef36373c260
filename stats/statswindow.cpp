// SPDX-License-Identifier: GPL-3.0-or-later
#include "statswindow.h"

#include "highscore/highscorefile.h"
#include "highscore/qualification.h"
#include "settings/settingsfile.h"
#include "widgets/clickwatch.h"
#include "widgets/controls.h"
#include "widgets/numberformat.h"
#include "widgets/windowlook.h"

#include <QEvent>
#include <QShowEvent>

namespace krumlix {
namespace {

constexpr const char *LevelTexts[6] = {"Game level: Beginner", "Game level: Experienced",
                                       "Game level: Champion", "Game level: God",
                                       "Game level: Tarvil",   "Game level: User defined"};

} // namespace

TStats::TStats(AppContext &context, QWidget *parent) : GameDialog(parent), context_(context) {
    setObjectName(QStringLiteral("Stats"));
    applyWindowLook(this, QStringLiteral("Krumlix - game stats"), QSize(396, 348));
    auto group = [this](const QString &caption, const QRect &geometry) {
        auto *box = new QGroupBox(caption, this);
        box->setGeometry(geometry);
        return box;
    };
    GroupBox4 = group(QStringLiteral("View stats for"), QRect(9, 9, 184, 88));
    GroupBox3 = group(QStringLiteral("Shooting stats"), QRect(201, 9, 184, 88));
    GroupBox2 = group(QStringLiteral("Points stats"), QRect(9, 100, 184, 237));
    GroupBox1 = group(QStringLiteral("Animal stats"), QRect(201, 100, 184, 209));

    addLabel(53, GroupBox4, 20, 20, QString(), true);
    addLabel(50, GroupBox4, 44, 20);
    addLabel(52, GroupBox4, 20, 36);
    TrackBar1 = new TrackBar(GroupBox4);
    TrackBar1->setGeometry(12, 55, 160, 25);
    TrackBar1->setRange(0, 10);
    TrackBar1->setSingleStep(1);
    TrackBar1->setPageStep(2);
    TrackBar1->setTickPosition(QSlider::TicksBelow);
    TrackBar1->setTickInterval(1);
    connect(TrackBar1, &QSlider::valueChanged, this, &TStats::TrackBar1Change);

    // Row captions at x 13, their values right-aligned at x 166.
    struct Row {
        int caption, value, y;
        const char *text;
        bool aqua;
    };
    const Row shooting[] = {{1, 23, 20, "Number of shots", false},
                            {2, 24, 36, "Number of misses", false},
                            {3, 25, 60, "Hitrate", true}};
    const Row points[] = {{16, 36, 48, "Points 3:00 - 2:30", false},
                          {17, 37, 64, "Points 2:30 - 2:00", false},
                          {18, 38, 80, "Points 2:00 - 1:30", false},
                          {19, 39, 96, "Points 1:30 - 1:00", false},
                          {20, 40, 112, "Points 1:00 - 0:30", false},
                          {21, 41, 128, "Points 0:30 - 0:00", false},
                          {15, 42, 148, "Bonus", false},
                          {13, 44, 168, "POINTS", true},
                          {12, 43, 196, "Optimal game points", false},
                          {47, 48, 212, "Tarvil efficiency", true}};
    const Row animals[] = {
        {35, 45, 24, "Number of elephants", false}, {5, 26, 40, "Elephants shot", false},
        {6, 27, 56, "Elephants 7 points", false},   {7, 28, 72, "Elephants 5 points", false},
        {8, 29, 88, "Elephants 3 points", false},   {9, 30, 104, "Elephants 2 points", false},
        {10, 31, 120, "Elephants 0 points", false}, {11, 32, 136, "Elephants -10 points", false},
        {22, 33, 164, "Number of bees", false},     {4, 34, 180, "Number of bees shot", false}};
    auto rows = [this](QGroupBox *box, const Row *begin, const Row *end) {
        for (const Row *row = begin; row != end; ++row) {
            addLabel(row->caption, box, 13, row->y, QLatin1String(row->text), row->aqua);
            addLabel(row->value, box, ValueRight, row->y, QString(), row->aqua);
        }
    };
    rows(GroupBox3, std::begin(shooting), std::end(shooting));
    rows(GroupBox2, std::begin(points), std::end(points));
    rows(GroupBox1, std::begin(animals), std::end(animals));
    addLabel(46, GroupBox3, ValueRight, 60, QStringLiteral("%"), true);
    addLabel(14, GroupBox2, 13, 24);
    addLabel(49, GroupBox2, ValueRight, 212, QStringLiteral("%"), true);

    CheckBox1 = new QCheckBox(this);
    CheckBox1->setGeometry(208, 319, 17, 17);
    CheckBox1->setChecked(true);
    CheckBox1->setFocusPolicy(Qt::ClickFocus); // not reached by Tab
    connect(CheckBox1, &QCheckBox::clicked, this,
            [this] { context_.errors.guard([this] { CheckBox1Click(); }); });
    // Both lines of the caption run the one handler, on a click and on a
    // double-click alike.
    auto *clicks = new ClickWatcher(this);
    for (QLabel *caption : {addLabel(55, this, 224, 315, QStringLiteral("Show stats")),
                            addLabel(54, this, 224, 328, QStringLiteral("automatically"))})
        clicks->watch(
            caption, [this] { Label55Click(); }, [this] { Label55Click(); });
    Button1 = new QPushButton(QStringLiteral("OK"), this);
    Button1->setGeometry(305, 315, 75, 25);
    Button1->setAutoDefault(false); // not the default: Enter presses it only when it has the focus
    connect(Button1, &QPushButton::clicked, this, &TStats::Button1Click);
}

QLabel *TStats::addLabel(int number, QWidget *parent, int x, int y, const QString &text,
                         bool aqua) {
    auto *l = new QLabel(text, parent);
    l->setObjectName(QStringLiteral("Label%1").arg(number));
    l->setTextFormat(Qt::PlainText); // names and dates come from the file
    l->move(x, y);
    l->adjustSize();
    if (aqua) {
        QPalette palette = l->palette();
        palette.setColor(QPalette::WindowText, HighlightColour);
        l->setPalette(palette);
    }
    labels[static_cast<std::size_t>(number)] = l;
    return l;
}

void TStats::setValue(int number, const QString &text) {
    setTextRightAligned(label(number), text, ValueRight);
}

void TStats::FormShow() {
    // An unreadable file is reported; the window shows the table as it is.
    context_.errors.guard([this] { LoadHighScores(context_.shared); });
}

void TStats::FormActivate() {
    const std::int32_t e = context_.shared.StatsEntry;
    const bool latest = e == LatestGameEntry;
    const HighScoreEntry &r = context_.shared.HighScoreTable[static_cast<std::size_t>(
        std::clamp(e, std::int32_t{1}, std::int32_t{LatestGameEntry}))];
    {
        const QSignalBlocker blocker(TrackBar1);
        TrackBar1->setFocus();
        TrackBar1->setValue(latest ? 10 : std::min(e - 1, 10));
    }
    setWindowTitle(latest
                       ? QStringLiteral("Krumlix - view stats for latest game")
                       : QStringLiteral("Krumlix - view stats for entry nr.") + QString::number(e));
    auto show = [this](int number, const QString &text) {
        label(number)->setText(text);
        label(number)->adjustSize();
    };
    show(53, latest ? QStringLiteral("x.") : QString::number(e) + QLatin1Char('.'));
    show(50, latest ? QStringLiteral("Latest Game")
                    : r.text(HighScoreEntry::EntryName, HighScoreEntry::NameLength));
    show(52,
         latest
             ? dateText(context_.platform.timeOfDay.localDate()).leftJustified(19, QLatin1Char(' '))
             : r.text(HighScoreEntry::EntryDateText, HighScoreEntry::DateLength));
    setValue(23, QString::number(r[HighScoreEntry::ShotCount]));
    setValue(24, QString::number(r[HighScoreEntry::MissCount]));
    setValue(25, r.text(HighScoreEntry::EntryHitrateText, 6));
    setValue(45, QString::number(r[HighScoreEntry::ElephantCount]));
    for (int i = 0; i <= 6; ++i) // shot in all, by value, crossed
        setValue(26 + i, QString::number(r[HighScoreEntry::ElephantShotCount + i]));
    setValue(33, QString::number(r[HighScoreEntry::BeeCount]));
    setValue(34, QString::number(r[HighScoreEntry::BeeHitCount]));
    const std::int32_t level = r[HighScoreEntry::DifficultyLevel];
    if (level >= 0 && level <= 5)
        show(14, QLatin1String(LevelTexts[level]));
    for (int p = 0; p < 6; ++p)
        setValue(36 + p, QString::number(r[HighScoreEntry::PeriodScore1 + p]));
    setValue(42, QString::number(r[HighScoreEntry::BonusPoints]));
    setValue(43, QString::number(r[HighScoreEntry::OptimalScore]));
    setValue(44, QString::number(r[HighScoreEntry::RunScore]));
    const auto efficiency = Efficiency(r);
    setValue(48, efficiency ? fixed2(*efficiency) : QStringLiteral("0,00"));
}

void TStats::TrackBar1Change() {
    const int position = TrackBar1->value();
    context_.shared.StatsEntry = position == 10 ? LatestGameEntry : position + 1;
    FormActivate();
}

void TStats::CheckBox1Click() {
    TrackBar1->setFocus();
    saveStatsFlag(context_, CheckBox1->isChecked());
}

void TStats::Label55Click() {
    CheckBox1->setChecked(!CheckBox1->isChecked());
    context_.errors.guard([this] { CheckBox1Click(); });
}

void TStats::showEvent(QShowEvent *event) {
    // Restored after a minimise, the window shows what it showed: the
    // re-read and the fill belong to its opening.
    if (event->spontaneous()) {
        GameDialog::showEvent(event);
        return;
    }
    FormShow();
    GameDialog::showEvent(event);
    FormActivate();
}

} // namespace krumlix
