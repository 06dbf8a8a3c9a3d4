#include "sort/explain_report.hpp"

#include <cerrno>
#include <charconv>

#include "classify/judgement_text.hpp"
#include "text/messages.hpp"
#include "text/system_calls.hpp"

namespace gs {
namespace {

constexpr std::string_view numbering_columns = "game\tline\t";
// The input's column comes last, so that the others keep their places whatever the number of inputs.
constexpr std::string_view input_column = "\tinput";
constexpr std::string_view explain_columns =
    "white\tblack\twhite_kind\twhite_decided_by\tblack_kind\tblack_decided_by\toutput";

void append_cell(std::string& out, std::string_view text) {
    for (char c : text)
        out.push_back(c == '\t' || c == '\n' || c == '\r' ? ' ' : c);
}

// The report goes out in blocks this large: few writes, and a failure is found early in a long run.
constexpr std::size_t report_block = std::size_t{1} << 16;

void report_failure(explain_report& report, failure_list& failures, int error) {
    if (report.failed) return;
    report.failed = true;
    failures.push_back({msg_cannot_write, report.path, msg_name_end, reason_of(error)});
}

// Writes what is pending when there is a block of it, or all of it when flushing.
void write_pending(explain_report& report, failure_list& failures, bool flushing) {
    if (report.failed || (report.pending.size() < report_block && !flushing)) return;
    if (!write_all(report.fd, report.pending)) report_failure(report, failures, errno);
    report.pending.clear();
}

void append_number(std::string& out, std::uint64_t number) {
    char digits[24];
    const auto [end, fault] = std::to_chars(digits, digits + sizeof digits, number);
    out.append(digits, end);
}

void append_lines(std::string& out, const explained_chunk& chunk, std::uint64_t games_before,
                  std::uint64_t lines_before, const std::string* input) {
    for (const explained_game& g : chunk.games) {
        const std::string_view text(chunk.text.data() + g.text_at, g.text_size);
        append_number(out, games_before + g.game);
        out.push_back('\t');
        append_number(out, lines_before + g.line);
        out.push_back('\t');
        if (input == nullptr) {
            out.append(text);
            continue;
        }
        // The line without its line feed, then the input's cell.
        out.append(text.substr(0, text.size() - 1));
        out.push_back('\t');
        append_cell(out, *input);
        out.push_back('\n');
    }
}

}  // namespace

void clear_explained(explained_chunk& chunk) {
    chunk.games.clear();
    chunk.text.clear();
}

void explain_game(const game_header& header, const game_verdict& verdict, const name_lists& lists,
                  std::uint64_t game, std::uint64_t line, explained_chunk& out) {
    const std::size_t at = out.text.size();
    std::string& text = out.text;
    const player_names& names = verdict.names;
    append_cell(text, header.white.name);
    text.push_back('\t');
    append_cell(text, header.black.name);
    text.push_back('\t');
    text.append(kind_name(verdict.white.kind));
    text.push_back('\t');
    append_cell(text, describe_judgement(verdict.white, names.white, header.white, verdict.moves.sides[0],
                                         header, lists));
    text.push_back('\t');
    text.append(kind_name(verdict.black.kind));
    text.push_back('\t');
    append_cell(text, describe_judgement(verdict.black, names.black, header.black, verdict.moves.sides[1],
                                         header, lists));
    text.push_back('\t');
    text.append(output_file_names[static_cast<std::size_t>(verdict.output)]);
    text.push_back('\n');
    out.games.push_back({game, line, at, text.size() - at});
}

bool open_explain_report(explain_report& report, int fd, const std::string& path, failure_list& failures,
                         const std::vector<std::string>& inputs) {
    report = explain_report{};
    report.fd = fd;
    report.path = path;
    if (inputs.size() > 1) report.inputs = inputs;
    report.pending.append(numbering_columns);
    report.pending.append(explain_columns);
    if (!report.inputs.empty()) report.pending.append(input_column);
    report.pending.push_back('\n');
    write_pending(report, failures, true);
    return !report.failed;
}

bool write_explained(explain_report& report, const explained_chunk& chunk, std::size_t input,
                     std::uint64_t lines, std::uint64_t games, failure_list& failures) {
    if (input != report.current_input) {
        report.current_input = input;
        report.lines_before = 0;
    }
    const std::string* shown = report.inputs.empty() ? nullptr : &report.inputs[input];
    if (!report.failed) append_lines(report.pending, chunk, report.games_written, report.lines_before, shown);
    write_pending(report, failures, false);
    report.games_written += games;
    report.lines_before += lines;
    return !report.failed;
}

bool close_explain_report(explain_report& report, failure_list& failures) {
    if (report.fd < 0) return !report.failed;
    write_pending(report, failures, true);
    if (!close_file(report.fd)) report_failure(report, failures, errno);
    report.fd = -1;
    return !report.failed;
}

}  // namespace gs
