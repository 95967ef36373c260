// SPDX-License-Identifier: GPL-3.0-or-later
#include "emergencyrestore.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdint>
#include <cstring>
#include <ctime>
#include <vector>

#include <fcntl.h>
#include <poll.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace krumlix::EmergencyRestore {
namespace {

enum class Ask : std::uint8_t { Read, Set, PutBack };

struct Request {
    std::uint32_t serial = 0;
    Ask what = Ask::Read;
    RepeatRate rate;
};

struct Answer {
    std::uint32_t serial = 0;
    int status = 0;
    RepeatRate rate;
};

// Process-wide by nature: the signal handlers can reach nothing else. Set
// before any thread starts and before the handlers are installed.
std::atomic<int> gameLink{-1};   ///< the game's end of the link
std::atomic<pid_t> linkOwner{0}; ///< the game; its forks never ask
std::uint32_t lastSerial = 0;    ///< the main thread's questions
/// The handlers' questions; the main thread's start from 1.
constexpr std::uint32_t HandlerSerial = 0;
/// The main thread's stack for the handlers, so that a crash by a stack
/// overflow still has the repeat put back before its core file is written.
alignas(16) char handlerStack[64 * 1024];
/// The files the handlers remove, set before they are installed.
char endFiles[8][256];
std::atomic<int> endFileCount{0};
/// The keeper's own: the game it keeps the repeat for.
pid_t keptGame = 0;

/// How long the game waits for an answer, and a handler for the repeat to
/// be put back.
constexpr int AnswerMs = 3000;
constexpr int HandlerAnswerMs = 1000;
/// What the keeper gives one call to the keyboard before the alarm ends it:
/// a display that does not answer must not keep it forever.
constexpr unsigned KeyboardCallS = 10;
/// The signal the kernel sends the keeper when the game dies, should a
/// child of the game's keep the link open.
constexpr int GameDiedSignal = SIGUSR1;

constexpr int politeSignals[] = {SIGINT, SIGTERM, SIGHUP, SIGQUIT};
constexpr int crashSignals[] = {SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT};

std::int64_t monotonicMs() {
    timespec ts{};
    ::clock_gettime(CLOCK_MONOTONIC, &ts);
    return std::int64_t{ts.tv_sec} * 1000 + ts.tv_nsec / 1000000;
}

/// Sends `request` and waits for its answer, at most `ms`; an answer to an
/// earlier question that was given up on is passed over. Only
/// async-signal-safe calls, and none that blocks beyond the time.
int exchange(const Request &request, RepeatRate &rate, int ms) {
    const int link = gameLink.load();
    if (link < 0 || ::getpid() != linkOwner.load())
        return NoKeeper;
    if (::send(link, &request, sizeof request, MSG_NOSIGNAL | MSG_DONTWAIT) != sizeof request)
        return NoKeeper;
    const std::int64_t deadline = monotonicMs() + ms;
    for (std::int64_t left = ms; left > 0; left = deadline - monotonicMs()) {
        pollfd ready{link, POLLIN, 0};
        if (::poll(&ready, 1, static_cast<int>(left)) <= 0)
            continue; // interrupted, or the time is up
        Answer answer;
        const ssize_t n = ::recv(link, &answer, sizeof answer, MSG_DONTWAIT);
        if (n < 0 && (errno == EAGAIN || errno == EINTR))
            continue;
        if (n != sizeof answer)
            return NoKeeper; // the keeper has gone
        if (answer.serial == request.serial) {
            rate = answer.rate;
            return answer.status;
        }
    }
    return NoKeeper;
}

int ask(Ask what, RepeatRate &rate) {
    return exchange(Request{++lastSerial, what, rate}, rate, AnswerMs);
}

void onEndingSignal(int sig) {
    const int savedErrno = errno;
    RepeatRate unused;
    exchange(Request{HandlerSerial, Ask::PutBack, {}}, unused, HandlerAnswerMs);
    for (int i = 0; i < endFileCount.load(); ++i)
        ::unlink(endFiles[i]);
    // The handler was reset on entry: the signal, blocked until this
    // returns, then ends the program as it would have without us (a crash
    // with its core file).
    ::raise(sig);
    errno = savedErrno;
}

void onGameDied(int) {
    // Only wakes the keeper's wait; it then finds its parent gone.
}

/// Closes the file descriptors from `first` to `last`, one by one where the
/// kernel is older than close_range.
void closeRange(int first, int last) {
    if (::close_range(static_cast<unsigned>(first), static_cast<unsigned>(last), 0) == 0)
        return;
    const long open = ::sysconf(_SC_OPEN_MAX);
    last = static_cast<int>(std::min<long>({last, open < 0 ? 1024 : open - 1, 65535}));
    for (int fd = first; fd <= last; ++fd)
        ::close(fd);
}

/// Closes every file descriptor from 3 up but those in `kept`.
void closeAllBut(std::vector<int> kept) {
    std::sort(kept.begin(), kept.end());
    int from = 3;
    for (int fd : kept) {
        if (fd > from)
            closeRange(from, fd - 1);
        from = std::max(from, fd + 1);
    }
    closeRange(from, INT_MAX);
}

/// The keeper's set-up, before it runs: nothing of the game's open but the
/// link, deaf to the signals that end the game (a Ctrl+C reaches the whole
/// process group; the keeper ends when the game does), told when the game
/// dies.
void becomeKeeper(int link, std::initializer_list<int> keepOpen) {
    ::prctl(PR_SET_NAME, "krumlix-repeat");
    for (int sig : politeSignals)
        ::signal(sig, SIG_IGN);
    ::signal(SIGPIPE, SIG_IGN);
    ::signal(SIGTSTP, SIG_IGN);
    const int null = ::open("/dev/null", O_RDWR);
    for (int fd = 0; fd < 3; ++fd)
        null < 0 ? ::close(fd) : ::dup2(null, fd);
    std::vector<int> kept(keepOpen);
    kept.push_back(link);
    closeAllBut(kept);

    struct sigaction wake {};
    wake.sa_handler = onGameDied;
    ::sigaction(GameDiedSignal, &wake, nullptr);
    sigset_t blocked;
    sigemptyset(&blocked);
    sigaddset(&blocked, GameDiedSignal);
    ::sigprocmask(SIG_BLOCK, &blocked, nullptr);
    ::prctl(PR_SET_PDEATHSIG, GameDiedSignal);
}

} // namespace

