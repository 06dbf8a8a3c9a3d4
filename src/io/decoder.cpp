#include "io/decoder.hpp"

#include <algorithm>

#include "text/messages.hpp"

namespace gs {
namespace {

constexpr std::size_t packed_block_size = 256 * 1024;
constexpr std::size_t unpacked_step_size = 128 * 1024;

}  // namespace

// The compressed bytes pushed so far and the decompressor of the input's format.
struct decoder {
    std::unique_ptr<format_decoder> unpack;
    std::unique_ptr<char[]> packed = std::make_unique_for_overwrite<char[]>(packed_block_size);
    std::size_t packed_begin = 0;
    std::size_t packed_end = 0;
    bool packed_eof = false;
    bool stream_ended = true;  // the last frame or member is complete
    bool damaged = false;      // damage was found after the bytes last handed out
    decode_fault fault = decode_fault::none;
};

void decoder_deleter::operator()(decoder* d) const {
    delete d;
}

namespace {

// Damage found in a step: the bytes made before it are still handed out, and the next decode fails.
ssize_t damage(decoder& d, std::size_t made) {
    d.fault = decode_fault::damaged;
    if (made == 0) return -1;
    d.damaged = true;
    return static_cast<ssize_t>(made);
}

// One decompression step from the packed bytes into buffer; the number of bytes made, or -1 on damage.
// Keeps stream_ended: a frame or member has just been completed and nothing of the next one is open.
ssize_t unpack_step(decoder& d, char* buffer, std::size_t capacity) {
    // A step makes at most one block's worth, so that what lies before damage is handed out before the
    // step that finds the damage.
    capacity = std::min(capacity, unpacked_step_size);
    const std::size_t in_size = d.packed_end - d.packed_begin;
    const unpack_result step =
        d.unpack->step(d.packed.get() + d.packed_begin, in_size, d.packed_eof, buffer, capacity);
    if (step.damaged) return damage(d, step.made);
    if (step.at != unpack_result::frame::as_before) d.stream_ended = step.at == unpack_result::frame::ended;
    d.packed_begin += step.taken;
    if (step.made == 0 && step.taken == 0 && in_size > 0) return damage(d, 0);  // no progress: damaged
    return static_cast<ssize_t>(step.made);
}

}  // namespace

compression detect_compression(std::string_view head) {
    for (const format_info& format : format_table) {
        if (format.recognises(head)) return format.id;
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
    const format_info* info = format_of(format);
    if (info == nullptr) return nullptr;
    decoder_ptr d(new decoder);
    d->unpack = info->make_decoder();
    if (!d->unpack) return nullptr;
    return d;
}

std::span<char> decoder_space(decoder& d) {
    if (d.packed_begin < d.packed_end || d.packed_eof) return {};
    return {d.packed.get(), packed_block_size};
}

void pushed(decoder& d, std::size_t count) {
    d.packed_begin = 0;
    d.packed_end = count;
    if (count == 0) d.packed_eof = true;
}

ssize_t decode(decoder& d, char* buffer, std::size_t capacity) {
    if (d.damaged) return -1;
    while (true) {
        if (d.packed_begin == d.packed_end && !d.packed_eof) return decode_needs_input;
        if (d.packed_begin == d.packed_end) {
            // The compressed bytes are exhausted: output still held in the decompressor comes out, and
            // then the input must end at the end of a frame or member.
            if (d.stream_ended) return 0;
            const ssize_t made = unpack_step(d, buffer, capacity);
            if (made != 0) return made;
            if (d.stream_ended) return 0;
            d.fault = decode_fault::cut_short;
            return -1;
        }
        const ssize_t made = unpack_step(d, buffer, capacity);
        if (made != 0) return made;
        // Input was taken without output (headers, or the end of a member): go on.
    }
}

std::string_view decode_failure(const decoder& d) {
    switch (d.fault) {
        case decode_fault::cut_short:
            return msg_cut_short;
        case decode_fault::damaged:
            return msg_damaged;
        case decode_fault::none:
            break;
    }
    return {};
}

}  // namespace gs
