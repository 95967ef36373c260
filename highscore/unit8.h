// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "app/appcontext.h"

#include <QDialog>

namespace krumlix {

/// How to mail a high score to the maker.
class TForm8 : public QDialog {
    Q_OBJECT
public:
    TForm8(AppContext &context, QWidget *parent);

private:
    [[maybe_unused]] AppContext &context_;
};

} // namespace krumlix
