#include "io/encoder.hpp"

#include <algorithm>
#include <charconv>
#include <chrono>
#include <cstdint>

namespace gs {
namespace {

constexpr std::size_t out_step = std::size_t{1} << 17;
// Input is handed to the library in slices this large, so that a step never takes long.
constexpr std::size_t in_slice = std::size_t{1} << 20;
constexpr auto waiting_interval = std::chrono::milliseconds(250);

}  // namespace

struct encoder {
    std::unique_ptr<format_encoder> pack;
    std::string staging;  // the pieces of one call, gathered so that the library is called once
    std::unique_ptr<char[]> scratch = std::make_unique_for_overwrite<char[]>(out_step);
};

void encoder_deleter::operator()(encoder* e) const {
    delete e;
}

bool parse_compress_setting(std::string_view text, compress_setting& setting) {
    const std::size_t colon = text.find(':');
    const format_info* format = format_named(text.substr(0, colon));
    if (format == nullptr) return false;
    setting.format = format->id;
    setting.level = format->default_level;
    if (colon == std::string_view::npos) return true;
    const std::string_view level = text.substr(colon + 1);
    int value = 0;
    const auto [at, fault] = std::from_chars(level.data(), level.data() + level.size(), value);
    if (fault != std::errc() || at != level.data() + level.size() || level.empty()) return false;
    if (value < format->lowest_level || value > format->highest_level) return false;
    setting.level = value;
    return true;
}

bool compress_level_range(std::string_view text, int& lowest, int& highest) {
    const format_info* format = format_named(text.substr(0, text.find(':')));
    if (format == nullptr) return false;
    lowest = format->lowest_level;
    highest = format->highest_level;
    return true;
}

std::string_view compressed_suffix(compression format) {
    const format_info* info = format_of(format);
    return info == nullptr ? std::string_view() : info->suffix;
}

encoder_ptr make_encoder(const compress_setting& setting, unsigned threads) {
    const format_info* info = format_of(setting.format);
    if (info == nullptr) return nullptr;
    encoder_ptr e(new encoder);
    e->pack = info->make_encoder(setting.level, threads);
    if (!e->pack) return nullptr;
    return e;
}

namespace {

// Runs the format's steps over in (all of it is taken) until it is taken and, when ending, until the
// library has given everything out; between steps, looks at the stop and calls the waiting hook.
bool step(encoder& e, const char* in, std::size_t in_size, bool end, std::string& out,
          const encode_watch& watch) {
    auto last_call = std::chrono::steady_clock::now();
    while (true) {
        if (watch.stop != nullptr && watch.stop->load(std::memory_order_relaxed)) return false;
        if (watch.waiting != nullptr && *watch.waiting) {
            const auto now = std::chrono::steady_clock::now();
            if (now - last_call >= waiting_interval) {
                (*watch.waiting)();
                last_call = now;
            }
        }
        const pack_result result = e.pack->step(in, in_size, end, e.scratch.get(), out_step);
        if (result.failed) return false;
        out.append(e.scratch.get(), result.made);
        in += result.taken;
        in_size -= result.taken;
        if (result.done && in_size == 0) return true;
    }
}

}  // namespace

bool encode(encoder& e, std::span<const iovec> pieces, std::string& out, const encode_watch& watch) {
    e.staging.clear();
    for (const iovec& piece : pieces)
        e.staging.append(static_cast<const char*>(piece.iov_base), piece.iov_len);
    const char* bytes = e.staging.data();
    std::size_t left = e.staging.size();
    while (left > 0) {
        const std::size_t n = std::min(left, in_slice);
        if (!step(e, bytes, n, false, out, watch)) return false;
        bytes += n;
        left -= n;
    }
    return true;
}

bool finish_encoding(encoder& e, std::string& out, const encode_watch& watch) {
    return step(e, nullptr, 0, true, out, watch);
}

}  // namespace gs
