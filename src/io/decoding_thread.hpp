// A thread that decompresses an input ahead of its reader, so that decompression runs beside sorting.
//
// The thread fills a small ring of blocks; the reader copies out of the oldest full block and gives it
// back. Memory is bounded by the ring. A read error or damage is handed out after the bytes before it,
// as decode reports it. Stopping wakes the thread wherever it waits: for a free block (a condition) or for
// compressed input from a pipe (its own stop signal, polled beside the descriptor).
#pragma once

#include <sys/types.h>

#include <cstddef>
#include <functional>
#include <memory>

#include "io/stop_signal.hpp"

namespace gs {

struct decoding_thread;
struct decoding_thread_deleter {
    void operator()(decoding_thread* t) const;  // stops the thread and waits for it
};
using decoding_thread_ptr = std::unique_ptr<decoding_thread, decoding_thread_deleter>;

// What the thread runs: decodes up to capacity bytes into buffer, reading the compressed input as it
// needs (a count, 0 at the end, -1 after an error), as decode_input does.
using produce_fn = std::function<ssize_t(char* buffer, std::size_t capacity)>;

// Starts a thread that fills its blocks with produce, which must stay valid while it runs. may_block:
// produce reads from a pipe or a terminal, where a read can wait indefinitely; then, before the thread
// starts, wake_fd is set to the descriptor of the thread's stop signal, which those reads must poll beside
// their own. Null when no thread can be started (the caller then decodes in its own thread).
decoding_thread_ptr start_decoding_thread(produce_fn produce, bool may_block, int& wake_fd);

// Copies up to capacity decoded bytes into buffer: the count, 0 at the end, -1 after an error. Waits for
// the thread while no block is full; a raised run_stop (may be null) ends the wait with -1.
ssize_t read_decoded(decoding_thread& t, char* buffer, std::size_t capacity, const stop_signal* run_stop);

}  // namespace gs
