// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "app/appcontext.h"

#include <QDialog>

namespace krumlix {

/// The sound window: a wave file for each event, and sound schemes.
class TSound : public QDialog {
    Q_OBJECT
public:
    TSound(AppContext &context, QWidget *parent);

private:
    [[maybe_unused]] AppContext &context_;
};

} // namespace krumlix
