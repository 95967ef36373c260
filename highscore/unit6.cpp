// SPDX-License-Identifier: GPL-3.0-or-later
#include "unit6.h"

#include "app/windowlook.h"

namespace krumlix {

TForm6::TForm6(AppContext &context, QWidget *parent) : QDialog(parent), context_(context) {
    setObjectName(QStringLiteral("Form6"));
    applyWindowLook(this, QStringLiteral("Krumlix - congratulations"), QSize(317, 286));
}

} // namespace krumlix
