// SPDX-License-Identifier: GPL-3.0-or-later
#include "aboutwindow.h"

#include "platform/maker.h"
#include "widgets/windowlook.h"

#include <QMouseEvent>

namespace krumlix {

TAboutBox::TAboutBox(AppContext &context, QWidget *parent) : QDialog(parent), context_(context) {
    setObjectName(QStringLiteral("AboutBox"));
    applyWindowLook(this, QStringLiteral("Krumlix - about"), QSize(298, 213));
    GroupBox1 = new QGroupBox(this);
    GroupBox1->setGeometry(9, 6, 280, 163);
    auto label = [this](const QString &text, int x, int y, bool link) {
        auto *l = new QLabel(text, GroupBox1);
        l->move(x, y);
        l->adjustSize();
        if (link) {
            l->setCursor(Qt::PointingHandCursor);
            l->setToolTip(QStringLiteral("Click to visit..."));
            l->installEventFilter(this);
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

bool TAboutBox::eventFilter(QObject *watched, QEvent *event) {
    if (event->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton &&
        (watched == Comments || watched == Label1 || watched == Label2)) {
        Label1Click();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

} // namespace krumlix
