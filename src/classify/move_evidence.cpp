#include "classify/move_evidence.hpp"

#include <cstring>

#include "text/text.hpp"

namespace gs {
namespace {

bool is_digit(char c) {
    return c >= '0' && c <= '9';
}

bool is_blank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

std::string_view trimmed(std::string_view text) {
    while (!text.empty() && is_blank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && is_blank(text.back()))
        text.remove_suffix(1);
    return text;
}

// The start of the run of digits that ends just before at.
std::size_t digits_before(std::string_view text, std::size_t at) {
    while (at > 0 && is_digit(text[at - 1]))
        --at;
    return at;
}

// The end of the run of digits that starts at at.
std::size_t digits_after(std::string_view text, std::size_t at) {
    while (at < text.size() && is_digit(text[at]))
        ++at;
    return at;
}

// A score and a search depth around the slash at slash: "+0.42/19", "-M12/38", "+0,08/12", "0.00/0",
// "ERR/0". The score is signed, or has a decimal point or comma, or is a mate or "ERR", so that "3/4" in
// prose is no score; it starts the comment or follows a blank or the ')' that ends a principal variation;
// the depth is followed by the comment's end, a blank or a comma.
bool score_and_depth_at(std::string_view c, std::size_t slash) {
    const std::size_t depth_end = digits_after(c, slash + 1);
    if (depth_end == slash + 1) return false;
    if (depth_end < c.size() && !is_blank(c[depth_end]) && c[depth_end] != ',') return false;
    std::size_t at = digits_before(c, slash);
    bool shaped = false;  // decimal, mate or ERR: a score even without a sign
    if (at < slash && at > 0 && (c[at - 1] == '.' || c[at - 1] == ',')) {
        const std::size_t whole = digits_before(c, at - 1);
        if (whole == at - 1) return false;
        at = whole;
        shaped = true;
    } else if (at < slash && at > 0 && (c[at - 1] == 'M' || c[at - 1] == '#')) {
        --at;
        shaped = true;
    } else if (at == slash) {
        if (slash < 3 || c.substr(slash - 3, 3) != "ERR") return false;
        at = slash - 3;
        shaped = true;
    }
    const bool signed_score = at > 0 && (c[at - 1] == '+' || c[at - 1] == '-');
    if (signed_score) --at;
    if (!shaped && !signed_score) return false;
    return at == 0 || is_blank(c[at - 1]) || c[at - 1] == ')';
}

// "[%eval 23,13]": ChessBase's evaluation in centipawns with the depth after a comma (blanks allowed
// around it). A server's "[%eval 0.35]" has no depth and is no engine's play.
bool eval_with_depth(std::string_view c) {
    constexpr std::string_view command = "[%eval";
    for (std::size_t at = c.find(command); at != std::string_view::npos; at = c.find(command, at + 1)) {
        std::size_t i = at + command.size();
        while (i < c.size() && c[i] == ' ')
            ++i;
        if (i < c.size() && (c[i] == '+' || c[i] == '-')) ++i;
        const std::size_t value_end = digits_after(c, i);
        if (value_end == i) continue;
        i = value_end;
        while (i < c.size() && c[i] == ' ')
            ++i;
        if (i == c.size() || c[i] != ',') continue;
        ++i;
        while (i < c.size() && c[i] == ' ')
            ++i;
        const std::size_t depth_end = digits_after(c, i);
        if (depth_end == i) continue;
        i = depth_end;
        while (i < c.size() && c[i] == ' ')
            ++i;
        if (i < c.size() && c[i] == ']') return true;
    }
    return false;
}

// An engine tournament archive's "d=28, sd=40, mt=57157, ..., wv=0.53" or "ev=0.00, d=1, mt=00:00:00":
// a search depth among the other fields of the engine's report.
bool archive_fields(std::string_view c) {
    bool depth = false;
    for (std::size_t at = c.find("d="); at != std::string_view::npos; at = c.find("d=", at + 1)) {
        if ((at == 0 || is_blank(c[at - 1]) || c[at - 1] == ',') && at + 2 < c.size() &&
            is_digit(c[at + 2])) {
            depth = true;
            break;
        }
    }
    return depth && (contains(c, "wv=") || contains(c, "ev=") || contains(c, "mt="));
}

// "1.9s" or "0.97s, Black mates": the time a match runner writes when the engine reported no score.
bool runner_time(std::string_view c) {
    c = trimmed(c);
    std::size_t i = digits_after(c, 0);
    if (i == 0) return false;
    if (i < c.size() && (c[i] == '.' || c[i] == ',')) {
        const std::size_t fraction_end = digits_after(c, i + 1);
        if (fraction_end == i + 1) return false;
        i = fraction_end;
    }
    if (i == c.size() || c[i] != 's') return false;
    ++i;
    return i == c.size() || c[i] == ',';
}

// Characters that end a movetext token, as a table: the tokenizer looks up every byte of the movetext.
constexpr std::array<bool, 256> token_ends = [] {
    std::array<bool, 256> table{};
    for (const char c : {' ', '\t', '\n', '\r', '{', '}', '(', ')', ';'})
        table[static_cast<unsigned char>(c)] = true;
    return table;
}();

bool ends_token(char c) {
    return token_ends[static_cast<unsigned char>(c)];
}

// Where c first stands in [from, end), or end.
const char* find_in(const char* from, const char* end, char c) {
    if (from == end) return end;
    const auto* found = static_cast<const char*>(std::memchr(from, c, static_cast<std::size_t>(end - from)));
    return found != nullptr ? found : end;
}

// The text of the comment whose '{' is at open: up to its '}', or to the end when it is left open.
std::string_view comment_at(const char* open, const char* end) {
    return {open + 1, static_cast<std::size_t>(find_in(open + 1, end, '}') - open - 1)};
}

// Where reading goes on after a comment: past its '}', or at the end.
const char* after(std::string_view comment, const char* end) {
    const char* const close = comment.data() + comment.size();
    return close < end ? close + 1 : end;
}

// True when a comment of the movetext is engine output or a book mark. Most games have none (people's
// games, with or without clocks), and then their moves need not be read at all.
bool has_runner_comment(std::string_view movetext) {
    const char* const end = movetext.data() + movetext.size();
    for (const char* open = find_in(movetext.data(), end, '{'); open < end;) {
        const std::string_view comment = comment_at(open, end);
        if (is_book_mark(comment) || is_engine_output(comment)) return true;
        open = find_in(after(comment, end), end, '{');
    }
    return false;
}

// The first character of a move in SAN (or long algebraic notation, or a null move "--" / "Z0").
bool starts_move(char c) {
    return (c >= 'a' && c <= 'h') || c == 'K' || c == 'Q' || c == 'R' || c == 'B' || c == 'N' || c == 'O' ||
           c == 'P' || c == 'Z';
}

}  // namespace

bool is_engine_output(std::string_view comment) {
    const char* const end = comment.data() + comment.size();
    for (const char* slash = find_in(comment.data(), end, '/'); slash < end;
         slash = find_in(slash + 1, end, '/')) {
        if (score_and_depth_at(comment, static_cast<std::size_t>(slash - comment.data()))) return true;
    }
    return eval_with_depth(comment) || archive_fields(comment) || runner_time(comment);
}

bool is_book_mark(std::string_view comment) {
    comment = trimmed(comment);
    constexpr std::string_view book = "book";
    return comment.starts_with(book) && (comment.size() == book.size() || comment[book.size()] == ',');
}

move_evidence read_move_evidence(std::string_view movetext) {
    move_evidence evidence;
    if (!has_runner_comment(movetext)) return evidence;
    const char* p = movetext.data();
    const char* const end = p + movetext.size();
    int depth = 0;         // of variations
    std::size_t next = 0;  // the side to move: 0 White, 1 Black
    std::size_t last = 0;  // the side that made the last move
    bool marked = true;    // the last move's comments have told already (or there was no move yet)
    while (p < end) {
        const char c = *p;
        if (is_blank(c)) {
            ++p;
            continue;
        }
        if (c == '{') {
            const std::string_view comment = comment_at(p, end);
            if (depth == 0 && !marked) {
                if (is_book_mark(comment)) {
                    ++evidence.sides[last].book;
                    marked = true;
                } else if (is_engine_output(comment)) {
                    ++evidence.sides[last].engine;
                    marked = true;
                }
            }
            p = after(comment, end);
            continue;
        }
        if (c == ';') {
            const char* const feed = find_in(p, end, '\n');
            p = feed < end ? feed + 1 : end;
            continue;
        }
        if (c == '(' || c == ')') {
            depth = c == '(' ? depth + 1 : (depth > 0 ? depth - 1 : 0);
            ++p;
            continue;
        }
        const char* const begin = p;
        while (p < end && !ends_token(*p))
            ++p;
        if (p == begin) {
            ++p;  // a '}' with no '{' before it
            continue;
        }
        if (depth > 0) continue;
        std::string_view token(begin, static_cast<std::size_t>(p - begin));
        if (is_digit(token.front())) {
            const std::size_t number_end = digits_after(token, 0);
            if (number_end < token.size() && token[number_end] == '.') {
                std::size_t i = number_end;
                while (i < token.size() && token[i] == '.')
                    ++i;
                next = i - number_end >= 2 ? 1 : 0;  // "12..." is Black's move
                token.remove_prefix(i);              // a move may follow the number at once: "1.e4"
                if (token.empty()) continue;
            } else if (!token.starts_with("0-0")) {
                continue;  // a result, or a number that is no move; "0-0" is castling written with zeros
            }
        } else if (!starts_move(token.front()) || token == "e.p.") {
            continue;  // a result "*", a glyph, a NAG
        }
        last = next;
        ++evidence.sides[last].moves;
        marked = false;
        next ^= 1u;
    }
    return evidence;
}

std::array<bool, 2> engine_play(const move_evidence& evidence) {
    constexpr std::uint32_t fewest_book_moves = 4;
    const auto share = [](const side_moves& side, std::uint64_t parts) {
        return side.engine > 0 && parts * side.engine + side.book >= side.moves;
    };
    const auto booked = [](const side_moves& side) {
        return side.book >= fewest_book_moves && side.book == side.moves;
    };
    const side_moves& white = evidence.sides[0];
    const side_moves& black = evidence.sides[1];
    std::array<bool, 2> program = {share(white, 2), share(black, 2)};
    if (!program[0] && !program[1]) {
        program[0] = program[1] = booked(white) && booked(black);
    } else {
        if (!program[0]) program[0] = share(white, 4) || booked(white);
        if (!program[1]) program[1] = share(black, 4) || booked(black);
    }
    return program;
}

}  // namespace gs
