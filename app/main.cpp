// SPDX-License-Identifier: GPL-3.0-or-later
#include "game/gamewindow.h"
#include "platform/emergencyrestore.h"
#include "platform/errors.h"
#include "platform/systemplatform.h"
#include "widgets/fullscreenkey.h"
#include "widgets/heldkeys.h"
#include "windows.h"

#include <QApplication>
#include <QGuiApplication>
#include <QScreen>

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

} // namespace

int main(int argc, char **argv) {
    // First of all, while the program is one thread: the process that keeps
    // the player's keyboard repeat, and the handlers that have it put back
    // at once when a signal ends the program.
    krumlix::X11KeyboardRepeat::startKeeper();
    krumlix::EmergencyRestore::installHandlers();
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
    krumlix::HeldKeys heldKeys;
    app.installEventFilter(&heldKeys);

    krumlix::SystemPlatform system;
    krumlix::SharedState shared;
    krumlix::ErrorHandler errors(system.platform().messages);
    app.errors = &errors;
    krumlix::AppContext context{
        shared, system.platform(), errors, {}, [] { QCoreApplication::exit(0); }};

    std::unique_ptr<krumlix::TForm1> form1(krumlix::createWindows(context));
    // F11, in whichever window has the keyboard; each start opens the window.
    krumlix::FullScreenKey fullScreenKey([&form1] { form1->toggleFullScreen(); });
    app.installEventFilter(&fullScreenKey);
    if (const QScreen *screen = QGuiApplication::primaryScreen())
        form1->move(screen->availableGeometry().center() - form1->rect().center());
    form1->show();
    return QApplication::exec();
}
