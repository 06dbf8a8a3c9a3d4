#include "app/signals.hpp"

#include <array>
#include <atomic>
#include <csignal>
#include <cstdio>

namespace gs {
namespace {

constexpr std::array<int, 3> watched = {SIGINT, SIGTERM, SIGHUP};

// A signal handler can reach only what is global; these are set before the handlers are installed and
// cleared after they are removed.
std::atomic<stop_signal*> watched_stop{nullptr};  // lock-free, so the handler may read it
static_assert(std::atomic<stop_signal*>::is_always_lock_free);
volatile std::sig_atomic_t first_signal = 0;
std::array<struct sigaction, watched.size()> previous{};

extern "C" void on_signal(int number) {
    if (first_signal == 0) first_signal = number;
    if (stop_signal* stop = watched_stop.load(); stop != nullptr) raise_stop(*stop);
}

}  // namespace

void ignore_broken_pipe() {
    std::signal(SIGPIPE, SIG_IGN);
}

void watch_signals(stop_signal& stop) {
    watched_stop = &stop;
    first_signal = 0;
    struct sigaction action {};
    action.sa_handler = on_signal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (std::size_t i = 0; i < watched.size(); ++i)
        sigaction(watched[i], &action, &previous[i]);
}

int caught_signal() {
    return first_signal;
}

void unwatch_signals() {
    for (std::size_t i = 0; i < watched.size(); ++i)
        sigaction(watched[i], &previous[i], nullptr);
    watched_stop = nullptr;
}

void keep_signals_noted() {
    watched_stop = nullptr;
}

int end_as(int status) {
    for (const int number : watched) {
        if (status != 128 + number) continue;
        std::fflush(nullptr);
        std::signal(number, SIG_DFL);
        sigset_t set;
        sigemptyset(&set);
        sigaddset(&set, number);
        sigprocmask(SIG_UNBLOCK, &set, nullptr);
        std::raise(number);
    }
    return status;
}

const char* signal_name(int number) {
    switch (number) {
        case SIGINT:
            return "SIGINT";
        case SIGTERM:
            return "SIGTERM";
        case SIGHUP:
            return "SIGHUP";
        default:
            break;
    }
    static char text[32];
    std::snprintf(text, sizeof text, "signal %d", number);
    return text;
}

}  // namespace gs
