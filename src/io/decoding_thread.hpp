// Threads that decompress inputs ahead of their reader, so that decompression runs beside sorting, and
// later inputs can be decompressed while an earlier one is sorted.
//
// A thread fills blocks taken from a pool; the reader copies out of the oldest full block and gives it
// back. Memory is bounded by the pool, which the threads of a run's inputs may share: the input being read
// (the one whose thread the reader read last) holds a few blocks at most, since it is emptied as fast as
// it is filled, and the later inputs fill what else the pool allows, always leaving the input being read
// enough to go on, so that no thread waits for one that waits for it. A pool keeps the blocks given back
// for the next taker, so that memory is not returned and mapped again.
//
// A read error or damage is handed out after the bytes before it, as decode reports it. Stopping wakes the
// thread wherever it waits: for a block (a condition) or for compressed input from a pipe (its own stop
// signal, polled beside the descriptor).
#pragma once

#include <sys/types.h>

#include <cstddef>
#include <functional>
#include <memory>

#include "io/stop_signal.hpp"

namespace gs {

// The size of a block of decoded bytes, and the most blocks that the input being read holds.
inline constexpr std::size_t decoded_block_size = std::size_t{1} << 20;
inline constexpr std::size_t blocks_of_input_read = 4;

struct block_pool;
// A pool of at most `blocks` blocks (at least blocks_of_input_read are used whatever is asked).
std::shared_ptr<block_pool> make_block_pool(std::size_t blocks);

struct decoding_thread;
struct decoding_thread_deleter {
    void operator()(decoding_thread* t) const;  // stops the thread and waits for it
};
using decoding_thread_ptr = std::unique_ptr<decoding_thread, decoding_thread_deleter>;

// What the thread runs: decodes up to capacity bytes into buffer, reading the compressed input as it
// needs (a count, 0 at the end, -1 after an error), as decode_input does.
using produce_fn = std::function<ssize_t(char* buffer, std::size_t capacity)>;

// Starts a thread that fills blocks of pool (a pool of its own when null) with produce, which must stay
// valid while it runs. order: the input's place among those that share the pool, which are read in that
// order. may_block: produce reads from a pipe or a terminal, where a read can wait indefinitely; then,
// before the thread starts, wake_fd is set to the descriptor of the thread's stop signal, which those
// reads must poll beside their own. Null when no thread can be started (the caller then decodes in its
// own thread).
decoding_thread_ptr start_decoding_thread(produce_fn produce, bool may_block, int& wake_fd,
                                          std::shared_ptr<block_pool> pool = nullptr, std::size_t order = 0);

// Copies up to capacity decoded bytes into buffer: the count, 0 at the end, -1 after an error. Waits for
// the thread while no block is full; a raised run_stop (may be null) ends the wait with -1. The thread's
// input becomes the one being read.
ssize_t read_decoded(decoding_thread& t, char* buffer, std::size_t capacity, const stop_signal* run_stop);

}  // namespace gs
