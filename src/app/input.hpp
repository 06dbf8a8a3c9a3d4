// The inputs of a run: files, standard input ("-"), and compressed files, read as one stream of PGN bytes
// each.
//
// A compressed input is recognised by its first bytes, never by its name: zstd, xz, gzip and bzip2
// streams are decompressed on the fly, with concatenated frames or members read one after the other. An
// input is read strictly in sequence, with no seek and no size query, so pipes work as well as files.
#pragma once

#include <sys/types.h>

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

#include "text/line_reader.hpp"

namespace gs {

// The name that stands for standard input on the command line.
inline constexpr std::string_view standard_input_name = "-";

enum class compression { none, zstd, xz, gzip, bzip2 };

// The format whose magic bytes start head; none when head is too short or matches no format.
compression detect_compression(std::string_view head);

struct decoder;  // the state of one decompressor

struct input_stream {
    std::string path;         // as given on the command line
    std::string_view memory;  // the bytes of an input held in memory (fd is then -1)
    std::size_t memory_used = 0;
    int fd = -1;
    bool owns_fd = false;
    compression format = compression::none;
    std::unique_ptr<char[]> head;  // bytes read to detect the format, handed out before any other
    std::size_t head_size = 0;
    std::size_t head_used = 0;
    std::unique_ptr<decoder> unpack;  // for a compressed input
    bool failed = false;              // a read or decompression error happened
    input_stream();
    ~input_stream();
    input_stream(input_stream&&) noexcept;
    input_stream& operator=(input_stream&&) noexcept;
};

// Opens path ("-" for standard input, which stays open) and reads its first bytes, so that a directory or
// unreadable file is refused before anything else happens, and the format is known.
open_result open_input(input_stream& input, const std::string& path);

// Reads bytes held in memory, which must outlive the input, as an input (a compressed one included).
void open_memory_input(input_stream& input, std::string_view bytes, std::string path);

// Reads up to capacity bytes of PGN text (decompressed when the input is compressed). Returns the count,
// 0 at the end of the input, or -1 after a read error or damaged compressed data.
ssize_t read_input(input_stream& input, char* buffer, std::size_t capacity);

void close_input(input_stream& input);

}  // namespace gs
