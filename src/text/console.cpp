#include "text/console.hpp"

namespace gs {
namespace {

void put(console& out, std::string_view piece) {
    if (piece.empty()) return;
    if (std::fwrite(piece.data(), 1, piece.size(), out.stream) != piece.size()) out.failed = true;
}

}  // namespace

void print_line(console& out, std::string_view first, std::string_view second, std::string_view third) {
    put(out, first);
    put(out, second);
    put(out, third);
    put(out, "\n");
    if (std::fflush(out.stream) != 0) out.failed = true;
}

}  // namespace gs
