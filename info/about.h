// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "app/appcontext.h"

#include <QDialog>

namespace krumlix {

/// The about window: version, notice and the maker's addresses.
class TAboutBox : public QDialog {
    Q_OBJECT
public:
    TAboutBox(AppContext &context, QWidget *parent);

private:
    [[maybe_unused]] AppContext &context_;
};

} // namespace krumlix
