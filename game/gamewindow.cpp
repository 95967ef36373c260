// SPDX-License-Identifier: GPL-3.0-or-later
#include "gamewindow.h"

#include "geometry.h"
#include "highscore/menuwindow.h"
#include "settings/difficultywindow.h"
#include "settings/settingsfile.h"
#include "sound/soundwindow.h"
#include "widgets/numberformat.h"
#include "widgets/scaledview.h"
#include "widgets/windowlook.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QScreen>
#include <QWindow>

#include <tuple>

namespace krumlix {
namespace {

/// The virtual-key code of a key the game knows, 0 for any other.
std::uint16_t virtualKey(const QKeyEvent *event) {
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return static_cast<std::uint16_t>(Key::Enter);
    case Qt::Key_Escape:
        return static_cast<std::uint16_t>(Key::Escape);
    case Qt::Key_Space:
        return static_cast<std::uint16_t>(Key::Space);
    case Qt::Key_Left:
        return static_cast<std::uint16_t>(Key::Left);
    case Qt::Key_Right:
        return static_cast<std::uint16_t>(Key::Right);
    default:
        return 0;
    }
}

QLabel *whiteLabel(QWidget *parent, const QString &text, const QRect &geometry) {
    auto *label = new QLabel(text, parent);
    label->setFont(verdanaPixels(24));
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, Qt::white);
    label->setPalette(palette);
    label->setGeometry(geometry);
    return label;
}

QLabel *promptLabel(QWidget *parent, const QString &text, const QRect &geometry) {
    QLabel *label = whiteLabel(parent, text, geometry);
    QPalette palette = label->palette();
    palette.setColor(QPalette::Window, Qt::black);
    label->setPalette(palette);
    label->setAutoFillBackground(true);
    return label;
}

} // namespace

TForm1::TForm1(AppContext &context)
    : QWidget(nullptr), context_(context), s_(context.shared),
      repeatWaiter_(context.platform.counter, context.platform.waiter,
                    [this] { repeater_->wake(); }),
      runPlatform_{context.platform.counter,   repeatWaiter_,
                   context.platform.keyboard,  context.platform.messages,
                   context.platform.timeOfDay, context.platform.random,
                   context.platform.sound,     context.platform.browser} {
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("Krumlix"));
    // A plain title bar: no system menu, no minimise, maximise or close box.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::MSWindowsFixedSizeDialogHint);
    setFixedSize(FieldWidth, PanelHeight + FieldHeight);
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, Qt::black);
    setPalette(palette);
    setAutoFillBackground(true);
    setFocusPolicy(Qt::StrongFocus);
    content_ = new QWidget(this);
    content_->setGeometry(rect());
    content_->setPalette(palette);
    content_->setAutoFillBackground(true);

    s_.GameState = GamePhase::NoRunYet;
    // The game's files are found beside "setup.ini" in the working folder
    // the program was started in.
    s_.ProgramDir = QDir::toNativeSeparators(QFileInfo(QStringLiteral("setup.ini")).absolutePath());
    if (!s_.ProgramDir.endsWith(QDir::separator()))
        s_.ProgramDir += QDir::separator();

    const QScreen *screen = QGuiApplication::primaryScreen();
    sprites_ = std::make_unique<SpriteSheet>(screen ? screen->devicePixelRatio() : 1.0);
    field_ = std::make_unique<Field>(*sprites_);
    game_ = std::make_unique<GameRun>(s_, runPlatform_, *field_, static_cast<GameHost &>(*this));
    repeater_ = std::make_unique<KeyRepeater>(
        context.platform.counter, repeatWaiter_,
        [this]() -> std::uint32_t {
            return s_.GameState == GamePhase::Running ? game_->runsStarted() : 0;
        },
        [this](std::uint16_t key) { FormKeyDown(key); });

    // On a screen of another pixel ratio the field is drawn afresh from the
    // sprites rendered for it.
    PaintBox1 = new PaintBox(*field_, content_, [this](qreal ratio) {
        auto sprites = std::make_unique<SpriteSheet>(ratio);
        field_->useSprites(*sprites);
        sprites_ = std::move(sprites);
    });
    PaintBox1->setGeometry(0, PanelHeight, FieldWidth, FieldHeight);
    // The still scene stands in the field from the start.
    game_->drawStillScene();
    field_->takeDirty();

    buildPanel();
    Label53 =
        promptLabel(content_, QStringLiteral("Press Enter to Continue"), QRect(181, 117, 281, 29));
    Label56 = promptLabel(content_, QString(), QRect(132, 77, 396, 29));
    Label56->hide();

    fullScreenView_ =
        new ScaledView(content_, this, [this](int scale) { PaintBox1->setScale(scale); });
    fullScreenView_->hide();
}

TForm1::~TForm1() = default;

