// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/appcontext.h"
#include "widgets/controls.h"
#include "widgets/gamedialog.h"

#include <QGroupBox>
#include <QLabel>
#include <QPushButton>

#include <array>

namespace krumlix {

/// The difficulty window: five preset levels and a user-defined one of
/// twelve animal rates. Its controls are the live setting every run takes.
class Tsetup : public GameDialog {
    Q_OBJECT
public:
    Tsetup(AppContext &context, QWidget *parent);

    void RadioGroup1Click();
    void SpinEditChange(int n);
    void Button1Click();

    /// `SpinEdit1` .. `SpinEdit12`.
    SpinEdit *spinEdit(int n) const { return spinEdits_.at(static_cast<std::size_t>(n - 1)); }

    RadioGroup *RadioGroup1 = nullptr;
    QGroupBox *GroupBox1 = nullptr;
    QPushButton *Button1 = nullptr;
    std::array<QLabel *, 12> labels{}; ///< `Label1` .. `Label12`

signals:
    /// OK has made `level` (0..5) the game's level; the menu shows its badge.
    void levelChosen(int level);

private:
    AppContext &context_;
    std::array<SpinEdit *, 12> spinEdits_{};
};

} // namespace krumlix
