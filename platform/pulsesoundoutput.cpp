// SPDX-License-Identifier: GPL-3.0-or-later
#include "pulsesoundoutput.h"

#include "logging.h"
#include "wavestream.h"

#include <pulse/pulseaudio.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <map>
#include <mutex>
#include <optional>
#include <set>
#include <stop_token>
#include <thread>

namespace krumlix {
namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

/// How long the server may take to accept the connection or the stream
/// before the sound counts as unavailable. The worker waits no longer, and
/// the windows' thread never waits for it.
constexpr auto ServerPatience = 3s;
/// Between two attempts to reach a server that could not be reached.
constexpr auto RetryAfter = 1s;
/// The latency the stream asks of the server: the delay from a write to the
/// sound heard, kept short so that a shot is heard with the key.
constexpr int TargetLatencyMs = 10;
/// How long the start of a file read as it plays may wait for its first
/// second to be decoded.
constexpr auto FirstPiecePatience = 100ms;

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
constexpr auto StopPatience = 25ms;

using Samples = SoundStore::Samples;

/// What a sound is fed from: its samples, held whole, or its file read as it
/// plays.
struct Playing {
    std::shared_ptr<const Samples> samples;
    std::shared_ptr<WaveStream> stream;
    std::size_t fed = 0; ///< samples handed to the server

    explicit operator bool() const { return samples || stream; }
    /// Every sample is handed to the server.
    bool done() const { return samples ? fed >= samples->size() : !stream || stream->ended(); }
};

} // namespace

