// SPDX-License-Identifier: GPL-3.0-or-later
#include "about.h"

#include "app/windowlook.h"

namespace krumlix {

TAboutBox::TAboutBox(AppContext &context, QWidget *parent) : QDialog(parent), context_(context) {
    setObjectName(QStringLiteral("AboutBox"));
    applyWindowLook(this, QStringLiteral("Krumlix - about"), QSize(298, 213));
}

} // namespace krumlix
