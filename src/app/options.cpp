#include "app/options.hpp"

#include <getopt.h>

#include <charconv>
#include <cstring>
#include <string_view>

#include "classify/game.hpp"
#include "text/messages.hpp"

namespace gs {
namespace {

// Long options without a short form.
enum : int {
    opt_check_lists = 1000,
    opt_explain,
    opt_player_tags,
    opt_recover,
    opt_sync,
    opt_only,
    opt_progress,
    opt_no_progress,
    opt_evidence,
    opt_unlisted,
    opt_again,
    opt_ledger,
    opt_resumable,
    opt_resume,
};

constexpr const char* short_options = ":l:o:sqj:z:hV";

const option long_options[] = {
    {"lists", required_argument, nullptr, 'l'},
    {"output-dir", required_argument, nullptr, 'o'},
    {"summary", no_argument, nullptr, 's'},
    {"quiet", no_argument, nullptr, 'q'},
    {"threads", required_argument, nullptr, 'j'},
    {"help", no_argument, nullptr, 'h'},
    {"version", no_argument, nullptr, 'V'},
    {"check-lists", no_argument, nullptr, opt_check_lists},
    {"explain", required_argument, nullptr, opt_explain},
    {"player-tags", no_argument, nullptr, opt_player_tags},
    {"evidence", optional_argument, nullptr, opt_evidence},
    {"unlisted", required_argument, nullptr, opt_unlisted},
    {"recover", no_argument, nullptr, opt_recover},
    {"again", no_argument, nullptr, opt_again},
    {"ledger", no_argument, nullptr, opt_ledger},
    {"resumable", no_argument, nullptr, opt_resumable},
    {"resume", no_argument, nullptr, opt_resume},
    {"compress", required_argument, nullptr, 'z'},
    {"only", required_argument, nullptr, opt_only},
    {"progress", no_argument, nullptr, opt_progress},
    {"no-progress", no_argument, nullptr, opt_no_progress},
    {"sync", no_argument, nullptr, opt_sync},
    {nullptr, 0, nullptr, 0},
};

template <typename number>
bool read_count(const char* text, number& value) {
    const char* end = text + std::strlen(text);
    const auto [at, fault] = std::from_chars(text, end, value);
    return fault == std::errc() && at == end && value > 0;
}

// The option that getopt_long just refused, as the user wrote it: a short option by its letter (it may
// stand in a cluster such as -sx), a long one by the argument it came in (without a value after '=').
std::string shown_option(const char* const* argv, int next) {
    if (optopt != 0) return std::string("-") + static_cast<char>(optopt);
    const std::string_view arg = argv[next - 1];
    return std::string(arg.substr(0, arg.find('=')));
}

}  // namespace

bool read_output_names(std::string_view text, std::uint8_t& bits) {
    bits = 0;
    while (true) {
        const std::size_t comma = text.find(',');
        const std::string_view name = text.substr(0, comma);
        std::size_t i = 0;
        while (i < output_count && output_file_names[i] != std::string(name) + ".pgn")
            ++i;
        if (i == output_count) return false;
        bits = static_cast<std::uint8_t>(bits | (1u << i));
        if (comma == std::string_view::npos) return true;
        text.remove_prefix(comma + 1);
    }
}

bool read_evidence_kinds(std::string_view text, evidence_options& evidence) {
    evidence = {};
    if (text.empty()) {
        evidence = {true, true, true};
        return true;
    }
    while (true) {
        const std::size_t comma = text.find(',');
        const std::string_view kind = text.substr(0, comma);
        if (kind == "moves") {
            evidence.moves = true;
        } else if (kind == "events") {
            evidence.events = true;
        } else if (kind == "tags") {
            evidence.tags = true;
        } else {
            return false;
        }
        if (comma == std::string_view::npos) return true;
        text.remove_prefix(comma + 1);
    }
}

std::optional<run_options> parse_options(int argc, const char* const* argv, std::string& error) {
    run_options options;
    for (int i = 1; i < argc; ++i)
        options.command_line.emplace_back(argv[i]);
    // getopt_long keeps its position in globals: start afresh, and print nothing itself.
    optind = 0;
    opterr = 0;
    char* const* args = const_cast<char* const*>(argv);
    const std::string see_help(msg_see_help);
    while (true) {
        const int c = getopt_long(argc, args, short_options, long_options, nullptr);
        if (c == -1) break;
        switch (c) {
            case 'l':
                options.lists_dir = optarg;
                break;
            case 'o':
                options.output_dir = optarg;
                break;
            case 's':
                options.summary = true;
                break;
            case 'q':
                options.quiet = true;
                break;
            case 'h':
                options.help = true;
                break;
            case 'V':
                options.version = true;
                break;
            case opt_check_lists:
                options.check_lists = true;
                break;
            case opt_explain:
                options.explain_path = optarg;
                break;
            case opt_player_tags:
                options.player_tags = true;
                break;
            case opt_evidence:
                if (!read_evidence_kinds(optarg != nullptr ? optarg : "", options.evidence)) {
                    error = std::string(msg_bad_evidence) + optarg + std::string(msg_name_end) + see_help;
                    return std::nullopt;
                }
                break;
            case opt_unlisted:
                options.unlisted_path = optarg;
                break;
            case opt_again:
                options.again = true;
                break;
            case opt_ledger:
                options.ledger = true;
                break;
            case opt_resumable:
                options.resumable = true;
                break;
            case opt_resume:
                options.resume = true;
                break;
            case opt_recover:
                options.recover = true;
                break;
            case opt_sync:
                options.sync = true;
                break;
            case 'z':
                options.compress = optarg;
                break;
            case opt_only:
                if (!read_output_names(optarg, options.only)) {
                    error = std::string(msg_bad_only) + optarg + std::string(msg_name_end) + see_help;
                    return std::nullopt;
                }
                break;
            case opt_progress:
                options.progress = 1;
                break;
            case opt_no_progress:
                options.progress = -1;
                break;
            case 'j':
                if (!read_count(optarg, options.threads)) {
                    error = std::string(msg_bad_threads) + optarg + std::string(msg_name_end) + see_help;
                    return std::nullopt;
                }
                if (options.threads > max_threads) {
                    error = std::string(msg_too_many_threads) + std::to_string(max_threads) + see_help;
                    return std::nullopt;
                }
                break;
            case ':':
                error = std::string(msg_option) + argv[optind - 1] + std::string(msg_needs_value) + see_help;
                return std::nullopt;
            default:
                error = std::string(msg_unknown_option) + shown_option(argv, optind) +
                        std::string(msg_name_end) + see_help;
                return std::nullopt;
        }
    }
    for (int i = optind; i < argc; ++i)
        options.inputs.emplace_back(argv[i]);
    return options;
}

}  // namespace gs
