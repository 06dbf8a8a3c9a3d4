#include "app/outputs.hpp"

#include <fcntl.h>
#include <unistd.h>
#include <cerrno>
#include <cstring>
#include <string>

namespace gs {
namespace {

constexpr std::string_view msg_cannot_open = "Error: During creating or opening file '";
constexpr std::string_view msg_cannot_write = "Error: During writing file '";
constexpr std::string_view msg_name_end = "'";

void report_failure(output_channel& channel, console& out) {
    if (channel.failed) return;
    channel.failed = true;
    print_line(out, msg_cannot_write, channel.name, msg_name_end);
}

bool write_all(int fd, const char* data, std::size_t size) {
    while (size > 0) {
        const ssize_t done = ::write(fd, data, size);
        if (done < 0 && errno == EINTR) continue;
        if (done <= 0) return false;
        data += done;
        size -= static_cast<std::size_t>(done);
    }
    return true;
}

bool flush_channel(output_channel& channel, console& out) {
    if (channel.failed) return false;
    const bool ok = write_all(channel.fd, channel.buffer.get(), channel.used);
    channel.used = 0;
    if (!ok) report_failure(channel, out);
    return ok;
}

}  // namespace

bool open_outputs(outputs& outs, console& out) {
    std::array<int, output_count> fds{};
    for (std::size_t i = 0; i < output_count; ++i) {
        const std::string name(output_file_names[i]);
        do {
            fds[i] = ::open(name.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0666);
        } while (fds[i] < 0 && errno == EINTR);
        if (fds[i] < 0) {
            print_line(out, msg_cannot_open, output_file_names[i], msg_name_end);
            for (std::size_t j = 0; j < i; ++j)
                ::close(fds[j]);
            return false;
        }
    }
    attach_outputs(outs, fds);
    return true;
}

void attach_outputs(outputs& outs, const std::array<int, output_count>& fds) {
    for (std::size_t i = 0; i < output_count; ++i) {
        output_channel& channel = outs.channels[i];
        channel.name = output_file_names[i];
        channel.fd = fds[i];
        channel.buffer = std::make_unique<char[]>(output_buffer_size);
        channel.used = 0;
        channel.failed = false;
    }
    outs.current = output_role::rest_vs_rest;
}

bool write_line(outputs& outs, std::string_view line, console& out) {
    output_channel& channel = outs.channels[static_cast<std::size_t>(outs.current)];
    if (channel.failed) return false;
    if (channel.used + line.size() + 1 > output_buffer_size) {
        if (!flush_channel(channel, out)) return false;
        if (line.size() + 1 > output_buffer_size) {
            // A line larger than the buffer goes out directly; only its newline is buffered.
            if (!write_all(channel.fd, line.data(), line.size())) {
                report_failure(channel, out);
                return false;
            }
            channel.buffer[channel.used++] = '\n';
            return true;
        }
    }
    if (!line.empty()) std::memcpy(channel.buffer.get() + channel.used, line.data(), line.size());
    channel.used += line.size();
    channel.buffer[channel.used++] = '\n';
    return true;
}

bool close_outputs(outputs& outs, console& out) {
    bool ok = true;
    for (output_channel& channel : outs.channels) {
        if (channel.fd < 0) continue;
        if (channel.used > 0) flush_channel(channel, out);
        if (::close(channel.fd) != 0) report_failure(channel, out);
        channel.fd = -1;
        if (channel.failed) ok = false;
    }
    return ok;
}

}  // namespace gs
