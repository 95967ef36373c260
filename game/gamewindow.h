// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "field.h"
#include "gamehost.h"
#include "gamerun.h"
#include "keyrepeater.h"
#include "platform/appcontext.h"
#include "sprites.h"

#include <QHash>
#include <QLabel>
#include <QWidget>

#include <memory>
#include <optional>

namespace krumlix {

class ScaledView;

/// The game window: the readout panel over the playing field, the run, the
/// start-up of the whole program and its end.
class TForm1 : public QWidget, private GameHost {
    Q_OBJECT
public:
    explicit TForm1(AppContext &context);
    ~TForm1() override;

    /// Runs the start-up sequence if it has not run yet (also triggered by
    /// the window's first activation).
    void FormActivate();
    /// The paint dispatch: after-run clean-up or the start of a requested run.
    void FormPaint();
    void FormKeyDown(std::uint16_t key);
    /// Switches between the window and the whole screen (F11), where the
    /// window's content is shown at the largest whole-number scale that
    /// fits, on black. Nothing else changes: a run goes on as it was.
    /// `origin` is where the display has the window's client area, when
    /// Qt's idea of it may be stale; the window comes back there.
    void toggleFullScreen(std::optional<QPoint> origin = std::nullopt);
    /// The window's place and size out of fullscreen.
    const QRect &windowedGeometry() const { return normalGeometry_; }

    GameRun &game() { return *game_; }
    Field &field() { return *field_; }
    PaintBox *PaintBox1 = nullptr;

    QLabel *Label1 = nullptr;  ///< the clock
    QLabel *Label2 = nullptr;  ///< the score
    QLabel *Label35 = nullptr; ///< the hitrate
    QLabel *Label53 = nullptr; ///< "Press Enter to Continue"
    QLabel *Label56 = nullptr; ///< the bonus earned

    /// The keyboard repeat the player had before the game set the fastest.
    RepeatRate SavedKeyboardRepeat;

    /// Right edges of the three readouts inside their boxes.
    static constexpr int ClockRight = 147;
    static constexpr int ScoreRight = 162;
    static constexpr int HitrateRight = 202;

protected:
    bool event(QEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void keyReleaseEvent(QKeyEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    // GameHost
    void showClock(const QString &text) override;
    void showScore(std::int32_t score) override;
    void showHitrate(float hitrate) override;
    void setPromptVisible(bool visible) override;
    void showBonusLabel(const QString &text, int left) override;
    void hideBonusLabel() override;
    int selectedLevel() override;
    int rateSpinValue(int n) override;
    void PlayEventSound(SoundEvent event) override;
    void fieldChanged() override;
    void requestRepaint() override;
    void showMenu() override;

    void FormClose();
    void buildPanel();
    void queueDispatch();
    /// Sets a readout or label through `change`; if that changed what it
    /// shows, the fullscreen view repaints where it was and where it is.
    template <typename Change> void changeShown(QLabel *label, Change change);
    /// The session lets no program set the keyboard's repeat: held keys are
    /// repeated by the game at the fastest rate, the system's repeats of them
    /// are not acted on.
    bool ownRepeats() const { return !context_.platform.keyboard.canSet(); }

    AppContext &context_;
    SharedState &s_;
    std::unique_ptr<SpriteSheet> sprites_;
    std::unique_ptr<Field> field_;
    std::unique_ptr<GameRun> game_;
    /// Everything the window shows, at window coordinates; in fullscreen it
    /// is hidden and `fullScreenView_` draws it scaled.
    QWidget *content_ = nullptr;
    ScaledView *fullScreenView_ = nullptr;
    QRect normalGeometry_; ///< the window's place before fullscreen
    bool startupRunning_ = false;
    bool dispatchQueued_ = false;
    bool keyboardChanged_ = false;
    /// The run waits through the repeater's timer, so that the game's own
    /// repeats come on the run's clock.
    RepeatingWaiter repeatWaiter_;
    Platform runPlatform_;
    std::unique_ptr<KeyRepeater> repeater_;
    /// For each key, the run in which it last went down (0: outside a run).
    QHash<std::uint16_t, std::uint32_t> pressedInRun_;
};

} // namespace krumlix
