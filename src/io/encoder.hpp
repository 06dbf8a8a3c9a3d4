// Compressed outputs: the encoders of the four formats that inputs are read in.
//
// Each run appends one whole frame (zstd), member (gzip) or stream (xz, bzip2) to each compressed output,
// so a file that many runs appended to is a concatenation that every decompressor, and gamesieve as an
// input, reads whole; decompressed it holds exactly the bytes a plain run would have written. zstd and xz
// compress with worker threads of their own, beside the sorters; gzip and bzip2 in the writer's turn.
#pragma once

#include <sys/uio.h>

#include <atomic>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <string_view>

#include "io/formats.hpp"

namespace gs {

struct compress_setting {
    compression format = compression::none;
    int level = 0;  // within the format's levels
};

// Reads "zstd", "gzip", "xz" or "bzip2", optionally followed by ":LEVEL" within the format's range (the
// format's default level without one).
bool parse_compress_setting(std::string_view text, compress_setting& setting);

// ".zst", ".gz", ".xz" or ".bz2" (empty for none): what the output's file name gains.
std::string_view compressed_suffix(compression format);

// The levels of the format that text ("zstd:20") names before its colon; false when it names none.
bool compress_level_range(std::string_view text, int& lowest, int& highest);

struct encoder;
struct encoder_deleter {
    void operator()(encoder* e) const;
};
using encoder_ptr = std::unique_ptr<encoder, encoder_deleter>;

// An encoder that starts a new frame, member or stream; threads is what zstd and xz may use. Null when
// the library cannot start one.
encoder_ptr make_encoder(const compress_setting& setting, unsigned threads);

// What a long compression looks at between its steps (each takes at most about a quarter second): a stop
// that ends it (the call then fails), and what to call meanwhile, at most four times a second.
struct encode_watch {
    const std::atomic<bool>* stop = nullptr;
    const std::function<void()>* waiting = nullptr;
};

// Compresses the bytes of the pieces, appending what is ready to out. False after a library error or a
// stop.
bool encode(encoder& e, std::span<const iovec> pieces, std::string& out, const encode_watch& watch = {});

// Ends the frame, member or stream, appending the rest to out. False after a library error or a stop.
bool finish_encoding(encoder& e, std::string& out, const encode_watch& watch = {});

}  // namespace gs
