#include "io/encoder.hpp"

#include <bzlib.h>
#include <lzma.h>
#include <zlib.h>
#include <zstd.h>

#include <algorithm>
#include <charconv>
#include <chrono>
#include <cstdint>

namespace gs {
namespace {

constexpr std::size_t out_step = std::size_t{1} << 17;
// Input is handed to the library in slices this large, so that a step never takes long.
constexpr std::size_t in_slice = std::size_t{1} << 20;
// How long xz's threaded encoder waits for a worker before it returns to let the caller look around.
constexpr std::uint32_t xz_wait_ms = 250;
constexpr auto waiting_interval = std::chrono::milliseconds(250);

struct format_name {
    std::string_view name;
    compression format;
    int lowest;
    int highest;
    std::string_view suffix;
};
constexpr format_name formats[] = {
    {"zstd", compression::zstd, 1, 19, ".zst"},
    {"gzip", compression::gzip, 1, 9, ".gz"},
    {"xz", compression::xz, 0, 9, ".xz"},
    {"bzip2", compression::bzip2, 1, 9, ".bz2"},
};

}  // namespace

struct encoder {
    compression format = compression::none;
    std::string staging;  // the pieces of one call, gathered so that the library is called once
    std::unique_ptr<char[]> scratch = std::make_unique_for_overwrite<char[]>(out_step);
    ZSTD_CCtx* zstd = nullptr;
    z_stream gzip{};
    bool gzip_ready = false;
    lzma_stream xz = LZMA_STREAM_INIT;
    bool xz_ready = false;
    bz_stream bzip2{};
    bool bzip2_ready = false;