class PulseSoundOutput::Worker {
public:
    explicit Worker(std::size_t storeBytes)
        : store_(storeBytes), loop_(startedLoop()), thread_([this] { run(); }) {}
    ~Worker() {
        {
            std::lock_guard lock(mutex_);
            quit_ = true;
            decoding_.request_stop();
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
            ++asked_;
            decoding_.request_stop(); // whatever is decoded now can wait
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
            decoding_.request_stop();
        }
        if (!loop_)
            return;
        pa_threaded_mainloop_lock(loop_);
        Playing ended = std::exchange(waiting_, {}).value_or(Playing{});
        if (streamReady()) {
            release(end());
            pa_operation *flushed = pa_stream_flush(stream_, nullptr, nullptr);
            pa_operation *corked = pa_stream_cork(stream_, 1, nullptr, nullptr);
            const Clock::time_point until = Clock::now() + StopPatience;
            for (pa_operation *operation : {flushed, corked}) {
                if (!operation)
                    continue;
                await([&] { return pa_operation_get_state(operation) != PA_OPERATION_RUNNING; },
                      until);
                pa_operation_unref(operation);
            }
        }
        pa_threaded_mainloop_unlock(loop_);
        release(std::move(ended));
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
        return done_.wait_for(lock, limit,
                              [&] { return idle_ && preloads_.empty() && !playPath_; });
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
            if (!released_.empty()) {
                std::vector<Playing> going = std::exchange(released_, {});
                lock.unlock();
                going.clear();
                lock.lock();
            } else if (playPath_) {
                const QByteArray path = *playPath_;
                const std::uint64_t asked = asked_;
                playPath_.reset();
                const std::stop_token stop = freshDecoding();
                lock.unlock();
                Playing playing;
                const SoundStore::Sound sound = store_.sound(path, stop);
                playing.samples = sound.samples;
                if (sound.stream) {
                    playing.stream = std::make_shared<WaveStream>(path);
                    playing.stream->waitFor(bytesFor(FeedLead) / sizeof(std::int16_t),
                                            FirstPiecePatience);
                }
                if (!sound.cancelled)
                    start(std::move(playing), asked);
                lock.lock();
            } else if (!preloads_.empty()) {
                const QByteArray path = preloads_.front();
                preloads_.pop_front();
                std::set<QByteArray> events;
                for (const auto &[event, file] : events_)
                    events.insert(file);
                // A file that an event has already given up is not read.
                if (!events.count(path))
                    continue;
                const std::stop_token stop = freshDecoding();
                lock.unlock();
                store_.setEventFiles(std::move(events));
                const bool cancelled = store_.sound(path, stop).cancelled;
                lock.lock();
                if (cancelled) // given up for a play or a stop: read after it
                    preloads_.push_back(path);
            } else {
                idle_ = true;
                done_.notify_all();
                wake_.wait(lock);
                idle_ = false;
            }
        }
        lock.unlock();
        disconnect();
        lock.lock();
        const std::vector<Playing> going = std::exchange(released_, {});
        lock.unlock();
    }

    /// Lets a sound go on the worker thread, which is woken for it: a file
    /// read as it plays joins its reader, which may sit in a read of a slow
    /// disk. On any thread that does not hold the mutex.
    void release(Playing playing) {
        if (!playing)
            return;
        {
            std::lock_guard lock(mutex_);
            released_.push_back(std::move(playing));
        }
        wake_.notify_all();
    }

    /// A new decoding, which a play, a stop or the end gives up. Called with
    /// the mutex held.
    std::stop_token freshDecoding() {
        decoding_ = std::stop_source();
        return decoding_.get_token();
    }

    // ---- the server, on the worker thread with the main loop locked ----

    /// Waits, the main loop unlocked meanwhile, until `ready` holds, `until`
    /// has come (by default: the server has had its time) or the program
    /// ends. The loop is locked on entry and on return; on any thread.
    template <typename Ready>
    bool await(Ready ready, Clock::time_point until = Clock::now() + ServerPatience) {
        while (!ready()) {
            if (Clock::now() >= until || quit_) // the program ends: nothing is waited for
                return false;
            pa_threaded_mainloop_unlock(loop_);
            std::this_thread::sleep_for(200us);
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
            release(end());
            release(std::exchange(waiting_, {}).value_or(Playing{}));
            unanswered_ = false;
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

    /// Replaces whatever the stream holds by `playing`, and lets it play,
    /// unless a request came after the one it answers (`asked`). While the
    /// server has not answered for the last sound, it waits instead, in the
    /// place of any that waited before it, so that a server that does not
    /// read is never handed more than one sound.
    void start(Playing playing, std::uint64_t asked) {
        connect();
        if (!loop_)
            return;
        pa_threaded_mainloop_lock(loop_);
        // A stop takes the main loop after it counts itself, so a sound
        // that gets here first is cut off by it, and one that comes later
        // sees it.
        Playing passed;
        if (streamReady() && asked == asked_) {
            if (unanswered_) {
                passed = std::exchange(waiting_, std::move(playing)).value_or(Playing{});
                waitingFor_ = asked;
            } else {
                begin(std::move(playing));
            }
        }
        pa_threaded_mainloop_unlock(loop_);
        release(std::move(passed));
    }

    /// Lets `playing` replace whatever the stream holds. The main loop is
    /// locked.
    void begin(Playing playing) {
        // What the server still holds of the last sound goes first.
        if (pa_operation *flushed = pa_stream_flush(stream_, nullptr, nullptr))
            pa_operation_unref(flushed);
        release(end());
        if (playing.samples && playing.samples->empty())
            playing.samples.reset();
        playing_ = std::move(playing);
        ++sound_;
        if (!playing_) { // silent: it still cuts the last sound off
            if (pa_operation *corked = pa_stream_cork(stream_, 1, nullptr, nullptr))
                pa_operation_unref(corked);
        } else {
            // Let go first, so that the server plays the first piece as soon
            // as it has it, not once it has the whole second. Should it run
            // dry before that, it has played nothing of this sound.
            if (pa_operation *uncorked = pa_stream_cork(stream_, 0, nullptr, nullptr))
                pa_operation_unref(uncorked);
            feed(bytesFor(FeedLead) / sizeof(std::int16_t)); // the flush left nothing
            if (feedTimer_)
                armTimer();
        }
        // Its answer comes once the server has read all of the above.
        if (pa_operation *asked = pa_stream_update_timing_info(stream_, &Worker::answered, this)) {
            pa_operation_unref(asked);
            unanswered_ = true;
        }
    }

    /// Forgets the sound playing, and returns it to be let go once the main
    /// loop is unlocked. The main loop is locked.
    Playing end() {
        if (feedTimer_)
            pa_threaded_mainloop_get_api(loop_)->time_restart(feedTimer_, nullptr);
        return std::exchange(playing_, {});
    }

    void armTimer() {
        pa_context_rttime_restart(context_, feedTimer_,
                                  pa_rtclock_now() + std::chrono::microseconds(FeedEvery).count());
    }

    /// Hands the server up to `samples` more of the sound playing. The main
    /// loop is locked.
    void feed(std::size_t samples) {
        samples -= samples % PlaybackChannels;
        const std::int16_t *from = nullptr;
        if (!playing_) {
            return;
        } else if (playing_.samples) {
            samples = std::min(samples, playing_.samples->size() - playing_.fed);
            from = playing_.samples->data() + playing_.fed;
        } else if (playing_.stream) { // what the reader has ready; the timer comes back
            scratch_.resize(samples);
            samples = playing_.stream->take(scratch_.data(), samples);
            from = scratch_.data();
        }
        if (samples > 0 && pa_stream_write(stream_, from, samples * sizeof(std::int16_t), nullptr,
                                           0, PA_SEEK_RELATIVE) == 0)
            playing_.fed += samples;
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

    /// On the main loop's thread: the server has read what was handed to it
    /// for the last sound, or will not answer; the sound that waited for it,
    /// if no request came after it, starts now.
    static void answered(pa_stream *, int, void *self) {
        auto *worker = static_cast<Worker *>(self);
        worker->unanswered_ = false;
        std::optional<Playing> waiting = std::exchange(worker->waiting_, {});
        if (waiting && worker->waitingFor_ == worker->asked_ && worker->streamReady())
            worker->begin(std::move(*waiting));
        else if (waiting)
            worker->release(std::move(*waiting));
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
        if (!worker->playing_.done()) {
            const std::int64_t held = std::max<std::int64_t>(0, written - timing->read_index);
            const auto lead = std::int64_t(bytesFor(FeedLead));
            worker->feed(std::size_t(std::max<std::int64_t>(0, lead - held)) /
                         sizeof(std::int16_t));
        } else if (timing->read_index >= written ||
                   pa_stream_get_underflow_index(stream) >= written) {
            worker->release(worker->end());
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
    std::vector<Playing> released_;    // to be let go on the worker thread
    std::stop_source decoding_;        // of the file being decoded
    bool idle_ = false;

    // The worker's own, and the main loop's under its lock.
    SoundStore store_;
    std::optional<Clock::time_point> lastAttempt_;
    bool serverWarned_ = false; ///< the server's absence said once, until it is back
    pa_threaded_mainloop *loop_ = nullptr;
    pa_context *context_ = nullptr;
    pa_stream *stream_ = nullptr;
    Playing playing_;                    // until the server has played all of it
    std::optional<Playing> waiting_;     // the newest, while the server has not answered
    std::uint64_t waitingFor_ = 0;       // the request it answers
    bool unanswered_ = false;            // the server has not read all of the last sound
    std::vector<std::int16_t> scratch_;  // a piece of a file read as it plays, on its way
    std::uint64_t sound_ = 0;            // sounds started so far
    pa_operation *timing_ = nullptr;     // the server asked how far it has played
    std::uint64_t timingFor_ = 0;        // for the sound numbered so
    pa_time_event *feedTimer_ = nullptr; // one-shot, armed while a sound plays

    std::thread thread_; // last: it starts once everything above is set up
};

PulseSoundOutput::PulseSoundOutput(std::size_t storeBytes)
    : worker_(std::make_unique<Worker>(storeBytes)) {}

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
