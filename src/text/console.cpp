#include "text/console.hpp"

namespace gs {
namespace {

void put(console& con, std::string_view piece) {
    if (piece.empty() || con.stream == nullptr) return;
    if (std::fwrite(piece.data(), 1, piece.size(), con.stream) != piece.size()) con.failed = true;
}

}  // namespace

void print_line(console& con, std::string_view first, std::string_view second, std::string_view third) {
    put(con, first);
    put(con, second);
    put(con, third);
    put(con, "\n");
    if (con.stream != nullptr && std::fflush(con.stream) != 0) con.failed = true;
}

void print_text(console& con, std::string_view text) {
    put(con, text);
    if (con.stream != nullptr && std::fflush(con.stream) != 0) con.failed = true;
}

}  // namespace gs
