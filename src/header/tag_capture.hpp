// Tag capture: every tag line of a game passes through here before it is held.
//
// A tag line has the shape '[', letters, spaces, '"'; the letters are its tag name. Only the tags that
// classification reads are captured (White, Black, Site, Event, and the player-type tags that servers
// set); Event and Date lines may be rewritten, and any line loses its escaped quotes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

#include "header/game_header.hpp"
#include "text/text.hpp"

namespace gs {

// True for a line of the shape '[', ASCII letters, spaces, '"'; what follows the quote is not examined.
bool is_tag_line(std::string_view line);
// is_tag_line, which also sets name to the tag name of a tag line (and leaves it alone otherwise).
bool read_tag_line(std::string_view line, std::string_view& name);

// The tag name of a line that starts with '[': the ASCII letters after it (possibly none).
std::string_view tag_name_of(std::string_view line);

// The FIDE title that a Title tag's value names ("GM", "WIM"; in capitals, as FIDE writes them), and
// its text.
fide_title fide_title_of(std::string_view value);
std::string_view fide_title_text(fide_title title);

// The tags that tag treatment reads or rewrites; every other tag line passes as it is.
enum class tag_kind : std::uint8_t { other, white, black, site, event, date, white_flag, black_flag };

// What the start of a tag line tells: its tag name, the kind of that tag, and where its value starts
// (just after the opening quote).
struct tag_head {
    std::string_view name;
    tag_kind kind = tag_kind::other;
    std::size_t value_at = 0;
};

// Which of the tags that treatment reads a tag name is (other for every other name): the one place that
// knows, for the fast path and the scan alike.
inline tag_kind kind_of_tag(std::string_view name) {
    // Comparisons of a fixed number of bytes, which the compiler turns into single loads.
    const auto is = [&](const char(&word)[5]) { return std::memcmp(name.data(), word, 4) == 0; };
    const auto starts = [&](const char(&word)[6]) { return std::memcmp(name.data(), word, 5) == 0; };
    switch (name.size()) {
        case 4:
            if (is("Site")) return tag_kind::site;
            if (is("Date")) return tag_kind::date;
            break;
        case 5:
            if (starts("White")) return tag_kind::white;
            if (starts("Black")) return tag_kind::black;
            if (starts("Event")) return tag_kind::event;
            break;
        case 9:   // WhiteType
        case 10:  // WhiteTitle
        case 11:  // WhiteIsComp, WhiteFideId
            if (starts("White")) return tag_kind::white_flag;
            if (starts("Black")) return tag_kind::black_flag;
            break;
        default:
            break;
    }
    return tag_kind::other;
}

// The letter-by-letter reading of read_tag_head, for the lines that its fast path does not tell.
bool read_tag_head_scanned(std::string_view line, tag_head& head);

// read_tag_line for the sorter's hot path: the most common tag names (Event, Site, Date, Round, White,
// Black, Result, ECO followed by one space and the quote) are told apart by one 8-byte load; any other
// line takes the letter-by-letter scan. The same answer as read_tag_line, with the kind and value offset.
inline bool read_tag_head(std::string_view line, tag_head& head) {
    if (line.size() >= 9 && line[0] == '[') {
        const std::uint64_t word = load_word(line.data() + 1);
        const auto found = [&](std::size_t name_size) {
            head.name = std::string_view(line.data() + 1, name_size);
            head.kind = kind_of_tag(head.name);
            head.value_at = name_size + 3;  // '[', the name, a space and the quote
            return true;
        };
        switch (line[1]) {
            case 'E':
                if (word_starts(word, "Event \"")) return found(5);
                if (word_starts(word, "ECO \"")) return found(3);
                break;
            case 'S':
                if (word_starts(word, "Site \"")) return found(4);
                break;
            case 'D':
                if (word_starts(word, "Date \"")) return found(4);
                break;
            case 'W':
                if (word_starts(word, "White \"")) return found(5);
                break;
            case 'B':
                if (word_starts(word, "Black \"")) return found(5);
                break;
            case 'R':
                if (word_starts(word, "Round \"")) return found(5);
                if (word_starts(word, "Result \"")) return found(6);
                break;
            default:
                break;
        }
    }
    return read_tag_head_scanned(line, head);
}

// Reads the value of the named tag from a line such as [White "Smith"]: the line must start with '[' and
// the tag name, then any number of spaces and a '"'. The value is the rest of the line without a trailing
// run of ']', then of spaces, then of '"', in that order; it is taken whole, whatever its length. So
// [White "Smith "] gives "Smith " and [Event "Open ]"] gives "Open ]". False, with out untouched, when the
// line is not of that tag (WhiteElo is not White).
bool extract_tag_value(std::string_view line, std::string_view tag, std::string& out);

// Treats one tag line in place: deletes every backslash-quote pair (also pairs that a deletion brings
// together), captures the tags that classification reads into the header, takes a server date out of an
// Event line, and normalises a line that starts with "[Date ". Date warnings are appended to warnings,
// one line each with its newline.
void handle_tag_line(std::string& line, game_header& header, std::string& warnings);

// The fast path of tag treatment: when handle_tag_line would leave the line as it is, captures what it
// would capture and returns true, so that the line needs no copy; otherwise does nothing and returns
// false. Kept are the lines with no backslash that are neither Event nor Date lines, an Event line that
// names no server, and a Date line already in normal form. A line that is no tag line is not kept. The
// captured values are views of line, which must stay in place as long as the header is read (the sorter's
// chunk does); handle_tag_line copies what it captures.
bool capture_if_kept(std::string_view line, game_header& header);
// capture_if_kept for a line that read_tag_head read into head, whose caller knows whether it holds a
// backslash (the sorter finds them a chunk at a time, not a line at a time).
bool capture_if_kept(std::string_view line, const tag_head& head, bool has_backslash, game_header& header);

}  // namespace gs
