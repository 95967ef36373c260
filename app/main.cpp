// SPDX-License-Identifier: GPL-3.0-or-later
#include "game/gamewindow.h"
#include "platform/emergencyrestore.h"
#include "platform/errors.h"
#include "platform/frameextents_x11.h"
#include "platform/gamepad_sdl.h"
#include "platform/singlegame.h"
#include "platform/systemplatform.h"
#include "widgets/fullscreenkey.h"
#include "widgets/heldkeys.h"
#include "widgets/padkeys.h"
#include "widgets/windowplacement.h"
#include "windows.h"

#include <QApplication>
#include <QGuiApplication>
#include <QMessageBox>

#include <memory>

namespace {

/// Reports an error that escaped a handler of ours, instead of letting it
/// through the toolkit.
class KrumlixApplication : public QApplication {
public:
    KrumlixApplication(int &argc, char **argv) : QApplication(argc, argv) {}
    krumlix::ErrorHandler *errors = nullptr;

    bool notify(QObject *receiver, QEvent *event) override {
        try {
            return QApplication::notify(receiver, event);
        } catch (const krumlix::KrumlixError &error) {
            if (errors)
                errors->report(error);
            return false;
        }
    }
};

/// Brings the running game forward: every window of it shown again, and
/// the one in front (the menu or a dialog where one is open, else the game
/// window) raised and active.
void bringForward(QWidget *game) {
    for (QWidget *window : QApplication::topLevelWidgets())
        if (window->isVisible() && window->isMinimized())
            window->showNormal();
    QWidget *front = QApplication::activeModalWidget();
    if (!front)
        front = game;
    front->raise();
    front->activateWindow();
}

} // namespace

int main(int argc, char **argv) {
    // First of all: one game per desktop and game folder. A second start
    // brings the running game forward and ends, before it has touched the
    // keyboard repeat or the game's files.
    krumlix::SingleGame single;
    using Start = krumlix::SingleGame::Start;
    const Start start = single.claim();
    if (start == Start::BroughtForward)
        return 0;
    // Then, while the program is one thread: the process that keeps the
    // player's keyboard repeat, and the handlers that have it put back at
    // once when a signal ends the program. The keeper holds the game's locks
    // till it has put the repeat back, so that no next game takes the
    // repeat it is about to put back for the player's.
    if (start == Start::First) {
        krumlix::X11KeyboardRepeat::startKeeper({single.desktopLock(), single.folderLock()});
        krumlix::EmergencyRestore::installHandlers();
    }
    // In a Wayland session the game runs through the session's X server
    // (Xwayland): there its title bars have only the buttons it asks for.
    // Should that server refuse us (no authority for it, say), the game
    // starts natively on Wayland rather than not at all. A platform the
    // player names is kept.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") &&
        !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") && !qEnvironmentVariableIsEmpty("DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "xcb;wayland");
    KrumlixApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Krumlix"));
    QApplication::setApplicationDisplayName(QString());
    if (start != Start::First) {
        QMessageBox::warning(
            nullptr, QStringLiteral("Krumlix"),
            start == Start::Elsewhere
                ? QStringLiteral("Krumlix is already running on another display, with this "
                                 "game folder.\n\nQuit it there, and then start Krumlix again.")
                : QStringLiteral("Krumlix is already running, but it does not answer.\n\nWait "
                                 "for it, or end it, and then start Krumlix again."));
        return 1;
    }
    // The desktop entry the windows belong to (a Wayland session's app id).
    QGuiApplication::setDesktopFileName(QStringLiteral("com.example.krumlix"));
    krumlix::HeldKeys heldKeys;
    app.installEventFilter(&heldKeys);
    // Windows are centred with the frame the window manager says it will
    // give them.
    krumlix::FrameExtents frameExtents;
    krumlix::WindowPlacement windowPlacement(
        {[&frameExtents](QWidget *window) { return frameExtents(window); }, krumlix::clientOrigin,
         krumlix::moveClient});
    app.installEventFilter(&windowPlacement);
    // A gamepad plays as the keys its buttons stand for.
    krumlix::SdlGamepads pads;
    krumlix::PadKeys padKeys;
    QObject::connect(&pads, &krumlix::SdlGamepads::keyChanged, &padKeys,
                     &krumlix::PadKeys::keyChanged);

    krumlix::SystemPlatform system;
    krumlix::SharedState shared;
    krumlix::ErrorHandler errors(system.platform().messages);
    app.errors = &errors;
    krumlix::AppContext context{
        shared, system.platform(), errors, {}, [] { QCoreApplication::exit(0); }};

    std::unique_ptr<krumlix::TForm1> form1(krumlix::createWindows(context));
    // F11, in whichever window has the keyboard; each start opens the window.
    // Qt's idea of the window's place may be stale; the display's is not.
    krumlix::FullScreenKey fullScreenKey([&form1, &windowPlacement] {
        form1->toggleFullScreen(krumlix::clientOrigin(form1.get()));
        if (!form1->isFullScreen())
            windowPlacement.keepAt(form1.get(), form1->windowedGeometry().topLeft());
    });
    app.installEventFilter(&fullScreenKey);
    single.listen(&app, [game = form1.get()] { bringForward(game); });
    windowPlacement.centre(form1.get());
    form1->show();
    return QApplication::exec();
}
