#include "app/outputs.hpp"

#include <fcntl.h>
#include <unistd.h>
#include <cerrno>
#include <climits>

namespace gs {
namespace {

constexpr std::string_view msg_cannot_open = "Error: During creating or opening file '";
constexpr std::string_view msg_cannot_write = "Error: During writing file '";
constexpr std::string_view msg_name_end = "'";

void report_failure(output_channel& channel, console& con) {
    if (channel.failed) return;
    channel.failed = true;
    print_line(con, msg_cannot_write, channel.path, msg_name_end);
}

// Writes every byte of the pieces, however many there are and however little each call takes.
bool write_all(int fd, std::span<iovec> pieces) {
    iovec* piece = pieces.data();
    std::size_t left = pieces.size();
    while (left > 0 && piece->iov_len == 0) {
        ++piece;
        --left;
    }
    while (left > 0) {
        const auto batch = static_cast<int>(std::min<std::size_t>(left, IOV_MAX));
        const ssize_t done = ::writev(fd, piece, batch);
        if (done < 0 && errno == EINTR) continue;
        if (done <= 0) return false;
        auto written = static_cast<std::size_t>(done);
        while (left > 0 && written >= piece->iov_len) {
            written -= piece->iov_len;
            ++piece;
            --left;
        }
        if (written > 0) {
            piece->iov_base = static_cast<char*>(piece->iov_base) + written;
            piece->iov_len -= written;
        }
        while (left > 0 && piece->iov_len == 0) {
            ++piece;
            --left;
        }
    }
    return true;
}

}  // namespace

std::array<std::string, output_count> output_paths(std::string_view dir) {
    std::array<std::string, output_count> paths;
    for (std::size_t i = 0; i < output_count; ++i) {
        if (!dir.empty()) {
            paths[i].assign(dir);
            if (!dir.ends_with('/')) paths[i].push_back('/');
        }
        paths[i].append(output_file_names[i]);
    }
    return paths;
}

bool open_outputs(outputs& outs, std::string_view dir, console& con) {
    const std::array<std::string, output_count> paths = output_paths(dir);
    std::array<int, output_count> fds{};
    for (std::size_t i = 0; i < output_count; ++i) {
        do {
            fds[i] = ::open(paths[i].c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0666);
        } while (fds[i] == -1 && errno == EINTR);
        if (fds[i] == -1) {
            print_line(con, msg_cannot_open, paths[i], msg_name_end);
            for (std::size_t j = 0; j < i; ++j)
                ::close(fds[j]);
            return false;
        }
    }
    attach_outputs(outs, fds);
    for (std::size_t i = 0; i < output_count; ++i)
        outs.channels[i].path = paths[i];
    return true;
}

void attach_outputs(outputs& outs, const std::array<int, output_count>& fds) {
    for (std::size_t i = 0; i < output_count; ++i) {
        output_channel& channel = outs.channels[i];
        channel.path.assign(output_file_names[i]);
        channel.fd = fds[i];
        channel.failed = false;
    }
}

bool write_output(outputs& outs, std::size_t index, std::string_view bytes, console& con) {
    iovec piece{const_cast<char*>(bytes.data()), bytes.size()};
    return write_output(outs, index, std::span(&piece, 1), con);
}

bool write_output(outputs& outs, std::size_t index, std::span<iovec> pieces, console& con) {
    output_channel& channel = outs.channels[index];
    if (channel.failed) return false;
    if (!write_all(channel.fd, pieces)) {
        report_failure(channel, con);
        return false;
    }
    return true;
}

bool close_outputs(outputs& outs, console& con) {
    bool ok = true;
    for (output_channel& channel : outs.channels) {
        if (channel.fd >= 0 && ::close(channel.fd) != 0) report_failure(channel, con);
        channel.fd = -1;
        if (channel.failed) ok = false;
    }
    return ok;
}

}  // namespace gs
