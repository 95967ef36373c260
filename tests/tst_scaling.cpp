// SPDX-License-Identifier: GPL-3.0-or-later
// The windows on scaled screens: one offscreen screen per pixel ratio, side
// by side, and each window shown on the 1x screen, then moved to another.
#include "game/field.h"
#include "info/ruleswindow.h"
#include "support/gamewindows.h"
#include "widgets/picture.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPainter>
#include <QRadioButton>
#include <QRandomGenerator>
#include <QScreen>
#include <QStyle>
#include <QTemporaryFile>
#include <QTest>

#include <cmath>

using namespace krumlix;

namespace {

constexpr qreal Ratios[] = {1.0, 1.25, 1.5, 1.75, 2.0, 3.0};

QScreen *screenOf(qreal ratio) {
    for (QScreen *screen : QGuiApplication::screens())
        if (qFuzzyCompare(screen->devicePixelRatio(), ratio))
            return screen;
    return nullptr;
}

void showOn(QWidget *window, qreal ratio) {
    QScreen *screen = screenOf(ratio);
    window->setScreen(screen);
    window->move(screen->geometry().center() - window->rect().center());
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window));
}

/// The root of the mean squared difference of two pictures' channels, 0..1.
double rmse(const QImage &a, const QImage &b) {
    const QImage x = a.convertToFormat(QImage::Format_RGB32);
    const QImage y = b.convertToFormat(QImage::Format_RGB32).scaled(x.size());
    double sum = 0;
    for (int row = 0; row < x.height(); ++row) {
        const auto *p = reinterpret_cast<const QRgb *>(x.constScanLine(row));
        const auto *q = reinterpret_cast<const QRgb *>(y.constScanLine(row));
        for (int i = 0; i < x.width(); ++i)
            for (int d :
                 {qRed(p[i]) - qRed(q[i]), qGreen(p[i]) - qGreen(q[i]), qBlue(p[i]) - qBlue(q[i])})
                sum += double(d * d);
    }
    return std::sqrt(sum / (3.0 * x.width() * x.height())) / 255.0;
}

struct Shown {
    const char *name;
    QWidget *widget;
    QRect rect; ///< the picture's part of the widget
};

/// The pictures each window shows, by the parts of the window they are in.
QList<Shown> picturesOf(test::GameWindows &w, QWidget *window) {
    if (window == &w.game())
        return {{"sprites", w.game().PaintBox1, QRect(88, 116, 169, 182)}}; // a torch
    if (window == &w.menu()) {
        THighscore &m = w.menu();
        return {{"menu words", m.Image2, QRect(0, 117, 145, 253)},
                {"corner picture", m.Image2, QRect(6, 5, 133, 112)},
                {"banner", m.Image12, m.Image12->rect()},
                {"web link", m.Image14, m.Image14->rect()},
                {"level badge", m.levelBadges[3], m.levelBadges[3]->rect()}};
    }
    if (auto *rules = qobject_cast<TRegler *>(window))
        return {{"poses", rules->Image1, rules->Image1->rect()}};
    return {};
}

/// Where a control's text is painted, in its parent's coordinates: the
/// whole control for a button, the text's own box for a label.
QRect textBox(const QWidget *control) {
    if (const auto *label = qobject_cast<const QLabel *>(control)) {
        const QRect box =
            control->style()->itemTextRect(label->fontMetrics(), label->contentsRect(),
                                           int(label->alignment()), true, label->text());
        return (box & label->contentsRect()).translated(control->pos());
    }
    return control->geometry();
}

/// How wide `text` is inked at `ratio` in `font`, in device pixels.
int inkWidth(const QString &text, const QFont &font, qreal ratio) {
    const QFontMetrics metrics(font);
    QImage image(QSize(metrics.horizontalAdvance(text) * 2 + 40, metrics.height() * 2) * ratio,
                 QImage::Format_RGB32);
    image.setDevicePixelRatio(ratio);
    image.fill(Qt::black);
    QPainter painter(&image);
    painter.setFont(font);
    painter.setPen(Qt::white);
    painter.drawText(QPoint(0, metrics.ascent()), text);
    painter.end();
    int right = -1;
    for (int y = 0; y < image.height(); ++y)
        for (int x = right + 1; x < image.width(); ++x)
            if (qRed(image.pixel(x, y)) > 64)
                right = x;
    return right + 1;
}

