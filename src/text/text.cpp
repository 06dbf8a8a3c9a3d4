#include "text/text.hpp"

#include <algorithm>
#include <array>
#include <charconv>
#include <climits>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace gs {
namespace {

bool is_left_blank(char c) {
    return c == '\t' || c == '\n' || c == ' ';
}
bool is_digit(char c) {
    return c >= '0' && c <= '9';
}

// One flag per byte value: true for the characters that names lose.
constexpr std::array<bool, 256> name_punctuation_table = [] {
    std::array<bool, 256> table{};
    for (char c : name_punctuation)
        table[static_cast<unsigned char>(c)] = true;
    return table;
}();

}  // namespace

std::string shown_part(std::string_view text) {
    std::string shown;
    shown.reserve(shown_most + 3);
    shown.append(text.substr(0, shown_most));
    if (text.size() > shown_most) shown.append("...");
    return shown;
}

bool is_right_blank(char c) {
    return c == '\t' || c == '\n' || c == '\r' || c == ' ';
}

std::size_t byte_order_mark_length(std::string_view head) {
    return head.starts_with(byte_order_mark) ? byte_order_mark.size() : 0;
}

bool is_name_punctuation(char c) {
    return name_punctuation_table[static_cast<unsigned char>(c)];
}

std::string_view trimmed_right(std::string_view text) {
    std::size_t n = text.size();
    while (n > 0 && is_right_blank(text[n - 1]))
        --n;
    return text.substr(0, n);
}

void trim_right(std::string& text) {
    text.resize(trimmed_right(text).size());
}

void trim_left(std::string& text) {
    std::size_t n = 0;
    while (n < text.size() && is_left_blank(text[n]))
        ++n;
    text.erase(0, n);
}

void strip_trailing_char(std::string& text, char c) {
    std::size_t n = text.size();
    while (n > 0 && text[n - 1] == c)
        --n;
    text.resize(n);
}

void trim_date_tail(std::string& text, std::size_t keep) {
    std::size_t n = text.size();
    while (n > keep && (is_right_blank(text[n - 1]) || text[n - 1] == '"' || text[n - 1] == ']'))
        --n;
    text.resize(n);
}

bool starts_with(std::string_view text, std::string_view prefix) {
    return text.starts_with(prefix);
}

bool consume_prefix(std::string_view& cursor, std::string_view prefix) {
    if (!cursor.starts_with(prefix)) return false;
    cursor.remove_prefix(prefix.size());
    return true;
}

bool ends_with(std::string_view text, std::string_view suffix) {
    return text.ends_with(suffix);
}

bool contains(std::string_view text, std::string_view pattern) {
    return text.find(pattern) != std::string_view::npos;
}

void remove_all(std::string& text, std::string_view pattern) {
    if (pattern.empty()) return;
    // Most texts hold no occurrence at all; finding that out is one memchr.
    const std::size_t first = text.find(pattern[0]);
    if (first == std::string::npos) return;
    // The kept characters form a stack at the front of the text. Whenever its top spells the pattern, that
    // occurrence is the leftmost one of the text as it would stand after the earlier deletions, so popping
    // it reproduces repeated first-occurrence deletion in a single pass.
    const std::size_t m = pattern.size();
    std::size_t kept = first;
    for (std::size_t i = first; i < text.size(); ++i) {
        text[kept++] = text[i];
        if (kept >= m && text[kept - 1] == pattern[m - 1] &&
            std::string_view(text).substr(kept - m, m) == pattern) {
            kept -= m;
        }
    }
    text.resize(kept);
}

char upper_ascii(char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

bool equals_ignoring_case(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (upper_ascii(a[i]) != upper_ascii(b[i])) return false;
    }
    return true;
}

void upper_ascii(std::string& text) {
    for (char& c : text) {
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    }
}

void strip_name_punctuation(std::string& text) {
    text.erase(std::remove_if(text.begin(), text.end(), is_name_punctuation), text.end());
}

