// SPDX-License-Identifier: GPL-3.0-or-later
#include "pulsesoundoutput.h"

#include "logging.h"
#include "wavedecoder.h"

#include <fcntl.h>
#include <pulse/pulseaudio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <atomic>
#include <condition_variable>
#include <deque>
#include <map>
#include <mutex>
#include <optional>
#include <set>
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

/// How far ahead of what is heard a sound is fed to the server: so far that
/// a wake-up of the program late by most of it leaves no gap, so little that
/// the server never holds a long sound whole.
constexpr auto FeedLead = 1s;
/// How often the feed is topped up while a sound plays, and how often the
/// server is asked whether the sound has played to its end.
constexpr auto FeedEvery = 250ms;
/// The longest StopSound waits for the server to confirm the stop: a
/// server that does not answer within it stops the sound as soon as it
/// reads the request, which is ahead of anything asked after it.
constexpr auto StopPatience = 40ms;

using Samples = std::vector<std::int16_t>;

/// What a file on disk is like: a file rewritten or replaced since it was
/// read differs in one of these, even when its size stayed the same.
struct Stamp {
    dev_t device = 0;
    ino_t inode = 0;
    off_t size = 0;
    std::int64_t modifiedNs = 0;
    std::int64_t changedNs = 0;
    friend bool operator==(const Stamp &, const Stamp &) = default;
};

Stamp stampOf(const struct stat &st) {
    return {st.st_dev, st.st_ino, st.st_size,
            std::int64_t(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec,
            std::int64_t(st.st_ctim.tv_sec) * 1000000000 + st.st_ctim.tv_nsec};
}

/// The stamp of a regular file; nothing for anything else or no file.
std::optional<Stamp> stampOf(const QByteArray &path) {
    struct stat st {};
    if (::stat(path.constData(), &st) != 0 || !S_ISREG(st.st_mode))
        return std::nullopt;
    return stampOf(st);
}

/// The bytes of a regular file of at most MaxFileBytes, with its stamp as it
/// was read. Anything else is not read: a device would give bytes without
/// end, and the open does not wait (a named pipe without a writer).
std::optional<QByteArray> readSoundFile(const QByteArray &path, Stamp &stamp) {
    const int fd = ::open(path.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0)
        return std::nullopt;
    std::optional<QByteArray> bytes;
    struct stat st {};
    if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_size <= MaxFileBytes) {
        stamp = stampOf(st);
        QByteArray read(qsizetype(st.st_size), Qt::Uninitialized);
        qsizetype got = 0;
        for (ssize_t n = 1; n > 0 && got < read.size(); got += std::max<ssize_t>(n, 0))
            n = ::read(fd, read.data() + got, std::size_t(read.size() - got));
        read.truncate(got); // a file cut short meanwhile is read as far as it goes
        bytes = std::move(read);
    }
    ::close(fd);
    return bytes;
}

/// A file as it was decoded: none when it was no regular file; no samples
/// when it is silent.
struct Decoded {
    std::optional<Stamp> stamp;
    std::shared_ptr<const Samples> samples;
};

} // namespace

class PulseSoundOutput::Worker {
public:
    Worker() : loop_(startedLoop()), thread_([this] { run(); }) {}
    ~Worker() {
        {
            std::lock_guard lock(mutex_);
            quit_ = true;
        }
        wake_.notify_all();
        thread_.join();
        if (loop_) {
            pa_threaded_mainloop_stop(loop_);
            pa_threaded_mainloop_free(loop_);
        }
    }
    Worker(const Worker &) = delete;
    Worker &operator=(const Worker &) = delete;

    void play(const QByteArray &path) {
        {
            std::lock_guard lock(mutex_);
            // Only the newest request matters: an older one would be cut off
            // before it was heard.
            playPath_ = path;
            lastPlayed_ = path;
            ++asked_;
        }
        wake_.notify_all();
    }

