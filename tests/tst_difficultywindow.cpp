// SPDX-License-Identifier: GPL-3.0-or-later
// The difficulty window and the settings-saved notice.
#include "settings/presetrates.h"
#include "support/gamewindows.h"

#include <QLineEdit>
#include <QTest>

using namespace krumlix;

namespace {

/// Types `text` into spin edit `n` as a player does: select all, type.
void typeInto(Tsetup &setup, int n, const QString &text) {
    SpinEdit *spin = setup.spinEdit(n);
    spin->setFocus();
    spin->selectAll();
    QTest::keyClicks(spin, text);
}

} // namespace

class SetupTest : public QObject {
    Q_OBJECT
private slots:
    // Before the settings are read: "4. God" selected, every rate 999 and
    // locked, and the window looks as laid out.
    void builtInState() {
        test::GameWindows w;
        Tsetup &setup = w.setup();
        QCOMPARE(setup.windowTitle(), QStringLiteral("Krumlix - choose level"));
        QCOMPARE(setup.size(), QSize(505, 231));
        QCOMPARE(setup.RadioGroup1->itemIndex(), 3);
        QCOMPARE(setup.RadioGroup1->item(5)->text(), QStringLiteral("User defined"));
        for (int n = 1; n <= 12; ++n) {
            QCOMPARE(setup.spinEdit(n)->value(), 999);
            QVERIFY(!setup.spinEdit(n)->isEnabled());
        }
        QCOMPARE(setup.spinEdit(9)->geometry(), QRect(313, 19 + 48, 48, 22));
        QCOMPARE(setup.labels[3]->text(), QStringLiteral("Elephants 1:30 - 1:00 :"));
        QCOMPARE(setup.labels[3]->pos(), QPoint(10, 23 + 72));
        QCOMPARE(setup.Button1->geometry(), QRect(27, 197, 75, 25));
    }

