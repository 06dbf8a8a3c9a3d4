#include "text/content_hash.hpp"

// The state's layout, so that a hasher holds it rather than the library allocating it.
#define XXH_STATIC_LINKING_ONLY
#include <xxhash.h>
#if defined(__x86_64__) || defined(__i386__)
// The library's own choice, at run time, of the widest vectors the processor has (AVX2 or AVX-512 rather
// than SSE2): a third of the instructions per byte, the same hashes.
#include <xxh_x86dispatch.h>
#endif

#include <cerrno>
#include <charconv>
#include <cstring>

#include "text/system_calls.hpp"

namespace gs {
namespace {

hash128 from_library(const XXH128_hash_t& h) {
    return {h.high64, h.low64};
}

// Feeds hasher the bytes of fd in [at, at + size); false after a read error or an early end.
bool add_range(content_hasher& hasher, int fd, std::uint64_t at, std::uint64_t size, char* buffer,
               std::size_t capacity) {
    while (size > 0) {
        const std::size_t want = static_cast<std::size_t>(std::min<std::uint64_t>(size, capacity));
        const ssize_t got = read_some_at(fd, buffer, want, at);
        if (got < 0) return false;
        if (got == 0) {
            errno = EIO;  // shorter than it said: it changed while it was read
            return false;
        }
        hasher.add(buffer, static_cast<std::size_t>(got));
        at += static_cast<std::uint64_t>(got);
        size -= static_cast<std::uint64_t>(got);
    }
    return true;
}

constexpr std::size_t range_block = std::size_t{1} << 20;

}  // namespace

std::string hash_text(const hash128& hash) {
    static constexpr char digits[] = "0123456789abcdef";
    std::string text(32, '0');
    for (std::size_t i = 0; i < 16; ++i) {
        text[15 - i] = digits[(hash.high >> (4 * i)) & 0xf];
        text[31 - i] = digits[(hash.low >> (4 * i)) & 0xf];
    }
    return text;
}

std::optional<hash128> read_hash_text(std::string_view text) {
    if (text.size() != 32) return std::nullopt;
    for (const char c : text) {
        if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'))) return std::nullopt;
    }
    hash128 hash;
    std::from_chars(text.data(), text.data() + 16, hash.high, 16);
    std::from_chars(text.data() + 16, text.data() + 32, hash.low, 16);
    return hash;
}

hash128 hash_of(std::string_view bytes) {
    return from_library(XXH3_128bits(bytes.data(), bytes.size()));
}

struct content_hasher::state {
    XXH3_state_t library;
};

content_hasher::content_hasher() = default;
content_hasher::~content_hasher() = default;
content_hasher::content_hasher(content_hasher&&) noexcept = default;
content_hasher& content_hasher::operator=(content_hasher&&) noexcept = default;

void content_hasher::add(const void* bytes, std::size_t size) {
    if (!state_) reset();
    XXH3_128bits_update(&state_->library, bytes, size);
}

hash128 content_hasher::digest() const {
    if (!state_) return hash_of({});
    return from_library(XXH3_128bits_digest(&state_->library));
}

void content_hasher::reset() {
    if (!state_) state_ = std::make_unique<state>();
    XXH3_128bits_reset(&state_->library);
}

std::optional<hash128> quick_hash_of(int fd, std::uint64_t size) {
    const auto buffer = std::make_unique_for_overwrite<char[]>(range_block);
    content_hasher hasher;
    hasher.reset();
    const std::uint64_t size_le = size;
    hasher.add(&size_le, sizeof size_le);
    if (size <= 2 * quick_hash_span) {
        if (!add_range(hasher, fd, 0, size, buffer.get(), range_block)) return std::nullopt;
    } else if (!add_range(hasher, fd, 0, quick_hash_span, buffer.get(), range_block) ||
               !add_range(hasher, fd, size - quick_hash_span, quick_hash_span, buffer.get(), range_block)) {
        return std::nullopt;
    }
    return hasher.digest();
}

std::optional<hash128> whole_hash_of(int fd, std::uint64_t size) {
    const auto buffer = std::make_unique_for_overwrite<char[]>(range_block);
    content_hasher hasher;
    hasher.reset();
    if (!add_range(hasher, fd, 0, size, buffer.get(), range_block)) return std::nullopt;
    return hasher.digest();
}

}  // namespace gs
