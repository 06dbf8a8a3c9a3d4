#include "text/line_reader.hpp"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "text/system_calls.hpp"
#include "text/text.hpp"

namespace gs {
namespace {

// Reads more bytes after the unread part of the block, moving that part to the front first. False on a
// read error; at end of file at_eof is set.
bool refill(line_reader& reader) {
    if (reader.begin > 0) {
        std::memmove(reader.block.get(), reader.block.get() + reader.begin, reader.end - reader.begin);
        reader.end -= reader.begin;
        reader.begin = 0;
    }
    const ssize_t got = read_some(reader.fd, reader.block.get() + reader.end, reader.capacity - reader.end);
    if (got < 0) return false;
    if (got == 0) reader.at_eof = true;
    reader.end += static_cast<std::size_t>(got);
    return true;
}

std::string_view unread(const line_reader& reader) {
    if (reader.fd < 0) return reader.memory.substr(reader.begin, reader.end - reader.begin);
    return std::string_view(reader.block.get() + reader.begin, reader.end - reader.begin);
}

// Reads until the block holds at least the byte-order mark's length or the file ends, then skips the mark.
bool start(line_reader& reader) {
    reader.capacity = read_block_size;
    reader.block = std::make_unique_for_overwrite<char[]>(reader.capacity);
    while (!reader.at_eof && reader.end < byte_order_mark.size()) {
        if (!refill(reader)) return false;
    }
    reader.begin += byte_order_mark_length(unread(reader));
    return true;
}

}  // namespace

open_result open_line_reader(line_reader& reader, const char* path) {
    const int fd = open_file(path, O_RDONLY | O_CLOEXEC);
    if (fd < 0) return open_result::cannot_open;
    reader.fd = fd;
    reader.owns_fd = true;
    return start(reader) ? open_result::ok : open_result::cannot_read;
}

bool start_line_reader(line_reader& reader, int fd) {
    reader.fd = fd;
    reader.owns_fd = true;
    return start(reader);
}

void memory_line_reader(line_reader& reader, std::string_view bytes) {
    reader.fd = -1;
    reader.memory = bytes;
    reader.begin = byte_order_mark_length(bytes);
    reader.end = bytes.size();
    reader.at_eof = true;
}

namespace {

// Refuses a line longer than the reader's bound: its first max_line bytes are what is shown of it.
read_status too_long(line_reader& reader, std::string_view rest, bool gathering, std::string_view& line) {
    if (!gathering) reader.joined.clear();
    reader.joined.append(rest.substr(0, reader.max_line - std::min(reader.max_line, reader.joined.size())));
    reader.joined.resize(std::min(reader.joined.size(), reader.max_line));
    reader.begin = reader.end;
    reader.at_eof = true;
    line = reader.joined;
    return read_status::too_long;
}

}  // namespace

read_status next_line(line_reader& reader, std::string_view& line) {
    bool gathering = false;
    while (true) {
        const std::string_view rest = unread(reader);
        const std::size_t feed = rest.find('\n');
        const std::size_t so_far = (gathering ? reader.joined.size() : 0) + std::min(feed, rest.size());
        if (reader.max_line != 0 && so_far > reader.max_line) return too_long(reader, rest, gathering, line);
        if (feed != std::string_view::npos) {
            reader.begin += feed + 1;
            if (!gathering) {
                line = rest.substr(0, feed);
                return read_status::line;
            }
            reader.joined.append(rest.substr(0, feed));
            line = reader.joined;
            return read_status::line;
        }
        if (reader.at_eof) {
            reader.begin = reader.end;
            if (!gathering && rest.empty()) return read_status::end;
            if (!gathering) {
                line = rest;
                return read_status::line;
            }
            reader.joined.append(rest);
            line = reader.joined;
            return read_status::line;
        }
        // No line feed in the block: keep what there is and read on. A part of a line that fills half
        // the block or more moves to the gathering buffer, so the block never has to grow.
        if (rest.size() >= reader.capacity / 2) {
            if (!gathering) reader.joined.clear();
            gathering = true;
            reader.joined.append(rest);
            reader.begin = reader.end;
        }
        if (!refill(reader)) return read_status::error;
    }
}

void close_line_reader(line_reader& reader) {
    if (reader.owns_fd && reader.fd >= 0) close_file(reader.fd);
    reader.fd = -1;
    reader.owns_fd = false;
}

}  // namespace gs
