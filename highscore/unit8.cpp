// SPDX-License-Identifier: GPL-3.0-or-later
#include "unit8.h"

#include "app/windowlook.h"

namespace krumlix {

TForm8::TForm8(AppContext &context, QWidget *parent) : QDialog(parent), context_(context) {
    setObjectName(QStringLiteral("Form8"));
    applyWindowLook(this, QStringLiteral("Krumlix - mail highscore"), QSize(343, 314));
}

} // namespace krumlix
