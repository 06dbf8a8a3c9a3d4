// Hashes of contents: XXH3 with 128 bits (the xxHash library), streamed as bytes arrive.
//
// The ledger names an input by these: two files whose hashes agree hold the same bytes (a collision of
// 128 bits is far less likely than any fault of the disk), and XXH3 runs at memory speed, so hashing all
// that a run reads costs a few per cent of it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace gs {

struct hash128 {
    std::uint64_t high = 0;
    std::uint64_t low = 0;
    friend bool operator==(const hash128&, const hash128&) = default;
};

// 32 lower-case hexadecimal digits, the high half first.
std::string hash_text(const hash128& hash);
// Reads what hash_text wrote; nothing for anything else.
std::optional<hash128> read_hash_text(std::string_view text);

// The hash of bytes held whole.
hash128 hash_of(std::string_view bytes);

// A hash fed piece by piece: the same digest as hash_of the pieces joined. Copying one is not allowed
// (the state lives on the heap, made at the first piece).
class content_hasher {
  public:
    content_hasher();
    ~content_hasher();
    content_hasher(content_hasher&&) noexcept;
    content_hasher& operator=(content_hasher&&) noexcept;

    void add(const void* bytes, std::size_t size);
    // The hash of everything added so far; more may be added after.
    hash128 digest() const;
    // Forgets everything added.
    void reset();

  private:
    struct state;
    std::unique_ptr<state> state_;
};

// The hash by which a file is recognised before it is read: its size, its first and its last mebibyte
// (the whole file when it is smaller than two). Read at offsets through fd, which keeps its position.
// Nothing after a read error (errno set).
inline constexpr std::size_t quick_hash_span = std::size_t{1} << 20;
std::optional<hash128> quick_hash_of(int fd, std::uint64_t size);

// The hash of the whole file behind fd, read at offsets from 0 to size (nothing after a read error or
// when the file is shorter than size).
std::optional<hash128> whole_hash_of(int fd, std::uint64_t size);

}  // namespace gs