/// The room a control leaves its text, in window pixels.
int textRoom(const QWidget *control) {
    const QStyle *style = control->style();
    if (qobject_cast<const QCheckBox *>(control) || qobject_cast<const QRadioButton *>(control))
        return control->width() - style->pixelMetric(QStyle::PM_IndicatorWidth) -
               style->pixelMetric(QStyle::PM_CheckBoxLabelSpacing);
    if (qobject_cast<const QAbstractButton *>(control))
        return control->width() - 2 * style->pixelMetric(QStyle::PM_DefaultFrameWidth);
    return control->width() - textBox(control).x() + control->x();
}

QString textOf(const QWidget *control) {
    if (const auto *label = qobject_cast<const QLabel *>(control))
        return label->text();
    if (const auto *button = qobject_cast<const QAbstractButton *>(control))
        return button->text();
    return {};
}

} // namespace

class ScalingTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        for (qreal ratio : Ratios)
            QVERIFY2(screenOf(ratio), "the offscreen screens were not set up");
    }

    // The field drawn at 1x for thousands of steps and then moved to 2x is
    // the field drawn at 2x from the start, pixel for pixel.
    void fieldRedrawnAtAnotherRatio() {
        const SpriteSheet small(1.0), large(2.0);
        Field moved(small), native(large);
        QRandomGenerator random(21);
        for (int step = 0; step < 5000; ++step) {
            const int x = random.bounded(-60, 640), y = random.bounded(-40, 400);
            if (random.bounded(3) == 0) {
                const int x2 = x + random.bounded(1, 80), y2 = y + random.bounded(1, 60);
                for (Field *field : {&moved, &native})
                    field->fillBlack(x, y, x2, y2);
            } else {
                const auto sprite = Sprite(random.bounded(int(Sprite::Count)));
                for (Field *field : {&moved, &native})
                    field->draw(sprite, x, y);
            }
        }
        moved.useSprites(large);
        QCOMPARE(moved.image(), native.image());
    }

    void windowsAtEveryRatio_data() {
        QTest::addColumn<QString>("window");
        QTest::addColumn<qreal>("ratio");
        for (const char *window : {"Form1", "AboutBox", "Regler", "setup", "Highscore", "Sound",
                                   "Stats", "Form6", "Form7", "Form8", "Form9"})
            for (qreal ratio : Ratios)
                QTest::addRow("%s at %g", window, ratio) << window << ratio;
    }

    // Moved from the 1x screen to another, a window keeps its size; no text
    // of it is cut and no text or control lies over another; and each
    // picture is drawn for the new ratio, not the 1x picture magnified.
    void windowsAtEveryRatio() {
        QFETCH(QString, window);
        QFETCH(qreal, ratio);
        test::GameWindows w;
        w.shared.GameState = 0; // the game window's paint only draws the still scene
        QWidget *shown =
            window == QLatin1String("Form1") ? &w.game() : w.game().findChild<QWidget *>(window);
        QVERIFY(shown);
        w.menu().showLevelBadge(3);
        showOn(shown, 1.0);
        const QSize size = shown->size();
        QList<QImage> at1x;
        const QList<Shown> pictures = picturesOf(w, shown);
        for (const Shown &p : pictures)
            at1x << p.widget->grab(p.rect).toImage();
        const QImage icon1x = shown->windowIcon().pixmap(QSize(32, 32), 1.0).toImage();

        showOn(shown, ratio);
        QCOMPARE(shown->devicePixelRatioF(), ratio);
        QCOMPARE(shown->size(), size);

        for (const QWidget *control : shown->findChildren<QWidget *>()) {
            const QString text = textOf(control);
            if (text.isEmpty() || !control->isVisibleTo(shown))
                continue;
            // In device pixels: the last one may be shared with the edge.
            const int ink = inkWidth(text, control->font(), ratio);
            const int room = int(std::ceil(textRoom(control) * ratio));
            QVERIFY2(
                ink <= room,
                qPrintable(
                    QStringLiteral("\"%1\" needs %2 of %3 pixels").arg(text).arg(ink).arg(room)));
            const QRect box = textBox(control);
            QVERIFY2(control->parentWidget()->rect().contains(control->geometry()),
                     qPrintable(text));
            for (const QWidget *other :
                 control->parentWidget()->findChildren<QWidget *>(Qt::FindDirectChildrenOnly)) {
                if (other == control || !other->isVisibleTo(shown) ||
                    (textOf(other).isEmpty() && !qobject_cast<const QAbstractButton *>(other)))
                    continue;
                // The sound window's rows of 17-pixel controls lie 16 apart
                // (one pair 15): neighbours share an edge, nothing more.
                const QRect both = box & textBox(other);
                QVERIFY2(both.isEmpty() || std::min(both.width(), both.height()) <= 2,
                         qPrintable(text + QStringLiteral(" / ") + textOf(other)));
            }
        }

        if (ratio == 1.0)
            return;
        // Each picture beside the 1x one magnified: drawn afresh, it differs.
        QStringList magnified;
        auto compare = [&](const char *name, const QImage &now, const QImage &small) {
            const double difference = rmse(
                now, small.scaled(now.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
            // and the same picture: at a whole ratio, reduced to 1x it is
            // near the 1x one (between two, tiny text resamples unevenly)
            const double reduced = rmse(
                now.scaled(small.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation), small);
            qInfo("%s at %g: RMSE %.4f from the 1x picture magnified, %.4f reduced to 1x", name,
                  ratio, difference, reduced);
            if (difference < 0.02 || (ratio == std::floor(ratio) && reduced > 0.05))
                magnified << QStringLiteral("%1 %2 %3")
                                 .arg(QLatin1String(name))
                                 .arg(difference)
                                 .arg(reduced);
        };
        for (qsizetype i = 0; i < pictures.size(); ++i) {
            const QImage now = pictures[i].widget->grab(pictures[i].rect).toImage();
            QCOMPARE(now.devicePixelRatio(), ratio);
            if (const auto *picture = qobject_cast<const QLabel *>(pictures[i].widget))
                QCOMPARE(picture->pixmap().devicePixelRatio(), ratio); // made for this screen
            compare(pictures[i].name, now, at1x[i]);
        }
        if (shown == &w.game()) {
            QCOMPARE(w.game().field().image().devicePixelRatio(), std::ceil(ratio));
            compare("icon", shown->windowIcon().pixmap(QSize(32, 32), ratio).toImage(), icon1x);
        }
        QVERIFY2(magnified.isEmpty(), qPrintable(magnified.join(QStringLiteral(", "))));
    }
};

int main(int argc, char **argv) {
    // One screen per ratio, side by side.
    QTemporaryFile config;
    if (!config.open())
        return 1;
    QJsonArray screens;
    int x = 0;
    for (qreal ratio : Ratios) {
        // In device pixels: each screen is 2000 x 1500 window pixels.
        const int width = int(2000 * ratio);
        screens.append(QJsonObject{{"name", QStringLiteral("screen %1").arg(ratio)},
                                   {"x", x},
                                   {"y", 0},
                                   {"width", width},
                                   {"height", int(1500 * ratio)},
                                   {"dpr", ratio}});
        x += width;
    }
    config.write(QJsonDocument(QJsonObject{{"screens", screens}}).toJson());
    config.flush();
    qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" + config.fileName().toLocal8Bit());
    QApplication app(argc, argv);
    ScalingTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_scaling.moc"
