#include <gtest/gtest.h>

#include <sys/mman.h>

#include <stdlib.h>
#include <unistd.h>

#include <cstdint>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "text/line_reader.hpp"
#include "text/system_calls.hpp"
#include "text/text.hpp"

namespace gs {
namespace {

// trim_right's result, checked against the read-only trimmed_right.
std::string right_trimmed(std::string text) {
    const std::string view_result(trimmed_right(text));
    trim_right(text);
    EXPECT_EQ(text, view_result);
    return text;
}
std::string trimmed_left(std::string text) {
    trim_left(text);
    return text;
}

TEST(TrimRight, RemovesTabsLineEndsAndSpacesOnly) {
    EXPECT_EQ(right_trimmed("abc\r\n"), "abc");
    EXPECT_EQ(right_trimmed(" \t\r\n \n"), "");
    EXPECT_EQ(right_trimmed("  abc \t"), "  abc");
    EXPECT_EQ(right_trimmed("abc\v"), "abc\v");
    EXPECT_EQ(right_trimmed(std::string("ab\0 ", 4)), std::string("ab\0", 3));
}

TEST(LineFeedMask, BothFormsMarkEveryLineFeedAndNothingElse) {
    std::mt19937 random(3);
    for (int round = 0; round < 2000; ++round) {
        char block[64];
        std::uint64_t expected = 0;
        for (unsigned i = 0; i < 64; ++i) {
            const auto r = random() % 6;
            block[i] = r == 0   ? '\n'
                       : r == 1 ? '\r'
                       : r == 2 ? '\x8A'
                       : r == 3 ? '\0'
                                : static_cast<char>(random());
            if (block[i] == '\n') expected |= std::uint64_t{1} << i;
        }
        ASSERT_EQ(line_feed_mask(block), expected) << round;
        ASSERT_EQ(line_feed_mask_bytes(block), expected) << round;
    }
    const char all[65] =
        "\n\n\n\n\n\n\n\n\n\n\n\n\n\n\n\n\n\n\n\n\n\n\n\n\n\n\n\n\n\n\n\n"
        "\n\n\n\n\n\n\n\n\n\n\n\n\n\n\n\n\n\n\n\n\n\n\n\n\n\n\n\n\n\n\n\n";
    EXPECT_EQ(line_feed_mask(all), ~std::uint64_t{0});
    EXPECT_EQ(line_feed_mask_bytes(all), ~std::uint64_t{0});
}

// A block that ends its buffer is read within it: the buffer is exactly 64 bytes on the heap, where the
// address sanitizer sees a byte read past its end.
TEST(LineFeedMask, ReadsNoByteAfterTheBlock) {
    const auto buffer = std::make_unique<char[]>(64);
    for (unsigned i = 0; i < 64; ++i)
        buffer[i] = i % 9 == 8 ? '\n' : 'x';
    const std::uint64_t expected = line_feed_mask_bytes(buffer.get());
    EXPECT_EQ(line_feed_mask(buffer.get()), expected);
    EXPECT_NE(expected, 0u);
}

TEST(SystemCalls, JoinPath) {
    EXPECT_EQ(join_path("", "a.cfg"), "a.cfg");
    EXPECT_EQ(join_path("dir", "a.cfg"), "dir/a.cfg");
    EXPECT_EQ(join_path("dir/", "a.cfg"), "dir/a.cfg");
    EXPECT_EQ(join_path("/", "a.cfg"), "/a.cfg");
}

// A line longer than the read block is gathered across reads whole: every byte, in order, at both sides
// of every block boundary, also when the file's last line has no line feed.
TEST(LineReader, ALineGatheredAcrossReadsKeepsEveryByte) {
    std::string line;
    for (std::size_t i = 0; line.size() < 3 * read_block_size + 17; ++i)
        line.push_back(static_cast<char>('a' + i % 26));
    for (const bool feed_at_end : {true, false}) {
        char path[] = "/tmp/gamesieve-lines-XXXXXX";
        const int fd = ::mkstemp(path);
        ASSERT_GE(fd, 0);
        const std::string text = "first\n" + line + "\nnext\n" + line + (feed_at_end ? "\n" : "");
        ASSERT_TRUE(write_all(fd, text));
        ::close(fd);
        line_reader reader;
        ASSERT_EQ(open_line_reader(reader, path), open_result::ok);
        std::vector<std::string> lines;
        std::string_view view;
        while (next_line(reader, view) == read_status::line)
            lines.emplace_back(view);
        close_line_reader(reader);
        ::unlink(path);
        ASSERT_EQ(lines.size(), 4u);
        EXPECT_EQ(lines[0], "first");
        EXPECT_TRUE(lines[1] == line) << lines[1].size();
        EXPECT_EQ(lines[2], "next");
        EXPECT_TRUE(lines[3] == line) << lines[3].size();
    }
}

TEST(TrimLeft, KeepsALeadingCarriageReturn) {
    EXPECT_EQ(trimmed_left("\t\n  abc "), "abc ");
    EXPECT_EQ(trimmed_left("\r abc"), "\r abc");
    EXPECT_EQ(trimmed_left(" \r abc"), "\r abc");
    EXPECT_EQ(trimmed_left("   "), "");
}

TEST(StripTrailing, RemovesOnlyTheGivenCharacterOrDateTail) {
    struct row {
        const char* text;
        const char* expected;
    };
    for (const row& r : {row{"a]]]", "a"}, row{"a] ]", "a] "}, row{"]]]", ""}, row{"]", ""}, row{"", ""},
                         row{"a", "a"}, row{"]a", "]a"}}) {
        std::string text = r.text;
        strip_trailing_char(text, ']');
        EXPECT_EQ(text, r.expected) << r.text;
    }
    std::string text;

    text = "[Date \"1998.10\" ] \r";
    trim_date_tail(text);
    EXPECT_EQ(text, "[Date \"1998.10");
    text = "[Date \"";
    trim_date_tail(text, 7);
    EXPECT_EQ(text, "[Date \"");
}

// Reference: delete the first occurrence from the start, again and again.
std::string remove_all_slowly(std::string text, const std::string& pattern) {
    for (std::size_t at; (at = text.find(pattern)) != std::string::npos;)
        text.erase(at, pattern.size());
    return text;
}

TEST(RemoveAll, DeletesOccurrencesThatDeletionsBringTogether) {
    std::string text = "a\\\\\"\"b";  // a \ \ " " b: deleting the inner pair makes a new one
    remove_all(text, "\\\"");
    EXPECT_EQ(text, "ab");
    text = "[White \"A \\\"B\\\" C\"]";
    remove_all(text, "\\\"");
    EXPECT_EQ(text, "[White \"A B C\"]");
}

TEST(RemoveAll, AgreesWithRepeatedFirstDeletionOnRandomTexts) {
    std::mt19937 random(12345);
    const std::string alphabet = "ab\\\"";
    const std::string patterns[] = {"\\\"", "ab", "aab", "aba", "a", "abab"};
    for (int round = 0; round < 20000; ++round) {
        std::string text;
        const int length = static_cast<int>(random() % 14);
        for (int i = 0; i < length; ++i)
            text.push_back(alphabet[random() % alphabet.size()]);
        const std::string& pattern = patterns[random() % std::size(patterns)];
        std::string fast = text;
        remove_all(fast, pattern);
        ASSERT_EQ(fast, remove_all_slowly(text, pattern)) << "text " << text << " pattern " << pattern;
    }
}

TEST(UpperAscii, MapsOnlyAsciiLetters) {
    std::string text = "abz AZ \xe4\xfc{1}";
    upper_ascii(text);
    EXPECT_EQ(text, "ABZ AZ \xe4\xfc{1}");
    EXPECT_TRUE(equals_ignoring_case("Program", "pROGRAM"));
    EXPECT_FALSE(equals_ignoring_case("program", "programs"));
    EXPECT_FALSE(equals_ignoring_case("\xe4", "\xc4"));  // only ASCII letters are case-mapped
    EXPECT_FALSE(equals_ignoring_case("[", "{"));
}

TEST(StripNamePunctuation, DeletesExactlyTheSeventeenCharacters) {
    std::string text = "Dr. J.-P. O'Neil (GM)";
    strip_name_punctuation(text);
    EXPECT_EQ(text, "DrJPONeilGM");
    upper_ascii(text);
    EXPECT_EQ(text, "DRJPONEILGM");

    text = " \"#$'()-./<>@]_`~";
    strip_name_punctuation(text);
    EXPECT_EQ(text, "");
    text = "[{}!&*+,:;=?\t09";
    strip_name_punctuation(text);
    EXPECT_EQ(text, "[{}!&*+,:;=?\t09");
}

std::string unrated(std::string text) {
    remove_rating_braces(text);
    return text;
}

TEST(RemoveRatingBraces, LooksAtTheFirstBraceOnly) {
    EXPECT_EQ(unrated("Fritz {2650}"), "Fritz");
    EXPECT_EQ(unrated("A{}B"), "AB");
    EXPECT_EQ(unrated("A {12x}"), "A {12x}");
    EXPECT_EQ(unrated("A {x} B {12}"), "A {x} B {12}");
    EXPECT_EQ(unrated("A {12"), "A {12");
    EXPECT_EQ(unrated("Smith  "), "Smith");
    EXPECT_EQ(unrated("{1} Smith {2}"), " Smith {2}");
}

TEST(Fields, CountChar) {
    EXPECT_EQ(count_char("1998.10.05", '.'), 2u);
    EXPECT_EQ(count_char("", '.'), 0u);
}

TEST(Fields, IsDateField) {
    EXPECT_TRUE(is_date_field("????"));
    EXPECT_TRUE(is_date_field("1998"));
    EXPECT_TRUE(is_date_field(""));
    EXPECT_TRUE(is_date_field("1?"));
    EXPECT_FALSE(is_date_field("1998 "));
    EXPECT_FALSE(is_date_field("10a"));
    EXPECT_FALSE(is_date_field("-5"));
}

TEST(Characters, ReplaceAndFindLast) {
    std::string text = "2002-10-5";
    replace_char(text, '-', '.');
    EXPECT_EQ(text, "2002.10.5");
    EXPECT_EQ(find_last_char("ICC 5 0 u", ' '), 7u);
    EXPECT_EQ(find_last_char("ICC", ' '), std::nullopt);
}

TEST(ReadNumber, ReadsLeadingDigitsAndRefusesOverflow) {
    EXPECT_EQ(read_number("1998"), 1998);
    EXPECT_EQ(read_number("19??"), 19);
    EXPECT_EQ(read_number("????"), 0);
    EXPECT_EQ(read_number(""), 0);
    EXPECT_EQ(read_number("  -12x"), -12);
    EXPECT_EQ(read_number("+7"), 7);
    // Every blank that a C number reading skips: space, tab, line feed, carriage return, vertical tab, form
    // feed.
    EXPECT_EQ(read_number("\r 1"), 1);
    EXPECT_EQ(read_number("\t\n\v\f5"), 5);
    EXPECT_EQ(read_number("\x01 5"), 0);
    EXPECT_EQ(read_number("0002147483647"), 2147483647);
    EXPECT_EQ(read_number("2147483648"), std::nullopt);
    EXPECT_EQ(read_number(std::string(500, '9')), std::nullopt);
}

// A mapped block is zero-filled and writable, a large one starts on a 2 MiB boundary and is whole huge
// pages long, and moving a block hands its mapping over rather than unmapping it.
TEST(MappedBlock, ZeroedAlignedAndMovable) {
    constexpr std::size_t huge = std::size_t{1} << 21;
    for (const std::size_t bytes : {std::size_t{4096}, std::size_t{32768}, huge, 2 * huge + 1}) {
        mapped_block block = map_zeroed(bytes);
        ASSERT_NE(block.data, nullptr) << bytes;
        ASSERT_GE(block.size, bytes);
        auto* const bytes_of = static_cast<unsigned char*>(block.data);
        std::size_t nonzero = 0;
        for (std::size_t i = 0; i < bytes; i += 509)
            nonzero += bytes_of[i] != 0;
        EXPECT_EQ(nonzero, 0u) << bytes;
        bytes_of[bytes - 1] = 7;
        if (bytes >= huge) {
            EXPECT_EQ(reinterpret_cast<std::uintptr_t>(block.data) % huge, 0u) << bytes;
            EXPECT_EQ(block.size % huge, 0u) << bytes;
        }
        mapped_block moved = std::move(block);
        EXPECT_EQ(block.data, nullptr);
        EXPECT_EQ(static_cast<unsigned char*>(moved.data)[bytes - 1], 7) << bytes;
        mapped_block other = map_zeroed(4096);
        void* const replaced = other.data;
        other = std::move(moved);
        EXPECT_EQ(static_cast<unsigned char*>(other.data)[bytes - 1], 7) << bytes;
        // The block it had is given back to the system: mincore finds no mapping there any more.
        unsigned char resident = 0;
        EXPECT_EQ(::mincore(replaced, 4096, &resident), -1) << bytes;
    }
}

}  // namespace
}  // namespace gs

namespace gs {
namespace {

TEST(EscapeField, ReadsBackAndRefusesWhatItNeverWrites) {
    for (const std::string& text : {std::string(), std::string("plain"), std::string("a\tb\nc\rd\\e"),
                                    std::string("\\t"), std::string("\xff\x01 x")}) {
        const std::string escaped = escape_field(text);
        EXPECT_EQ(escaped.find_first_of("\t\n\r"), std::string::npos);
        EXPECT_EQ(unescape_field(escaped), text);
    }
    for (const std::string& bad :
         {std::string("\\"), std::string("a\\x"), std::string("a\tb"), std::string("\n")})
        EXPECT_FALSE(unescape_field(bad)) << bad;
    EXPECT_EQ(grouped(0), "0");
    EXPECT_EQ(grouped(999), "999");
    EXPECT_EQ(grouped(1000), "1,000");
    EXPECT_EQ(grouped(1204331), "1,204,331");
}

}  // namespace
}  // namespace gs
