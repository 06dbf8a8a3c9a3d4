#include "header/dates.hpp"

#include <array>
#include <optional>
#include <string_view>

#include "text/messages.hpp"
#include "text/text.hpp"

namespace gs {
namespace {

constexpr std::string_view unknown_date = "????.??.??";
constexpr std::string_view unknown_date_line = "[Date \"????.??.??\"]";
constexpr std::string_view date_line_open = "[Date \"";
constexpr std::string_view tag_line_close = "\"]";

struct fixed_date {
    std::string_view starts;
    std::string_view date;
};

// Dates that were typed out in words in some well-known collections, each replaced by the date it means.
constexpr std::array<fixed_date, 6> fixed_dates = {{
    {"28 oktober 2001", "2001.10.28"},
    {"28 0ktober 2001", "2001.10.28"},
    {"27 oktober 2001", "2001.10.27"},
    {"27 oktober 2002", "2002.10.27"},
    {"5-6 OCT 2002", "2002.10.05"},
    {"5-6 oct 2002", "2002.10.05"},
}};

// Appends a non-negative number with at least `width` digits, leading zeros filling up ("%0*d").
void append_number(std::string& text, int value, std::size_t width) {
    char digits[16];
    std::size_t n = 0;
    auto rest = static_cast<unsigned>(value);
    do {
        digits[n++] = static_cast<char>('0' + rest % 10);
        rest /= 10;
    } while (rest > 0);
    if (n < width) text.append(width - n, '0');
    while (n > 0)
        text.push_back(digits[--n]);
}

// Appends a date part: its number, or question marks for 0.
void append_part(std::string& line, int value, std::size_t width) {
    if (value == 0) {
        line.append(width, '?');
        return;
    }
    append_number(line, value, width);
}

// Reads count fields of digits and question marks, separated by separator, into parts. False at the first
// field that is not of that form or whose number is too large; the parts read before it stay set.
bool read_date_fields(std::string_view text, char separator, std::size_t count, int* const* parts) {
    std::string_view rest = text;
    for (std::size_t i = 0; i < count; ++i) {
        const std::size_t end = rest.find(separator);
        const std::string_view field = rest.substr(0, end);
        if (!is_date_field(field)) return false;
        const std::optional<int> number = read_number(field);
        if (!number) return false;
        *parts[i] = *number;
        rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
    }
    return true;
}

}  // namespace

namespace {

// Reads a date field of width digits (or question marks) into part; false when the field would be
// written differently (a zero, or digits and question marks mixed).
bool read_normal_field(const char* field, std::size_t width, int& part) {
    if (field[0] == '?') {
        for (std::size_t i = 1; i < width; ++i) {
            if (field[i] != '?') return false;
        }
        part = 0;
        return true;
    }
    int value = 0;
    for (std::size_t i = 0; i < width; ++i) {
        const auto digit = static_cast<unsigned>(static_cast<unsigned char>(field[i])) - '0';
        if (digit > 9) return false;
        value = value * 10 + static_cast<int>(digit);
    }
    part = value;
    return value != 0;
}

}  // namespace

bool read_normal_date(std::string_view value, int& year, int& month, int& day) {
    if (value.size() != 12 || value[4] != '.' || value[7] != '.' || value[10] != '"' || value[11] != ']')
        return false;
    return read_normal_field(value.data(), 4, year) && read_normal_field(value.data() + 5, 2, month) &&
           read_normal_field(value.data() + 8, 2, day);
}

bool normalize_date_tag(std::string& line, game_header& header) {
    header.year = 0;
    header.month = 0;
    header.day = 0;
    const std::size_t quote = line.find('"');
    if (quote == std::string::npos) return false;
    const std::size_t value = quote + 1;
    if (value < line.size() && line[value] == '"') return true;

    for (const fixed_date& row : fixed_dates) {
        if (std::string_view(line).substr(value).starts_with(row.starts)) {
            line.resize(value);
            line.append(row.date);
        }
    }
    trim_date_tail(line, value);
    replace_char(line, '-', '.', value);

    const std::string_view date = std::string_view(line).substr(value);
    const std::size_t dots = count_char(date, '.');
    int* const parts[3] = {&header.year, &header.month, &header.day};
    if (dots != 2 && dots != 0) return false;
    if (!read_date_fields(date, '.', dots + 1, parts)) return false;

    line.resize(value);
    append_part(line, header.year, 4);
    line.push_back('.');
    append_part(line, header.month, 2);
    line.push_back('.');
    append_part(line, header.day, 2);
    line.append(tag_line_close);
    return true;
}

void treat_date_line(std::string& line, game_header& header, std::string& warnings) {
    if (!normalize_date_tag(line, header)) {
        warnings.append(msg_illegal_date);
        warnings.append(line);
        warnings.push_back('\n');
        line.assign(unknown_date_line);
    }
    if (contains(line, unknown_date) && !header.event_date.empty()) {
        line.assign(date_line_open);
        line.append(header.event_date);
        line.append(tag_line_close);
    }
}

void extract_event_date(std::string& line, game_header& header) {
    const std::string_view event = header.event;
    if (!event.starts_with(server_event_prefix)) return;
    const std::optional<std::size_t> space = find_last_char(event, ' ');
    if (!space) return;
    const std::string_view tail = event.substr(*space + 1);
    if (count_char(tail, '/') != 2) return;

    int parts[3];  // month, day, year
    int* const targets[3] = {&parts[0], &parts[1], &parts[2]};
    if (!read_date_fields(tail, '/', 3, targets)) return;
    const int year = parts[2] < 100 ? parts[2] + 1900 : parts[2];

    strip_trailing_char(line, ' ');
    strip_trailing_char(line, ']');
    strip_trailing_char(line, '"');
    const std::optional<std::size_t> line_space = find_last_char(line, ' ');
    if (line_space) {
        line.resize(*line_space);
        line.append(tag_line_close);
    }
    header.event_date.clear();
    append_number(header.event_date, year, 4);
    header.event_date.push_back('.');
    append_number(header.event_date, parts[0], 2);
    header.event_date.push_back('.');
    append_number(header.event_date, parts[1], 2);
}

}  // namespace gs
