#include "header/tag_capture.hpp"

#include <array>
#include <bit>
#include <cstdint>
#include <cstring>
#include <utility>

#include "header/dates.hpp"
#include "text/text.hpp"

namespace gs {
namespace {

constexpr std::string_view escaped_quote = "\\\"";
constexpr std::string_view date_line_start = "[Date ";

// The ASCII letters, as a table: a tag name is scanned with one load per byte.
constexpr std::array<bool, 256> ascii_letters = [] {
    std::array<bool, 256> table{};
    for (int c = 'A'; c <= 'Z'; ++c)
        table[static_cast<std::size_t>(c)] = table[static_cast<std::size_t>(c - 'A' + 'a')] = true;
    return table;
}();

bool is_ascii_letter(char c) {
    return ascii_letters[static_cast<unsigned char>(c)];
}

// The values of the player-type tags that servers set, compared without regard to case.
constexpr std::string_view program_type = "program";
constexpr std::string_view human_type = "human";
constexpr std::string_view bot_title = "BOT";
constexpr std::string_view computer_yes = "yes";

// Records what a Type, Title, FideId or IsComp tag says about the player. The value is read from the line
// without a copy: after the opening quote, up to the first '"'.
void capture_player_flag(std::string_view line, std::string_view field, player_slot& slot) {
    const std::size_t quote = line.find('"');
    if (quote == std::string_view::npos) return;
    std::string_view value = line.substr(quote + 1);
    value = value.substr(0, value.find('"'));
    if (field == "Type") {
        if (equals_ignoring_case(value, program_type)) slot.flagged_computer = true;
        if (equals_ignoring_case(value, human_type)) slot.flagged_human = true;
    } else if (field == "Title") {
        if (equals_ignoring_case(value, bot_title)) slot.flagged_computer = true;
        slot.title = fide_title_of(value);
    } else if (field == "FideId") {
        slot.fide_id = value.find_first_not_of("0123456789") == std::string_view::npos &&
                       value.find_first_not_of('0') != std::string_view::npos;
    } else if (field == "IsComp") {
        if (equals_ignoring_case(value, computer_yes)) slot.flagged_computer = true;
    }
}

// The kind of a tag by its name, told apart by length first, since most tag lines are of other tags.

// A tag value as it follows the opening quote, without its trailing run of ']', then of spaces, then of
// '"', in that order.
std::string_view without_closing_runs(std::string_view value) {
    const char* const begin = value.data();
    const char* end = begin + value.size();
    while (end > begin && end[-1] == ']')
        --end;
    while (end > begin && end[-1] == ' ')
        --end;
    while (end > begin && end[-1] == '"')
        --end;
    return {begin, static_cast<std::size_t>(end - begin)};
}

// The value of a tag line whose tag name is name, read as extract_tag_value reads it; the line is known to
// be a tag line, so the quote after the name and its spaces is not looked for again.
std::size_t value_offset(std::string_view line, std::string_view name) {
    std::size_t at = 1 + name.size();
    while (line[at] == ' ')
        ++at;
    return at + 1;
}

// Sets a captured value: a view of the line where it lies, when the line lasts (it is kept as it stands
// in the input), or else a view of the header's own copy of it.
void set_value(std::string_view& value, std::string& copy, std::string_view text, bool lasting) {
    if (lasting) {
        value = text;
    } else {
        copy.assign(text);
        value = copy;
    }
}

// The bytes of line from offset at on, without a bounds check that the hot path need not make.
std::string_view tail_of(std::string_view line, std::size_t at) {
    return {line.data() + at, line.size() - at};
}

// The capture shared by both paths from a tag line whose value starts at value_at; Event and Date lines
// are left to the callers.
void capture_plain(std::string_view line, std::string_view name, tag_kind kind, std::size_t value_at,
                   bool lasting, game_header& header) {
    switch (kind) {
        case tag_kind::white:
            set_value(header.white.name, header.white.copy, without_closing_runs(tail_of(line, value_at)),
                      lasting);
            break;
        case tag_kind::black:
            set_value(header.black.name, header.black.copy, without_closing_runs(tail_of(line, value_at)),
                      lasting);
            break;
        case tag_kind::site:
            set_value(header.site, header.site_copy, without_closing_runs(tail_of(line, value_at)), lasting);
            break;
        case tag_kind::white_flag:
            capture_player_flag(line, name.substr(5), header.white);
            break;
        case tag_kind::black_flag:
            capture_player_flag(line, name.substr(5), header.black);
            break;
        default:
            break;
    }
}

constexpr std::array<std::pair<std::string_view, fide_title>, 8> fide_titles = {{
    {"GM", fide_title::gm},
    {"IM", fide_title::im},
    {"FM", fide_title::fm},
    {"CM", fide_title::cm},
    {"WGM", fide_title::wgm},
    {"WIM", fide_title::wim},
    {"WFM", fide_title::wfm},
    {"WCM", fide_title::wcm},
}};

}  // namespace

fide_title fide_title_of(std::string_view value) {
    for (const auto& [text, title] : fide_titles) {
        if (value == text) return title;
    }
    return fide_title::none;
}

std::string_view fide_title_text(fide_title title) {
    for (const auto& [text, each] : fide_titles) {
        if (each == title) return text;
    }
    return {};
}

std::string_view tag_name_of(std::string_view line) {
    std::size_t end = 1;
    while (end < line.size() && is_ascii_letter(line[end]))
        ++end;
    return line.substr(1, end - 1);
}

bool is_tag_line(std::string_view line) {
    std::string_view name;
    return read_tag_line(line, name);
}

bool read_tag_head_scanned(std::string_view line, tag_head& head) {
    std::string_view name;
    if (!read_tag_line(line, name)) return false;
    head.name = name;
    head.kind = kind_of_tag(name);
    head.value_at = value_offset(line, name);
    return true;
}

bool read_tag_line(std::string_view line, std::string_view& name) {
    if (line.empty() || line[0] != '[') return false;
    const std::string_view letters = tag_name_of(line);
    std::size_t i = 1 + letters.size();
    while (i < line.size() && line[i] == ' ')
        ++i;
    if (i >= line.size() || line[i] != '"') return false;
    name = letters;
    return true;
}

bool extract_tag_value(std::string_view line, std::string_view tag, std::string& out) {
    std::string_view rest = line;
    if (!consume_prefix(rest, "[") || !consume_prefix(rest, tag)) return false;
    while (rest.starts_with(' '))
        rest.remove_prefix(1);
    if (!consume_prefix(rest, "\"")) return false;
    out.assign(without_closing_runs(rest));
    return true;
}

void handle_tag_line(std::string& line, game_header& header, std::string& warnings) {
    remove_all(line, escaped_quote);
    if (line.empty()) return;
    const std::string_view name = tag_name_of(line);
    const tag_kind kind = kind_of_tag(name);
    if (kind == tag_kind::event) {
        if (extract_tag_value(line, name, header.event_copy)) {
            header.event = header.event_copy;
            extract_event_date(line, header);
        }
    } else if (kind == tag_kind::date) {
        if (starts_with(line, date_line_start)) treat_date_line(line, header, warnings);
    } else if (kind == tag_kind::white_flag || kind == tag_kind::black_flag) {
        capture_plain(line, name, kind, 0, false,
                      header);  // the player-type tags find their quote themselves
    } else if (is_tag_line(line)) {
        // A value is read only from a tag line (this takes any line).
        capture_plain(line, name, kind, value_offset(line, name), false, header);
    }
}

namespace {

// True when date normalisation would leave a line of the Date tag, whose value starts at value_at, as it is,
// with the parts it would record: [Date "YYYY.MM.DD"] where each field is all digits and not zero, or all
// question marks (and, for a wholly unknown date, no server date waits to take its place).
bool capture_kept_date(std::string_view line, std::size_t value_at, game_header& header) {
    // The line is of the Date tag; only one with a space after the name is a line that dates treat.
    if (line[date_line_start.size() - 1] != ' ') return true;
    int year = 0, month = 0, day = 0;
    if (!read_normal_date(tail_of(line, value_at), year, month, day)) return false;
    if (year == 0 && month == 0 && day == 0 && !header.event_date.empty()) return false;
    header.year = year;
    header.month = month;
    header.day = day;
    return true;
}

}  // namespace

bool capture_if_kept(std::string_view line, game_header& header) {
    tag_head head;
    return read_tag_head(line, head) &&
           capture_if_kept(line, head, std::memchr(line.data(), '\\', line.size()) != nullptr, header);
}

bool capture_if_kept(std::string_view line, const tag_head& head, bool has_backslash, game_header& header) {
    if (has_backslash) return false;
    switch (head.kind) {
        case tag_kind::other:
            return true;
        case tag_kind::event: {
            // Only a server Event gives up its date; any other Event line is only captured.
            const std::string_view value = tail_of(line, head.value_at);
            if (value.size() >= server_event_prefix.size() &&
                std::memcmp(value.data(), server_event_prefix.data(), server_event_prefix.size()) == 0) {
                return false;
            }
            header.event = without_closing_runs(value);
            return true;
        }
        case tag_kind::date:
            return capture_kept_date(line, head.value_at, header);
        default:
            capture_plain(line, head.name, head.kind, head.value_at, true, header);
            return true;
    }
}

}  // namespace gs
