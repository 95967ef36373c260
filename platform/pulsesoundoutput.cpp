// SPDX-License-Identifier: GPL-3.0-or-later
#include "pulsesoundoutput.h"

#include "wavedecoder.h"

#include <QFile>

#include <pulse/pulseaudio.h>
#include <sys/stat.h>

#include <chrono>
#include <condition_variable>
#include <deque>
#include <map>
#include <mutex>
#include <optional>
#include <thread>

namespace krumlix {
namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

/// How long the server may take to accept the connection, the stream or a
/// stop before the sound counts as unavailable. Nothing waits longer.
constexpr auto ServerPatience = 3s;
/// Between two attempts to reach a server that could not be reached.
constexpr auto RetryAfter = 1s;
/// The latency the stream asks of the server: the delay from a write to the
/// sound heard, kept short so that a shot is heard with the key.
constexpr int TargetLatencyMs = 10;
/// A larger file is no event sound and is not read.
constexpr qint64 MaxFileBytes = 256 * 1024 * 1024;

constexpr std::size_t bytesFor(std::chrono::milliseconds ms) {
    return std::size_t(PlaybackRate) * PlaybackChannels * sizeof(std::int16_t) * ms.count() / 1000;
}

/// A decoded file and what its file was like when it was read.
struct Decoded {
    bool exists = false;
    qint64 size = -1;
    std::int64_t mtimeNs = -1;
    std::shared_ptr<const std::vector<std::int16_t>> samples; // none: silent
};

Decoded fileState(const QByteArray &path) {
    Decoded state;
    struct stat st {};
    if (::stat(path.constData(), &st) == 0 && S_ISREG(st.st_mode)) {
        state.exists = true;
        state.size = st.st_size;
        state.mtimeNs = std::int64_t(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
    }
    return state;
}

} // namespace

class PulseSoundOutput::Worker {
public:
    Worker() : thread_([this] { run(); }) {}
    ~Worker() {
        {
            std::lock_guard lock(mutex_);
            quit_ = true;
        }
        wake_.notify_all();
        thread_.join();
    }
    Worker(const Worker &) = delete;
    Worker &operator=(const Worker &) = delete;

    void play(const QByteArray &path) {
        {
            std::lock_guard lock(mutex_);
            // Only the newest request matters: an older one would be cut off
            // before it was heard.
            playPath_ = path;
        }
        wake_.notify_all();
    }

    void stop() {
        std::unique_lock lock(mutex_);
        playPath_.reset();
        const std::uint64_t mine = ++stopsAsked_;
        wake_.notify_all();
        done_.wait_for(lock, 2 * ServerPatience, [&] { return stopsDone_ >= mine; });
    }

    void preload(const QByteArray &path) {
        {
            std::lock_guard lock(mutex_);
            preloads_.push_back(path);
        }
        wake_.notify_all();
    }

private:
    // ---- the request loop, on the worker thread ----

    void run() {
        loop_ = pa_threaded_mainloop_new();
        if (loop_ && pa_threaded_mainloop_start(loop_) < 0) {
            pa_threaded_mainloop_free(loop_);
            loop_ = nullptr;
        }
        connect();
        std::unique_lock lock(mutex_);
        while (!quit_) {
            // Stops and plays come before the files got ready ahead.
            if (stopsDone_ < stopsAsked_) {
                const std::uint64_t asked = stopsAsked_;
                lock.unlock();
                silence(true);
                lock.lock();
                stopsDone_ = asked;
                done_.notify_all();
            } else if (playPath_) {
                const QByteArray path = *playPath_;
                playPath_.reset();
                lock.unlock();
                const auto samples = decoded(path).samples;
                lock.lock();
                // A newer request, or a stop, replaces this one unheard.
                if (!playPath_ && stopsDone_ == stopsAsked_) {
                    lock.unlock();
                    start(samples);
                    lock.lock();
                }
            } else if (!preloads_.empty()) {
                const QByteArray path = preloads_.front();
                preloads_.pop_front();
                lock.unlock();
                decoded(path);
                lock.lock();
            } else {
                wake_.wait(lock);
            }
        }
        lock.unlock();
        disconnect();
        if (loop_) {
            pa_threaded_mainloop_stop(loop_);
            pa_threaded_mainloop_free(loop_);
        }
    }

