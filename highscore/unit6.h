// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "app/appcontext.h"

#include <QDialog>

namespace krumlix {

/// Asks a qualifying player for a name.
class TForm6 : public QDialog {
    Q_OBJECT
public:
    TForm6(AppContext &context, QWidget *parent);

private:
    [[maybe_unused]] AppContext &context_;
};

} // namespace krumlix
