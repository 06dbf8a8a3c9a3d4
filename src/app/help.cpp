#include "app/help.hpp"

#include <fcntl.h>

#include <unistd.h>

#include <array>
#include <filesystem>
#include <string_view>
#include <system_error>

#include "text/console.hpp"
#include "text/messages.hpp"
#include "text/system_calls.hpp"

#ifndef GAMESIEVE_VERSION
#define GAMESIEVE_VERSION "unknown"
#endif
#ifndef GAMESIEVE_CONFIGURED_LISTS_DIR
#define GAMESIEVE_CONFIGURED_LISTS_DIR "/usr/local/share/gamesieve/lists"
#endif
#ifndef GAMESIEVE_LISTS_SUBDIR
#define GAMESIEVE_LISTS_SUBDIR "share/gamesieve/lists"
#endif

namespace gs {
namespace {

constexpr std::string_view program_name = "gamesieve";
}  // namespace

std::string installed_lists_dir(const char* argv0) {
    std::string exe;
    if (!read_link("/proc/self/exe", exe)) {
        std::error_code error;
        exe = std::filesystem::absolute(argv0 != nullptr ? argv0 : "", error).string();
    }
    return (std::filesystem::path(exe).parent_path().parent_path() / GAMESIEVE_LISTS_SUBDIR)
        .lexically_normal()
        .string();
}

namespace {

// Where the lists are: installed beside the program, or (run from its build folder) where an
// installation to the configured prefix puts them.
struct lists_place {
    std::string dir;
    bool installed;
};

lists_place find_lists(const char* argv0) {
    const std::string installed = installed_lists_dir(argv0);
    if (status_at(AT_FDCWD, installed.c_str(), true).directory()) return {installed, true};
    return {GAMESIEVE_CONFIGURED_LISTS_DIR, false};
}

}  // namespace

std::string lists_dir_to_suggest(const char* argv0) {
    return find_lists(argv0).dir;
}

void print_help(console& con, const char* argv0) {
    const lists_place lists = find_lists(argv0);
    const std::string& installed = lists.dir;
    for (std::string_view line : msg_help_lines) {
        if (line == msg_help_lists_example) {
            print_line(con, msg_help_lists_example, installed, msg_help_lists_example_end);
        } else {
            print_line(con, line);
        }
    }
    if (lists.installed) {
        print_line(con, msg_help_lists_installed, installed, msg_help_lists_end);
    } else {
        print_line(con, msg_help_lists_configured, installed, msg_help_lists_end);
    }
}

void print_usage(console& con) {
    for (std::string_view line : msg_usage_lines)
        print_line(con, line);
}

void print_version(console& con) {
    print_line(con, program_name, " ", GAMESIEVE_VERSION);
}

}  // namespace gs