void remove_rating_braces(std::string& text) {
    const std::size_t open = text.find('{');
    if (open != std::string::npos) {
        std::size_t i = open + 1;
        while (i < text.size() && is_digit(text[i]))
            ++i;
        if (i < text.size() && text[i] == '}') text.erase(open, i + 1 - open);
    }
    trim_right(text);
}

std::uint64_t line_feed_mask_bytes(const char* block) {
    std::uint64_t mask = 0;
    for (unsigned i = 0; i < 64; ++i)
        mask |= static_cast<std::uint64_t>(block[i] == '\n') << i;
    return mask;
}

std::uint64_t line_feed_mask(const char* block) {
#if defined(__SSE2__)
    const __m128i feed = _mm_set1_epi8('\n');
    std::uint64_t mask = 0;
    for (unsigned part = 0; part < 4; ++part) {
        const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(block + 16 * part));
        const auto bits = static_cast<std::uint32_t>(_mm_movemask_epi8(_mm_cmpeq_epi8(bytes, feed)));
        mask |= static_cast<std::uint64_t>(bits) << (16 * part);
    }
    return mask;
#else
    return line_feed_mask_bytes(block);
#endif
}

std::size_t count_char(std::string_view text, char c) {
    return static_cast<std::size_t>(std::count(text.begin(), text.end(), c));
}

bool is_date_field(std::string_view text) {
    return std::all_of(text.begin(), text.end(), [](char c) { return is_digit(c) || c == '?'; });
}

void replace_char(std::string& text, char from, char to, std::size_t start) {
    if (start < text.size())
        std::replace(text.begin() + static_cast<std::ptrdiff_t>(start), text.end(), from, to);
}

std::optional<std::size_t> find_last_char(std::string_view text, char c) {
    const std::size_t at = text.rfind(c);
    if (at == std::string_view::npos) return std::nullopt;
    return at;
}

std::optional<int> read_number(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t' || text[i] == '\n' || text[i] == '\r' ||
                               text[i] == '\v' || text[i] == '\f')) {
        ++i;
    }
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    long long value = 0;
    for (; i < text.size() && is_digit(text[i]); ++i) {
        value = value * 10 + (text[i] - '0');
        if (value > INT_MAX) return std::nullopt;
    }
    return static_cast<int>(negative ? -value : value);
}

std::string escape_field(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (const char c : text) {
        switch (c) {
            case '\\':
                out += "\\\\";
                break;
            case '\t':
                out += "\\t";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\r':
                out += "\\r";
                break;
            default:
                out.push_back(c);
        }
    }
    return out;
}

std::optional<std::string> unescape_field(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\t' || c == '\n' || c == '\r') return std::nullopt;
        if (c != '\\') {
            out.push_back(c);
            continue;
        }
        if (++i == text.size()) return std::nullopt;
        switch (text[i]) {
            case '\\':
                out.push_back('\\');
                break;
            case 't':
                out.push_back('\t');
                break;
            case 'n':
                out.push_back('\n');
                break;
            case 'r':
                out.push_back('\r');
                break;
            default:
                return std::nullopt;
        }
    }
    return out;
}

bool split_fields(std::string_view text, char separator, std::span<std::string_view> parts) {
    for (std::size_t i = 0; i + 1 < parts.size(); ++i) {
        const std::size_t at = text.find(separator);
        if (at == std::string_view::npos) return false;
        parts[i] = text.substr(0, at);
        text.remove_prefix(at + 1);
    }
    if (parts.empty() || text.find(separator) != std::string_view::npos) return false;
    parts.back() = text;
    return true;
}

std::optional<std::uint64_t> read_count(std::string_view text) {
    std::uint64_t count = 0;
    if (text.empty() || (text.size() > 1 && text[0] == '0')) return std::nullopt;
    const auto [at, fault] = std::from_chars(text.data(), text.data() + text.size(), count);
    if (fault != std::errc() || at != text.data() + text.size()) return std::nullopt;
    return count;
}

std::string grouped(std::uint64_t count) {
    std::string digits = std::to_string(count);
    for (std::size_t at = digits.size(); at > 3; at -= 3)
        digits.insert(at - 3, 1, ',');
    return digits;
}

}  // namespace gs
