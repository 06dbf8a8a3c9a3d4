#include "app/chunk_sorter.hpp"

#include <bit>
#include <cstring>

#include "header/tag_capture.hpp"
#include "text/text.hpp"

namespace gs {
namespace {

bool is_right_blank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

void append_line(std::string& file, std::string_view line) {
    // A huge line grows the buffer once to its size, not once for the line and again for its newline.
    if (file.capacity() < file.size() + line.size() + 1) file.reserve(file.size() + line.size() + 1);
    file.append(line);
    file.push_back('\n');
}

// Classifies the game whose tag section is complete, routes it and writes its held tag lines.
void end_header(chunk_sorter& sorter, const name_lists& lists, const sort_settings& settings,
                chunk_result& result) {
    const game_header& header = sorter.header;
    classify_game(header, lists, settings.classify, sorter.scratch, sorter.verdict);
    sorter.current = sorter.verdict.output;
    sorter.in_header = false;
    const auto index = static_cast<std::size_t>(sorter.current);
    std::string& file = result.files[index];
    if (sorter.section_whole) {
        file.append(sorter.section_begin, sorter.section_end);
    } else {
        for (std::size_t i = 0; i < held_count(header.held); ++i)
            append_line(file, held_line(header.held, i));
    }
    ++result.games[index];
    if (settings.explain != nullptr) {
        const std::size_t at = result.explain_text.size();
        settings.explain(header, sorter.verdict, lists, result.explain_text);
        result.explained.push_back({sorter.games, sorter.game_line, at, result.explain_text.size() - at});
    }
}

// The full treatment of a line that may touch the tag section: a tag line, a line that ends a tag
// section, or a blank line inside one. line is trimmed at the right; next is where the following line
// starts in the input, when the line was not trimmed and ends in a line feed, and null otherwise.
void process_slow_line(std::string_view line, const char* next, std::uint64_t number, const name_lists& lists,
                       const sort_settings& settings, chunk_sorter& sorter, chunk_result& result) {
    // A blank line inside a tag section is dropped; a tag line after it no longer follows the section.
    if (sorter.in_header && line.empty()) return;
    if (is_tag_line(line)) {
        if (!sorter.in_header) {
            clear_game_header(sorter.header);
            sorter.current = output_role::rest_vs_rest;
            sorter.in_header = true;
            ++sorter.games;
            sorter.game_line = number;
            sorter.section_begin = line.data();
            sorter.section_end = line.data();
            sorter.section_whole = true;
        }
        if (capture_if_kept(line, sorter.header)) {
            hold_line(sorter.header.held, line);
            if (next != nullptr && line.data() == sorter.section_end) {
                sorter.section_end = next;
            } else {
                sorter.section_whole = false;
            }
        } else {
            sorter.tag_line.assign(line);
            handle_tag_line(sorter.tag_line, sorter.header, result.messages);
            hold_rewritten_line(sorter.header.held, sorter.tag_line);
            sorter.section_whole = false;
        }
        return;
    }
    if (sorter.in_header) end_header(sorter, lists, settings, result);
    append_line(result.files[static_cast<std::size_t>(sorter.current)], line);
}

}  // namespace

void clear_chunk_result(chunk_result& result) {
    for (std::string& file : result.files)
        file.clear();
    result.games = {};
    result.messages.clear();
    result.explained.clear();
    result.explain_text.clear();
}

void sort_chunk(std::string_view bytes, bool ends_input, const name_lists& lists, const sort_settings& settings,
                chunk_sorter& sorter, chunk_result& result) {
    clear_chunk_result(result);
    sorter.in_header = false;
    sorter.current = output_role::rest_vs_rest;
    sorter.games = 0;
    sorter.header.held.input = bytes.data();

    const char* const begin = bytes.data();
    const char* const end = begin + bytes.size();
    // Lines that go out exactly as they stand (no trailing blank, no tag section involved) gather into a
    // run that is copied to the current output in one go.
    const char* run = begin;
    std::uint64_t number = 0;
    const auto flush_run = [&](const char* upto) {
        if (upto > run) result.files[static_cast<std::size_t>(sorter.current)].append(run, upto);
    };
    // One line, [line_begin, line_end), followed by a line feed unless it is the last of an input.
    const auto handle = [&](const char* line_begin, const char* line_end, bool has_feed) {
        ++number;
        const bool may_be_tag = line_end > line_begin && *line_begin == '[';
        const bool trimmed = line_end == line_begin || !is_right_blank(line_end[-1]);
        if (!sorter.in_header && !may_be_tag && trimmed && has_feed) return;
        flush_run(line_begin);
        const std::string_view line =
            trimmed_right(std::string_view(line_begin, static_cast<std::size_t>(line_end - line_begin)));
        if (!sorter.in_header && !may_be_tag) {
            append_line(result.files[static_cast<std::size_t>(sorter.current)], line);
        } else {
            const char* const next = has_feed && trimmed ? line_end + 1 : nullptr;
            process_slow_line(line, next, number, lists, settings, sorter, result);
        }
        run = has_feed ? line_end + 1 : line_end;
    };

    // The line feeds are found a block of 64 bytes at a time, as a bit mask, rather than by a search per line.
    const char* line_begin = begin;
    const char* scanned = begin;
    for (; end - scanned >= 64; scanned += 64) {
        for (std::uint64_t mask = line_feed_mask(scanned); mask != 0; mask &= mask - 1) {
            const char* const feed = scanned + std::countr_zero(mask);
            handle(line_begin, feed, true);
            line_begin = feed + 1;
        }
    }
    while (scanned < end) {
        const auto* feed = static_cast<const char*>(std::memchr(scanned, '\n', static_cast<std::size_t>(end - scanned)));
        if (feed == nullptr) break;
        handle(line_begin, feed, true);
        line_begin = feed + 1;
        scanned = feed + 1;
    }
    if (line_begin < end) handle(line_begin, end, false);
    flush_run(end);
    result.lines = number;
    if (ends_input && sorter.in_header) end_header(sorter, lists, settings, result);
}

}  // namespace gs
