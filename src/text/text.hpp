// In-place text operations shared by every part of gamesieve.
//
// A text is a std::string whose bytes are taken as they are: a NUL byte or a byte from 128 to 255 is an
// ordinary character, and only the ASCII letters are ever case-mapped. Operations that change a text do so
// in place and never make it longer; read-only operations take a std::string_view. Every operation runs in
// time linear in the length of its text, so a hostile line of many megabytes costs no more than reading it.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace gs {

// Eight bytes from p, in the machine's order, so that the bytes of a text can be hashed or compared
// eight at a time.
inline std::uint64_t load_word(const char* p) {
    std::uint64_t word;
    std::memcpy(&word, p, sizeof word);
    return word;
}

// The word that load_word would read from the bytes of text (at most eight, without the NUL).
template <std::size_t size>
constexpr std::uint64_t word_of(const char (&text)[size]) {
    static_assert(size - 1 <= 8);
    constexpr bool little = std::endian::native == std::endian::little;
    std::uint64_t word = 0;
    for (std::size_t i = 0; i + 1 < size; ++i)
        word |= std::uint64_t{static_cast<unsigned char>(text[i])} << (8 * (little ? i : 7 - i));
    return word;
}

// True when the bytes that word was loaded from start with text: one mask and one comparison.
template <std::size_t size>
constexpr bool word_starts(std::uint64_t word, const char (&text)[size]) {
    constexpr std::size_t bytes = size - 1;
    if constexpr (bytes == 8) {
        return word == word_of(text);
    } else {
        constexpr std::uint64_t low = (std::uint64_t{1} << (8 * bytes)) - 1;
        constexpr std::uint64_t mask =
            std::endian::native == std::endian::big ? ~(~std::uint64_t{0} >> (8 * bytes)) : low;
        return (word & mask) == word_of(text);
    }
}

// At most the first shown_most bytes of text, then "..." when there is more: how a message quotes a
// line that may be any length (a list line, a journal line).
inline constexpr std::size_t shown_most = 100;
std::string shown_part(std::string_view text);

// A field of a line of the ledger or the journal that may hold any byte (a file name, an argument):
// backslash, tab, line feed and carriage return are written as \\, \t, \n and \r, so that the field
// holds none of them. unescape_field reads that back; nothing for a backslash before anything else, or a
// tab, line feed or carriage return left bare.
std::string escape_field(std::string_view text);
std::optional<std::string> unescape_field(std::string_view text);

// Splits text at separator into exactly parts.size() fields (the last one holds no separator); false
// when there are more or fewer.
bool split_fields(std::string_view text, char separator, std::span<std::string_view> parts);

// A count written as a run writes it: decimal digits, no sign, no leading zero. Nothing for anything else
// or a count past 2^64-1.
std::optional<std::uint64_t> read_count(std::string_view text);

// The count with a comma between each three digits: 1,204,331.
std::string grouped(std::uint64_t count);

// True for the blanks that a line loses at its right end: space, tab, carriage return and line feed.
bool is_right_blank(char c);

// The UTF-8 byte-order mark, skipped at the start of a list file or an input.
inline constexpr std::string_view byte_order_mark = "\xEF\xBB\xBF";

// The length of the byte-order mark that head starts with: its size, or 0 when head does not start with
// the whole mark.
std::size_t byte_order_mark_length(std::string_view head);

// Removes trailing tabs, line feeds, carriage returns and spaces.
void trim_right(std::string& text);
std::string_view trimmed_right(std::string_view text);

// Removes leading line feeds, tabs and spaces. A carriage return is not removed at the left, so a text that
// begins with one is left unchanged.
void trim_left(std::string& text);

// Removes trailing occurrences of c.
void strip_trailing_char(std::string& text, char c);

// Removes trailing tabs, line feeds, carriage returns, spaces, '"' and ']' (the end of a Date tag line),
// never reaching before position keep.
void trim_date_tail(std::string& text, std::size_t keep = 0);

// True when text begins with prefix; the empty prefix always matches.
bool starts_with(std::string_view text, std::string_view prefix);

// As starts_with; on a match the cursor is moved past the prefix.
bool consume_prefix(std::string_view& cursor, std::string_view prefix);

// True when text ends with suffix; a suffix longer than the text does not match.
bool ends_with(std::string_view text, std::string_view suffix);

// True when pattern occurs in text (plain, case-sensitive substring search).
bool contains(std::string_view text, std::string_view pattern);

// Deletes occurrences of pattern until none is left, always the first one from the start, so occurrences
// that a deletion brings together are deleted as well ("a\\\"\"" loses both pairs of backslash and quote).
// Runs in one pass: the result equals that of repeated first-occurrence deletion, without its quadratic cost.
void remove_all(std::string& text, std::string_view pattern);

// Maps 'a'..'z' to 'A'..'Z'; every other byte stays.
void upper_ascii(std::string& text);
char upper_ascii(char c);

// True when the texts are equal once their ASCII letters are in capitals.
bool equals_ignoring_case(std::string_view a, std::string_view b);

// The characters that a name loses when it is matched without blanks and punctuation.
inline constexpr std::string_view name_punctuation = " \"#$'()-./<>@]_`~";

// True for a character of name_punctuation.
bool is_name_punctuation(char c);

// Deletes every space, '"', '#', '$', '\'', '(', ')', '-', '.', '/', '<', '>', '@', ']', '_', '`' and '~',
// keeping the order of the rest. Tabs, digits and all other punctuation stay.
void strip_name_punctuation(std::string& text);

// Looks at the first '{' only: when it is followed by zero or more digits and a '}', that rating group is
// deleted. trim_right is applied in every case.
void remove_rating_braces(std::string& text);

// Bit i is set when block[i] is a line feed, for the 64 bytes of block: with SSE2 where the machine has it,
// otherwise byte by byte (line_feed_mask_bytes, the portable form, which gives the same answer).
std::uint64_t line_feed_mask(const char* block);
std::uint64_t line_feed_mask_bytes(const char* block);

// Number of occurrences of c.
std::size_t count_char(std::string_view text, char c);

// True when every character is a digit or '?'; true for the empty text.
bool is_date_field(std::string_view text);

// Replaces every occurrence of from by to, from position start on.
void replace_char(std::string& text, char from, char to, std::size_t start = 0);

// Position of the last occurrence of c, or nothing.
std::optional<std::size_t> find_last_char(std::string_view text, char c);

// Reads a number as a date field holds it: optional leading blanks, an optional sign, then the longest run
// of digits; a text without digits reads as 0. Returns nothing when the magnitude exceeds 2147483647, so a
// huge field is refused instead of overflowing.
std::optional<int> read_number(std::string_view text);

}  // namespace gs