    ~encoder() {
        if (zstd != nullptr) ZSTD_freeCCtx(zstd);
        if (gzip_ready) deflateEnd(&gzip);
        if (xz_ready) lzma_end(&xz);
        if (bzip2_ready) BZ2_bzCompressEnd(&bzip2);
    }
};

void encoder_deleter::operator()(encoder* e) const {
    delete e;
}

bool parse_compress_setting(std::string_view text, compress_setting& setting) {
    const std::size_t colon = text.find(':');
    const std::string_view name = text.substr(0, colon);
    for (const format_name& f : formats) {
        if (f.name != name) continue;
        setting.format = f.format;
        setting.level = 0;
        if (colon == std::string_view::npos) return true;
        const std::string_view level = text.substr(colon + 1);
        int value = 0;
        const auto [at, fault] = std::from_chars(level.data(), level.data() + level.size(), value);
        if (fault != std::errc() || at != level.data() + level.size() || level.empty()) return false;
        if (value < f.lowest || value > f.highest) return false;
        setting.level = value;
        // xz's level 0 is a real level; the others' 0 is "the default", which they never take as a level.
        if (f.format == compression::xz && value == 0) setting.level = -1;
        return true;
    }
    return false;
}

bool compress_level_range(std::string_view text, int& lowest, int& highest) {
    const std::string_view name = text.substr(0, text.find(':'));
    for (const format_name& f : formats) {
        if (f.name != name) continue;
        lowest = f.lowest;
        highest = f.highest;
        return true;
    }
    return false;
}

std::string_view compressed_suffix(compression format) {
    for (const format_name& f : formats) {
        if (f.format == format) return f.suffix;
    }
    return {};
}

encoder_ptr make_encoder(const compress_setting& setting, unsigned threads) {
    encoder_ptr e(new encoder);
    e->format = setting.format;
    switch (setting.format) {
        case compression::zstd:
            e->zstd = ZSTD_createCCtx();
            if (e->zstd == nullptr ||
                ZSTD_isError(ZSTD_CCtx_setParameter(e->zstd, ZSTD_c_compressionLevel,
                                                    setting.level == 0 ? 3 : setting.level)) ||
                ZSTD_isError(ZSTD_CCtx_setParameter(e->zstd, ZSTD_c_checksumFlag, 1))) {
                return nullptr;
            }
            // Worker threads of zstd's own compress beside the sorters; a library without them compresses
            // in the caller's thread.
            if (threads > 1) ZSTD_CCtx_setParameter(e->zstd, ZSTD_c_nbWorkers, static_cast<int>(threads));
            return e;
        case compression::gzip:
            e->gzip_ready = deflateInit2(&e->gzip, setting.level == 0 ? 6 : setting.level, Z_DEFLATED,
                                         15 + 16, 8, Z_DEFAULT_STRATEGY) == Z_OK;
            return e->gzip_ready ? std::move(e) : nullptr;
        case compression::xz: {
            lzma_mt options{};
            options.threads = threads == 0 ? 1 : threads;
            options.preset = static_cast<std::uint32_t>(setting.level == 0  ? 6
                                                        : setting.level < 0 ? 0
                                                                            : setting.level);
            options.check = LZMA_CHECK_CRC64;
            options.timeout = xz_wait_ms;
            e->xz_ready = lzma_stream_encoder_mt(&e->xz, &options) == LZMA_OK;
            return e->xz_ready ? std::move(e) : nullptr;
        }
        case compression::bzip2:
            e->bzip2_ready =
                BZ2_bzCompressInit(&e->bzip2, setting.level == 0 ? 9 : setting.level, 0, 0) == BZ_OK;
            return e->bzip2_ready ? std::move(e) : nullptr;
        case compression::none:
            break;
    }
    return nullptr;
}

namespace {

// Runs one format's step over in (all of it is taken) until it is taken and, when ending, until the
// library has given everything out.
bool step(encoder& e, const char* in, std::size_t in_size, bool end, std::string& out,
          const encode_watch& watch) {
    auto last_call = std::chrono::steady_clock::now();
    while (true) {
        if (watch.stop != nullptr && watch.stop->load(std::memory_order_relaxed)) return false;
        if (watch.waiting != nullptr && *watch.waiting) {
            const auto now = std::chrono::steady_clock::now();
            if (now - last_call >= waiting_interval) {
                (*watch.waiting)();
                last_call = now;
            }
        }
        char* const dst = e.scratch.get();
        std::size_t made = 0;
        std::size_t taken = 0;
        bool done = false;
        switch (e.format) {
            case compression::zstd: {
                ZSTD_inBuffer src{in, in_size, 0};
                ZSTD_outBuffer buffer{dst, out_step, 0};
                const std::size_t left =
                    ZSTD_compressStream2(e.zstd, &buffer, &src, end ? ZSTD_e_end : ZSTD_e_continue);
                if (ZSTD_isError(left)) return false;
                made = buffer.pos;
                taken = src.pos;
                done = end ? left == 0 : src.pos == src.size;
                break;
            }
            case compression::gzip: {
                e.gzip.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(in));
                e.gzip.avail_in = static_cast<uInt>(in_size);
                e.gzip.next_out = reinterpret_cast<Bytef*>(dst);
                e.gzip.avail_out = static_cast<uInt>(out_step);
                const int ret = deflate(&e.gzip, end ? Z_FINISH : Z_NO_FLUSH);
                if (ret == Z_STREAM_ERROR) return false;
                made = out_step - e.gzip.avail_out;
                taken = in_size - e.gzip.avail_in;
                done = end ? ret == Z_STREAM_END : e.gzip.avail_in == 0 && e.gzip.avail_out != 0;
                break;
            }
            case compression::xz: {
                e.xz.next_in = reinterpret_cast<const std::uint8_t*>(in);
                e.xz.avail_in = in_size;
                e.xz.next_out = reinterpret_cast<std::uint8_t*>(dst);
                e.xz.avail_out = out_step;
                const lzma_ret ret = lzma_code(&e.xz, end ? LZMA_FINISH : LZMA_RUN);
                if (ret != LZMA_OK && ret != LZMA_STREAM_END) return false;
                made = out_step - e.xz.avail_out;
                taken = in_size - e.xz.avail_in;
                done = end ? ret == LZMA_STREAM_END : e.xz.avail_in == 0;
                break;
            }
            case compression::bzip2: {
                e.bzip2.next_in = const_cast<char*>(in);
                e.bzip2.avail_in = static_cast<unsigned>(in_size);
                e.bzip2.next_out = dst;
                e.bzip2.avail_out = static_cast<unsigned>(out_step);
                const int ret = BZ2_bzCompress(&e.bzip2, end ? BZ_FINISH : BZ_RUN);
                if (ret != BZ_RUN_OK && ret != BZ_FINISH_OK && ret != BZ_STREAM_END) return false;
                made = out_step - e.bzip2.avail_out;
                taken = in_size - e.bzip2.avail_in;
                done = end ? ret == BZ_STREAM_END : e.bzip2.avail_in == 0;
                break;
            }
            case compression::none:
                return false;
        }
        out.append(dst, made);
        in += taken;
        in_size -= taken;
        if (done && in_size == 0) return true;
    }
}

}  // namespace

bool encode(encoder& e, std::span<const iovec> pieces, std::string& out, const encode_watch& watch) {
    e.staging.clear();
    for (const iovec& piece : pieces)
        e.staging.append(static_cast<const char*>(piece.iov_base), piece.iov_len);
    const char* bytes = e.staging.data();
    std::size_t left = e.staging.size();
    while (left > 0) {
        const std::size_t n = std::min(left, in_slice);
        if (!step(e, bytes, n, false, out, watch)) return false;
        bytes += n;
        left -= n;
    }
    return true;
}

bool finish_encoding(encoder& e, std::string& out, const encode_watch& watch) {
    return step(e, nullptr, 0, true, out, watch);
}

}  // namespace gs
