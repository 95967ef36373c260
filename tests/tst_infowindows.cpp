// SPDX-License-Identifier: GPL-3.0-or-later
// The rules and about windows, and the way to the maker's web page.
#include "info/aboutwindow.h"
#include "info/ruleswindow.h"
#include "support/gamewindows.h"

#include <QRegularExpression>
#include <QScrollBar>
#include <QTest>
#include <QTextBlock>

using namespace krumlix;

class InfoTest : public QObject {
    Q_OBJECT
private slots:
    // Every heading in its order, and the facts that carry numbers.
    void rulesText() {
        test::GameWindows w;
        TRegler &rules = *w.context.windows.Regler;
        const QString first = rules.Memo1->toPlainText();
        const QString second = rules.Memo2->toPlainText();
        const QString text = first + QLatin1Char('\n') + second;
        const QStringList headings =
            QStringLiteral(
                "TARVIL EXPLAINED|HOW TO PLAY|LEVELS|POINT SYSTEM|BONUS SYSTEM|HITRATE|"
                "EFFICIENCY|STATISTICS|SOUNDS|CLEAR THE HIGHSCORE|MAIL YOUR OWN HIGHSCORE")
                .split(QLatin1Char('|'));
        qsizetype at = -1;
        for (const QString &heading : headings) {
            const qsizetype found = text.indexOf(
                QRegularExpression(QStringLiteral("(^|\\n)") + QRegularExpression::escape(heading) +
                                   QStringLiteral("\\n")));
            QVERIFY2(found > at, qPrintable(heading));
            at = found;
        }
        QVERIFY(first.contains(QStringLiteral("POINT SYSTEM")));
        QVERIFY(second.contains(QStringLiteral("BONUS SYSTEM")));
        for (const char *points : {"1 gives 7 points", "2 gives 5 points", "3 gives 3 points",
                                   "4 gives 2 points", "5 gives 0 points"})
            QVERIFY2(first.contains(QLatin1String(points)), points);
        QVERIFY(first.trimmed().endsWith(QStringLiteral("Position 5 gives 0 points")));
        for (const char *fact :
             {"91,00%", "93,00%", "95,00%", "100 points", "200 points", "300 points", "10 points",
              "2 points", "'tarvil.hig'", "'User defined'", "three minutes"})
            QVERIFY2(text.contains(QLatin1String(fact)), fact);
        // Five empty lines, then the indented closing line.
        QVERIFY(second.endsWith(QStringLiteral("\n\n\n\n\n\n            NOW GO GET'EM !!!")));
        QCOMPARE(rules.windowTitle(), QStringLiteral("Krumlix - rules"));
        QCOMPARE(rules.Image1->geometry(), QRect(1, 534, 300, 87));
        QVERIFY(!rules.Image1->pixmap().isNull());
    }

    // Every line of the rules can be read in the window: each memo shows its
    // last line inside its own area and cuts no line at its right, the
    // memos and the picture do not overlap, and the box scrolled to its end
    // shows the closing line.
    void rulesShowEveryLine() {
        test::GameWindows w;
        TRegler &rules = *w.context.windows.Regler;
        rules.show();
        QVERIFY(QTest::qWaitForWindowExposed(&rules));
        for (auto *memo : {rules.Memo1, rules.Memo2}) {
            QTextCursor end(memo->document());
            end.movePosition(QTextCursor::End);
            QVERIFY2(memo->cursorRect(end).bottom() < memo->viewport()->height(),
                     qPrintable(end.block().text()));
            QCOMPARE(memo->verticalScrollBar()->maximum(), 0);
            QCOMPARE(memo->horizontalScrollBar()->maximum(), 0);
            QVERIFY(memo->geometry().right() < memo->parentWidget()->width());
        }
        QVERIFY(rules.Memo1->geometry().bottom() < rules.Image1->geometry().top());
        QVERIFY(rules.Image1->geometry().bottom() < rules.Memo2->geometry().top());
        QVERIFY(rules.Memo2->geometry().bottom() < rules.ScrollBox1->widget()->height());

        QScrollBar *bar = rules.ScrollBox1->verticalScrollBar();
        bar->setValue(bar->maximum());
        QTextCursor end(rules.Memo2->document());
        end.movePosition(QTextCursor::End);
        const QPoint last = rules.Memo2->viewport()->mapTo(
            rules.ScrollBox1->viewport(), rules.Memo2->cursorRect(end).bottomLeft());
        QVERIFY(last.y() < rules.ScrollBox1->viewport()->height());
        QVERIFY(last.y() > 0);
    }

    // The text always opens at its first line.
    void rulesOpenAtTheTop() {
        test::GameWindows w;
        TRegler &rules = *w.context.windows.Regler;
        rules.show();
        QScrollBar *bar = rules.ScrollBox1->verticalScrollBar();
        QVERIFY(bar->maximum() > 1000);
        bar->setValue(bar->maximum());
        rules.close();
        rules.show();
        QCOMPARE(bar->value(), 0);
    }

    // The three address lines and the menu's link open the same web page
    // on a click; the second press of a double-click opens nothing more,
    // and a right click or a release away from the line opens nothing.
    void webPageOpens_data() {
        test::columns<QString, test::Gesture, int>("line", "gesture", "opened");
        using G = test::Gesture;
        for (const char *line : {"Comments", "Label1", "Label2", "menu link"}) {
            QTest::addRow("%s, click", line) << line << G::Click << 1;
            QTest::addRow("%s, double-click", line) << line << G::DoubleClick << 1;
            QTest::addRow("%s, right click", line) << line << G::RightClick << 0;
            QTest::addRow("%s, released outside", line) << line << G::ReleaseOutside << 0;
        }
    }
    void webPageOpens() {
        const auto [line, gesture, opened] =
            test::fetch<QString, test::Gesture, int>("line", "gesture", "opened");
        test::GameWindows w;
        TAboutBox &about = *w.context.windows.AboutBox;
        QWidget *target = nullptr;
        if (line == QLatin1String("menu link")) {
            w.menu().show();
            target = w.menu().Image14;
        } else {
            about.show();
            target = line == QLatin1String("Comments") ? about.Comments
                     : line == QLatin1String("Label1") ? about.Label1
                                                       : about.Label2;
            QCOMPARE(target->cursor().shape(), Qt::PointingHandCursor);
            QCOMPARE(target->toolTip(), QStringLiteral("Click to visit..."));
        }
        test::perform(target, gesture);
        QCOMPARE(w.fake.browser.opened.size(), opened);
        for (const QUrl &url : std::as_const(w.fake.browser.opened))
            QCOMPARE(url, QUrl(QStringLiteral("https://krumlix.example.com/")));
        QCOMPARE(about.Version->text(), QStringLiteral("Version 4.1"));
        QVERIFY(about.Copyright->text().contains(QStringLiteral("2000")));
        QVERIFY(about.Label2->text().startsWith(QStringLiteral("E-Mail: ")));
        w.menu().done(0);
    }

    // "About" plays the intro first, then opens the window.
    void aboutPlaysTheIntro() {
        test::GameWindows w;
        test::answerModal<TAboutBox>([&](TAboutBox &) { QCOMPARE(w.fake.sound.played.size(), 1); });
        w.menu().Button5Click();
        QVERIFY(w.fake.sound.played.first().endsWith(QStringLiteral("intro.wav")));
    }
};

QTEST_MAIN(InfoTest)
#include "tst_infowindows.moc"
