#include "app/progress.hpp"

#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <string>

#include "text/messages.hpp"

namespace gs {
namespace {

constexpr auto redraw_interval = std::chrono::milliseconds(250);
constexpr double bytes_per_megabyte = 1e6;
constexpr unsigned default_width = 80;  // when the stream is no terminal (progress forced on)

double megabytes_per_second(std::uint64_t bytes, double seconds) {
    return seconds > 0 ? static_cast<double>(bytes) / bytes_per_megabyte / seconds : 0.0;
}

}  // namespace

progress_meter start_progress(std::FILE* stream, console& con, bool wanted, bool forced) {
    progress_meter meter;
    meter.con = &con;
    meter.started = std::chrono::steady_clock::now();
    meter.last_shown = meter.started;
    if (wanted && stream != nullptr && (forced || ::isatty(::fileno(stream)) == 1)) meter.stream = stream;
    return meter;
}

double elapsed_seconds(const progress_meter& meter) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - meter.started).count();
}

unsigned terminal_width(std::FILE* stream) {
    winsize size{};
    if (::ioctl(::fileno(stream), TIOCGWINSZ, &size) == 0 && size.ws_col > 0) return size.ws_col;
    return default_width;
}

std::string progress_line(std::uint64_t bytes_done, double seconds, std::uint64_t raw_done,
                          std::uint64_t raw_total, unsigned width) {
    char field[5][64];
    const auto put = [&](std::size_t i, const char* format, double value) {
        std::snprintf(field[i], sizeof field[i], format, value);
    };
    // The fields in the order they are shown; a narrow terminal loses MB/s first, then the bytes, then
    // the time, and keeps the share done and the time left (without them, the bytes, losing the time).
    enum { share_field, sorted_field, speed_field, time_field, left_field };
    const bool known = raw_total > 0 && raw_done <= raw_total;
    const double share = known ? static_cast<double>(raw_done) / static_cast<double>(raw_total) : 0;
    put(share_field, msg_progress_share, share * 100);
    put(sorted_field, msg_progress_sorted, static_cast<double>(bytes_done) / bytes_per_megabyte);
    put(speed_field, msg_progress_speed, megabytes_per_second(bytes_done, seconds));
    put(time_field, msg_progress_time, seconds);
    put(left_field, msg_progress_left, share > 0 ? seconds * (1 - share) / share : 0);
    std::array<bool, 5> shown = {known, true, true, true, known};
    const auto joined = [&] {
        std::string text;
        for (std::size_t i = 0; i < shown.size(); ++i) {
            if (!shown[i]) continue;
            if (!text.empty()) text.append(i == sorted_field && shown[share_field] ? " " : ", ");
            text.append(field[i]);
        }
        return text;
    };
    std::string text = joined();
    // One column short of the width, so that the cursor never wraps to a new line.
    const std::array<int, 3> drop_order = known ? std::array<int, 3>{speed_field, sorted_field, time_field}
                                                : std::array<int, 3>{speed_field, time_field, time_field};
    for (const int dropped : drop_order) {
        if (width == 0 || text.size() < width) break;
        shown[static_cast<std::size_t>(dropped)] = false;
        text = joined();
    }
    if (width > 0 && text.size() >= width) text.resize(width - 1);
    return text;
}

void show_progress(progress_meter& meter, std::uint64_t bytes_done, std::uint64_t raw_done,
                   std::uint64_t raw_total) {
    if (meter.stream == nullptr) return;
    const auto now = std::chrono::steady_clock::now();
    if (now - meter.last_shown < redraw_interval) return;
    meter.last_shown = now;
    show_status(
        *meter.con, meter.stream,
        progress_line(bytes_done, elapsed_seconds(meter), raw_done, raw_total, terminal_width(meter.stream)));
    meter.shown = true;
}

void end_progress(progress_meter& meter) {
    if (meter.stream == nullptr || !meter.shown) return;
    clear_status(*meter.con);
}

namespace {

const char* games_word(std::uint64_t games) {
    return games == 1 ? msg_summary_game : msg_summary_games;
}

}  // namespace

void print_summary(console& con, const outputs& outs, const run_counts& counts, double seconds,
                   const std::vector<std::string>& inputs) {
    char line[512];
    std::uint64_t games = 0;
    for (std::size_t i = 0; i < output_count; ++i) {
        games += counts.games[i];
        // A dropped output is shown by its file name, with what it would have received.
        const bool dropped = outs.channels[i].path.empty();
        const std::string shown = dropped ? std::string(output_file_names[i]) : outs.channels[i].path;
        std::snprintf(line, sizeof line, msg_summary_output, shown.c_str(),
                      static_cast<unsigned long long>(counts.games[i]), games_word(counts.games[i]),
                      static_cast<unsigned long long>(counts.bytes[i]), dropped ? msg_summary_dropped : "");
        print_line(con, line);
    }
    std::snprintf(line, sizeof line, msg_summary_total, msg_summary_total_name,
                  static_cast<unsigned long long>(games), games_word(games),
                  static_cast<unsigned long long>(counts.input_bytes), seconds,
                  megabytes_per_second(counts.input_bytes, seconds));
    print_line(con, line);
    for (std::size_t input : counts.carriage_return_only)
        print_line(con, msg_mac_line_ends, inputs[input], msg_mac_line_ends_end);
    // An input given by mistake (a README, a list file) holds no game: its text went to rest_vs_rest.pgn.
    for (std::size_t input = 0; input < inputs.size(); ++input) {
        if (input >= counts.per_input.size() || games_of(counts.per_input[input]) == 0)
            print_line(con, msg_no_game, inputs[input], msg_no_game_end);
    }
}

}  // namespace gs
