// The inputs of a run: files, standard input ("-"), and compressed files, read as one stream of PGN bytes
// each.
//
// A compressed input is recognised by its first bytes, never by its name (see io/decoder.hpp), and is
// decompressed by a thread of its own, ahead of its reader. An input is read strictly in sequence, with no
// seek and no size query, so pipes work as well as files. A read that waits for a pipe or a terminal wakes
// when the run's stop signal is raised, and then fails.
#pragma once

#include <sys/types.h>

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "io/decoder.hpp"
#include "io/decoding_thread.hpp"
#include "io/stop_signal.hpp"
#include "text/content_hash.hpp"
#include "text/line_reader.hpp"

namespace gs {

// The name that stands for standard input on the command line.
inline constexpr std::string_view standard_input_name = "-";

struct input_stream {
    std::string path;         // as given on the command line
    std::string_view memory;  // the bytes of an input held in memory (fd is then -1)
    std::size_t memory_used = 0;
    int fd = -1;
    bool owns_fd = false;
    bool may_block = false;  // fd is a pipe, a terminal or a socket, whose reads may wait indefinitely
    compression format = compression::none;
    std::unique_ptr<char[]> head;  // bytes read to detect the format, handed out before any other
    std::size_t head_size = 0;
    std::size_t head_used = 0;
    decoder_ptr unpack;                 // for a compressed input
    decoding_thread_ptr decoding;       // the thread that runs unpack, once the first read starts it
    std::shared_ptr<block_pool> pool;   // the blocks it fills, shared with other inputs' when set
    std::size_t order = 0;              // the input's place among those that share the pool
    int wake_fd = -1;                   // what a blocking read polls beside fd
    const stop_signal* stop = nullptr;  // the run's, when set
    bool raw_ended = false;             // a read of fd gave its end: it is never read again
    std::uint64_t size = 0;             // the file's size when it is a regular file, 0 otherwise
    // The bytes read from the file so far (compressed ones, for a compressed input), for progress; read by
    // another thread than the one that counts them.
    std::unique_ptr<std::atomic<std::uint64_t>> consumed = std::make_unique<std::atomic<std::uint64_t>>(0);
    // The bytes read from the file (or memory) are hashed when they may differ from the PGN text that the
    // sorter hashes: a compressed input, or one that starts with a byte-order mark.
    bool hash_raw = false;
    content_hasher raw_hash;
    bool failed = false;      // a read or decompression error happened
    int error = 0;            // the errno of the open or read that failed, 0 for damaged compressed data
    std::string_view damage;  // what is wrong with the compressed data, when that failed
    input_stream();
    ~input_stream();
    // A decoding thread reads through the stream, so a stream is moved only before its first read.
    input_stream(input_stream&&) noexcept;
    input_stream& operator=(input_stream&&) noexcept;
};

// Opens path ("-" for standard input, which stays open) and reads its first bytes, so that a directory or
// unreadable file is refused before anything else happens, and the format is known.
open_result open_input(input_stream& input, const std::string& path);

// Reads bytes held in memory, which must outlive the input, as an input (a compressed one included).
void open_memory_input(input_stream& input, std::string_view bytes, std::string path);

// What the input is when it is plainly not PGN (an archive, an executable), from its first bytes; empty
// otherwise.
std::string_view foreign_format_of(const input_stream& input);

// Lets a raised stop end the reads of the input that wait (null: none does).
void watch_stop(input_stream& input, const stop_signal* stop);

// Starts decompressing a compressed input into its pool's blocks before its first read, so that it is
// decoded while earlier inputs are read. False when its decompressor cannot start (its first read then
// fails, as it would have).
bool decode_ahead(input_stream& input);

// Reads up to capacity bytes of PGN text (decompressed when the input is compressed). Returns the count,
// 0 at the end of the input, or -1 after a read error, damaged compressed data, or a raised stop.
ssize_t read_input(input_stream& input, char* buffer, std::size_t capacity);

// Why the input could not be opened or read, in words: the system's reason, or what is wrong with its
// compressed data.
std::string failure_reason(const input_stream& input);

// Stops the decoding thread, if any, and closes the file (not standard input).
void close_input(input_stream& input);

}  // namespace gs
