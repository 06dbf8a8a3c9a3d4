// gzip, decompressing: members one after another.
#include <zlib.h>

#include "io/formats.hpp"

namespace gs {
namespace {

constexpr std::string_view gzip_magic = "\x1F\x8B\x08";  // with the deflate method

class gzip_decoder final : public format_decoder {
  public:
    gzip_decoder() = default;
    ~gzip_decoder() override {
        if (ready) inflateEnd(&stream);
    }
    gzip_decoder(const gzip_decoder&) = delete;
    gzip_decoder& operator=(const gzip_decoder&) = delete;

    unpack_result step(const char* in, std::size_t in_size, bool, char* out, std::size_t capacity) override {
        stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(in));
        stream.avail_in = static_cast<uInt>(in_size);
        stream.next_out = reinterpret_cast<Bytef*>(out);
        stream.avail_out = static_cast<uInt>(capacity);
        const int ret = inflate(&stream, Z_NO_FLUSH);
        unpack_result result;
        result.made = capacity - stream.avail_out;
        if (ret != Z_OK && ret != Z_STREAM_END && ret != Z_BUF_ERROR) {
            result.damaged = true;
            return result;
        }
        result.taken = in_size - stream.avail_in;
        // A member that ends makes way for the next one at once; until bytes of it are taken, the stream
        // stands at the end of a member.
        if (ret == Z_STREAM_END) {
            result.damaged = inflateReset(&stream) != Z_OK;
            result.at = unpack_result::frame::ended;
        } else if (result.taken > 0) {
            result.at = unpack_result::frame::open;
        }
        return result;
    }

    z_stream stream{};
    bool ready = false;
};

}  // namespace

bool gzip_recognises(std::string_view head) {
    return head.starts_with(gzip_magic);
}

std::unique_ptr<format_decoder> make_gzip_decoder() {
    auto decoder = std::make_unique<gzip_decoder>();
    decoder->ready = inflateInit2(&decoder->stream, 15 + 16) == Z_OK;
    if (!decoder->ready) return nullptr;
    return decoder;
}

}  // namespace gs
