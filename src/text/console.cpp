#include "text/console.hpp"

#include <cerrno>
#include <cstdlib>

namespace gs {
namespace {

// A failed write: when the reader has gone (a pipe closed by head, say) the messages are dropped from now
// on and the run goes on; any other failure is remembered.
void fail(console& con) {
    if (errno == EPIPE) {
        std::clearerr(con.stream);
        con.stream = nullptr;
        con.closed = true;
    } else {
        con.failed = true;
    }
}

void put(console& con, std::string_view piece) {
    if (piece.empty() || con.stream == nullptr) return;
    if (std::fwrite(piece.data(), 1, piece.size(), con.stream) != piece.size()) fail(con);
}

void flush(console& con) {
    if (con.stream != nullptr && std::fflush(con.stream) != 0) fail(con);
}

constexpr std::string_view erase_line = "\r\x1b[K";

void erase_status(console& con) {
    if (!con.status_shown) return;
    std::fwrite(erase_line.data(), 1, erase_line.size(), con.status);
    std::fflush(con.status);
}

void draw_status(console& con) {
    if (!con.status_shown) return;
    std::fwrite(con.status_line.data(), 1, con.status_line.size(), con.status);
    std::fflush(con.status);
}

}  // namespace

void show_status(console& con, std::FILE* stream, std::string_view line) {
    erase_status(con);
    con.status = stream;
    con.status_line.assign(line);
    con.status_shown = stream != nullptr;
    draw_status(con);
}

void clear_status(console& con) {
    erase_status(con);
    con.status_shown = false;
}

void print_line(console& con, std::string_view first, std::string_view second, std::string_view third) {
    erase_status(con);
    put(con, first);
    put(con, second);
    put(con, third);
    put(con, "\n");
    flush(con);
    draw_status(con);
}

void print_text(console& con, std::string_view text) {
    erase_status(con);
    put(con, text);
    flush(con);
    draw_status(con);
}

}  // namespace gs
