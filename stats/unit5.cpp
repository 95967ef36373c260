// SPDX-License-Identifier: GPL-3.0-or-later
#include "unit5.h"

#include "app/windowlook.h"

namespace krumlix {

TStats::TStats(AppContext &context, QWidget *parent) : QDialog(parent), context_(context) {
    setObjectName(QStringLiteral("Stats"));
    applyWindowLook(this, QStringLiteral("Krumlix - game stats"), QSize(396, 348));
    CheckBox1 = new QCheckBox(this);
    CheckBox1->setChecked(true);
}

} // namespace krumlix
