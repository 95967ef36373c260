// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "app/appcontext.h"

#include <QCheckBox>
#include <QDialog>

namespace krumlix {

/// The statistics of the latest run and of each stored run.
class TStats : public QDialog {
    Q_OBJECT
public:
    TStats(AppContext &context, QWidget *parent);

    /// "Show stats" / "automatically": the statistics open by themselves
    /// after a run.
    QCheckBox *CheckBox1 = nullptr;

private:
    [[maybe_unused]] AppContext &context_;
};

} // namespace krumlix
