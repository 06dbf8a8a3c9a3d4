#include "io/decoding_thread.hpp"

#include <algorithm>
#include <array>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <mutex>
#include <system_error>
#include <thread>

namespace gs {
namespace {

constexpr std::size_t block_count = 4;
constexpr std::size_t block_size = std::size_t{1} << 20;
// How often a reader that waits for a block looks at the run's stop signal, which a signal handler raises
// and so cannot notify a condition.
constexpr auto stop_poll_interval = std::chrono::milliseconds(50);

struct decoded_block {
    std::unique_ptr<char[]> data;
    std::size_t size = 0;
    std::size_t used = 0;
    bool last = false;    // the end of the input, or the failure below, comes after these bytes
    bool failed = false;  // a read error or damage
};

}  // namespace

struct decoding_thread {
    produce_fn produce;
    stop_signal stop;  // raised to end the thread
    std::mutex lock;
    std::condition_variable filled;  // the reader: a block was filled
    std::condition_variable freed;   // the thread: a block was given back, or stop
    std::array<decoded_block, block_count> blocks;
    std::size_t head = 0;   // the oldest full block
    std::size_t count = 0;  // full blocks
    std::thread thread;

    explicit decoding_thread(produce_fn p) : produce(std::move(p)) {}
};

namespace {

// The thread: fills free blocks until the input ends, fails, or the thread is stopped.
void run_decoding(decoding_thread& t) {
    for (std::size_t next = 0;; next = (next + 1) % block_count) {
        {
            std::unique_lock guard(t.lock);
            t.freed.wait(guard, [&] { return stop_raised(t.stop) || t.count < block_count; });
            if (stop_raised(t.stop)) return;
        }
        decoded_block& b = t.blocks[next];  // free, so only this thread touches it
        if (!b.data) b.data = std::make_unique_for_overwrite<char[]>(block_size);
        b.size = 0;
        b.used = 0;
        b.last = false;
        b.failed = false;
        while (b.size < block_size) {
            const ssize_t got = t.produce(b.data.get() + b.size, block_size - b.size);
            if (got <= 0) {
                b.last = true;
                b.failed = got < 0 && !stop_raised(t.stop);
                break;
            }
            b.size += static_cast<std::size_t>(got);
        }
        {
            std::lock_guard guard(t.lock);
            ++t.count;
        }
        t.filled.notify_one();
        if (b.last) return;
    }
}

}  // namespace

void decoding_thread_deleter::operator()(decoding_thread* t) const {
    raise_stop(t->stop);
    t->freed.notify_all();
    if (t->thread.joinable()) t->thread.join();
    close_stop_signal(t->stop);
    delete t;
}

decoding_thread_ptr start_decoding_thread(produce_fn produce, bool may_block, int& wake_fd) {
    decoding_thread_ptr t(new decoding_thread(std::move(produce)));
    if (may_block && !open_stop_signal(t->stop)) return nullptr;
    const int previous = wake_fd;
    wake_fd = t->stop.wake_read;
    try {
        t->thread = std::thread(run_decoding, std::ref(*t));
    } catch (const std::system_error&) {
        wake_fd = previous;
        return nullptr;
    }
    return t;
}

ssize_t read_decoded(decoding_thread& t, char* buffer, std::size_t capacity, const stop_signal* run_stop) {
    std::unique_lock guard(t.lock);
    // The last block stays in the ring, so a reader never waits for a block that will not come.
    while (t.count == 0) {
        if (run_stop != nullptr && stop_raised(*run_stop)) return -1;
        t.filled.wait_for(guard, stop_poll_interval);
    }
    decoded_block& b = t.blocks[t.head];
    guard.unlock();
    // A full block belongs to the reader until it is given back.
    const std::size_t n = std::min(capacity, b.size - b.used);
    if (n > 0) std::memcpy(buffer, b.data.get() + b.used, n);
    b.used += n;
    if (b.used < b.size) return static_cast<ssize_t>(n);
    const bool last = b.last;
    const bool failed = b.failed;
    if (last) {
        // Used up, the last block stays in the ring, so that every later read sees the end or the failure.
        if (n > 0) return static_cast<ssize_t>(n);
        return failed ? -1 : 0;
    }
    // Every other block is full (the thread fills a block until the input ends), so n > 0 here.
    guard.lock();
    t.head = (t.head + 1) % block_count;
    --t.count;
    guard.unlock();
    t.freed.notify_one();
    return static_cast<ssize_t>(n);
}

}  // namespace gs
