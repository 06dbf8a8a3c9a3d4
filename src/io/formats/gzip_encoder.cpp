// gzip, compressing: one member per run, in the writer's turn.
#include <zlib.h>

#include "io/formats.hpp"

namespace gs {
namespace {

class gzip_encoder final : public format_encoder {
  public:
    gzip_encoder() = default;
    ~gzip_encoder() override {
        if (ready) deflateEnd(&stream);
    }
    gzip_encoder(const gzip_encoder&) = delete;
    gzip_encoder& operator=(const gzip_encoder&) = delete;

    pack_result step(const char* in, std::size_t in_size, bool end, char* out,
                     std::size_t capacity) override {
        stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(in));
        stream.avail_in = static_cast<uInt>(in_size);
        stream.next_out = reinterpret_cast<Bytef*>(out);
        stream.avail_out = static_cast<uInt>(capacity);
        const int ret = deflate(&stream, end ? Z_FINISH : Z_NO_FLUSH);
        pack_result result;
        if (ret == Z_STREAM_ERROR) {
            result.failed = true;
            return result;
        }
        result.made = capacity - stream.avail_out;
        result.taken = in_size - stream.avail_in;
        result.done = end ? ret == Z_STREAM_END : stream.avail_in == 0 && stream.avail_out != 0;
        return result;
    }

    z_stream stream{};
    bool ready = false;
};

}  // namespace

std::unique_ptr<format_encoder> make_gzip_encoder(int level, unsigned) {
    auto encoder = std::make_unique<gzip_encoder>();
    encoder->ready =
        deflateInit2(&encoder->stream, level, Z_DEFLATED, 15 + 16, 8, Z_DEFAULT_STRATEGY) == Z_OK;
    if (!encoder->ready) return nullptr;
    return encoder;
}

}  // namespace gs
