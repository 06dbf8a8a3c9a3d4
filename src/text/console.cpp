#include "text/console.hpp"

#include <cerrno>

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

}  // namespace

void print_line(console& con, std::string_view first, std::string_view second, std::string_view third) {
    put(con, first);
    put(con, second);
    put(con, third);
    put(con, "\n");
    flush(con);
}

void print_text(console& con, std::string_view text) {
    put(con, text);
    flush(con);
}

}  // namespace gs