bool startKeeper(const std::function<void(int link)> &run, std::initializer_list<int> keepOpen) {
    // A standard input or output the game was started without is /dev/null
    // from now on, so that the link cannot take its number and the game's
    // own output go down the link.
    for (int fd = 0; fd < 3; ++fd)
        if (::fcntl(fd, F_GETFD) < 0 && ::open("/dev/null", O_RDWR) != fd)
            return false;
    int ends[2];
    if (::socketpair(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0, ends) != 0)
        return false;
    const pid_t game = ::getpid();
    const pid_t keeper = ::fork();
    if (keeper == 0) {
        keptGame = game;
        becomeKeeper(ends[1], keepOpen);
        run(ends[1]);
        ::_exit(0); // never the game's exit handlers
    }
    ::close(ends[1]);
    if (keeper < 0) {
        ::close(ends[0]);
        return false;
    }
    linkOwner.store(game);
    gameLink.store(ends[0]);
    return true;
}

void keep(int link, const Keyboard &keyboard) {
    sigset_t waking;
    ::sigprocmask(SIG_SETMASK, nullptr, &waking);
    sigdelset(&waking, GameDiedSignal);
    RepeatRate players;
    bool known = false;
    bool changed = false;
    const auto call = [](const auto &operation, auto &rate) {
        ::alarm(KeyboardCallS);
        const int status = operation(rate);
        ::alarm(0);
        return status;
    };
    // Until the link closes, or the game has gone while a child of its own
    // holds the link.
    while (::getppid() == keptGame) {
        pollfd ready{link, POLLIN, 0};
        if (::ppoll(&ready, 1, nullptr, &waking) < 0) {
            if (errno == EINTR)
                continue;
            break;
        }
        Request request;
        const ssize_t n = ::recv(link, &request, sizeof request, MSG_DONTWAIT);
        if (n < 0 && (errno == EAGAIN || errno == EINTR))
            continue;
        if (n != sizeof request)
            break;
        Answer answer{request.serial, 0, request.rate};
        switch (request.what) {
        case Ask::Read:
            answer.status = call(keyboard.read, answer.rate);
            if (answer.status == 0 && !changed) {
                players = answer.rate;
                known = true;
            }
            break;
        case Ask::Set:
            answer.status = call(keyboard.set, request.rate);
            changed = known && !(request.rate == players);
            break;
        case Ask::PutBack:
            if (changed && call(keyboard.set, players) == 0)
                changed = false;
            break;
        }
        ::send(link, &answer, sizeof answer, MSG_NOSIGNAL | MSG_DONTWAIT);
    }
    if (changed)
        call(keyboard.set, players);
}

int read(RepeatRate &rate) {
    return ask(Ask::Read, rate);
}

int set(const RepeatRate &rate) {
    RepeatRate asked = rate;
    return ask(Ask::Set, asked);
}

void removeAtEnd(const char *path) {
    const int n = endFileCount.load();
    if (n < 8 && std::strlen(path) < sizeof endFiles[n]) {
        std::strcpy(endFiles[n], path);
        endFileCount.store(n + 1);
    }
}

void installHandlers() {
    stack_t stack{};
    stack.ss_sp = handlerStack;
    stack.ss_size = sizeof handlerStack;
    ::sigaltstack(&stack, nullptr);
    struct sigaction action {};
    action.sa_handler = onEndingSignal;
    action.sa_flags = SA_RESETHAND | SA_ONSTACK;
    sigemptyset(&action.sa_mask);
    for (int sig : politeSignals)
        sigaddset(&action.sa_mask, sig);
    for (int sig : politeSignals)
        ::sigaction(sig, &action, nullptr);
    for (int sig : crashSignals)
        ::sigaction(sig, &action, nullptr);
}

} // namespace krumlix::EmergencyRestore
