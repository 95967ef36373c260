// SPDX-License-Identifier: GPL-3.0-or-later
#include "ruleswindow.h"

#include "rulestext.h"
#include "widgets/picture.h"
#include "widgets/windowlook.h"

#include <QScrollBar>
#include <QShowEvent>
#include <QTextDocument>

#include <algorithm>
#include <cmath>
#include <memory>

namespace krumlix {
namespace {

// The page as laid out: the first memo, the picture below it, the second
// memo, and room to scroll past its end.
constexpr int PageWidth = 301;
constexpr int PageHeight = 1800;
constexpr int MemoLeft = 1;
constexpr int MemoWidth = 300;
constexpr int Memo1Top = 8;
constexpr int Memo1Height = 526;
constexpr int PictureHeight = 87;
constexpr int PictureGap = 8;
constexpr int Memo2Height = 1135;
constexpr int PageEndRoom =
    PageHeight - (Memo1Top + Memo1Height + PictureHeight + PictureGap + Memo2Height);

QTextEdit *memo(const char *text, QWidget *parent) {
    auto *edit = new QTextEdit(parent);
    edit->setPlainText(QString::fromUtf8(text));
    edit->setReadOnly(true);
    edit->setFrameShape(QFrame::NoFrame);
    // A line too long for the memo goes on in the next line rather than
    // out of sight.
    edit->setLineWrapMode(QTextEdit::WidgetWidth);
    edit->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    edit->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    edit->setFocusPolicy(Qt::NoFocus);
    edit->viewport()->setCursor(Qt::ArrowCursor);
    return edit;
}

/// The height the memo's text takes at the memo's width in its font.
int textHeight(const QTextEdit *edit) {
    const std::unique_ptr<QTextDocument> text(edit->document()->clone());
    text->setDefaultFont(edit->font());
    text->setDocumentMargin(edit->document()->documentMargin());
    text->setTextWidth(MemoWidth);
    return static_cast<int>(std::ceil(text->size().height()));
}

} // namespace

TRegler::TRegler(AppContext &context, QWidget *parent) : GameDialog(parent), context_(context) {
    setObjectName(QStringLiteral("Regler"));
    applyWindowLook(this, QStringLiteral("Krumlix - rules"), QSize(353, 313));
    ScrollBox1 = new QScrollArea(this);
    ScrollBox1->setGeometry(11, 11, 334, 262);
    ScrollBox1->setFrameShape(QFrame::StyledPanel);
    auto *page = new QWidget;
    page->setAutoFillBackground(true);
    page->setFixedSize(PageWidth, PageHeight);
    ScrollBox1->setWidget(page);
    Memo1 = memo(RulesTextPart1, page);
    Image1 = new Picture("rulesposes", page);
    Memo2 = memo(RulesTextPart2, page);
    layOutPage();
    OKButton = new QPushButton(QStringLiteral("OK"), this);
    OKButton->setGeometry(131, 280, 75, 25);
    OKButton->setDefault(true);
    connect(OKButton, &QPushButton::clicked, this, &QDialog::accept);
}

void TRegler::layOutPage() {
    // Every line must be readable: where the face the desktop gives for
    // Verdana takes more room than the page allows, a memo grows to its
    // text and what lies below it moves down.
    const int first = std::max(Memo1Height, textHeight(Memo1));
    Memo1->setGeometry(MemoLeft, Memo1Top, MemoWidth, first);
    Image1->setGeometry(MemoLeft, Memo1Top + first, MemoWidth, PictureHeight);
    const int secondTop = Image1->geometry().bottom() + 1 + PictureGap;
    const int second = std::max(Memo2Height, textHeight(Memo2));
    Memo2->setGeometry(MemoLeft, secondTop, MemoWidth, second);
    ScrollBox1->widget()->setFixedSize(PageWidth,
                                       std::max(PageHeight, secondTop + second + PageEndRoom));
}

void TRegler::FormActivate() {
    ScrollBox1->verticalScrollBar()->setValue(0);
}

void TRegler::showEvent(QShowEvent *event) {
    GameDialog::showEvent(event);
    if (event->spontaneous()) // restored after a minimise: left as it was
        return;
    FormActivate();
}

} // namespace krumlix
