// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

#include <array>
#include <bitset>
#include <cstdint>
#include <deque>
#include <memory>
#include <utility>
#include <vector>

class QSocketNotifier;

namespace krumlix {

/// The gamepads, through SDL's game-controller subsystem alone (no video,
/// no sound), whose mapping database names each pad's buttons. Every pad
/// plugged in is used, at any time; their buttons are merged into the keys
/// they stand for: the south button for Space, Start for Enter, the east
/// button for Escape, the d-pad and the left stick for the arrow keys. A key
/// goes down when the first pad input holds it and up when the last lets go.
///
/// It costs nothing while no pad is there: SDL is read only when the
/// folder of input devices changes. With a pad, SDL is read as soon as the
/// pad's own device has something to say; a pad without a device of its own
/// (SDL's virtual ones) is read every few milliseconds while it is there.
class SdlGamepads : public QObject {
    Q_OBJECT
public:
    /// A key of Qt's (`Qt::Key`) going down or up.
    struct KeyChange {
        int key;
        bool down;
    };

    explicit SdlGamepads(QObject *parent = nullptr);
    ~SdlGamepads() override;
    SdlGamepads(const SdlGamepads &) = delete;
    SdlGamepads &operator=(const SdlGamepads &) = delete;

    /// SDL's game-controller subsystem started.
    bool available() const { return started_; }
    /// The pads open.
    int count() const { return static_cast<int>(pads_.size()); }
    /// Reads what SDL has now: pads come and gone, buttons and the stick.
    /// Called on every waking; a pad attached in this process (a virtual one)
    /// is seen at the next call.
    void pump();
    /// The pad of SDL's instance `padId` has news whenever `fd` is readable,
    /// as a pad's device has: for a pad with no device of its own (SDL's
    /// virtual ones). The descriptor is the caller's; it is read and
    /// dropped, never closed.
    void wakeOn(std::int32_t padId, int fd);

    /// How often a pad without a device of its own is read, and the least
    /// time between two readings woken by a pad's device: a pad that
    /// reports all the time (some do, a few hundred times a second) is read
    /// no more often than one without a device.
    static constexpr int PollMs = 4;

signals:
    void keyChanged(int key, bool down);

private:
    /// The inputs of a pad that stand for keys.
    enum Input {
        South,
        East,
        Start,
        DpadLeft,
        DpadRight,
        DpadUp,
        DpadDown,
        StickLeft,
        StickRight,
        StickUp,
        StickDown,
        InputCount
    };
    struct Pad {
        void *controller = nullptr; ///< SDL_GameController
        std::int32_t id = -1;       ///< SDL's instance id
        int fd = -1;                ///< the pad's device, read only to learn it has news
        bool ownsFd = true;
        QSocketNotifier *notifier = nullptr;
        std::bitset<InputCount> held;
    };

    void watchDevices();
    void devicesChanged();
    void open(int deviceIndex);
    void close(std::int32_t id);
    void padReadable(std::int32_t id);
    void watch(Pad &pad);
    void stopWatching(Pad &pad);
    Pad *find(std::int32_t id);
    void set(Pad &pad, Input input, bool held);
    void axis(Pad &pad, int axis, int value);
    void updatePolling();

    bool started_ = false;
    std::vector<std::unique_ptr<Pad>> pads_;
    std::array<int, InputCount> holders_{}; ///< pad inputs holding each input's key, by key
    std::deque<KeyChange> pending_;         ///< changes not yet handed on, in order
    int inotify_ = -1;
    int inputWatch_ = -1; ///< the watch on /dev/input, -1 while it is missing
    QSocketNotifier *devices_ = nullptr;
    QTimer poll_;   ///< reads the pads that have no device of their own
    QTimer settle_; ///< reads again a while after a device changed
    int settleStep_ = 0;
    QElapsedTimer lastRead_; ///< since SDL was last read
    QTimer slow_;            ///< where the devices cannot be watched: reads twice a second
};

} // namespace krumlix
