#include "app/progress.hpp"

#include <unistd.h>

#include <string>

#include "text/messages.hpp"

namespace gs {
namespace {

constexpr auto redraw_interval = std::chrono::milliseconds(250);
constexpr double bytes_per_megabyte = 1e6;
constexpr std::string_view erase_line = "\r\x1b[K";

double megabytes_per_second(std::uint64_t bytes, double seconds) {
    return seconds > 0 ? static_cast<double>(bytes) / bytes_per_megabyte / seconds : 0.0;
}

}  // namespace

progress_meter start_progress(std::FILE* stream, bool wanted) {
    progress_meter meter;
    meter.started = std::chrono::steady_clock::now();
    meter.last_shown = meter.started;
    if (wanted && stream != nullptr && ::isatty(::fileno(stream)) == 1) meter.stream = stream;
    return meter;
}

double elapsed_seconds(const progress_meter& meter) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - meter.started).count();
}

void show_progress(progress_meter& meter, std::uint64_t bytes_done) {
    if (meter.stream == nullptr) return;
    const auto now = std::chrono::steady_clock::now();
    if (now - meter.last_shown < redraw_interval) return;
    meter.last_shown = now;
    const double seconds = elapsed_seconds(meter);
    std::fprintf(meter.stream, "%s%.1f MB sorted, %.1f MB/s, %.1f s", erase_line.data(),
                 static_cast<double>(bytes_done) / bytes_per_megabyte,
                 megabytes_per_second(bytes_done, seconds), seconds);
    std::fflush(meter.stream);
    meter.shown = true;
}

void end_progress(progress_meter& meter) {
    if (meter.stream == nullptr || !meter.shown) return;
    std::fputs(erase_line.data(), meter.stream);
    std::fflush(meter.stream);
}

void print_summary(console& con, const outputs& outs, const run_counts& counts, double seconds,
                   const std::vector<std::string>& inputs) {
    char line[512];
    std::uint64_t games = 0;
    for (std::size_t i = 0; i < output_count; ++i) {
        games += counts.games[i];
        std::snprintf(line, sizeof line, "%-34s %10llu games %14llu bytes", outs.channels[i].path.c_str(),
                      static_cast<unsigned long long>(counts.games[i]),
                      static_cast<unsigned long long>(counts.bytes[i]));
        print_line(con, line);
    }
    std::snprintf(line, sizeof line, "%-34s %10llu games %14llu bytes read in %.2f s (%.1f MB/s)", "total",
                  static_cast<unsigned long long>(games), static_cast<unsigned long long>(counts.input_bytes),
                  seconds, megabytes_per_second(counts.input_bytes, seconds));
    print_line(con, line);
    for (std::size_t input : counts.carriage_return_only)
        print_line(con, msg_mac_line_ends, inputs[input], msg_mac_line_ends_end);
}

}  // namespace gs