    // A preset fills its rates and locks them; the user's rates stay.
    void presetFillsAndDisables_data() {
        QTest::addColumn<int>("level");
        for (int level = 0; level < PresetLevelCount; ++level)
            QTest::addRow("level %d", level) << level;
    }
    void presetFillsAndDisables() {
        QFETCH(int, level);
        test::GameWindows w;
        w.shared.UserRates = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12};
        const auto userRates = w.shared.UserRates;
        // From "User defined", so that every preset is a change of level.
        w.setup().RadioGroup1->setItemIndex(5);
        w.setup().RadioGroup1->setItemIndex(level);
        const auto &preset = PresetRates[level];
        QCOMPARE(w.spinValues(), QList<int>(preset.begin(), preset.end()));
        for (int n = 1; n <= 12; ++n)
            QVERIFY(!w.setup().spinEdit(n)->isEnabled());
        QCOMPARE(w.shared.UserRates, userRates);
    }

    void championRates() {
        test::GameWindows w;
        w.setup().RadioGroup1->setItemIndex(2);
        QCOMPARE(w.spinValues(), (QList<int>{60, 45, 35, 30, 15, 15, 10, 25, 40, 45, 70, 70}));
    }

    // A typed user rate survives a switch to a preset and back.
    void userRatesSurviveSwitching() {
        test::GameWindows w;
        Tsetup &setup = w.setup();
        setup.show();
        setup.RadioGroup1->setItemIndex(5);
        for (int n = 1; n <= 12; ++n)
            QVERIFY(setup.spinEdit(n)->isEnabled());
        typeInto(setup, 3, QStringLiteral("100"));
        QCOMPARE(w.shared.UserRates[3], 100);
        QTest::mouseClick(setup.RadioGroup1->item(3), Qt::LeftButton);
        QCOMPARE(setup.RadioGroup1->itemIndex(), 3);
        QCOMPARE(setup.spinEdit(3)->value(), 45);
        QCOMPARE(w.shared.UserRates[3], 100);
        QTest::mouseClick(setup.RadioGroup1->item(5), Qt::LeftButton);
        QCOMPARE(setup.spinEdit(3)->value(), 100);
    }

    // A typed value outside 0..999 is clamped once the edit is left (OK
    // takes the focus before it acts), and reaches every copy clamped.
    void typedRateIsClamped_data() {
        test::columns<QString, int>("typed", "held");
        QTest::newRow("1500") << "1500" << 999;
        QTest::newRow("negative") << "-5" << 0;
        QTest::newRow("empty") << "" << 0;
        QTest::newRow("in range") << "250" << 250;
    }
    void typedRateIsClamped() {
        const auto [typed, held] = test::fetch<QString, int>("typed", "held");
        test::GameWindows w;
        Tsetup &setup = w.setup();
        setup.show();
        setup.RadioGroup1->setItemIndex(5);
        typeInto(setup, 2, typed);
        if (typed.isEmpty())
            QTest::keyClick(setup.spinEdit(2), Qt::Key_Delete);
        QTest::mouseClick(setup.Button1, Qt::LeftButton);
        QCOMPARE(setup.spinEdit(2)->value(), held);
        QCOMPARE(setup.spinEdit(2)->text(), QString::number(held));
        QCOMPARE(w.shared.UserRates[2], held);
        QCOMPARE(w.shared.AnimalRates[1][1], held);
        QCOMPARE(w.shared.AnimalRates[1][2], held);
    }

    // OK stores the level and the rates as (e, e, b, b) per period, and the
    // menu shows only the badge of that level.
    void okStoresLevelRatesAndBadge() {
        test::GameWindows w;
        Tsetup &setup = w.setup();
        setup.RadioGroup1->setItemIndex(1);
        setup.Button1Click();
        QCOMPARE(w.shared.DifficultyLevel, 1);
        const auto &preset = PresetRates[1];
        for (int p = 0; p < 6; ++p) {
            QCOMPARE(w.shared.AnimalRates[p][1], preset[p]);
            QCOMPARE(w.shared.AnimalRates[p][2], preset[p]);
            QCOMPARE(w.shared.AnimalRates[p][3], preset[p + 6]);
            QCOMPARE(w.shared.AnimalRates[p][4], preset[p + 6]);
        }
        QCOMPARE(w.shared.AnimalRates[0], (std::array<std::int32_t, 5>{-1, 25, 25, 10, 10}));
        for (int level = 0; level < 6; ++level)
            QCOMPARE(!w.menu().levelBadges[level]->isHidden(), level == 1);
        QCOMPARE(w.menu().levelBadges[1]->objectName(), QStringLiteral("Image15"));
    }

    // Enter presses OK; Escape leaves the window open.
    void enterPressesOkEscapeDoesNothing() {
        test::GameWindows w;
        Tsetup &setup = w.setup();
        setup.RadioGroup1->setItemIndex(4);
        setup.show();
        QVERIFY(QTest::qWaitForWindowExposed(&setup));
        QTest::keyClick(&setup, Qt::Key_Escape);
        QVERIFY(setup.isVisible());
        QTest::keyClick(&setup, Qt::Key_Return);
        QVERIFY(!setup.isVisible());
        QCOMPARE(w.shared.DifficultyLevel, 4);
    }

    // The notice reads "Level & Sound" on one line, "settings saved." below.
    void noticeTexts() {
        test::GameWindows w;
        TForm9 &notice = *w.context.windows.Form9;
        QCOMPARE(notice.windowTitle(), QStringLiteral("Krumlix"));
        QCOMPARE(notice.size(), QSize(194, 117));
        QCOMPARE(notice.Label1->text(), QStringLiteral("Level & Sound"));
        QCOMPARE(notice.Label2->text(), QStringLiteral("settings saved."));
        QCOMPARE(notice.Label1->pos(), QPoint(39, 16));
        QCOMPARE(notice.Label2->pos(), QPoint(38, 32));
        QCOMPARE(notice.Button1->geometry(), QRect(59, 80, 75, 25));
    }
};

QTEST_MAIN(SetupTest)
#include "tst_difficultywindow.moc"
