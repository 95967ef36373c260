// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/appcontext.h"

#include <QDialog>
#include <QGroupBox>
#include <QLabel>

#include <array>
#include <functional>

namespace krumlix {

class ClickWatcher;

/// The menu window, the hub every run returns to: the commands drawn on its
/// panel, the level badge and the top-ten table.
class THighscore : public QDialog {
    Q_OBJECT
public:
    THighscore(AppContext &context, QWidget *parent);

    // The menu's commands, named by the hidden buttons that carry them.
    void Button1Click();  ///< "Begin new Game"
    void Button2Click();  ///< "Sound setup"
    void Button3Click();  ///< "Game difficulty"
    void Button4Click();  ///< "Rules"
    void Button5Click();  ///< "About"
    void Button6Click();  ///< "Quit"
    void Button7Click();  ///< "View stats"
    void Button8Click();  ///< "Save settings"
    void Button9Click();  ///< "Clear scores"
    void Button10Click(); ///< the table display
    void Button11Click(); ///< the check of the last run
    void Button12Click(); ///< "Send Highscore"
    void Image14Click();  ///< the web link
    /// A click on a label of table row `row` (1..10).
    void rowClick(int row);

    void FormShow();
    void FormActivate();

    /// Shows only the badge of `level` (0..5); none for a level outside.
    void showLevelBadge(int level);
    /// `Image13`, `Image15` .. `Image19`: the badges of the levels 0..5.
    std::array<QLabel *, 6> levelBadges{};
    /// The click areas over the panel's words, top to bottom (`Image1`,
    /// `Image3` .. `Image11`), with the commands they run.
    std::array<QWidget *, 10> menuAreas{};
    QLabel *Image2 = nullptr;  ///< the panel
    QLabel *Image12 = nullptr; ///< the title banner
    QLabel *Image14 = nullptr; ///< the web link

    QGroupBox *GroupBox4 = nullptr;
    /// `Label1` .. `Label71`, index = number; unused numbers stay null.
    std::array<QLabel *, 72> labels{};
    QLabel *nameLabel(int row) const { return labels[static_cast<std::size_t>(5 * row - 4)]; }
    QLabel *dateLabel(int row) const { return labels[static_cast<std::size_t>(5 * row - 3)]; }
    QLabel *pointsLabel(int row) const { return labels[static_cast<std::size_t>(5 * row)]; }
    QLabel *rankLabel(int row) const { return labels[static_cast<std::size_t>(51 + row)]; }
    QLabel *efficiencyLabel(int row) const { return labels[static_cast<std::size_t>(61 + row)]; }
    QLabel *header() const { return labels[51]; }

    /// Raised the first time "Begin new Game" is used; it stays raised.
    Flag GameStarted = Flag::Lowered;

    static constexpr int PointsRight = 382;
    static constexpr int EfficiencyRight = 337;

signals:
    // What the menu asks of the game window behind it; the owner wires them.
    /// The menu is shown: the game window draws its screen.
    void shown();
    /// "Begin new Game": the game window comes to the front for the run.
    void runRequested();
    /// "Quit", or the menu closed while in charge: the program ends.
    void quitRequested();

protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    void buildPictures();
    void buildTable();
    void setLabelColour(QLabel *label, const QColor &colour);
    void whitenLabels();
    template <typename Window> void showModal(Window *window);

    AppContext &context_;
    ClickWatcher *clicks_ = nullptr;
};

} // namespace krumlix
