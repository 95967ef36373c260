// SPDX-License-Identifier: GPL-3.0-or-later
#include "rules.h"

#include "app/windowlook.h"

namespace krumlix {

TRegler::TRegler(AppContext &context, QWidget *parent) : QDialog(parent), context_(context) {
    setObjectName(QStringLiteral("Regler"));
    applyWindowLook(this, QStringLiteral("Krumlix - rules"), QSize(353, 313));
}

} // namespace krumlix
