// bzip2, decompressing: concatenated streams one after another.
#include <bzlib.h>

#include "io/formats.hpp"

namespace gs {
namespace {

constexpr std::string_view bzip2_magic = "BZh";
// After "BZh" and the block size digit: the magic of a first block, or of the end of an empty stream.
constexpr std::string_view bzip2_block_magic = "\x31\x41\x59\x26\x53\x59";
constexpr std::string_view bzip2_end_magic = "\x17\x72\x45\x38\x50\x90";

class bzip2_decoder final : public format_decoder {
  public:
    bzip2_decoder() = default;
    ~bzip2_decoder() override {
        if (ready) BZ2_bzDecompressEnd(&stream);
    }
    bzip2_decoder(const bzip2_decoder&) = delete;
    bzip2_decoder& operator=(const bzip2_decoder&) = delete;

    bool start() {
        stream = bz_stream{};
        ready = BZ2_bzDecompressInit(&stream, 0, 0) == BZ_OK;
        return ready;
    }

    unpack_result step(const char* in, std::size_t in_size, bool, char* out, std::size_t capacity) override {
        stream.next_in = const_cast<char*>(in);
        stream.avail_in = static_cast<unsigned>(in_size);
        stream.next_out = out;
        stream.avail_out = static_cast<unsigned>(capacity);
        const int ret = BZ2_bzDecompress(&stream);
        unpack_result result;
        result.made = capacity - stream.avail_out;
        if (ret != BZ_OK && ret != BZ_STREAM_END) {
            result.damaged = true;
            return result;
        }
        result.taken = in_size - stream.avail_in;
        if (ret == BZ_STREAM_END) {
            // The next stream of a concatenation needs a fresh decompressor.
            BZ2_bzDecompressEnd(&stream);
            result.damaged = !start();
            result.at = unpack_result::frame::ended;
        } else if (result.taken > 0) {
            result.at = unpack_result::frame::open;
        }
        return result;
    }

  private:
    bz_stream stream{};
    bool ready = false;
};

}  // namespace

bool bzip2_recognises(std::string_view head) {
    if (!head.starts_with(bzip2_magic) || head.size() < 10 || head[3] < '1' || head[3] > '9') return false;
    const std::string_view block = head.substr(4, 6);
    return block == bzip2_block_magic || block == bzip2_end_magic;
}

std::unique_ptr<format_decoder> make_bzip2_decoder() {
    auto decoder = std::make_unique<bzip2_decoder>();
    if (!decoder->start()) return nullptr;
    return decoder;
}

}  // namespace gs
