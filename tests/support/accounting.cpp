#include "support/accounting.hpp"

#include <vector>

#include "io/outputs.hpp"
#include "text/line_reader.hpp"
#include "text/text.hpp"

namespace gs::testing {
namespace {

// The checker's own plain versions of the rules it checks, written for clarity rather than speed, so
// that a fault in the tool's versions cannot hide itself.

constexpr std::size_t rest_vs_rest = static_cast<std::size_t>(output_role::rest_vs_rest);

std::string_view without_trailing_blanks(std::string_view text) {
    while (!text.empty() && std::string_view(" \t\r\n").find(text.back()) != std::string_view::npos)
        text.remove_suffix(1);
    return text;
}

// '[', then letters A-Z or a-z, then spaces, then a quote.
bool looks_like_tag_line(std::string_view line) {
    std::size_t i = 0;
    if (line.size() <= i || line[i] != '[') return false;
    ++i;
    while (i < line.size() && ((line[i] >= 'A' && line[i] <= 'Z') || (line[i] >= 'a' && line[i] <= 'z')))
        ++i;
    while (i < line.size() && line[i] == ' ')
        ++i;
    return i < line.size() && line[i] == '"';
}

// Deletes the first backslash-quote pair until there is none left.
std::string without_escaped_quotes(std::string_view text) {
    std::string result(text);
    for (std::size_t at = result.find("\\\""); at != std::string::npos; at = result.find("\\\""))
        result.erase(at, 2);
    return result;
}

std::vector<std::string_view> input_lines(std::string_view bytes) {
    if (bytes.starts_with(byte_order_mark)) bytes.remove_prefix(byte_order_mark.size());
    std::vector<std::string_view> lines;
    while (!bytes.empty()) {
        const std::size_t feed = bytes.find('\n');
        if (feed == std::string_view::npos) {
            lines.push_back(bytes);
            break;
        }
        lines.push_back(bytes.substr(0, feed));
        bytes.remove_prefix(feed + 1);
    }
    return lines;
}

// Lines of an output file; false when the file does not end with a newline.
bool output_lines(std::string_view bytes, std::vector<std::string_view>& lines) {
    if (!bytes.empty() && !bytes.ends_with('\n')) return false;
    while (!bytes.empty()) {
        const std::size_t feed = bytes.find('\n');
        lines.push_back(bytes.substr(0, feed));
        bytes.remove_prefix(feed + 1);
    }
    return true;
}

struct line {
    std::string_view text;
    bool tag;
};

struct game {
    std::size_t first_line;  // of the input, counting from 1
    std::vector<line> lines;
};

// True when out is what the tool may make of the tag line in.
bool is_rewrite_of(std::string_view in, std::string_view out) {
    const std::string cleaned = without_escaped_quotes(in);
    if (out == cleaned) return true;
    if (cleaned.starts_with("[Date ")) return out.starts_with("[Date ");
    if (cleaned.starts_with("[Event") && out.ends_with("\"]")) {
        return std::string_view(cleaned).starts_with(out.substr(0, out.size() - 2));
    }
    return false;
}

// True when the game's lines stand at line at of the output, ending where another game starts or the
// output ends: a game whose lines begin another, longer game (the same tags and first moves) is not taken
// for it, now that two such games may go to different outputs (by what their later moves say).
bool matches_at(const game& g, const std::vector<std::string_view>& file, std::size_t at) {
    if (file.size() - at < g.lines.size()) return false;
    for (std::size_t i = 0; i < g.lines.size(); ++i) {
        const line& l = g.lines[i];
        if (l.tag ? !is_rewrite_of(l.text, file[at + i]) : l.text != file[at + i]) return false;
    }
    const std::size_t end = at + g.lines.size();
    return end == file.size() || looks_like_tag_line(file[end]);
}

}  // namespace

accounting check_accounting(std::string_view input,
                            const std::array<std::string_view, output_count>& outputs) {
    accounting result;
    const auto fail = [&](std::string fault) {
        result.ok = false;
        result.fault = std::move(fault);
        return result;
    };

    // The games as the splitter sees them; game 0 holds the lines before the first tag line.
    std::vector<game> games(1, game{1, {}});
    bool in_header = false;
    const std::vector<std::string_view> lines = input_lines(input);
    for (std::size_t n = 0; n < lines.size(); ++n) {
        const std::string_view text = without_trailing_blanks(lines[n]);
        if (in_header && text.empty()) continue;
        const bool tag = looks_like_tag_line(text);
        if (tag && !in_header) games.push_back(game{n + 1, {}});
        in_header = tag;
        games.back().lines.push_back(line{text, tag});
        ++result.lines;
    }
    result.games = games.size() - 1;

    std::array<std::vector<std::string_view>, output_count> files;
    for (std::size_t f = 0; f < output_count; ++f) {
        if (!output_lines(outputs[f], files[f]))
            return fail("output " + std::to_string(f) + " lacks a last newline");
    }
    std::array<std::size_t, output_count> at{};
    if (!matches_at(games[0], files[rest_vs_rest], 0))
        return fail("the lines before the first game are not first in rest_vs_rest.pgn");
    at[rest_vs_rest] = games[0].lines.size();
    for (std::size_t g = 1; g < games.size(); ++g) {
        std::size_t f = 0;
        while (f < output_count && !matches_at(games[g], files[f], at[f]))
            ++f;
        if (f == output_count)
            return fail("the game from input line " + std::to_string(games[g].first_line) +
                        " is lost or torn");
        at[f] += games[g].lines.size();
    }
    for (std::size_t f = 0; f < output_count; ++f) {
        if (at[f] != files[f].size())
            return fail("output " + std::to_string(f) + " holds lines the input lacks");
    }
    return result;
}

}  // namespace gs::testing
