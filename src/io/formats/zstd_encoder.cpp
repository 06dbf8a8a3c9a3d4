// zstd, compressing: one frame per run, with a checksum, on zstd's own worker threads.
#include <zstd.h>

#include "io/formats.hpp"

namespace gs {
namespace {

class zstd_encoder final : public format_encoder {
  public:
    explicit zstd_encoder(ZSTD_CCtx* context) : context_(context) {}
    ~zstd_encoder() override { ZSTD_freeCCtx(context_); }
    zstd_encoder(const zstd_encoder&) = delete;
    zstd_encoder& operator=(const zstd_encoder&) = delete;

    pack_result step(const char* in, std::size_t in_size, bool end, char* out,
                     std::size_t capacity) override {
        ZSTD_inBuffer src{in, in_size, 0};
        ZSTD_outBuffer dst{out, capacity, 0};
        const std::size_t left =
            ZSTD_compressStream2(context_, &dst, &src, end ? ZSTD_e_end : ZSTD_e_continue);
        pack_result result;
        if (ZSTD_isError(left)) {
            result.failed = true;
            return result;
        }
        result.made = dst.pos;
        result.taken = src.pos;
        result.done = end ? left == 0 : src.pos == src.size;
        return result;
    }

  private:
    ZSTD_CCtx* context_;
};

}  // namespace

std::unique_ptr<format_encoder> make_zstd_encoder(int level, unsigned threads) {
    ZSTD_CCtx* context = ZSTD_createCCtx();
    if (context == nullptr) return nullptr;
    auto encoder = std::make_unique<zstd_encoder>(context);
    if (ZSTD_isError(ZSTD_CCtx_setParameter(context, ZSTD_c_compressionLevel, level)) ||
        ZSTD_isError(ZSTD_CCtx_setParameter(context, ZSTD_c_checksumFlag, 1))) {
        return nullptr;
    }
    // Worker threads of zstd's own compress beside the sorters; a library without them compresses in the
    // caller's thread.
    if (threads > 1) ZSTD_CCtx_setParameter(context, ZSTD_c_nbWorkers, static_cast<int>(threads));
    return encoder;
}

}  // namespace gs
