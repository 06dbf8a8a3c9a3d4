#include "io/decoder.hpp"

#include <bzlib.h>
#include <lzma.h>
#include <zlib.h>
#include <zstd.h>

#include <algorithm>
#include <cstdint>

namespace gs {
namespace {

constexpr std::size_t packed_block_size = 256 * 1024;
constexpr std::size_t unpacked_step_size = 128 * 1024;

constexpr std::string_view zstd_magic = "\x28\xB5\x2F\xFD";
// A skippable frame (pzstd and other tools start with one): its first byte is 0x50 to 0x5F.
constexpr std::string_view zstd_skippable_magic_tail = "\x2A\x4D\x18";
constexpr int largest_zstd_window_log = 31;
constexpr std::string_view xz_magic = std::string_view(
    "\xFD"
    "7zXZ\0",
    6);
constexpr std::string_view gzip_magic = "\x1F\x8B\x08";  // with the deflate method
constexpr std::string_view bzip2_magic = "BZh";
// After "BZh" and the block size digit: the magic of a first block, or of the end of an empty stream.
constexpr std::string_view bzip2_block_magic = "\x31\x41\x59\x26\x53\x59";
constexpr std::string_view bzip2_end_magic = "\x17\x72\x45\x38\x50\x90";

}  // namespace

// The compressed bytes read so far and the decompressor of the input's format.
struct decoder {
    compression format = compression::none;
    std::unique_ptr<char[]> packed = std::make_unique_for_overwrite<char[]>(packed_block_size);
    std::size_t packed_begin = 0;
    std::size_t packed_end = 0;
    bool packed_eof = false;
    bool stream_ended = true;  // the last frame or member is complete
    bool damaged = false;      // damage was found after the bytes last handed out
    decode_fault fault = decode_fault::none;
    ZSTD_DStream* zstd = nullptr;
    lzma_stream xz = LZMA_STREAM_INIT;
    bool xz_ready = false;
    z_stream gzip{};
    bool gzip_ready = false;
    bz_stream bzip2{};
    bool bzip2_ready = false;