    /// The samples of a file, decoded when it is new or has changed.
    const Decoded &decoded(const QByteArray &path) {
        Decoded now = fileState(path);
        auto found = cache_.find(path);
        if (found != cache_.end() && found->second.exists == now.exists &&
            found->second.size == now.size && found->second.mtimeNs == now.mtimeNs)
            return found->second;
        if (now.exists && now.size <= MaxFileBytes) {
            QFile file(QString::fromLocal8Bit(path));
            if (file.open(QIODevice::ReadOnly)) {
                if (auto samples = decodeWave(file.readAll()))
                    now.samples =
                        std::make_shared<const std::vector<std::int16_t>>(std::move(*samples));
            }
        }
        return cache_[path] = std::move(now);
    }

    // ---- the server, on the worker thread with the main loop locked ----

    /// Waits, the main loop unlocked meanwhile, until `ready` holds or the
    /// server has had its time. The loop is locked on entry and on return.
    template <typename Ready> bool await(Ready ready) {
        const Clock::time_point until = Clock::now() + ServerPatience;
        while (!ready()) {
            if (Clock::now() >= until)
                return false;
            pa_threaded_mainloop_unlock(loop_);
            std::this_thread::sleep_for(500us);
            pa_threaded_mainloop_lock(loop_);
        }
        return true;
    }

    bool streamReady() const { return stream_ && pa_stream_get_state(stream_) == PA_STREAM_READY; }

    /// Opens the connection and the stream, if they are not open.
    void connect() {
        if (!loop_)
            return;
        pa_threaded_mainloop_lock(loop_);
        const bool ready = streamReady();
        pa_threaded_mainloop_unlock(loop_);
        if (ready || (lastAttempt_ && Clock::now() - *lastAttempt_ < RetryAfter))
            return;
        lastAttempt_ = Clock::now();
        disconnect();
        pa_threaded_mainloop_lock(loop_);
        pa_proplist *props = pa_proplist_new();
        pa_proplist_sets(props, PA_PROP_APPLICATION_NAME, "Krumlix");
        pa_proplist_sets(props, PA_PROP_MEDIA_ROLE, "game");
        context_ =
            pa_context_new_with_proplist(pa_threaded_mainloop_get_api(loop_), "Krumlix", props);
        const bool connected =
            context_ &&
            pa_context_connect(context_, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) >= 0 &&
            await([this] {
                const pa_context_state_t s = pa_context_get_state(context_);
                return s == PA_CONTEXT_READY || !PA_CONTEXT_IS_GOOD(s);
            }) &&
            pa_context_get_state(context_) == PA_CONTEXT_READY;
        if (connected) {
            const pa_sample_spec spec{PA_SAMPLE_S16LE, std::uint32_t(PlaybackRate),
                                      std::uint8_t(PlaybackChannels)};
            stream_ =
                pa_stream_new_with_proplist(context_, "Krumlix sounds", &spec, nullptr, props);
        }
        pa_proplist_free(props);
        if (stream_) {
            pa_stream_set_underflow_callback(stream_, &Worker::underflow, this);
            // No start threshold: the server plays what is written at once
            // and never holds a short sound back to wait for more.
            const pa_buffer_attr attr{
                std::uint32_t(-1),
                std::uint32_t(bytesFor(std::chrono::milliseconds(TargetLatencyMs))), 0,
                std::uint32_t(-1), std::uint32_t(-1)};
            const auto flags = pa_stream_flags_t(PA_STREAM_ADJUST_LATENCY | PA_STREAM_START_CORKED);
            if (pa_stream_connect_playback(stream_, nullptr, &attr, flags, nullptr, nullptr) >= 0)
                await([this] {
                    const pa_stream_state_t s = pa_stream_get_state(stream_);
                    return s == PA_STREAM_READY || !PA_STREAM_IS_GOOD(s);
                });
        }
        pa_threaded_mainloop_unlock(loop_);
    }

    void disconnect() {
        if (!loop_)
            return;
        pa_threaded_mainloop_lock(loop_);
        if (stream_) {
            pa_stream_set_underflow_callback(stream_, nullptr, nullptr);
            pa_stream_disconnect(stream_);
            pa_stream_unref(stream_);
            stream_ = nullptr;
        }
        if (context_) {
            pa_context_disconnect(context_);
            pa_context_unref(context_);
            context_ = nullptr;
        }
        pa_threaded_mainloop_unlock(loop_);
    }

