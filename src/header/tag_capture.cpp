#include "header/tag_capture.hpp"

#include <array>
#include <cstring>

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

// Records what a Type, Title or IsComp tag says about the player. The value is read from the line
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
    } else if (field == "IsComp") {
        if (equals_ignoring_case(value, computer_yes)) slot.flagged_computer = true;
    }
}

// The tags that tag treatment reads or rewrites; every other tag line passes as it is.
enum class tag_kind { other, white, black, site, event, date, white_flag, black_flag };

// The kind of a tag by its name, told apart by length first, since most tag lines are of other tags.
tag_kind kind_of_tag(std::string_view name) {
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
        case 9:
        case 10:
        case 11:
            if (starts("White")) return tag_kind::white_flag;
            if (starts("Black")) return tag_kind::black_flag;
            break;
        default:
            break;
    }
    return tag_kind::other;
}

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
std::string_view value_of_tag_line(std::string_view line, std::string_view name) {
    std::size_t at = 1 + name.size();
    while (line[at] == ' ')
        ++at;
    return without_closing_runs(line.substr(at + 1));
}

// The capture shared by both paths from a tag line; Event and Date lines are left to the callers.
void capture_plain(std::string_view line, std::string_view name, tag_kind kind, game_header& header) {
    switch (kind) {
        case tag_kind::white:
            header.white.name.assign(value_of_tag_line(line, name));
            break;
        case tag_kind::black:
            header.black.name.assign(value_of_tag_line(line, name));
            break;
        case tag_kind::site:
            header.site.assign(value_of_tag_line(line, name));
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

}  // namespace

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
        if (extract_tag_value(line, name, header.event)) extract_event_date(line, header);
    } else if (kind == tag_kind::date) {
        if (starts_with(line, date_line_start)) treat_date_line(line, header, warnings);
    } else if (is_tag_line(line) || kind == tag_kind::white_flag || kind == tag_kind::black_flag) {
        // A value is read only from a tag line (this takes any line); the player-type tags look for
        // their quote themselves.
        capture_plain(line, name, kind, header);
    }
}

namespace {

// Reads a date field of width digits (or question marks) into part; false when the field would be
// written differently (a zero, or digits and question marks mixed).
bool read_kept_field(std::string_view field, int& part) {
    bool digits = true;
    bool unknown = true;
    int value = 0;
    for (char c : field) {
        digits = digits && c >= '0' && c <= '9';
        unknown = unknown && c == '?';
        value = value * 10 + (c - '0');
    }
    if (unknown) {
        part = 0;
        return true;
    }
    part = value;
    return digits && value != 0;
}

// True when date normalisation would leave a Date line as it is, with the parts it would record:
// [Date "YYYY.MM.DD"] where each field is all digits and not zero, or all question marks (and, for a
// wholly unknown date, no server date waits to take its place).
bool capture_kept_date(std::string_view line, game_header& header) {
    if (!line.starts_with(date_line_start)) return true;  // not a line that dates treat at all
    const std::size_t quote = line.find('"');
    const std::string_view value = line.substr(quote + 1);
    if (value.size() != 12 || value[4] != '.' || value[7] != '.' || !value.ends_with("\"]")) return false;
    int year = 0, month = 0, day = 0;
    if (!read_kept_field(value.substr(0, 4), year) || !read_kept_field(value.substr(5, 2), month) ||
        !read_kept_field(value.substr(8, 2), day)) {
        return false;
    }
    if (year == 0 && month == 0 && day == 0 && !header.event_date.empty()) return false;
    header.year = year;
    header.month = month;
    header.day = day;
    return true;
}

}  // namespace

bool capture_if_kept(std::string_view line, game_header& header) {
    std::string_view name;
    return read_tag_line(line, name) && capture_if_kept(line, name, header);
}

bool capture_if_kept(std::string_view line, std::string_view name, game_header& header) {
    if (std::memchr(line.data(), '\\', line.size()) != nullptr) return false;
    const tag_kind kind = kind_of_tag(name);
    if (kind == tag_kind::event) {
        // Only a server Event gives up its date; any other Event line is only captured.
        const std::size_t quote = line.find('"');
        if (line.substr(quote + 1).starts_with(server_event_prefix)) return false;
        header.event.assign(value_of_tag_line(line, name));
        return true;
    }
    if (kind == tag_kind::date) return capture_kept_date(line, header);
    capture_plain(line, name, kind, header);
    return true;
}

}  // namespace gs
