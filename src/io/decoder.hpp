// The four compressed formats that an input may be in, recognised by their first bytes, and their
// decompressors.
//
// zstd, xz, gzip and bzip2 streams are decompressed on the fly, with concatenated frames or members read
// one after the other. Damage found part-way fails the read that finds it, after every byte made before
// it was handed out.
#pragma once

#include <sys/types.h>

#include <cstddef>
#include <memory>
#include <string_view>

namespace gs {

enum class compression { none, zstd, xz, gzip, bzip2 };

// Enough of an input's first bytes for detect_compression and foreign_format (a tar header's magic
// lies at byte 257).
inline constexpr std::size_t format_head_size = 512;

// The format whose magic bytes start head; none when head is too short or matches no format.
compression detect_compression(std::string_view head);

// What a file that starts with head is when it is an archive, an executable or a document rather than
// text ("a zip archive", "a tar archive", ...); empty otherwise. Such a file is never PGN.
std::string_view foreign_format(std::string_view head);

// Where a decoder reads its compressed bytes from: read(context, buffer, capacity) returns a count, 0
// at the end, or -1 after an error.
struct raw_source {
    ssize_t (*read)(void* context, char* buffer, std::size_t capacity);
    void* context;
};

struct decoder;  // the state of one decompressor and its compressed bytes
struct decoder_deleter {
    void operator()(decoder* d) const;
};
using decoder_ptr = std::unique_ptr<decoder, decoder_deleter>;

// A decompressor of the format; null when the library cannot start one.
decoder_ptr make_decoder(compression format);

enum class decode_fault : unsigned char { none, cut_short, damaged };

// Why decode failed, in words: damaged data, or data cut short; empty after a read error of the source
// (whose errno says why).
std::string_view decode_failure(const decoder& d);

// Decompresses up to capacity bytes from source into buffer. Returns the count, 0 at the end of the
// compressed bytes (which must end with a complete frame or member), or -1 after a read error or damage.
ssize_t decode(decoder& d, raw_source source, char* buffer, std::size_t capacity);

}  // namespace gs
