#include "app/ledger_run.hpp"

#include <fcntl.h>

#include "app/guard.hpp"
#include "classify/game.hpp"
#include "text/messages.hpp"
#include "text/system_calls.hpp"
#include "text/text.hpp"

namespace gs {
namespace {

static_assert(ledger_outputs == output_count, "a ledger line counts the games of every output");

void say_sorted_before(const std::string& input, const ledger_entry& earlier, const std::string& dir,
                       console& con) {
    print_line(con, msg_error, input,
               std::string(msg_already_sorted) + shown_dir(dir) + std::string(msg_already_sorted_on) +
                   earlier.when + std::string(msg_already_sorted_as) + earlier.input);
    print_line(con, msg_again_hint);
}

void say_same_games(const std::string& input, const std::string& earlier, console& con) {
    print_line(con, msg_error, input,
               std::string(msg_same_games) + earlier + std::string(msg_same_games_end));
    print_line(con, msg_again_hint);
}

}  // namespace

std::vector<std::optional<hash128>> quick_hashes_of(const std::vector<input_stream>& inputs) {
    std::vector<std::optional<hash128>> quick(inputs.size());
    for (std::size_t i = 0; i < inputs.size(); ++i) {
        // A regular file's size is known (input.size is 0 for anything else and for an empty file).
        if (inputs[i].fd >= 0 && inputs[i].size > 0) quick[i] = quick_hash_of(inputs[i].fd, inputs[i].size);
    }
    return quick;
}

bool refuse_known_files(std::span<const ledger_entry> ledger, const std::vector<input_stream>& inputs,
                        std::span<const std::optional<hash128>> quick, const std::string& dir, console& con) {
    std::vector<std::optional<hash128>> whole(inputs.size());
    const auto whole_of = [&](std::size_t i) {
        if (!whole[i]) whole[i] = whole_hash_of(inputs[i].fd, inputs[i].size);
        return whole[i];
    };
    for (std::size_t i = 0; i < inputs.size(); ++i) {
        if (!quick[i]) continue;
        for (const ledger_entry& entry : ledger) {
            if (entry.quick != quick[i] || entry.raw_size != inputs[i].size) continue;
            if (whole_of(i) == entry.raw_hash) {
                say_sorted_before(inputs[i].path, entry, dir, con);
                return false;
            }
        }
        for (std::size_t j = 0; j < i; ++j) {
            if (quick[j] != quick[i] || inputs[j].size != inputs[i].size) continue;
            if (whole_of(i) && whole_of(i) == whole_of(j)) {
                say_same_games(inputs[i].path, inputs[j].path, con);
                return false;
            }
        }
    }
    return true;
}

std::vector<ledger_entry> ledger_entries_of(const std::vector<input_stream>& inputs, const run_counts& counts,
                                            std::span<const std::optional<hash128>> quick, std::size_t first,
                                            std::size_t last, const std::string& when) {
    std::vector<ledger_entry> entries;
    for (std::size_t i = first; i < last && i < counts.per_input.size(); ++i) {
        const input_tally& tally = counts.per_input[i];
        const input_stream& input = inputs[i];
        ledger_entry entry;
        entry.when = when;
        entry.input = input.path;
        entry.raw_size = input.consumed->load();
        entry.text_size = tally.text_bytes;
        entry.text_hash = tally.text_hash;
        // Without a byte-order mark and compression the bytes read are the text.
        entry.raw_hash = input.hash_raw ? input.raw_hash.digest() : tally.text_hash;
        entry.quick = quick[i];
        entry.games = tally.games;
        entry.bytes = tally.bytes;
        entries.push_back(std::move(entry));
    }
    return entries;
}

bool refuse_sorted_entries(std::span<const ledger_entry> ledger, std::span<const ledger_entry> fresh,
                           const std::string& dir, console& con) {
    const auto same = [](const ledger_entry& a, const ledger_entry& b) {
        return a.raw_hash == b.raw_hash || a.text_hash == b.text_hash;
    };
    for (std::size_t i = 0; i < fresh.size(); ++i) {
        // Sorting an empty input twice adds nothing.
        if (fresh[i].text_size == 0) continue;
        for (const ledger_entry& entry : ledger) {
            if (entry.text_size != 0 && same(entry, fresh[i])) {
                say_sorted_before(fresh[i].input, entry, dir, con);
                return false;
            }
        }
        for (std::size_t j = 0; j < i; ++j) {
            if (same(fresh[j], fresh[i])) {
                say_same_games(fresh[i].input, fresh[j].input, con);
                return false;
            }
        }
    }
    return true;
}

void say_ledger_damaged(const std::string& path, const std::string& why, console& con) {
    print_line(con, msg_ledger_damaged, path, std::string(msg_ledger_damaged_end) + why);
    print_line(con, msg_ledger_aside, path + " " + path, msg_ledger_aside_end);
}

int print_ledger(const run_options& options, console& con) {
    const std::string dir = shown_dir(options.output_dir);
    const int dir_fd = open_file(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir_fd < 0) {
        print_line(con, msg_during_reading, dir);
        print_line(con, msg_indent, reason_of(errno));
        return status_failed;
    }
    std::vector<ledger_entry> entries;
    const ledger_found found = read_ledger(dir_fd, entries);
    close_file(dir_fd);
    const std::string path = join_path(options.output_dir, std::string(ledger_file_name));
    switch (found.state) {
        case ledger_read::none:
            print_line(con, msg_no_ledger, dir, msg_no_ledger_end);
            return status_ok;
        case ledger_read::damaged:
            say_ledger_damaged(path, found.why, con);
            return status_failed;
        case ledger_read::read:
            break;
    }
    print_line(con, msg_ledger_head);
    std::string line;
    for (const ledger_entry& entry : entries) {
        line = entry.when + '\t' + escape_field(entry.input);
        for (const std::uint64_t games : entry.games)
            line += '\t' + std::to_string(games);
        print_line(con, line);
    }
    return con.failed ? status_failed : status_ok;
}

}  // namespace gs
