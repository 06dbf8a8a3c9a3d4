// bzip2, compressing: one stream per run, in the writer's turn.
#include <bzlib.h>

#include "io/formats.hpp"

namespace gs {
namespace {

class bzip2_encoder final : public format_encoder {
  public:
    bzip2_encoder() = default;
    ~bzip2_encoder() override {
        if (ready) BZ2_bzCompressEnd(&stream);
    }
    bzip2_encoder(const bzip2_encoder&) = delete;
    bzip2_encoder& operator=(const bzip2_encoder&) = delete;

    pack_result step(const char* in, std::size_t in_size, bool end, char* out,
                     std::size_t capacity) override {
        stream.next_in = const_cast<char*>(in);
        stream.avail_in = static_cast<unsigned>(in_size);
        stream.next_out = out;
        stream.avail_out = static_cast<unsigned>(capacity);
        const int ret = BZ2_bzCompress(&stream, end ? BZ_FINISH : BZ_RUN);
        pack_result result;
        if (ret != BZ_RUN_OK && ret != BZ_FINISH_OK && ret != BZ_STREAM_END) {
            result.failed = true;
            return result;
        }
        result.made = capacity - stream.avail_out;
        result.taken = in_size - stream.avail_in;
        result.done = end ? ret == BZ_STREAM_END : stream.avail_in == 0;
        return result;
    }

    bz_stream stream{};
    bool ready = false;
};

}  // namespace

std::unique_ptr<format_encoder> make_bzip2_encoder(int level, unsigned) {
    auto encoder = std::make_unique<bzip2_encoder>();
    encoder->ready = BZ2_bzCompressInit(&encoder->stream, level, 0, 0) == BZ_OK;
    if (!encoder->ready) return nullptr;
    return encoder;
}

}  // namespace gs
