#include "sort/chunk_sorter.hpp"

#include <bit>
#include <cstring>

#include "header/tag_capture.hpp"
#include "text/text.hpp"

namespace gs {
namespace {

// A line that sorting changed is copied into the result's own bytes up to this length; a longer one is
// written from the chunk, followed by its line feed from the own bytes.
constexpr std::size_t longest_copied_line = 256;

void add_piece(chunk_result& result, std::size_t index, bool own, std::size_t begin, std::size_t size) {
    std::vector<output_piece>& pieces = result.pieces[index];
    result.bytes[index] += size;
    // A piece that continues the output's last piece where it lies joins it.
    if (!pieces.empty() && pieces.back().own == own && pieces.back().begin + pieces.back().size == begin) {
        pieces.back().size += size;
    } else {
        pieces.push_back({own, begin, size});
    }
}

// Writes the bytes [from, to) of the chunk as they stand.
void put_input(chunk_result& result, std::size_t role, const char* chunk, const char* from, const char* to) {
    if (to > from) {
        add_piece(result, role, false, static_cast<std::size_t>(from - chunk),
                  static_cast<std::size_t>(to - from));
    }
}

// Writes text, which lies elsewhere, through the own bytes.
void put_copy(chunk_result& result, std::size_t role, std::string_view text) {
    if (text.empty()) return;
    const std::size_t at = result.own.size();
    result.own.append(text);
    add_piece(result, role, true, at, text.size());
}

// Writes a line of the chunk that lost its trailing blanks (or its line feed, at the end of an input),
// and a line feed.
void put_line(chunk_result& result, std::size_t role, const char* chunk, std::string_view line) {
    if (line.size() > longest_copied_line) {
        put_input(result, role, chunk, line.data(), line.data() + line.size());
    } else {
        put_copy(result, role, line);
    }
    put_copy(result, role, "\n");
}

// Counts a routed game and records its report line.
void count_game(chunk_sorter& sorter, const name_lists& lists, const sort_settings& settings,
                chunk_result& result) {
    ++result.games[sorter.current];
    if (settings.explain)
        explain_game(sorter.header, sorter.verdict, lists, sorter.games, sorter.game_line, result.explained);
    if (settings.unlisted) record_unlisted(sorter.header, sorter.verdict, result.unlisted);
}

// Routes the game that awaited its moves, which end at movetext_end: what was held back of it goes to
// its output, in order, and so does the rest of the game.
[[gnu::noinline]] void finish_awaiting(chunk_sorter& sorter, const char* movetext_end,
                                       const name_lists& lists, const sort_settings& settings,
                                       chunk_result& result) {
    sorter.awaiting_moves = false;
    const std::string_view movetext(sorter.movetext_begin,
                                    static_cast<std::size_t>(movetext_end - sorter.movetext_begin));
    finish_game(sorter.header, lists, settings.classify, movetext, sorter.verdict);
    sorter.current = static_cast<std::size_t>(sorter.verdict.output);
    for (const output_piece& piece : result.pieces[held_back])
        add_piece(result, sorter.current, piece.own, piece.begin, piece.size);
    result.pieces[held_back].clear();
    result.bytes[held_back] = 0;
    count_game(sorter, lists, settings, result);
}

// Classifies the game whose tag section is complete, routes it and writes its held tag lines. Its movetext
// begins at movetext_begin (the end of the chunk when the game ends in its tags).
void end_header(chunk_sorter& sorter, const char* movetext_begin, const name_lists& lists,
                const sort_settings& settings, chunk_result& result) {
    const game_header& header = sorter.header;
    classify_game(header, lists, settings.classify, sorter.scratch, sorter.verdict);
    sorter.awaiting_moves = sorter.verdict.awaits_moves;
    sorter.movetext_begin = movetext_begin;
    sorter.current = sorter.awaiting_moves ? held_back : static_cast<std::size_t>(sorter.verdict.output);
    sorter.in_header = false;
    const char* const chunk = header.held.input;
    if (sorter.section_whole) {
        put_input(result, sorter.current, chunk, sorter.section_begin, sorter.section_end);
    } else {
        // Some of these lines were rewritten, and the others need not follow each other in the chunk:
        // each is copied with its line feed.
        for (std::size_t i = 0; i < held_count(header.held); ++i) {
            put_copy(result, sorter.current, held_line(header.held, i));
            put_copy(result, sorter.current, "\n");
        }
    }
    if (!sorter.awaiting_moves) count_game(sorter, lists, settings, result);
}

// Whether line holds a backslash. Backslashes are rare, so the chunk is searched for the next one only
// when a line reaches past the last one found: the searches never overlap, and the whole chunk is
// searched at most once, in long runs, rather than line by line.
bool line_has_backslash(chunk_sorter& sorter, std::string_view line) {
    const char* const begin = line.data();
    const char* const end = begin + line.size();
    if (sorter.next_backslash != nullptr) {
        if (sorter.next_backslash >= end) return false;
        if (sorter.next_backslash >= begin) return true;
    }
    const auto* found = static_cast<const char*>(
        std::memchr(begin, '\\', static_cast<std::size_t>(sorter.chunk_end - begin)));
    sorter.next_backslash = found != nullptr ? found : sorter.chunk_end;
    return sorter.next_backslash < end;
}

// Ends the tag section's run as one piece of the input: its lines so far, which follow each other each
// with its line feed, are held one by one from now on (while the run lasts, none is held on its own).
void break_section(chunk_sorter& sorter) {
    if (!sorter.section_whole) return;
    sorter.section_whole = false;
    const char* line = sorter.section_begin;
    while (line < sorter.section_end) {
        const auto* feed = static_cast<const char*>(
            std::memchr(line, '\n', static_cast<std::size_t>(sorter.section_end - line)));
        hold_line(sorter.header.held, std::string_view(line, static_cast<std::size_t>(feed - line)));
        line = feed + 1;
    }
}

// Holds a tag line that tag treatment rewrites, in its rewritten form; rare, so kept out of the hot path.
[[gnu::noinline]] void hold_rewritten(std::string_view line, chunk_sorter& sorter, chunk_result& result) {
    break_section(sorter);
    sorter.tag_line.assign(line);
    handle_tag_line(sorter.tag_line, sorter.header, result.messages);
    hold_rewritten_line(sorter.header.held, sorter.tag_line);
}

// Captures and holds a tag line, which starts a tag section unless one is being read; false, with
// nothing done, when line is no tag line. next is as for process_slow_line.
[[gnu::always_inline]] inline bool take_tag_line(std::string_view line, const char* next,
                                                 std::uint64_t number, const name_lists& lists,
                                                 const sort_settings& settings, chunk_sorter& sorter,
                                                 chunk_result& result) {
    tag_head head;
    if (!read_tag_head(line, head)) return false;
    if (!sorter.in_header) {
        if (sorter.awaiting_moves) finish_awaiting(sorter, line.data(), lists, settings, result);
        clear_game_header(sorter.header);
        sorter.current = static_cast<std::size_t>(output_role::rest_vs_rest);
        sorter.in_header = true;
        ++sorter.games;
        sorter.game_line = number;
        sorter.section_begin = line.data();
        sorter.section_end = line.data();
        sorter.section_whole = true;
    }
    if (!capture_if_kept(line, head, line_has_backslash(sorter, line), sorter.header)) {
        hold_rewritten(line, sorter, result);
    } else if (sorter.section_whole && next != nullptr && line.data() == sorter.section_end) {
        sorter.section_end = next;
    } else {
        break_section(sorter);
        hold_line(sorter.header.held, line);
    }
    return true;
}

// A line that is no tag line but needs more than to join the run: it ends a tag section, or it lost its
// trailing blanks. Out of the hot path, since it comes once a game.
[[gnu::noinline]] void put_other_line(std::string_view line, const char* next, const name_lists& lists,
                                      const sort_settings& settings, chunk_sorter& sorter,
                                      chunk_result& result) {
    if (sorter.in_header) end_header(sorter, line.data(), lists, settings, result);
    if (next != nullptr) {
        put_input(result, sorter.current, sorter.header.held.input, line.data(), next);  // as it stands
    } else {
        put_line(result, sorter.current, sorter.header.held.input, line);
    }
}

// The full treatment of a line that may touch the tag section: a tag line, a line that ends a tag
// section, or a blank line inside one. line is trimmed at the right; next is where the following line
// starts in the input, when the line was not trimmed and ends in a line feed, and null otherwise.
void process_slow_line(std::string_view line, const char* next, std::uint64_t number, const name_lists& lists,
                       const sort_settings& settings, chunk_sorter& sorter, chunk_result& result) {
    // A blank line inside a tag section is dropped; a tag line after it no longer follows the section.
    if (sorter.in_header && line.empty()) return;
    if (take_tag_line(line, next, number, lists, settings, sorter, result)) return;
    put_other_line(line, next, lists, settings, sorter, result);
}

}  // namespace

void clear_chunk_result(chunk_result& result) {
    for (std::vector<output_piece>& pieces : result.pieces)
        pieces.clear();
    result.bytes = {};
    result.own.clear();
    result.games = {};
    result.messages.clear();
    clear_explained(result.explained);
    clear_unlisted(result.unlisted);
}

std::string output_text(const chunk_result& result, std::string_view chunk, std::size_t index) {
    std::string text;
    for (const output_piece& piece : result.pieces[index])
        text.append((piece.own ? std::string_view(result.own) : chunk).substr(piece.begin, piece.size));
    return text;
}

void sort_chunk(std::string_view bytes, bool ends_input, const name_lists& lists,
                const sort_settings& settings, chunk_sorter& sorter, chunk_result& result) {
    clear_chunk_result(result);
    sorter.in_header = false;
    sorter.awaiting_moves = false;
    sorter.current = static_cast<std::size_t>(output_role::rest_vs_rest);
    sorter.games = 0;
    sorter.header.held.input = bytes.data();
    sorter.next_backslash = nullptr;
    sorter.chunk_end = bytes.data() + bytes.size();

    const char* const begin = bytes.data();
    const char* const end = begin + bytes.size();
    // Lines that go out exactly as they stand (no trailing blank, no tag section involved) gather into a
    // run that is copied to the current output in one go.
    const char* run = begin;
    std::uint64_t number = 0;
    const auto flush_run = [&](const char* upto) { put_input(result, sorter.current, begin, run, upto); };
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
            put_line(result, sorter.current, begin, line);
        } else {
            const char* const next = has_feed && trimmed ? line_end + 1 : nullptr;
            process_slow_line(line, next, number, lists, settings, sorter, result);
        }
        run = has_feed ? line_end + 1 : line_end;
    };

    // The line feeds are found a block of 64 bytes at a time, as a bit mask, rather than by a search per
    // line.
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
        const auto* feed =
            static_cast<const char*>(std::memchr(scanned, '\n', static_cast<std::size_t>(end - scanned)));
        if (feed == nullptr) break;
        handle(line_begin, feed, true);
        line_begin = feed + 1;
        scanned = feed + 1;
    }
    if (line_begin < end) handle(line_begin, end, false);
    flush_run(end);
    result.lines = number;
    if (ends_input && sorter.in_header) end_header(sorter, end, lists, settings, result);
    // A chunk ends where a game ends (at a game start, or at its input's end).
    if (sorter.awaiting_moves) finish_awaiting(sorter, end, lists, settings, result);
}

}  // namespace gs
