#include "io/decoding_thread.hpp"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

namespace gs {
namespace {

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

struct block_pool {
    std::mutex lock;
    std::condition_variable returned;            // a block was given back, the input read changed, or a stop
    std::vector<std::unique_ptr<char[]>> spare;  // blocks given back, for the next taker
    std::size_t limit = blocks_of_input_read;
    std::size_t in_use = 0;                  // taken and not given back
    std::atomic<std::size_t> being_read{0};  // the order of the input read last
};

std::shared_ptr<block_pool> make_block_pool(std::size_t blocks) {
    auto pool = std::make_shared<block_pool>();
    pool->limit = std::max(blocks, blocks_of_input_read);
    return pool;
}

struct decoding_thread {
    produce_fn produce;
    std::shared_ptr<block_pool> pool;
    std::size_t order = 0;
    stop_signal stop;  // raised to end the thread
    std::mutex lock;
    std::condition_variable filled;     // the reader: a block was filled
    std::vector<decoded_block> blocks;  // a ring, as long as the pool is large
    std::size_t head = 0;               // the oldest full block
    std::size_t count = 0;              // full blocks
    std::size_t held = 0;  // blocks taken from the pool and not given back (guarded by the pool's lock)
    std::thread thread;

    decoding_thread(produce_fn p, std::shared_ptr<block_pool> shared, std::size_t input_order)
        : produce(std::move(p)), pool(std::move(shared)), order(input_order), blocks(pool->limit) {}
};

namespace {

// Whether the thread may take another block: the input being read while it holds fewer than its few;
// a later input while that leaves the input being read its few. The caller holds the pool's lock.
bool may_take(const decoding_thread& t) {
    const block_pool& pool = *t.pool;
    if (pool.in_use >= pool.limit) return false;
    if (pool.being_read.load(std::memory_order_relaxed) == t.order) return t.held < blocks_of_input_read;
    return pool.limit - pool.in_use > blocks_of_input_read;
}

// Waits for a block of the pool; null when the thread is stopped.
std::unique_ptr<char[]> take_block(decoding_thread& t) {
    block_pool& pool = *t.pool;
    std::unique_lock guard(pool.lock);
    pool.returned.wait(guard, [&] { return stop_raised(t.stop) || may_take(t); });
    if (stop_raised(t.stop)) return nullptr;
    ++pool.in_use;
    ++t.held;
    if (pool.spare.empty()) return std::make_unique_for_overwrite<char[]>(decoded_block_size);
    std::unique_ptr<char[]> data = std::move(pool.spare.back());
    pool.spare.pop_back();
    return data;
}

// Gives a block of the thread back to the pool.
void give_back(decoding_thread& t, std::unique_ptr<char[]> data) {
    block_pool& pool = *t.pool;
    {
        std::lock_guard guard(pool.lock);
        pool.spare.push_back(std::move(data));
        --pool.in_use;
        --t.held;
    }
    pool.returned.notify_all();
}

// The thread: fills blocks until the input ends, fails, or the thread is stopped.
void run_decoding(decoding_thread& t) {
    for (std::size_t next = 0;; next = (next + 1) % t.blocks.size()) {
        std::unique_ptr<char[]> data = take_block(t);
        if (!data) return;
        decoded_block& b = t.blocks[next];  // free, so only this thread touches it
        b.data = std::move(data);
        b.size = 0;
        b.used = 0;
        b.last = false;
        b.failed = false;
        while (b.size < decoded_block_size) {
            const ssize_t got = t.produce(b.data.get() + b.size, decoded_block_size - b.size);
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
    {
        std::lock_guard guard(t->pool->lock);  // so that a thread about to wait sees the stop
    }
    t->pool->returned.notify_all();
    if (t->thread.joinable()) t->thread.join();
    close_stop_signal(t->stop);
    for (decoded_block& b : t->blocks) {
        if (b.data) give_back(*t, std::move(b.data));
    }
    delete t;
}

decoding_thread_ptr start_decoding_thread(produce_fn produce, bool may_block, int& wake_fd,
                                          std::shared_ptr<block_pool> pool, std::size_t order) {
    if (!pool) pool = make_block_pool(blocks_of_input_read);
    decoding_thread_ptr t(new decoding_thread(std::move(produce), std::move(pool), order));
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
    block_pool& pool = *t.pool;
    if (pool.being_read.load(std::memory_order_relaxed) != t.order) {
        {
            std::lock_guard guard(pool.lock);
            pool.being_read.store(t.order, std::memory_order_relaxed);
        }
        pool.returned.notify_all();
    }
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
    std::unique_ptr<char[]> data = std::move(b.data);
    guard.lock();
    t.head = (t.head + 1) % t.blocks.size();
    --t.count;
    guard.unlock();
    give_back(t, std::move(data));
    return static_cast<ssize_t>(n);
}

}  // namespace gs