    /// Cuts the sound off here, on the caller's thread, whatever the worker
    /// is doing; waits at most StopPatience for the server to confirm it.
    void stop() {
        {
            std::lock_guard lock(mutex_);
            playPath_.reset();
            ++asked_; // a sound the worker is about to start stays unheard
        }
        if (!loop_)
            return;
        pa_threaded_mainloop_lock(loop_);
        if (streamReady()) {
            end();
            pa_operation *flushed = pa_stream_flush(stream_, nullptr, nullptr);
            pa_operation *corked = pa_stream_cork(stream_, 1, nullptr, nullptr);
            const Clock::time_point until = Clock::now() + StopPatience;
            for (pa_operation *operation : {flushed, corked}) {
                while (operation && pa_operation_get_state(operation) == PA_OPERATION_RUNNING &&
                       Clock::now() < until) {
                    pa_threaded_mainloop_unlock(loop_);
                    std::this_thread::sleep_for(200us);
                    pa_threaded_mainloop_lock(loop_);
                }
                if (operation)
                    pa_operation_unref(operation);
            }
        }
        pa_threaded_mainloop_unlock(loop_);
    }

    void preload(int event, const QByteArray &path) {
        {
            std::lock_guard lock(mutex_);
            events_[event] = path;
            preloads_.push_back(path);
        }
        wake_.notify_all();
    }

    bool settle(std::chrono::milliseconds limit) {
        std::unique_lock lock(mutex_);
        return done_.wait_for(lock, limit, [&] {
            return idle_ && preloads_.empty() && !playPath_;
        });
    }

private:
    // ---- the request loop, on the worker thread ----

    static pa_threaded_mainloop *startedLoop() {
        pa_threaded_mainloop *loop = pa_threaded_mainloop_new();
        if (loop && pa_threaded_mainloop_start(loop) < 0) {
            pa_threaded_mainloop_free(loop);
            loop = nullptr;
        }
        return loop;
    }

    void run() {
        connect();
        std::unique_lock lock(mutex_);
        while (!quit_) {
            // Plays come before the files got ready ahead.
            if (playPath_) {
                const QByteArray path = *playPath_;
                const std::uint64_t asked = asked_;
                playPath_.reset();
                letGo();
                lock.unlock();
                const auto samples = decoded(path);
                start(samples, asked);
                lock.lock();
            } else if (!preloads_.empty()) {
                const QByteArray path = preloads_.front();
                preloads_.pop_front();
                // A file that an event has already given up is not read, and
                // the files given up go before a new one comes in.
                letGo();
                if (wanted().count(path)) {
                    lock.unlock();
                    decoded(path);
                    lock.lock();
                }
            } else {
                idle_ = true;
                done_.notify_all();
                wake_.wait(lock);
                idle_ = false;
            }
        }
        lock.unlock();
        disconnect();
    }

    /// The files to keep decoded: those the events use now and the one
    /// played last. Called with the mutex held.
    std::set<QByteArray> wanted() const {
        std::set<QByteArray> keep{lastPlayed_};
        for (const auto &[event, path] : events_)
            keep.insert(path);
        return keep;
    }

    /// Drops every file decoded that is no longer wanted. Called with the
    /// mutex held.
    void letGo() {
        const std::set<QByteArray> keep = wanted();
        std::erase_if(cache_, [&](const auto &entry) { return !keep.count(entry.first); });
    }

    /// The samples of a file, decoded when it is new or has changed.
    std::shared_ptr<const Samples> decoded(const QByteArray &path) {
        const std::optional<Stamp> now = stampOf(path);
        auto found = cache_.find(path);
        if (found != cache_.end() && found->second.stamp == now)
            return found->second.samples;
        Decoded fresh;
        Stamp read;
        QString why = QStringLiteral("no such regular file");
        if (now) {
            why = QStringLiteral("it could not be read");
            if (const auto bytes = readSoundFile(path, read)) {
                fresh.stamp = read;
                if (auto samples = decodeWave(*bytes, &why))
                    fresh.samples = std::make_shared<const Samples>(std::move(*samples));
            }
        }
        // Said once for each state of the file: the result is kept until
        // the file changes.
        if (!fresh.samples && !path.isEmpty())
            qCWarning(lcSound).nospace()
                << "the wave file " << QString::fromLocal8Bit(path) << " cannot be played: " << why;
        return (cache_[path] = std::move(fresh)).samples;
    }

    // ---- the server, on the worker thread with the main loop locked ----

