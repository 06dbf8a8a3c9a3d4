// The compressed formats, each in one row of one table: its name on the command line, the suffix its
// outputs gain, the magic bytes that recognise an input in it, its levels, and its decompressor and
// compressor. Each format's two directions live in a file of their own (io/formats/), behind the two small
// interfaces below; io/decoder and io/encoder drive them the same way for every format.
#pragma once

#include <array>
#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

namespace gs {

enum class compression { none, zstd, xz, gzip, bzip2 };

// One decompression step's outcome: the bytes taken and made, and what it found.
struct unpack_result {
    std::size_t taken = 0;
    std::size_t made = 0;
    bool damaged = false;
    // Where the stream stands after the step: the end of a frame or member (nothing of the next one
    // open), inside one, or as it was before the step.
    enum class frame : unsigned char { as_before, open, ended } at = frame::as_before;
};

// A format's decompressor: each step takes compressed bytes from in (all of which are given until the
// input ends: ending is true then) and makes at most capacity bytes.
class format_decoder {
  public:
    virtual ~format_decoder() = default;
    virtual unpack_result step(const char* in, std::size_t in_size, bool ending, char* out,
                               std::size_t capacity) = 0;
};

// A format's compressor: each step takes bytes from in and makes at most capacity bytes; with end, it
// ends the frame, member or stream, and done says when all of it is out.
struct pack_result {
    std::size_t taken = 0;
    std::size_t made = 0;
    bool failed = false;
    bool done = false;  // not ending: all of in was taken; ending: everything is out
};
class format_encoder {
  public:
    virtual ~format_encoder() = default;
    virtual pack_result step(const char* in, std::size_t in_size, bool end, char* out,
                             std::size_t capacity) = 0;
};

struct format_info {
    compression id;
    std::string_view name;    // as --compress takes it
    std::string_view suffix;  // what an output's name gains
    bool (*recognises)(std::string_view head);
    int lowest_level;
    int highest_level;
    int default_level;
    // Null when the library cannot start one.
    std::unique_ptr<format_decoder> (*make_decoder)();
    std::unique_ptr<format_encoder> (*make_encoder)(int level, unsigned threads);
};

// Each format's two directions (io/formats/<format>_decoder.cpp and _encoder.cpp).
bool zstd_recognises(std::string_view head);
std::unique_ptr<format_decoder> make_zstd_decoder();
std::unique_ptr<format_encoder> make_zstd_encoder(int level, unsigned threads);
bool xz_recognises(std::string_view head);
std::unique_ptr<format_decoder> make_xz_decoder();
std::unique_ptr<format_encoder> make_xz_encoder(int level, unsigned threads);
bool gzip_recognises(std::string_view head);
std::unique_ptr<format_decoder> make_gzip_decoder();
std::unique_ptr<format_encoder> make_gzip_encoder(int level, unsigned threads);
bool bzip2_recognises(std::string_view head);
std::unique_ptr<format_decoder> make_bzip2_decoder();
std::unique_ptr<format_encoder> make_bzip2_encoder(int level, unsigned threads);

// The table, in the order in which an input's first bytes are tried. xz's level 0 is a real level.
inline constexpr std::array<format_info, 4> format_table = {{
    {compression::zstd, "zstd", ".zst", zstd_recognises, 1, 19, 3, make_zstd_decoder, make_zstd_encoder},
    {compression::xz, "xz", ".xz", xz_recognises, 0, 9, 6, make_xz_decoder, make_xz_encoder},
    {compression::gzip, "gzip", ".gz", gzip_recognises, 1, 9, 6, make_gzip_decoder, make_gzip_encoder},
    {compression::bzip2, "bzip2", ".bz2", bzip2_recognises, 1, 9, 9, make_bzip2_decoder, make_bzip2_encoder},
}};

// The row of a format (null for none), or of the format named name (null for no such name).
const format_info* format_of(compression id);
const format_info* format_named(std::string_view name);

}  // namespace gs
