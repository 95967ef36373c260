// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "app/appcontext.h"

#include <QDialog>

namespace krumlix {

/// The rules of the game.
class TRegler : public QDialog {
    Q_OBJECT
public:
    TRegler(AppContext &context, QWidget *parent);

private:
    [[maybe_unused]] AppContext &context_;
};

} // namespace krumlix
