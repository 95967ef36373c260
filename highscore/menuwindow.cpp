// SPDX-License-Identifier: GPL-3.0-or-later
#include "menuwindow.h"

#include "clearscores.h"
#include "highscorefile.h"
#include "info/aboutwindow.h"
#include "info/ruleswindow.h"
#include "mailinstructions.h"
#include "nameentry.h"
#include "platform/maker.h"
#include "qualification.h"
#include "settings/difficultywindow.h"
#include "settings/savednotice.h"
#include "settings/settingsfile.h"
#include "sound/soundwindow.h"
#include "stats/statswindow.h"
#include "widgets/clickwatch.h"
#include "widgets/numberformat.h"
#include "widgets/picture.h"
#include "widgets/windowlook.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QShowEvent>

namespace krumlix {
namespace {

constexpr const char *BadgePictures[6] = {"badge1", "badge2", "badge3",
                                          "badge4", "badge5", "badgeu"};
constexpr int MenuTops[10] = {127, 159, 176, 211, 228, 245, 262, 295, 313, 331};
constexpr int MenuAreaNumbers[10] = {1, 3, 4, 9, 5, 6, 7, 8, 10, 11};

} // namespace

THighscore::THighscore(AppContext &context, QWidget *parent) : QDialog(parent), context_(context) {
    setObjectName(QStringLiteral("Highscore"));
    applyWindowLook(this, QStringLiteral("Welcome to Krumlix"), QSize(575, 373));
    context_.shared.CloseMode = CloseModes::MenuStays;
    clicks_ = new ClickWatcher(this);
    buildPictures();
    buildTable();
}

void THighscore::buildPictures() {
    auto picture = [this](const char *name, const QRect &geometry) {
        auto *label = new Picture(name, this);
        label->setGeometry(geometry);
        return label;
    };
    Image2 = picture("menupanel", QRect(4, 1, 145, 370));
    Image12 = picture("titlebanner", QRect(149, 27, 457, 64));
    Image14 = picture("weblink", QRect(450, 344, 105, 17));
    Image14->setCursor(Qt::PointingHandCursor);
    clicks_->watch(Image14, [this] { Image14Click(); });
    for (int level = 0; level < 6; ++level) {
        QLabel *badge = picture(BadgePictures[level], QRect(106, 228, 25, 17));
        badge->setObjectName(QStringLiteral("Image%1").arg(level == 0 ? 13 : 14 + level));
        badge->setCursor(Qt::PointingHandCursor);
        clicks_->watch(badge, [this] { Button3Click(); });
        badge->hide();
        levelBadges[static_cast<std::size_t>(level)] = badge;
    }
    // Invisible areas over the words drawn on the panel.
    using Action = void (THighscore::*)();
    static constexpr Action areaActions[10] = {
        &THighscore::Button1Click, &THighscore::Button7Click, &THighscore::Button12Click,
        &THighscore::Button9Click, &THighscore::Button3Click, &THighscore::Button2Click,
        &THighscore::Button8Click, &THighscore::Button4Click, &THighscore::Button5Click,
        &THighscore::Button6Click};
    for (int i = 0; i < 10; ++i) {
        auto *area = new QWidget(this);
        area->setObjectName(QStringLiteral("Image%1").arg(MenuAreaNumbers[i]));
        area->setGeometry(28, MenuTops[i], 98, 17);
        area->setCursor(Qt::PointingHandCursor);
        const Action action = areaActions[i];
        clicks_->watch(
            area, [this, action] { context_.errors.guard([this, action] { (this->*action)(); }); });
        menuAreas[static_cast<std::size_t>(i)] = area;
    }
}

void THighscore::buildTable() {
    GroupBox4 = new QGroupBox(this);
    GroupBox4->setGeometry(157, 129, 396, 208);
    // The names and dates come from the file as the players typed them.
    auto label = [this](int number, int x, int y) {
        auto *l = new QLabel(GroupBox4);
        l->setObjectName(QStringLiteral("Label%1").arg(number));
        l->setTextFormat(Qt::PlainText);
        l->move(x, y);
        labels[static_cast<std::size_t>(number)] = l;
        return l;
    };
    label(51, 16, 20)->setText(QStringLiteral("Highscore"));
    for (int r = 1; r <= 10; ++r) {
        const int y = 37 + 16 * (r - 1);
        // A click on any label of a row shows that row's statistics.
        for (QLabel *l : {label(51 + r, 0, y), label(5 * r - 4, 38, y), label(5 * r - 3, 155, y),
                          label(61 + r, 0, y), label(5 * r, 0, y)})
            clicks_->watch(l, [this, r] { rowClick(r); });
    }
    for (QLabel *l : labels) {
        if (l) {
            l->resize(0, 16);
            setLabelColour(l, Qt::white);
        }
    }
}

void THighscore::setLabelColour(QLabel *label, const QColor &colour) {
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, colour);
    label->setPalette(palette);
}

