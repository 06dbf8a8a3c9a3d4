#include "io/input.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "text/system_calls.hpp"
#include "text/text.hpp"

namespace gs {
namespace {

// Hands out the head bytes first, then the rest of the memory or the descriptor.
ssize_t read_raw(input_stream& input, char* buffer, std::size_t capacity) {
    if (input.head_used < input.head_size) {
        const std::size_t n = std::min(capacity, input.head_size - input.head_used);
        std::memcpy(buffer, input.head.get() + input.head_used, n);
        input.head_used += n;
        if (input.hash_raw) input.raw_hash.add(buffer, n);
        return static_cast<ssize_t>(n);
    }
    if (input.fd < 0) {
        const std::size_t n = std::min(capacity, input.memory.size() - input.memory_used);
        if (n > 0) std::memcpy(buffer, input.memory.data() + input.memory_used, n);
        input.memory_used += n;
        if (input.hash_raw) input.raw_hash.add(buffer, n);
        return static_cast<ssize_t>(n);
    }
    // A terminal gives an end of file once per Ctrl-D and then waits again: one end ends the input.
    if (input.raw_ended) return 0;
    if (input.may_block && !wait_for_input(input.fd, input.wake_fd)) return -1;
    const ssize_t got = read_some(input.fd, buffer, capacity);
    if (got < 0) input.error = errno;
    if (got == 0) input.raw_ended = true;
    if (got > 0) {
        input.consumed->fetch_add(static_cast<std::uint64_t>(got), std::memory_order_relaxed);
        if (input.hash_raw) input.raw_hash.add(buffer, static_cast<std::size_t>(got));
    }
    return got;
}

// Decodes up to capacity bytes, pushing the decoder the compressed bytes it asks for.
ssize_t decode_input(input_stream& input, char* buffer, std::size_t capacity) {
    while (true) {
        const ssize_t got = decode(*input.unpack, buffer, capacity);
        if (got != decode_needs_input) return got;
        const std::span<char> space = decoder_space(*input.unpack);
        const ssize_t read = read_raw(input, space.data(), space.size());
        if (read < 0) return -1;
        pushed(*input.unpack, static_cast<std::size_t>(read));
    }
}

// What the descriptor is: whether a read may wait indefinitely (a pipe, a terminal, a socket), and the
// size of a regular file (0 otherwise).
void describe_fd(input_stream& input) {
    const file_status status = status_of(input.fd);
    input.may_block = !status.exists || !(status.regular() || S_ISBLK(status.mode));
    input.size = status.regular() ? status.size : 0;
}

// Makes the decompressor and its thread at the first read, so that many inputs opened at once cost
// little. Without a thread, the reader decodes in its own.
bool start_decoding(input_stream& input) {
    input.unpack = make_decoder(input.format);
    if (!input.unpack) return false;
    input.decoding = start_decoding_thread(
        [&input](char* buffer, std::size_t capacity) { return decode_input(input, buffer, capacity); },
        input.fd >= 0 && input.may_block, input.wake_fd, input.pool, input.order);
    return true;
}

void start_raw_hash(input_stream& input, std::string_view head) {
    input.hash_raw = input.format != compression::none || byte_order_mark_length(head) > 0;
    if (input.hash_raw) input.raw_hash.reset();
}

}  // namespace

input_stream::input_stream() = default;
input_stream::~input_stream() {
    close_input(*this);
}
input_stream::input_stream(input_stream&&) noexcept = default;
input_stream& input_stream::operator=(input_stream&&) noexcept = default;

open_result open_input(input_stream& input, const std::string& path) {
    close_input(input);
    input.path = path;
    input.failed = false;
    input.error = 0;
    input.damage = {};
    if (path == standard_input_name) {
        input.fd = STDIN_FILENO;
        input.owns_fd = false;
    } else {
        // A FIFO waits here for its writer; the run does not watch signals yet, so one still ends it.
        const int fd = open_file(path.c_str(), O_RDONLY | O_CLOEXEC);
        if (fd < 0) {
            input.error = errno;
            return open_result::cannot_open;
        }
        input.fd = fd;
        input.owns_fd = true;
    }
    describe_fd(input);
    if (!input.consumed) input.consumed = std::make_unique<std::atomic<std::uint64_t>>(0);
    input.consumed->store(0);
    input.raw_ended = false;
    input.head = std::make_unique<char[]>(format_head_size);
    input.head_size = 0;
    input.head_used = 0;
    // Read until the head is full or the input ends, so that a short first read from a pipe cannot hide
    // the magic bytes.
    while (input.head_size < format_head_size) {
        const ssize_t got =
            read_some(input.fd, input.head.get() + input.head_size, format_head_size - input.head_size);
        if (got < 0) {
            input.error = errno;
            return open_result::cannot_read;
        }
        if (got == 0) {
            input.raw_ended = true;
            break;
        }
        input.head_size += static_cast<std::size_t>(got);
        input.consumed->fetch_add(static_cast<std::uint64_t>(got), std::memory_order_relaxed);
    }
    input.format = detect_compression(std::string_view(input.head.get(), input.head_size));
    start_raw_hash(input, std::string_view(input.head.get(), input.head_size));
    return open_result::ok;
}

void open_memory_input(input_stream& input, std::string_view bytes, std::string path) {
    close_input(input);
    input.path = std::move(path);
    input.failed = false;
    input.memory = bytes;
    input.memory_used = 0;
    input.may_block = false;
    input.raw_ended = false;
    input.head.reset();
    input.head_size = 0;
    input.head_used = 0;
    input.format = detect_compression(bytes.substr(0, format_head_size));
    start_raw_hash(input, bytes);
}

void watch_stop(input_stream& input, const stop_signal* stop) {
    input.stop = stop;
    if (!input.decoding) input.wake_fd = stop != nullptr ? stop->wake_read : -1;
}

std::string_view foreign_format_of(const input_stream& input) {
    if (input.fd < 0) return foreign_format(input.memory.substr(0, format_head_size));
    return foreign_format(std::string_view(input.head.get(), input.head_size));
}

ssize_t read_input(input_stream& input, char* buffer, std::size_t capacity) {
    if (input.failed) return -1;
    if (input.format != compression::none && !input.unpack && !start_decoding(input)) {
        input.failed = true;
        return -1;
    }
    ssize_t got;
    if (input.format == compression::none) {
        got = read_raw(input, buffer, capacity);
    } else if (input.decoding) {
        got = read_decoded(*input.decoding, buffer, capacity, input.stop);
    } else {
        got = decode_input(input, buffer, capacity);
    }
    if (got < 0) {
        input.failed = true;
        if (input.unpack) input.damage = decode_failure(*input.unpack);
    }
    return got;
}

bool decode_ahead(input_stream& input) {
    if (input.format == compression::none || input.unpack || input.failed) return true;
    return start_decoding(input);
}

std::string failure_reason(const input_stream& input) {
    if (input.error == 0 && !input.damage.empty()) return std::string(input.damage);
    return reason_of(input.error != 0 ? input.error : EIO);
}

void close_input(input_stream& input) {
    input.decoding.reset();  // before the decoder and the descriptor that the thread uses
    input.unpack.reset();
    if (input.owns_fd && input.fd >= 0) close_file(input.fd);
    input.fd = -1;
    input.owns_fd = false;
    input.wake_fd = input.stop != nullptr ? input.stop->wake_read : -1;
}

}  // namespace gs