    ~decoder() {
        if (zstd != nullptr) ZSTD_freeDStream(zstd);
        if (xz_ready) lzma_end(&xz);
        if (gzip_ready) inflateEnd(&gzip);
        if (bzip2_ready) BZ2_bzDecompressEnd(&bzip2);
    }
};

void decoder_deleter::operator()(decoder* d) const {
    delete d;
}

namespace {

// Makes compressed bytes available unless the input is exhausted; false on a read error.
bool refill_packed(raw_source source, decoder& d) {
    if (d.packed_begin < d.packed_end || d.packed_eof) return true;
    const ssize_t got = source.read(source.context, d.packed.get(), packed_block_size);
    if (got < 0) return false;
    d.packed_begin = 0;
    d.packed_end = static_cast<std::size_t>(got);
    if (got == 0) d.packed_eof = true;
    return true;
}

bool start_decoder(decoder& d, compression format) {
    switch (format) {
        case compression::zstd:
            d.zstd = ZSTD_createDStream();
            // Frames with windows up to 2 GiB (zstd --long=31) are read; the memory taken follows the
            // window that each frame asks for.
            return d.zstd != nullptr && !ZSTD_isError(ZSTD_initDStream(d.zstd)) &&
                   !ZSTD_isError(
                       ZSTD_DCtx_setParameter(d.zstd, ZSTD_d_windowLogMax, largest_zstd_window_log));
        case compression::xz:
            d.xz_ready = lzma_stream_decoder(&d.xz, UINT64_MAX, LZMA_CONCATENATED) == LZMA_OK;
            return d.xz_ready;
        case compression::gzip:
            d.gzip_ready = inflateInit2(&d.gzip, 15 + 16) == Z_OK;
            return d.gzip_ready;
        case compression::bzip2:
            d.bzip2_ready = BZ2_bzDecompressInit(&d.bzip2, 0, 0) == BZ_OK;
            return d.bzip2_ready;
        case compression::none:
            break;
    }
    return false;
}

// Damage found in a step: the bytes made before it are still handed out, and the next read fails.
ssize_t damage(decoder& d, std::size_t made) {
    d.fault = decode_fault::damaged;
    if (made == 0) return -1;
    d.damaged = true;
    return static_cast<ssize_t>(made);
}

// One decompression step from the packed bytes into buffer; the number of bytes made, or -1 on damage.
// Sets stream_ended when a frame or member has just been completed and nothing of the next one is open.
ssize_t unpack_step(decoder& d, compression format, char* buffer, std::size_t capacity) {
    // A step makes at most one block's worth, so that what lies before damage is handed out before the
    // step that finds the damage.
    capacity = std::min(capacity, unpacked_step_size);
    char* const in = d.packed.get() + d.packed_begin;
    const std::size_t in_size = d.packed_end - d.packed_begin;
    std::size_t made = 0;
    std::size_t taken = 0;
    switch (format) {
        case compression::zstd: {
            ZSTD_inBuffer src{in, in_size, 0};
            ZSTD_outBuffer dst{buffer, capacity, 0};
            const std::size_t hint = ZSTD_decompressStream(d.zstd, &dst, &src);
            made = dst.pos;
            if (ZSTD_isError(hint)) return damage(d, made);
            taken = src.pos;
            d.stream_ended = hint == 0;
            break;
        }
        case compression::xz: {
            d.xz.next_in = reinterpret_cast<const std::uint8_t*>(in);
            d.xz.avail_in = in_size;
            d.xz.next_out = reinterpret_cast<std::uint8_t*>(buffer);
            d.xz.avail_out = capacity;
            const lzma_ret ret = lzma_code(&d.xz, d.packed_eof ? LZMA_FINISH : LZMA_RUN);
            made = capacity - d.xz.avail_out;
            if (ret != LZMA_OK && ret != LZMA_STREAM_END) return damage(d, made);
            taken = in_size - d.xz.avail_in;
            d.stream_ended = ret == LZMA_STREAM_END;
            break;
        }
        case compression::gzip: {
            d.gzip.next_in = reinterpret_cast<Bytef*>(in);
            d.gzip.avail_in = static_cast<uInt>(in_size);
            d.gzip.next_out = reinterpret_cast<Bytef*>(buffer);
            d.gzip.avail_out = static_cast<uInt>(capacity);
            const int ret = inflate(&d.gzip, Z_NO_FLUSH);
            made = capacity - d.gzip.avail_out;
            if (ret != Z_OK && ret != Z_STREAM_END && ret != Z_BUF_ERROR) return damage(d, made);
            taken = in_size - d.gzip.avail_in;
            // A member that ends makes way for the next one at once; until bytes of it are taken, the
            // stream stands at the end of a member.
            if (ret == Z_STREAM_END) {
                if (inflateReset(&d.gzip) != Z_OK) return -1;
                d.stream_ended = true;
            } else if (taken > 0) {
                d.stream_ended = false;
            }
            break;
        }
        case compression::bzip2: {
            d.bzip2.next_in = in;
            d.bzip2.avail_in = static_cast<unsigned>(in_size);
            d.bzip2.next_out = buffer;
            d.bzip2.avail_out = static_cast<unsigned>(capacity);
            const int ret = BZ2_bzDecompress(&d.bzip2);
            made = capacity - d.bzip2.avail_out;
            if (ret != BZ_OK && ret != BZ_STREAM_END) return damage(d, made);
            taken = in_size - d.bzip2.avail_in;
            if (ret == BZ_STREAM_END) {
                // The next stream of a concatenation needs a fresh decompressor.
                BZ2_bzDecompressEnd(&d.bzip2);
                d.bzip2 = bz_stream{};
                d.bzip2_ready = BZ2_bzDecompressInit(&d.bzip2, 0, 0) == BZ_OK;
                if (!d.bzip2_ready) return -1;
                d.stream_ended = true;
            } else if (taken > 0) {
                d.stream_ended = false;
            }
            break;
        }
        case compression::none:
            return -1;
    }
    d.packed_begin += taken;
    if (made == 0 && taken == 0 && in_size > 0) return -1;  // no progress on the bytes given: damaged
    return static_cast<ssize_t>(made);
}

ssize_t read_unpacked(decoder& d, raw_source source, char* buffer, std::size_t capacity) {
    if (d.damaged) return -1;
    while (true) {
        if (!refill_packed(source, d)) return -1;
        if (d.packed_begin == d.packed_end) {
            // The compressed bytes are exhausted: output still held in the decompressor comes out, and
            // then the input must end at the end of a frame or member.
            if (d.stream_ended) return 0;
            const ssize_t made = unpack_step(d, d.format, buffer, capacity);
            if (made < 0) d.fault = decode_fault::damaged;
            if (made != 0) return made;
            if (d.stream_ended) return 0;
            d.fault = decode_fault::cut_short;
            return -1;
        }
        const ssize_t made = unpack_step(d, d.format, buffer, capacity);
        if (made < 0) d.fault = decode_fault::damaged;
        if (made != 0) return made;
        // Input was taken without output (headers, or the end of a member): go on.
    }
}

}  // namespace

compression detect_compression(std::string_view head) {
    if (head.starts_with(zstd_magic)) return compression::zstd;
    if (head.size() >= 4 && (static_cast<unsigned char>(head[0]) & 0xF0) == 0x50 &&
        head.substr(1, 3) == zstd_skippable_magic_tail)
        return compression::zstd;
    if (head.starts_with(xz_magic)) return compression::xz;
    if (head.starts_with(gzip_magic)) return compression::gzip;
    if (head.starts_with(bzip2_magic) && head.size() >= 10 && head[3] >= '1' && head[3] <= '9') {
        const std::string_view block = head.substr(4, 6);
        if (block == bzip2_block_magic || block == bzip2_end_magic) return compression::bzip2;
    }
    return compression::none;
}

std::string_view foreign_format(std::string_view head) {
    struct signature {
        std::size_t at;
        std::string_view bytes;
        std::string_view what;
    };
    static constexpr signature signatures[] = {
        {0, "PK\x03\x04", "a zip archive"},
        {0, "PK\x05\x06", "a zip archive"},
        {257, "ustar", "a tar archive"},
        {0, "7z\xBC\xAF\x27\x1C", "a 7z archive"},
        {0, "Rar!\x1A\x07", "a rar archive"},
        {0,
         "\x7F"
         "ELF",
         "an executable (ELF)"},
        {0, "%PDF-", "a PDF document"},
    };
    for (const signature& sig : signatures) {
        if (head.size() >= sig.at + sig.bytes.size() && head.substr(sig.at, sig.bytes.size()) == sig.bytes)
            return sig.what;
    }
    return {};
}

decoder_ptr make_decoder(compression format) {
    decoder_ptr d(new decoder);
    d->format = format;
    if (!start_decoder(*d, format)) return nullptr;
    return d;
}

ssize_t decode(decoder& d, raw_source source, char* buffer, std::size_t capacity) {
    return read_unpacked(d, source, buffer, capacity);
}

std::string_view decode_failure(const decoder& d) {
    switch (d.fault) {
        case decode_fault::cut_short:
            return "the compressed data ends before its frame does";
        case decode_fault::damaged:
            return "the compressed data is damaged";
        case decode_fault::none:
            break;
    }
    return {};
}

}  // namespace gs
