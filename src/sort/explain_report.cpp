#include "sort/explain_report.hpp"

#include <cerrno>
#include <cstdio>

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

void report_failure(explain_report& report, console& con) {
    if (report.failed) return;
    const int error = errno;
    report.failed = true;
    print_line(con, msg_cannot_write, report.path, msg_name_end);
    if (error != 0) print_line(con, msg_indent, reason_of(error));
}

bool write_lines(std::FILE* file, const explained_chunk& chunk, std::uint64_t games_before,
                 std::uint64_t lines_before, const std::string* input) {
    for (const explained_game& g : chunk.games) {
        const std::string_view text(chunk.text.data() + g.text_at, g.text_size);
        if (std::fprintf(file, "%llu\t%llu\t", static_cast<unsigned long long>(games_before + g.game),
                         static_cast<unsigned long long>(lines_before + g.line)) < 0) {
            return false;
        }
        if (input == nullptr) {
            if (std::fwrite(text.data(), 1, text.size(), file) != text.size()) return false;
            continue;
        }
        // The line without its line feed, then the input's cell.
        std::string cell(text.substr(0, text.size() - 1));
        cell.push_back('\t');
        append_cell(cell, *input);
        cell.push_back('\n');
        if (std::fwrite(cell.data(), 1, cell.size(), file) != cell.size()) return false;
    }
    return true;
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
    const player_names names = repaired_names(header);
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

bool open_explain_report(explain_report& report, int fd, const std::string& path, console& con,
                         const std::vector<std::string>& inputs) {
    report = explain_report{};
    report.path = path;
    if (inputs.size() > 1) report.inputs = inputs;
    report.file = fdopen(fd, "w");
    if (report.file == nullptr) {
        const int error = errno;
        close_file(fd);
        print_line(con, msg_cannot_create, path, msg_name_end);
        print_line(con, msg_indent, reason_of(error));
        return false;
    }
    std::string columns(numbering_columns);
    columns.append(explain_columns);
    if (!report.inputs.empty()) columns.append(input_column);
    columns.push_back('\n');
    if (std::fwrite(columns.data(), 1, columns.size(), report.file) != columns.size())
        report_failure(report, con);
    return true;
}

bool write_explained(explain_report& report, const explained_chunk& chunk, std::size_t input,
                     std::uint64_t lines, std::uint64_t games, console& con) {
    if (input != report.current_input) {
        report.current_input = input;
        report.lines_before = 0;
    }
    const std::string* shown = report.inputs.empty() ? nullptr : &report.inputs[input];
    if (!report.failed && !write_lines(report.file, chunk, report.games_written, report.lines_before, shown))
        report_failure(report, con);
    report.games_written += games;
    report.lines_before += lines;
    return !report.failed;
}

bool close_explain_report(explain_report& report, console& con) {
    if (report.file == nullptr) return !report.failed;
    const bool flushed = std::fflush(report.file) == 0 && !std::ferror(report.file);
    const bool closed = std::fclose(report.file) == 0;
    report.file = nullptr;
    if (!flushed || !closed) report_failure(report, con);
    return !report.failed;
}

}  // namespace gs
