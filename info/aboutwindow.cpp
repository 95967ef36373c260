// SPDX-License-Identifier: GPL-3.0-or-later
#include "aboutwindow.h"

#include "platform/maker.h"
#include "widgets/clickwatch.h"
#include "widgets/windowlook.h"

namespace krumlix {

TAboutBox::TAboutBox(AppContext &context, QWidget *parent) : GameDialog(parent), context_(context) {
    setObjectName(QStringLiteral("AboutBox"));
    applyWindowLook(this, QStringLiteral("Krumlix - about"), QSize(298, 213));
    GroupBox1 = new QGroupBox(this);
    GroupBox1->setGeometry(9, 6, 280, 163);
    auto *clicks = new ClickWatcher(this);
    auto label = [this, clicks](const QString &text, int x, int y, bool link) {
        auto *l = new QLabel(text, GroupBox1);
        l->setTextFormat(Qt::PlainText);
        l->move(x, y);
        l->adjustSize();
        if (link) {
            l->setCursor(Qt::PointingHandCursor);
            l->setToolTip(QStringLiteral("Click to visit..."));
            clicks->watch(l, [this] { Label1Click(); });
        }
        return l;
    };
    ProductName = label(QStringLiteral("Krumlix"), 71, 16, false);
    Version = label(QStringLiteral("Version 4.1"), 108, 36, false);
    Copyright = label(QStringLiteral("Copyright \u00a9 2000 Krumlix Games"), 22, 72, false);
    Comments = label(QStringLiteral("Visit Tarvil on the Internet:"), 58, 106, true);
    Label1 = label(QLatin1String(MakerWebAddress), 90, 122, true);
    Label2 = label(QStringLiteral("E-Mail: ") + QLatin1String(MakerMailAddress), 67, 138, true);
    OKButton = new QPushButton(QStringLiteral("OK"), this);
    OKButton->setGeometry(111, 180, 75, 25);
    OKButton->setDefault(true);
    connect(OKButton, &QPushButton::clicked, this, &QDialog::accept);
}

void TAboutBox::Label1Click() {
    // The desktop's own way to the user's browser; a failure says nothing.
    context_.platform.browser.open(QUrl(QLatin1String(MakerWebUrl)));
}

} // namespace krumlix
