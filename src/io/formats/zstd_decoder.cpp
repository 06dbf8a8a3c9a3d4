// zstd, decompressing: frames one after another, skippable frames (pzstd's index) included.
#include <zstd.h>

#include "io/formats.hpp"

namespace gs {
namespace {

constexpr std::string_view zstd_magic = "\x28\xB5\x2F\xFD";
// A skippable frame (pzstd and other tools start with one): its first byte is 0x50 to 0x5F.
constexpr std::string_view zstd_skippable_magic_tail = "\x2A\x4D\x18";
// Frames with windows up to 2 GiB (zstd --long=31) are read; the memory taken follows the window that
// each frame asks for.
constexpr int largest_zstd_window_log = 31;

class zstd_decoder final : public format_decoder {
  public:
    explicit zstd_decoder(ZSTD_DStream* stream) : stream_(stream) {}
    ~zstd_decoder() override { ZSTD_freeDStream(stream_); }
    zstd_decoder(const zstd_decoder&) = delete;
    zstd_decoder& operator=(const zstd_decoder&) = delete;

    unpack_result step(const char* in, std::size_t in_size, bool, char* out, std::size_t capacity) override {
        ZSTD_inBuffer src{in, in_size, 0};
        ZSTD_outBuffer dst{out, capacity, 0};
        const std::size_t hint = ZSTD_decompressStream(stream_, &dst, &src);
        unpack_result result;
        result.made = dst.pos;
        if (ZSTD_isError(hint)) {
            result.damaged = true;
            return result;
        }
        result.taken = src.pos;
        result.at = hint == 0 ? unpack_result::frame::ended : unpack_result::frame::open;
        return result;
    }

  private:
    ZSTD_DStream* stream_;
};

}  // namespace

bool zstd_recognises(std::string_view head) {
    if (head.starts_with(zstd_magic)) return true;
    return head.size() >= 4 && (static_cast<unsigned char>(head[0]) & 0xF0) == 0x50 &&
           head.substr(1, 3) == zstd_skippable_magic_tail;
}

std::unique_ptr<format_decoder> make_zstd_decoder() {
    ZSTD_DStream* stream = ZSTD_createDStream();
    if (stream == nullptr) return nullptr;
    auto decoder = std::make_unique<zstd_decoder>(stream);
    if (ZSTD_isError(ZSTD_initDStream(stream)) ||
        ZSTD_isError(ZSTD_DCtx_setParameter(stream, ZSTD_d_windowLogMax, largest_zstd_window_log))) {
        return nullptr;
    }
    return decoder;
}

}  // namespace gs
