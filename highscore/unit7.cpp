// SPDX-License-Identifier: GPL-3.0-or-later
#include "unit7.h"

#include "app/windowlook.h"

namespace krumlix {

TForm7::TForm7(AppContext &context, QWidget *parent) : QDialog(parent), context_(context) {
    setObjectName(QStringLiteral("Form7"));
    applyWindowLook(this, QStringLiteral("Krumlix - clear scores"), QSize(285, 192));
}

} // namespace krumlix
