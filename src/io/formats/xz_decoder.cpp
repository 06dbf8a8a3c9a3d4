// xz, decompressing: concatenated streams one after another.
#include <lzma.h>

#include <cstdint>

#include "io/formats.hpp"

namespace gs {
namespace {

constexpr std::string_view xz_magic = std::string_view(
    "\xFD"
    "7zXZ\0",
    6);

class xz_decoder final : public format_decoder {
  public:
    xz_decoder() = default;
    ~xz_decoder() override {
        if (ready) lzma_end(&stream);
    }
    xz_decoder(const xz_decoder&) = delete;
    xz_decoder& operator=(const xz_decoder&) = delete;

    unpack_result step(const char* in, std::size_t in_size, bool ending, char* out,
                       std::size_t capacity) override {
        stream.next_in = reinterpret_cast<const std::uint8_t*>(in);
        stream.avail_in = in_size;
        stream.next_out = reinterpret_cast<std::uint8_t*>(out);
        stream.avail_out = capacity;
        const lzma_ret ret = lzma_code(&stream, ending ? LZMA_FINISH : LZMA_RUN);
        unpack_result result;
        result.made = capacity - stream.avail_out;
        if (ret != LZMA_OK && ret != LZMA_STREAM_END) {
            result.damaged = true;
            return result;
        }
        result.taken = in_size - stream.avail_in;
        result.at = ret == LZMA_STREAM_END ? unpack_result::frame::ended : unpack_result::frame::open;
        return result;
    }

    lzma_stream stream = LZMA_STREAM_INIT;
    bool ready = false;
};

}  // namespace

bool xz_recognises(std::string_view head) {
    return head.starts_with(xz_magic);
}

std::unique_ptr<format_decoder> make_xz_decoder() {
    auto decoder = std::make_unique<xz_decoder>();
    decoder->ready = lzma_stream_decoder(&decoder->stream, UINT64_MAX, LZMA_CONCATENATED) == LZMA_OK;
    if (!decoder->ready) return nullptr;
    return decoder;
}

}  // namespace gs
