// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/appcontext.h"
#include "widgets/gamedialog.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QSlider>

#include <array>

namespace krumlix {

/// The statistics of the latest run and of each stored run, stepped
/// through with a track bar.
class TStats : public GameDialog {
    Q_OBJECT
public:
    TStats(AppContext &context, QWidget *parent);

    void FormShow();     ///< re-loads the table
    void FormActivate(); ///< fills the window for StatsEntry
    void TrackBar1Change();
    void CheckBox1Click();
    void Label55Click();
    void Button1Click() { close(); }

    /// `Label1` .. `Label55`, index = number.
    std::array<QLabel *, 56> labels{};
    QLabel *label(int number) const { return labels[static_cast<std::size_t>(number)]; }

    QGroupBox *GroupBox1 = nullptr;
    QGroupBox *GroupBox2 = nullptr;
    QGroupBox *GroupBox3 = nullptr;
    QGroupBox *GroupBox4 = nullptr;
    QSlider *TrackBar1 = nullptr;
    /// "Show stats" / "automatically": the statistics open by themselves
    /// after a run.
    QCheckBox *CheckBox1 = nullptr;
    QPushButton *Button1 = nullptr;

    static constexpr int ValueRight = 166;

protected:
    void showEvent(QShowEvent *event) override;

private:
    QLabel *addLabel(int number, QWidget *parent, int x, int y, const QString &text = QString(),
                     bool aqua = false);
    void setValue(int number, const QString &text);

    AppContext &context_;
};

} // namespace krumlix
