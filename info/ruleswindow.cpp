// SPDX-License-Identifier: GPL-3.0-or-later
#include "ruleswindow.h"

#include "rulestext.h"
#include "widgets/picture.h"
#include "widgets/windowlook.h"

#include <QScrollBar>
#include <QShowEvent>

namespace krumlix {
namespace {

QPlainTextEdit *memo(const char *text, QWidget *parent, const QRect &geometry) {
    auto *edit = new QPlainTextEdit(QString::fromUtf8(text), parent);
    edit->setGeometry(geometry);
    edit->setReadOnly(true);
    edit->setFrameShape(QFrame::NoFrame);
    edit->setLineWrapMode(QPlainTextEdit::NoWrap);
    edit->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    edit->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    edit->setFocusPolicy(Qt::NoFocus);
    edit->viewport()->setCursor(Qt::ArrowCursor);
    return edit;
}

} // namespace

TRegler::TRegler(AppContext &context, QWidget *parent) : QDialog(parent), context_(context) {
    setObjectName(QStringLiteral("Regler"));
    applyWindowLook(this, QStringLiteral("Krumlix - rules"), QSize(353, 313));
    ScrollBox1 = new QScrollArea(this);
    ScrollBox1->setGeometry(11, 11, 334, 262);
    ScrollBox1->setFrameShape(QFrame::StyledPanel);
    auto *page = new QWidget;
    page->setFixedSize(301, 1800);
    page->setAutoFillBackground(true);
    Memo1 = memo(RulesTextPart1, page, QRect(1, 8, 300, 526));
    Image1 = new QLabel(page);
    Image1->setGeometry(1, 534, 300, 87);
    Image1->setPixmap(QPixmap::fromImage(gamePicture("rulesposes")));
    Memo2 = memo(RulesTextPart2, page, QRect(1, 629, 300, 1135));
    ScrollBox1->setWidget(page);
    OKButton = new QPushButton(QStringLiteral("OK"), this);
    OKButton->setGeometry(131, 280, 75, 25);
    OKButton->setDefault(true);
    connect(OKButton, &QPushButton::clicked, this, &QDialog::accept);
}

void TRegler::FormActivate() {
    ScrollBox1->verticalScrollBar()->setValue(0);
}

void TRegler::showEvent(QShowEvent *event) {
    QDialog::showEvent(event);
    if (event->spontaneous()) // restored after a minimise: left as it was
        return;
    FormActivate();
}

} // namespace krumlix
