// SPDX-License-Identifier: GPL-3.0-or-later
#include "unit4.h"

#include "app/windowlook.h"

namespace krumlix {

TSound::TSound(AppContext &context, QWidget *parent) : QDialog(parent), context_(context) {
    setObjectName(QStringLiteral("Sound"));
    applyWindowLook(this, QStringLiteral("Krumlix - choose sounds"), QSize(466, 332));
}

} // namespace krumlix