void THighscore::whitenLabels() {
    for (QLabel *l : labels) {
        if (l)
            setLabelColour(l, Qt::white);
    }
}

void THighscore::showLevelBadge(int level) {
    for (QLabel *badge : levelBadges)
        badge->hide();
    if (level >= 0 && level < 6)
        levelBadges[static_cast<std::size_t>(level)]->show();
}

template <typename Window> void THighscore::showModal(Window *window) {
    QPointer<Window> guard = window;
    if (guard)
        guard->exec();
}

void THighscore::Button1Click() {
    SharedState &s = context_.shared;
    s.CloseMode = CloseModes::RunStarted;
    s.GameState = GamePhase::RunRequested;
    done(QDialog::Accepted);
    GameStarted = Flag::Raised;
    emit runRequested();
}

void THighscore::Button2Click() {
    showModal(context_.windows.Sound.data());
}
void THighscore::Button3Click() {
    showModal(context_.windows.setup.data());
}
void THighscore::Button4Click() {
    showModal(context_.windows.Regler.data());
}

void THighscore::Button5Click() {
    if (TSound *sound = context_.windows.Sound)
        sound->PlayEventSound(static_cast<int>(SoundEvent::Intro) + 1);
    showModal(context_.windows.AboutBox.data());
}

void THighscore::Button6Click() {
    context_.shared.CloseMode = CloseModes::MenuInCharge;
    emit quitRequested();
}

void THighscore::Button7Click() {
    context_.shared.StatsEntry = LatestGameEntry;
    showModal(context_.windows.Stats.data());
}

void THighscore::Button8Click() {
    saveSettingsFile(context_);
    showModal(context_.windows.Form9.data());
}

void THighscore::Button9Click() {
    showModal(context_.windows.Form7.data());
    if (context_.shared.NewEntryRank == LatestGameEntry)
        whitenLabels();
}

void THighscore::Button12Click() {
    showModal(context_.windows.Form8.data());
}

void THighscore::Image14Click() {
    if (TAboutBox *about = context_.windows.AboutBox)
        about->Label1Click();
}

void THighscore::rowClick(int row) {
    context_.shared.StatsEntry = row;
    showModal(context_.windows.Stats.data());
}

void THighscore::Button10Click() {
    for (QLabel *l : labels) {
        if (l)
            l->clear();
    }
    auto &table = context_.shared.HighScoreTable;
    for (int r = 1; r <= 10; ++r) {
        const HighScoreEntry &entry = table[r];
        nameLabel(r)->setText(entry.text(HighScoreEntry::EntryName, HighScoreEntry::NameLength));
        dateLabel(r)->setText(
            entry.text(HighScoreEntry::EntryDateText, HighScoreEntry::DateLength));
        const auto efficiency = Efficiency(entry);
        const QString shown =
            efficiency ? fixed2(*efficiency) + QStringLiteral(" %") : QStringLiteral("0,00 %");
        setTextRightAligned(efficiencyLabel(r), shown, EfficiencyRight);
        setTextRightAligned(pointsLabel(r), QString::number(entry[HighScoreEntry::RunScore]),
                            PointsRight);
        setTextRightAligned(rankLabel(r), QString::number(r) + QLatin1Char('.'), 30);
        nameLabel(r)->adjustSize();
        dateLabel(r)->adjustSize();
    }
    // The header's columns are spaced with blanks; widen them so that they
    // stand over the columns in whatever face fontconfig chose.
    const QString headerText = QStringLiteral(
        "Pl.  Name                     Date                         Efficiency   Points");
    QFont font = header()->font();
    font.setWordSpacing(0);
    const int natural = QFontMetrics(font).horizontalAdvance(headerText);
    const int wanted = PointsRight - header()->x();
    font.setWordSpacing(static_cast<qreal>(wanted - natural) / headerText.count(QLatin1Char(' ')));
    header()->setFont(font);
    header()->setText(headerText);
    header()->adjustSize();
    const std::int32_t rank = context_.shared.NewEntryRank;
    if (rank >= 1 && rank <= 10) {
        for (QLabel *l : {nameLabel(rank), dateLabel(rank), pointsLabel(rank), rankLabel(rank),
                          efficiencyLabel(rank)})
            setLabelColour(l, HighlightColour);
    }
}

