// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/appcontext.h"
#include "widgets/gamedialog.h"

#include <QGroupBox>
#include <QLabel>
#include <QPushButton>

namespace krumlix {

/// The about window: title, version, notice and the maker's addresses.
class TAboutBox : public GameDialog {
    Q_OBJECT
public:
    TAboutBox(AppContext &context, QWidget *parent);

    /// Opens the maker's web page in the user's browser.
    void Label1Click();

    QGroupBox *GroupBox1 = nullptr;
    QLabel *ProductName = nullptr;
    QLabel *Version = nullptr;
    QLabel *Copyright = nullptr;
    QLabel *Comments = nullptr;
    QLabel *Label1 = nullptr;
    QLabel *Label2 = nullptr;
    QPushButton *OKButton = nullptr;

private:
    AppContext &context_;
};

} // namespace krumlix
