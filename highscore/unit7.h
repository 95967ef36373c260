// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "app/appcontext.h"

#include <QDialog>

namespace krumlix {

/// Asks before the high scores are cleared.
class TForm7 : public QDialog {
    Q_OBJECT
public:
    TForm7(AppContext &context, QWidget *parent);

private:
    [[maybe_unused]] AppContext &context_;
};

} // namespace krumlix