void THighscore::Button11Click() {
    SharedState &s = context_.shared;
    LoadHighScores(s);
    recordLatestGame(s);
    // Before the first run there is no run to enter: a table holding scores
    // below zero would otherwise take the empty record of the start-up.
    s.NewEntryRank = s.GameState == GamePhase::NoRunYet ? LatestGameEntry : rankOfLatestGame(s);
    if (s.NewEntryRank == LatestGameEntry)
        return;
    QPointer<TForm6> congratulations = context_.windows.Form6;
    showModal(congratulations.data());
    LoadHighScores(s);
    insertLatestGame(s, s.NewEntryRank,
                     congratulations ? congratulations->Edit1->text() : QString(),
                     context_.platform.timeOfDay.localDate());
    SaveHighScores(s);
}

void THighscore::FormShow() {
    emit shown();
}

void THighscore::FormActivate() {
    SharedState &s = context_.shared;
    s.CloseMode = CloseModes::MenuInCharge;
    if (Tsetup *setup = context_.windows.setup)
        s.DifficultyLevel = setup->RadioGroup1->itemIndex();
    showLevelBadge(s.DifficultyLevel);
    whitenLabels();
    for (QLabel *l : labels) {
        if (l)
            l->setCursor(Qt::PointingHandCursor);
    }
    header()->setCursor(Qt::ArrowCursor);
    // A file error abandons the rest: no table, no statistics.
    context_.errors.guard([this, &s] {
        Button11Click();
        if (GameStarted != Flag::Raised)
            Button10Click();
        if (s.NewEntryRank < LatestGameEntry)
            Button10Click();
        s.StatsEntry = LatestGameEntry;
        if (s.GameState != GamePhase::NoRunYet && context_.windows.Stats &&
            context_.windows.Stats->CheckBox1->isChecked())
            showModal(context_.windows.Stats.data());
    });
}

void THighscore::showEvent(QShowEvent *event) {
    QDialog::showEvent(event);
    // A restore from the taskbar shows the window again without its being
    // opened: the check of the last run and the rest of the activation run
    // only when the menu itself is shown.
    if (event->spontaneous())
        return;
    FormShow();
    // The activation opens dialogs of its own; it runs once the menu is up.
    QMetaObject::invokeMethod(this, &THighscore::FormActivate, Qt::QueuedConnection);
}

void THighscore::closeEvent(QCloseEvent *event) {
    switch (context_.shared.CloseMode) {
    case CloseModes::MenuStays:
        event->ignore();
        return;
    case CloseModes::MenuInCharge:
        // The menu is in charge: closing it ends the program.
        emit quitRequested();
        break;
    case CloseModes::RunStarted:
        break;
    }
    QDialog::closeEvent(event);
}

void THighscore::keyPressEvent(QKeyEvent *event) {
    // Any key that types a character starts a game, Enter and Escape
    // included; arrows, shift and the like do not.
    const bool character = !event->text().isEmpty() && event->text().at(0) != QChar(0x7f);
    if (character || event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter ||
        event->key() == Qt::Key_Escape) {
        Button1Click();
        return;
    }
    QDialog::keyPressEvent(event);
}

} // namespace krumlix
