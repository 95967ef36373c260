// SPDX-License-Identifier: GPL-3.0-or-later
// The windows on scaled screens: one offscreen screen per pixel ratio
// (support/screens.json). Each screen has its ratio from its logical DPI, as
// a scaled X11 desktop gives it (Xft.dpi): from Qt 6.8 on, a window takes no
// ratio from the offscreen screen's own "dpr".
#include "game/field.h"
#include "info/ruleswindow.h"
#include "support/gamewindows.h"
#include "widgets/picture.h"

#include <QCheckBox>
#include <QPainter>
#include <QRadioButton>
#include <QRandomGenerator>
#include <QScreen>
#include <QStyle>
#include <QTest>

#include <cmath>

using namespace krumlix;

namespace {

constexpr qreal Ratios[] = {1.0, 1.25, 1.5, 1.75, 2.0, 3.0};

void showOn(QWidget *window, qreal ratio, QScreen *screen = nullptr) {
    if (!screen)
        screen =
            QGuiApplication::screens().value(int(std::find(Ratios, Ratios + 6, ratio) - Ratios));
    window->setScreen(screen);
    window->move(screen->geometry().center() - window->rect().center());
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window));
}

/// The root of the mean squared difference of two pictures' channels, 0..1.
double rmse(const QImage &a, const QImage &b) {
    const QImage x = a.convertToFormat(QImage::Format_RGB888), y = b.convertToFormat(x.format());
    double sum = 0;
    for (int row = 0; row < x.height(); ++row)
        for (int i = 0; i < x.width() * 3; ++i)
            sum += std::pow(x.constScanLine(row)[i] - y.constScanLine(row)[i], 2);
    return std::sqrt(sum / (3.0 * x.width() * x.height())) / 255.0;
}

/// Where a control's text is painted, in its parent's coordinates (a label's
/// own box, a button whole), and the room it has there in window pixels.
std::pair<QRect, int> textPlace(const QWidget *control) {
    const QStyle *style = control->style();
    if (const auto *label = qobject_cast<const QLabel *>(control)) {
        const QRect box = style->itemTextRect(label->fontMetrics(), label->contentsRect(),
                                              int(label->alignment()), true, label->text()) &
                          label->contentsRect();
        return {box.translated(control->pos()), control->width() - box.x()};
    }
    const bool box =
        qobject_cast<const QCheckBox *>(control) || qobject_cast<const QRadioButton *>(control);
    return {control->geometry(),
            control->width() - (box ? style->pixelMetric(QStyle::PM_IndicatorWidth) +
                                          style->pixelMetric(QStyle::PM_CheckBoxLabelSpacing)
                                    : 2 * style->pixelMetric(QStyle::PM_DefaultFrameWidth))};
}

/// How wide `text` is inked at `ratio` in `font`, in device pixels.
int inkWidth(const QString &text, const QFont &font, qreal ratio) {
    const QFontMetrics metrics(font);
    QImage image(QSize(metrics.horizontalAdvance(text) + 40, metrics.height()) * ratio,
                 QImage::Format_Grayscale8);
    image.setDevicePixelRatio(ratio);
    image.fill(0);
    QPainter painter(&image);
    painter.setFont(font);
    painter.setPen(Qt::white);
    painter.drawText(QPoint(0, metrics.ascent()), text);
    int right = -1;
    for (int y = 0; y < image.height(); ++y)
        for (int x = right + 1; x < image.width(); ++x)
            right = image.constScanLine(y)[x] > 64 ? x : right;
    return right + 1;
}

} // namespace

class ScalingTest : public QObject {
    Q_OBJECT

private slots:
    // The field drawn at 1x for thousands of steps and then moved to 2x is
    // the field drawn at 2x from the start, pixel for pixel.
    void fieldRedrawnAtAnotherRatio() {
        const SpriteSheet small(1.0), large(2.0);
        Field moved(small), native(large);
        QRandomGenerator random(21); // enough steps that the field prunes its list
        for (int step = 0; step < 5000; ++step) {
            const int x = random.bounded(-60, 640), y = random.bounded(-40, 400);
            const int fill = random.bounded(3), sprite = random.bounded(int(Sprite::Count));
            for (Field *field : {&moved, &native})
                fill ? field->draw(Sprite(sprite), x, y) : field->fillBlack(x, y, x + 50, y + 30);
        }
        moved.useSprites(large);
        QCOMPARE(moved.image(), native.image());
    }

