// Reading a list file line by line in large blocks (the PGN inputs are read in chunks; see io/input.hpp).
//
// A line is everything up to a line feed, whatever its length; the line feed itself is not part of it, and
// a last line without one is still a line. Carriage returns, NUL bytes and every other byte stay in the
// line as they are. A UTF-8 byte-order mark at the very start of the file is skipped. The file is read
// strictly in sequence, with no seek and no size query, so a pipe works as well as a file.
//
// The reader allocates only when a line is longer than anything it has seen: a line that lies within one
// block is returned as a view into the block, and a line that crosses blocks is gathered in a buffer that
// is reused for the next such line.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

namespace gs {

inline constexpr std::size_t read_block_size = 256 * 1024;

struct line_reader {
    int fd = -1;
    bool owns_fd = false;
    std::unique_ptr<char[]> block;
    std::size_t capacity = 0;
    std::string_view memory;  // the whole input, when reading from memory
    std::size_t begin = 0;    // unread part of the block is [begin, end)
    std::size_t end = 0;
    bool at_eof = false;
    std::string joined;  // a line that crosses blocks
    // The longest line read (0: no bound). A longer one ends the reading at once, so that a file that
    // never ends a line (a link to /dev/zero) costs no more memory than this.
    std::size_t max_line = 0;
};

enum class open_result { ok, cannot_open, cannot_read };

// Opens path for reading and reads the first block, so that a directory or an unreadable file is refused
// before anything else happens.
open_result open_line_reader(line_reader& reader, const char* path);

// Reads the lines of the file fd, which the reader then owns, and reads its first block; false with
// errno set after a read error.
bool start_line_reader(line_reader& reader, int fd);

// Reads the lines of bytes held in memory, which must outlive the reader.
void memory_line_reader(line_reader& reader, std::string_view bytes);

enum class read_status { line, end, error, too_long };

// Gives the next line. The view stays valid until the next call. After too_long, line holds the line's
// first max_line bytes, and nothing more is read.
read_status next_line(line_reader& reader, std::string_view& line);

void close_line_reader(line_reader& reader);

}  // namespace gs