void TForm1::buildPanel() {
    auto *panel = new QWidget(content_);
    panel->setGeometry(0, 0, FieldWidth, PanelHeight);
    QPalette palette = panel->palette();
    palette.setColor(QPalette::Window, WindowColour);
    panel->setPalette(palette);
    panel->setAutoFillBackground(true);

    auto box = [panel](const QRect &geometry, const QString &caption) {
        auto *frame = new QWidget(panel);
        frame->setGeometry(geometry);
        whiteLabel(frame, caption, QRect(0, 0, geometry.width(), geometry.height()));
        return frame;
    };
    QWidget *time = box(QRect(17, 14, 152, 29), QStringLiteral(" Time: "));
    QWidget *score = box(QRect(195, 14, 171, 29), QStringLiteral(" Score: "));
    QWidget *hitrate = box(QRect(388, 14, 233, 29), QStringLiteral(" Hitrate: "));
    Label1 = whiteLabel(time, QString(), QRect(0, 0, 0, 29));
    Label2 = whiteLabel(score, QString(), QRect(0, 0, 0, 29));
    Label35 = whiteLabel(hitrate, QString(), QRect(0, 0, 0, 29));
    QLabel *percent = whiteLabel(hitrate, QStringLiteral("%"), QRect(204, 0, 29, 29));
    percent->setObjectName(QStringLiteral("Label36"));
    setTextRightAligned(Label1, QStringLiteral("3:03"), ClockRight);
    setTextRightAligned(Label2, QStringLiteral("0"), ScoreRight);
    setTextRightAligned(Label35, QStringLiteral("0,00"), HitrateRight);
}

bool TForm1::event(QEvent *event) {
    switch (event->type()) {
    case QEvent::WindowDeactivate:
        // A key held while the keyboard goes to another window is not
        // repeated here any more; its release will not come here.
        repeater_->stop();
        break;
    case QEvent::Show:
        if (QWindow *window = windowHandle())
            window->installEventFilter(this);
        [[fallthrough]];
    case QEvent::WindowActivate:
        // The first activation starts the program proper; it runs from the
        // event loop, never inside the event that announced it.
        if (s_.GameState == GamePhase::NoRunYet && !startupRunning_)
            QMetaObject::invokeMethod(this, &TForm1::FormActivate, Qt::QueuedConnection);
        break;
    default:
        break;
    }
    return QWidget::event(event);
}

bool TForm1::eventFilter(QObject *watched, QEvent *event) {
    // A system expose of the window runs the paint dispatch, after the
    // expose has been handled.
    if (event->type() == QEvent::Expose && watched == windowHandle() && windowHandle()->isExposed())
        queueDispatch();
    return QWidget::eventFilter(watched, event);
}

void TForm1::queueDispatch() {
    if (dispatchQueued_)
        return;
    dispatchQueued_ = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            dispatchQueued_ = false;
            FormPaint();
        },
        Qt::QueuedConnection);
}

void TForm1::FormActivate() {
    if (s_.GameState != GamePhase::NoRunYet || startupRunning_)
        return;
    startupRunning_ = true;
    context_.errors.guard([this] {
        // A held arrow key turns the hero quickly.
        // Where the session keeps the repeat to itself, the game's own
        // repeats do it instead and the player's settings are never touched.
        // A repeat at the fastest already is left as it is: it is another
        // game's, to be put back by that game, never by this one.
        if (!ownRepeats() && !keyboardChanged_ &&
            context_.platform.keyboard.read(SavedKeyboardRepeat) &&
            !(SavedKeyboardRepeat == FastestRepeat)) {
            context_.platform.keyboard.set(FastestRepeat);
            keyboardChanged_ = true;
        }
        loadSettingsAtStartUp(context_);
        TSound *sound = context_.windows.Sound;
        for (int e = 1; e <= SoundEventCount; ++e)
            sound->showFileName(e);
        sound->PlayEventSound(static_cast<int>(SoundEvent::Intro) + 1);
        showMenu();
        FormPaint();
    });
    startupRunning_ = false;
}

void TForm1::FormPaint() {
    context_.errors.guard([this] { game_->FormPaint(); });
}

void TForm1::FormKeyDown(std::uint16_t key) {
    context_.errors.guard([this, key] { game_->FormKeyDown(key); });
}

void TForm1::keyPressEvent(QKeyEvent *event) {
    const std::uint16_t key = virtualKey(event);
    if (ownRepeats() && event->isAutoRepeat() && KeyRepeater::repeats(key)) {
        // The system's repeat, at the player's own rate: the game makes its
        // own instead.
        repeater_->systemRepeat(key, event->timestamp());
        return;
    }
    // In a run every key-down counts, the keyboard's repeats included, once
    // the key has gone down in this run. Outside a run a repeat does nothing:
    // a held Enter that ends a run does not also leave the after-run screen,
    // and one held from the menu does not end the run it started.
    if (event->isAutoRepeat()) {
        if (s_.GameState != GamePhase::Running ||
            pressedInRun_.value(key, 0) != game_->runsStarted())
            return;
    } else {
        pressedInRun_.insert(key, s_.GameState == GamePhase::Running ? game_->runsStarted() : 0);
    }
    FormKeyDown(key);
    // Any key going down, a letter as much as one of the game's, ends the
    // repeat of the one held before, as the keyboard's own repeat does.
    if (ownRepeats() && !event->isAutoRepeat())
        repeater_->pressed(key);
}