    void windowsAtEveryRatio_data() {
        test::columns<QString, qreal>("window", "ratio");
        for (const char *window : {"Form1", "AboutBox", "Regler", "setup", "Highscore", "Sound",
                                   "Stats", "Form6", "Form7", "Form8", "Form9"})
            for (qreal ratio : Ratios)
                QTest::addRow("%s at %g", window, ratio) << window << ratio;
    }

    // Moved from the 1x screen to another, a window keeps its size; no text
    // of it is cut and no text or control lies over another; and each
    // picture is drawn for the new ratio, not the 1x picture magnified.
    void windowsAtEveryRatio() {
        const auto [window, ratio] = test::fetch<QString, qreal>("window", "ratio");
        test::GameWindows w;
        w.shared.GameState =
            GamePhase::AfterRun; // the game window's paint only draws the still scene
        QWidget *shown =
            window == QLatin1String("Form1") ? &w.game() : w.game().findChild<QWidget *>(window);
        THighscore &m = w.menu();
        m.showLevelBadge(3);
        QList<std::tuple<const char *, QWidget *, QRect>> pictures;
        for (const auto &p : QList<std::tuple<const char *, QWidget *, QRect>>{
                 {"sprites", w.game().PaintBox1, {88, 116, 169, 182}}, // a torch
                 {"menu words", m.Image2, {0, 117, 145, 253}},
                 {"corner picture", m.Image2, {6, 5, 133, 112}},
                 {"banner", m.Image12, m.Image12->rect()},
                 {"web link", m.Image14, m.Image14->rect()},
                 {"level badge", m.levelBadges[3], {0, 0, 25, 17}},
                 {"poses", w.context.windows.Regler->Image1, {0, 0, 300, 87}}})
            if (std::get<1>(p)->window() == shown)
                pictures << p;
        showOn(shown, 1.0);
        const QSize size = shown->size();
        QList<QImage> at1x;
        for (const auto &[name, widget, rect] : pictures)
            at1x << widget->grab(rect).toImage();
        const QImage icon1x = shown->windowIcon().pixmap(QSize(32, 32), 1.0).toImage();

        showOn(shown, ratio);
        QCOMPARE(shown->devicePixelRatioF(), ratio);
        QCOMPARE(shown->size(), size);

        for (const QWidget *control : shown->findChildren<QWidget *>()) {
            const QString text = control->property("text").toString();
            if (text.isEmpty() || !control->isVisibleTo(shown))
                continue;
            // In device pixels: the last one may be shared with the edge.
            const auto [box, room] = textPlace(control);
            const int ink = inkWidth(text, control->font(), ratio);
            QVERIFY2(ink <= std::ceil(room * ratio), qPrintable(text));
            QVERIFY(control->parentWidget()->rect().contains(control->geometry()));
            for (const QWidget *other :
                 control->parentWidget()->findChildren<QWidget *>(Qt::FindDirectChildrenOnly)) {
                if (other == control || !other->isVisibleTo(shown) ||
                    other->property("text").toString().isEmpty())
                    continue;
                // The sound window's rows of 17-pixel controls lie 16 apart
                // (one pair 15): neighbours share an edge, nothing more.
                const QRect both = box & textPlace(other).first;
                QVERIFY2(
                    both.isEmpty() || std::min(both.width(), both.height()) <= 2,
                    qPrintable(text + QStringLiteral(" / ") + other->property("text").toString()));
            }
        }

        if (ratio == 1.0)
            return;
        // Each picture beside the 1x one magnified: drawn afresh, it differs.
        QStringList magnified;
        auto compare = [&](const char *name, const QImage &now, const QImage &small) {
            const double difference = rmse(
                now, small.scaled(now.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
            qInfo("%s at %g: RMSE %.4f from the 1x one magnified", name, ratio, difference);
            if (difference < 0.02)
                magnified << QLatin1String(name);
        };
        for (const auto &[name, widget, rect] : pictures) {
            const QImage now = widget->grab(rect).toImage();
            if (const auto *picture = qobject_cast<const QLabel *>(widget))
                QCOMPARE(picture->pixmap().devicePixelRatio(), ratio); // made for this screen
            compare(name, now, at1x.takeFirst());
        }
        if (shown == &w.game()) {
            QCOMPARE(w.game().field().image().devicePixelRatio(), std::ceil(ratio));
            compare("icon", shown->windowIcon().pixmap(QSize(32, 32), ratio).toImage(), icon1x);
        }
        QVERIFY2(magnified.isEmpty(), qPrintable(magnified.join(QStringLiteral(", "))));
    }

    void fullScreenAtWholeScale_data() {
        test::columns<QString, int, qreal>("screen", "scale", "fieldRatio");
        // The screens are listed by name: these come after the six above.
        QTest::newRow("1920x1080") << "hd 1920x1080" << 2 << 2.0;
        QTest::newRow("3840x2160") << "uhd 3840x2160" << 4 << 4.0;
        QTest::newRow("3840x2160 at 200 %") << "uhd 3840x2160 at 2" << 2 << 4.0;
    }

    // F11 shows the window's content at the largest whole scale that fits,
    // centred on black, each picture and text drawn for the pixels it covers:
    // at 2x on a 1920 x 1080 screen as the window is at 200 %. F11 again puts
    // the window back as it was.
    void fullScreenAtWholeScale() {
        const auto [name, scale, fieldRatio] =
            test::fetch<QString, int, qreal>("screen", "scale", "fieldRatio");
        QScreen *screen = nullptr;
        for (QScreen *s : QGuiApplication::screens())
            screen = s->name() == name ? s : screen;
        test::GameWindows w;
        w.shared.GameState = GamePhase::AfterRun;
        TForm1 &game = w.game();
        showOn(&game, 1.0);
        const QImage small = game.grab().toImage();
        showOn(&game, fieldRatio, screen);
        const QRect normal = game.geometry();
        game.toggleFullScreen();
        QTRY_COMPARE(game.geometry(), screen->geometry());
        const QImage full = game.grab().toImage();
        const qreal ratio = screen->devicePixelRatio();
        const QRect content(
            QPoint(screen->size().width() - 640 * scale, screen->size().height() - 456 * scale) *
                (ratio / 2),
            QSize(640, 456) * scale * ratio);
        QCOMPARE(game.field().image().devicePixelRatio(), fieldRatio);
        QImage margins = full.convertToFormat(QImage::Format_RGB32), black = margins;
        margins.setDevicePixelRatio(1); // painted in screen pixels
        QPainter(&margins).fillRect(content, Qt::black);
        black.fill(Qt::black);
        QVERIFY(margins == black);
        const QImage shown = full.copy(content);
        // A part repainted alone (a torch) is drawn where it belongs.
        const QRect torch(content.topLeft() / ratio + QPoint(88, 56 + 116) * scale,
                          QSize(169, 182) * scale);
        QCOMPARE(rmse(game.grab(torch).toImage(),
                      full.copy(QRect(torch.topLeft() * ratio, torch.size() * ratio))),
                 0.0);
        const double magnified = rmse(
            shown, small.scaled(shown.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
        qInfo("%s: RMSE %.4f from the 1x window magnified", qPrintable(name), magnified);
        QVERIFY(magnified > 0.02);
        game.toggleFullScreen();
        QTRY_COMPARE(game.geometry(), normal);
        if (scale * ratio == 2) {
            showOn(&game, 2.0);
            const double difference = rmse(shown, game.grab().toImage());
            qInfo("%s: RMSE %.4f from the window at 200 %%", qPrintable(name), difference);
            QVERIFY(difference < 0.01);
        }
    }
};

QTEST_MAIN(ScalingTest)
#include "tst_scaling.moc"
