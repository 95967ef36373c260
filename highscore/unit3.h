// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "app/appcontext.h"

#include <QDialog>
#include <QLabel>
#include <QPushButton>

#include <array>

namespace krumlix {

/// The menu window, the hub every run returns to.
class THighscore : public QDialog {
    Q_OBJECT
public:
    THighscore(AppContext &context, QWidget *parent);

    void Button1Click(); ///< "Begin new Game"
    void Button3Click(); ///< "Game difficulty"
    void Button6Click(); ///< "Quit"
    void Button8Click(); ///< "Save settings"
    void FormShow();
    void FormActivate();

    /// Shows only the badge of `level` (0..5).
    void showLevelBadge(int level);
    /// `Image13`, `Image15` .. `Image19`: the badges of the levels 0..5.
    std::array<QLabel *, 6> levelBadges{};

    QPushButton *Button1 = nullptr;
    QPushButton *Button3 = nullptr;
    QPushButton *Button6 = nullptr;
    QPushButton *Button8 = nullptr;
    std::int32_t GameStarted = 0;

protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    AppContext &context_;
};

} // namespace krumlix
