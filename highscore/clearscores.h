// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/appcontext.h"
#include "widgets/gamedialog.h"

#include <QGroupBox>
#include <QLabel>
#include <QPushButton>

namespace krumlix {

/// Asks before the high scores are cleared.
class TForm7 : public GameDialog {
    Q_OBJECT
public:
    TForm7(AppContext &context, QWidget *parent);

    void Button1Click(); ///< "Yes": the table is cleared
    void Button2Click() { reject(); }

    QGroupBox *GroupBox1 = nullptr;
    QLabel *Label1 = nullptr;
    QLabel *Label2 = nullptr;
    QLabel *Label3 = nullptr;
    QPushButton *Button1 = nullptr;
    QPushButton *Button2 = nullptr;

signals:
    /// The cleared table is on disk and in memory; the menu redraws it.
    void scoresCleared();

protected:
    void showEvent(QShowEvent *event) override;

private:
    AppContext &context_;
};

} // namespace krumlix