    /// Waits for an operation of the server, then lets it go.
    void finish(pa_operation *operation) {
        if (!operation)
            return;
        await([&] { return pa_operation_get_state(operation) != PA_OPERATION_RUNNING; });
        pa_operation_unref(operation);
    }

    /// Cuts off the sound playing; with `confirmed`, returns once the server
    /// has done so.
    void silence(bool confirmed) {
        if (!loop_)
            return;
        pa_threaded_mainloop_lock(loop_);
        if (streamReady()) {
            playingUntil_ = Clock::time_point{};
            pa_operation *flushed = pa_stream_flush(stream_, nullptr, nullptr);
            pa_operation *corked = pa_stream_cork(stream_, 1, nullptr, nullptr);
            if (confirmed) {
                finish(flushed);
                finish(corked);
            } else {
                if (flushed)
                    pa_operation_unref(flushed);
                if (corked)
                    pa_operation_unref(corked);
            }
        }
        pa_threaded_mainloop_unlock(loop_);
    }

    /// Replaces whatever the stream holds by `samples`, and lets it play.
    void start(const std::shared_ptr<const std::vector<std::int16_t>> &samples) {
        connect();
        if (!loop_)
            return;
        pa_threaded_mainloop_lock(loop_);
        if (!streamReady()) {
            pa_threaded_mainloop_unlock(loop_);
            return;
        }
        if (pa_operation *flushed = pa_stream_flush(stream_, nullptr, nullptr))
            pa_operation_unref(flushed);
        if (!samples || samples->empty()) { // silent: it still cuts the last sound off
            playingUntil_ = Clock::time_point{};
            if (pa_operation *corked = pa_stream_cork(stream_, 1, nullptr, nullptr))
                pa_operation_unref(corked);
        } else {
            // The samples are handed over without a copy; the shared pointer
            // keeps them alive until the server has taken them.
            auto *keep = new std::shared_ptr<const std::vector<std::int16_t>>(samples);
            const std::size_t bytes = samples->size() * sizeof(std::int16_t);
            const auto frames = samples->size() / PlaybackChannels;
            playingUntil_ = Clock::now() + std::chrono::microseconds(std::int64_t(frames) *
                                                                     1000000 / PlaybackRate);
            pa_stream_write_ext_free(
                stream_, samples->data(), bytes,
                [](void *kept) { delete static_cast<decltype(keep)>(kept); }, keep, 0,
                PA_SEEK_RELATIVE);
            if (pa_operation *uncorked = pa_stream_cork(stream_, 0, nullptr, nullptr))
                pa_operation_unref(uncorked);
        }
        pa_threaded_mainloop_unlock(loop_);
    }

    /// On the main loop's thread: the stream has run dry. Once the sound is
    /// over the stream is paused, so nobody wakes up for silence.
    static void underflow(pa_stream *stream, void *self) {
        auto *worker = static_cast<Worker *>(self);
        if (Clock::now() + 5ms >= worker->playingUntil_)
            if (pa_operation *corked = pa_stream_cork(stream, 1, nullptr, nullptr))
                pa_operation_unref(corked);
    }

    std::mutex mutex_;
    std::condition_variable wake_, done_;
    bool quit_ = false;
    std::optional<QByteArray> playPath_;
    std::uint64_t stopsAsked_ = 0, stopsDone_ = 0;
    std::deque<QByteArray> preloads_;

    // The worker's own, and the main loop's under its lock.
    std::map<QByteArray, Decoded> cache_;
    std::optional<Clock::time_point> lastAttempt_;
    pa_threaded_mainloop *loop_ = nullptr;
    pa_context *context_ = nullptr;
    pa_stream *stream_ = nullptr;
    Clock::time_point playingUntil_; // read by underflow() under the loop's lock

    std::thread thread_; // last: it starts once everything above is set up
};

PulseSoundOutput::PulseSoundOutput() : worker_(std::make_unique<Worker>()) {}

PulseSoundOutput::~PulseSoundOutput() = default;

void PulseSoundOutput::play(const QByteArray &path) {
    // A name that is empty plays nothing, but still cuts the last sound off.
    worker_->play(path);
}

void PulseSoundOutput::stop() {
    worker_->stop();
}

void PulseSoundOutput::preload(const QByteArray &path) {
    if (!path.isEmpty())
        worker_->preload(path);
}

} // namespace krumlix
