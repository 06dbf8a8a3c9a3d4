// xz, compressing: one stream per run, with a CRC64 check, on liblzma's own worker threads.
#include <lzma.h>

#include <cstdint>

#include "io/formats.hpp"

namespace gs {
namespace {

// How long the threaded encoder waits for a worker before it returns, so that its caller can look at a
// stop between steps.
constexpr std::uint32_t xz_wait_ms = 250;

class xz_encoder final : public format_encoder {
  public:
    xz_encoder() = default;
    ~xz_encoder() override {
        if (ready) lzma_end(&stream);
    }
    xz_encoder(const xz_encoder&) = delete;
    xz_encoder& operator=(const xz_encoder&) = delete;

    pack_result step(const char* in, std::size_t in_size, bool end, char* out,
                     std::size_t capacity) override {
        stream.next_in = reinterpret_cast<const std::uint8_t*>(in);
        stream.avail_in = in_size;
        stream.next_out = reinterpret_cast<std::uint8_t*>(out);
        stream.avail_out = capacity;
        const lzma_ret ret = lzma_code(&stream, end ? LZMA_FINISH : LZMA_RUN);
        pack_result result;
        if (ret != LZMA_OK && ret != LZMA_STREAM_END) {
            result.failed = true;
            return result;
        }
        result.made = capacity - stream.avail_out;
        result.taken = in_size - stream.avail_in;
        result.done = end ? ret == LZMA_STREAM_END : stream.avail_in == 0;
        return result;
    }

    lzma_stream stream = LZMA_STREAM_INIT;
    bool ready = false;
};

}  // namespace

std::unique_ptr<format_encoder> make_xz_encoder(int level, unsigned threads) {
    auto encoder = std::make_unique<xz_encoder>();
    lzma_mt options{};
    options.threads = threads == 0 ? 1 : threads;
    options.preset = static_cast<std::uint32_t>(level);
    options.check = LZMA_CHECK_CRC64;
    options.timeout = xz_wait_ms;
    encoder->ready = lzma_stream_encoder_mt(&encoder->stream, &options) == LZMA_OK;
    if (!encoder->ready) return nullptr;
    return encoder;
}

}  // namespace gs
