// gzip, decompressing: members one after another, by ISA-L's inflate (igzip), which decodes deflate about
// five times as fast as zlib; each member's header is parsed and its CRC and length are checked.
#include <isa-l/igzip_lib.h>

#include <limits>

#include "io/formats.hpp"

namespace gs {
namespace {

constexpr std::string_view gzip_magic = "\x1F\x8B\x08";  // with the deflate method

class gzip_decoder final : public format_decoder {
  public:
    gzip_decoder() { start_member(); }

    unpack_result step(const char* in, std::size_t in_size, bool, char* out, std::size_t capacity) override {
        constexpr std::size_t most = std::numeric_limits<std::uint32_t>::max();
        const std::size_t offered = std::min(in_size, most);
        capacity = std::min(capacity, most);
        state.next_in = reinterpret_cast<std::uint8_t*>(const_cast<char*>(in));
        state.avail_in = static_cast<std::uint32_t>(offered);
        state.next_out = reinterpret_cast<std::uint8_t*>(out);
        state.avail_out = static_cast<std::uint32_t>(capacity);
        const int ret = isal_inflate(&state);
        unpack_result result;
        result.made = capacity - state.avail_out;
        if (ret < 0 || ret == ISAL_NEED_DICT) {
            result.damaged = true;
            return result;
        }
        // At a member's end, inflate gives back the whole bytes it had buffered beyond its trailer.
        result.taken = offered - state.avail_in;
        // A member that ends makes way for the next one at once; until bytes of it are taken, the stream
        // stands at the end of a member.
        if (state.block_state == ISAL_BLOCK_FINISH) {
            start_member();
            result.at = unpack_result::frame::ended;
        } else if (result.taken > 0) {
            result.at = unpack_result::frame::open;
        }
        return result;
    }

  private:
    void start_member() {
        isal_inflate_init(&state);
        state.crc_flag = ISAL_GZIP;
    }

    inflate_state state{};
};

}  // namespace

bool gzip_recognises(std::string_view head) {
    return head.starts_with(gzip_magic);
}

std::unique_ptr<format_decoder> make_gzip_decoder() {
    return std::make_unique<gzip_decoder>();
}

}  // namespace gs