void TForm1::keyReleaseEvent(QKeyEvent *event) {
    if (ownRepeats() && !event->isAutoRepeat())
        repeater_->released(virtualKey(event), event->timestamp());
    QWidget::keyReleaseEvent(event);
}

void TForm1::closeEvent(QCloseEvent *event) {
    if (!game_->FormCloseQuery()) {
        event->ignore();
        return;
    }
    event->accept();
    FormClose();
}

void TForm1::FormClose() {
    if (TSound *sound = context_.windows.Sound)
        sound->StopSound();
    if (keyboardChanged_) {
        context_.platform.keyboard.set(SavedKeyboardRepeat);
        keyboardChanged_ = false;
    }
    // The game window is the main window: its closing ends the program,
    // whichever window is open over it.
    if (THighscore *menu = context_.windows.Highscore; menu && menu->isVisible())
        menu->done(QDialog::Rejected);
    if (context_.endProgram)
        context_.endProgram();
}

void TForm1::toggleFullScreen(std::optional<QPoint> origin) {
    if (!isFullScreen()) {
        normalGeometry_ = QRect(origin.value_or(geometry().topLeft()), size());
        // Some window managers make no window of a fixed size fullscreen.
        setMinimumSize(0, 0);
        setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
        fullScreenView_->setGeometry(rect());
        fullScreenView_->show();
        content_->hide();
        // As showFullScreen, the window manager's fullscreen state, without
        // its activation of the window: an open dialog keeps the keyboard.
        setWindowState(windowState() | Qt::WindowFullScreen);
    } else {
        setWindowState(windowState() & ~Qt::WindowFullScreen);
        setFixedSize(FieldWidth, PanelHeight + FieldHeight);
        setGeometry(normalGeometry_);
        content_->show();
        fullScreenView_->hide();
        PaintBox1->setScale(1);
    }
}

void TForm1::resizeEvent(QResizeEvent *event) {
    fullScreenView_->setGeometry(rect());
    QWidget::resizeEvent(event);
}

template <typename Change> void TForm1::changeShown(QLabel *label, Change change) {
    // The readouts are given their text at every tick; only a change is
    // drawn again, as a shown label does of itself.
    const auto shown = [this, label] {
        return std::tuple(QRect(label->mapTo(content_, QPoint()), label->size()), label->isHidden(),
                          label->text());
    };
    const auto before = shown();
    change();
    const auto after = shown();
    if (fullScreenView_->isVisible() && after != before)
        fullScreenView_->updateSource(QRegion(std::get<QRect>(before)) + std::get<QRect>(after));
}

void TForm1::showClock(const QString &text) {
    changeShown(Label1, [&] { setTextRightAligned(Label1, text, ClockRight); });
}

void TForm1::showScore(std::int32_t score) {
    changeShown(Label2, [&] { setTextRightAligned(Label2, QString::number(score), ScoreRight); });
}

void TForm1::showHitrate(float hitrate) {
    changeShown(Label35, [&] {
        setTextRightAligned(Label35, fixed2(static_cast<double>(hitrate)), HitrateRight);
    });
}

void TForm1::setPromptVisible(bool visible) {
    changeShown(Label53, [&] { Label53->setVisible(visible); });
}

void TForm1::showBonusLabel(const QString &text, int left) {
    changeShown(Label56, [&] {
        Label56->setText(text);
        Label56->setGeometry(left, Label56->y(), Label56->fontMetrics().horizontalAdvance(text),
                             Label56->height());
        Label56->show();
    });
}

void TForm1::hideBonusLabel() {
    changeShown(Label56, [&] { Label56->hide(); });
}

int TForm1::selectedLevel() {
    return context_.windows.setup->RadioGroup1->itemIndex();
}

int TForm1::rateSpinValue(int n) {
    return context_.windows.setup->spinEdit(n)->value();
}

void TForm1::PlayEventSound(SoundEvent event) {
    if (TSound *sound = context_.windows.Sound)
        sound->PlayEventSound(static_cast<int>(event) + 1);
}

void TForm1::fieldChanged() {
    if (fullScreenView_->isVisible())
        fullScreenView_->updateSource(field_->takeDirty().translated(0, PanelHeight));
    else
        PaintBox1->flush();
}

void TForm1::requestRepaint() {
    queueDispatch();
}

void TForm1::showMenu() {
    QPointer<THighscore> menu = context_.windows.Highscore;
    if (menu)
        menu->exec();
}

} // namespace krumlix