    /// Waits, the main loop unlocked meanwhile, until `ready` holds or the
    /// server has had its time. The loop is locked on entry and on return.
    template <typename Ready> bool await(Ready ready) {
        const Clock::time_point until = Clock::now() + ServerPatience;
        while (!ready()) {
            if (Clock::now() >= until || quit_) // the program ends: nothing is waited for
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
        if (!connected && !serverWarned_) {
            serverWarned_ = true;
            const char *server = context_ ? pa_context_get_server(context_) : nullptr;
            qCWarning(lcSound).nospace()
                << "no sound server" << (server ? " at " : "") << (server ? server : "") << ": "
                << pa_strerror(context_ ? pa_context_errno(context_) : PA_ERR_INTERNAL)
                << "; the game plays silently";
        }
        if (connected) {
            serverWarned_ = false;
            const pa_sample_spec spec{PA_SAMPLE_S16LE, std::uint32_t(PlaybackRate),
                                      std::uint8_t(PlaybackChannels)};
            stream_ =
                pa_stream_new_with_proplist(context_, "Krumlix sounds", &spec, nullptr, props);
        }
        pa_proplist_free(props);
        if (stream_) {
            pa_stream_set_underflow_callback(stream_, &Worker::underflow, this);
            pa_stream_set_write_callback(stream_, &Worker::writable, this);
            feedTimer_ = pa_context_rttime_new(context_, PA_USEC_INVALID, &Worker::feedTime, this);
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
            pa_stream_set_write_callback(stream_, nullptr, nullptr);
            end();
            if (timing_) {
                pa_operation_cancel(timing_);
                pa_operation_unref(timing_);
                timing_ = nullptr;
            }
            if (feedTimer_) {
                pa_threaded_mainloop_get_api(loop_)->time_free(feedTimer_);
                feedTimer_ = nullptr;
            }
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

    /// Replaces whatever the stream holds by `samples`, and lets it play,
    /// unless a request came after the one it answers (`asked`).
    void start(const std::shared_ptr<const Samples> &samples, std::uint64_t asked) {
        connect();
        if (!loop_)
            return;
        pa_threaded_mainloop_lock(loop_);
        // A stop takes the main loop after it counts itself, so a sound
        // that gets here first is cut off by it, and one that comes later
        // sees it.
        if (!streamReady() || asked != asked_) {
            pa_threaded_mainloop_unlock(loop_);
            return;
        }
        // What the server still holds of the last sound goes first.
        if (pa_operation *flushed = pa_stream_flush(stream_, nullptr, nullptr))
            pa_operation_unref(flushed);
        end();
        playing_ = samples && !samples->empty() ? samples : nullptr;
        ++sound_;
        if (!playing_) { // silent: it still cuts the last sound off
            if (pa_operation *corked = pa_stream_cork(stream_, 1, nullptr, nullptr))
                pa_operation_unref(corked);
        } else {
            feed(bytesFor(FeedLead) / sizeof(std::int16_t)); // the flush left nothing
            if (pa_operation *uncorked = pa_stream_cork(stream_, 0, nullptr, nullptr))
                pa_operation_unref(uncorked);
            if (feedTimer_)
                armTimer();
        }
        pa_threaded_mainloop_unlock(loop_);
    }

    /// Forgets the sound playing. The main loop is locked.
    void end() {
        playing_.reset();
        fed_ = 0;
        if (feedTimer_)
            pa_threaded_mainloop_get_api(loop_)->time_restart(feedTimer_, nullptr);
    }

    void armTimer() {
        pa_context_rttime_restart(context_, feedTimer_,
                                  pa_rtclock_now() + std::chrono::microseconds(FeedEvery).count());
    }

    /// Hands the server up to `samples` more of the sound playing. The main
    /// loop is locked.
    void feed(std::size_t samples) {
        if (!playing_)
            return;
        samples = std::min(samples, playing_->size() - fed_);
        samples -= samples % PlaybackChannels;
        if (samples > 0 &&
            pa_stream_write(stream_, playing_->data() + fed_, samples * sizeof(std::int16_t),
                            nullptr, 0, PA_SEEK_RELATIVE) == 0)
            fed_ += samples;
    }

    /// Asks the server how far it has played; timed() hears the answer.
    void askTiming() {
        if (timing_ && pa_operation_get_state(timing_) == PA_OPERATION_RUNNING)
            return;
        if (timing_)
            pa_operation_unref(timing_);
        timingFor_ = sound_;
        timing_ = pa_stream_update_timing_info(stream_, &Worker::timed, this);
    }

    /// On the main loop's thread: the server asks for more. It is given
    /// what it asks; the lead is kept by the timer.
    static void writable(pa_stream *, std::size_t bytes, void *self) {
        static_cast<Worker *>(self)->feed(bytes / sizeof(std::int16_t));
    }

    /// On the main loop's thread, four times a second while a sound plays:
    /// the timer goes again first, whatever the server answers or not.
    static void feedTime(pa_mainloop_api *, pa_time_event *, const struct timeval *, void *self) {
        auto *worker = static_cast<Worker *>(self);
        worker->armTimer();
        worker->askTiming();
    }

    /// On the main loop's thread: the stream has run dry, because the sound
    /// has ended, or because a sound flushed or ended before the one playing
    /// now did. Only the server's answer tells which.
    static void underflow(pa_stream *, void *self) {
        auto *worker = static_cast<Worker *>(self);
        if (worker->playing_)
            worker->askTiming();
    }

    /// On the main loop's thread: the server's account of what it has been
    /// given (its write index) and what it has played (its read index, and
    /// where it last ran dry). The feed is topped up to FeedLead ahead of
    /// what is heard; once all of the sound is written and the server has
    /// played it to the end, the stream is paused, so nobody wakes up for
    /// silence. An answer about an earlier sound decides nothing.
    static void timed(pa_stream *stream, int success, void *self) {
        auto *worker = static_cast<Worker *>(self);
        const pa_timing_info *timing = pa_stream_get_timing_info(stream);
        if (!success || !worker->playing_ || worker->timingFor_ != worker->sound_ || !timing ||
            timing->write_index_corrupt || timing->read_index_corrupt)
            return;
        const std::int64_t written = timing->write_index;
        if (worker->fed_ < worker->playing_->size()) {
            const std::int64_t held = std::max<std::int64_t>(0, written - timing->read_index);
            const auto lead = std::int64_t(bytesFor(FeedLead));
            worker->feed(std::size_t(std::max<std::int64_t>(0, lead - held)) /
                         sizeof(std::int16_t));
        } else if (timing->read_index >= written ||
                   pa_stream_get_underflow_index(stream) >= written) {
            worker->end();
            if (pa_operation *corked = pa_stream_cork(stream, 1, nullptr, nullptr))
                pa_operation_unref(corked);
        }
    }

    std::mutex mutex_;
    std::condition_variable wake_, done_;
    std::atomic<bool> quit_ = false;
    std::optional<QByteArray> playPath_;
    std::atomic<std::uint64_t> asked_ = 0; ///< plays and stops asked for so far
    std::deque<QByteArray> preloads_;
    std::map<int, QByteArray> events_; // the file each event uses now
    QByteArray lastPlayed_;
    bool idle_ = false;

    // The worker's own, and the main loop's under its lock.
    std::map<QByteArray, Decoded> cache_;
    std::optional<Clock::time_point> lastAttempt_;
    bool serverWarned_ = false; ///< the server's absence said once, until it is back
    pa_threaded_mainloop *loop_ = nullptr;
    pa_context *context_ = nullptr;
    pa_stream *stream_ = nullptr;
    std::shared_ptr<const Samples> playing_; // until the server has played all of it
    std::size_t fed_ = 0;                    // samples of it handed over
    std::uint64_t sound_ = 0;                // sounds started so far
    pa_operation *timing_ = nullptr;         // the server asked how far it has played
    std::uint64_t timingFor_ = 0;            // for the sound numbered so
    pa_time_event *feedTimer_ = nullptr; // one-shot, armed while a sound plays

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

void PulseSoundOutput::preload(int event, const QByteArray &path) {
    worker_->preload(event, path);
}

bool PulseSoundOutput::settle(std::chrono::milliseconds limit) {
    return worker_->settle(limit);
}

} // namespace krumlix
