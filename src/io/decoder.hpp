// Compressed inputs: recognised by their first bytes, never by their name, and decompressed on the fly.
//
// zstd, xz, gzip and bzip2 streams are decompressed by their rows of the format table (io/formats.hpp),
// with concatenated frames or members read one after the other. The decoder is pushed the compressed
// bytes by its caller, which reads them; it never reads on its own. Damage found part-way fails the
// decode that finds it, after every byte made before it was handed out.
#pragma once

#include <sys/types.h>

#include <cstddef>
#include <memory>
#include <span>
#include <string_view>

#include "io/formats.hpp"

namespace gs {

// Enough of an input's first bytes for detect_compression and foreign_format (a tar header's magic
// lies at byte 257).
inline constexpr std::size_t format_head_size = 512;

// The format whose magic bytes start head; none when head is too short or matches no format.
compression detect_compression(std::string_view head);

// What a file that starts with head is when it is an archive, an executable or a document rather than
// text ("a zip archive", "a tar archive", ...); empty otherwise. Such a file is never PGN.
std::string_view foreign_format(std::string_view head);

struct decoder;  // the state of one decompressor and its compressed bytes
struct decoder_deleter {
    void operator()(decoder* d) const;
};
using decoder_ptr = std::unique_ptr<decoder, decoder_deleter>;

// A decompressor of the format; null when the library cannot start one.
decoder_ptr make_decoder(compression format);

// What decode returns when it needs more compressed bytes: the caller reads them into decoder_space and
// says how many with pushed (0 when the compressed input has ended), then decodes again.
inline constexpr ssize_t decode_needs_input = -2;
std::span<char> decoder_space(decoder& d);
void pushed(decoder& d, std::size_t count);

// Decompresses up to capacity bytes into buffer. Returns the count, 0 at the end of the compressed bytes
// (which must end with a complete frame or member), -1 after damage, or decode_needs_input.
ssize_t decode(decoder& d, char* buffer, std::size_t capacity);

enum class decode_fault : unsigned char { none, cut_short, damaged };

// Why decode failed, in words: damaged data, or data cut short.
std::string_view decode_failure(const decoder& d);

}  // namespace gs
