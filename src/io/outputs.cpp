#include "io/outputs.hpp"

#include <fcntl.h>
#include <unistd.h>

#include "text/messages.hpp"
#include "text/system_calls.hpp"

namespace gs {
namespace {

constexpr std::size_t packed_block = std::size_t{1} << 20;

void report_failure(output_channel& channel, console& con) {
    if (channel.failed) return;
    channel.failed = true;
    print_line(con, msg_cannot_write, channel.path, msg_name_end);
}

// Opens an output for appending; a FIFO without a reader fails at once (ENXIO) instead of waiting, and
// the descriptor then blocks as usual.
int open_output(const std::string& path) {
    const int fd = open_file(path.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC | O_NONBLOCK, 0666);
    if (fd < 0) return fd;
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags < 0 || ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

}  // namespace

std::optional<same_pair> find_same_file(std::span<const std::string> paths) {
    std::vector<file_identity> ids;
    for (const std::string& path : paths)
        ids.push_back(identity_of_path(path));
    for (std::size_t i = 0; i < ids.size(); ++i) {
        for (std::size_t j = i + 1; j < ids.size(); ++j) {
            if (same_file(ids[i], ids[j])) return same_pair{i, j};
        }
    }
    return std::nullopt;
}

bool open_outputs(outputs& outs, std::span<const std::string> paths, console& con,
                  const compress_setting& setting, unsigned threads) {
    std::vector<int> fds(paths.size(), -1);
    for (std::size_t i = 0; i < paths.size(); ++i) {
        if (paths[i].empty()) continue;
        fds[i] = open_output(paths[i]);
        if (fds[i] == -1) {
            print_line(con, msg_cannot_create, paths[i], msg_name_end);
            for (std::size_t j = 0; j < i; ++j)
                ::close(fds[j]);
            return false;
        }
    }
    outs.channels.clear();
    outs.channels.resize(paths.size());
    for (std::size_t i = 0; i < paths.size(); ++i) {
        output_channel& channel = outs.channels[i];
        channel.path = paths[i];
        channel.fd = fds[i];
        if (setting.format != compression::none && fds[i] >= 0) {
            channel.encoder = make_encoder(setting, threads);
            if (!channel.encoder) {
                print_line(con, msg_cannot_create, paths[i], msg_name_end);
                for (int fd : fds) {
                    if (fd >= 0) ::close(fd);
                }
                outs.channels.clear();
                return false;
            }
        }
    }
    return true;
}

void attach_outputs(outputs& outs, std::span<const int> fds, std::span<const std::string_view> names) {
    outs.channels.clear();
    outs.channels.resize(fds.size());
    for (std::size_t i = 0; i < fds.size(); ++i) {
        outs.channels[i].path = std::string(names[i]);
        outs.channels[i].fd = fds[i];
    }
}

bool write_output(outputs& outs, std::size_t index, std::string_view bytes, console& con) {
    iovec piece{const_cast<char*>(bytes.data()), bytes.size()};
    return write_output(outs, index, std::span(&piece, 1), con);
}

bool write_output(outputs& outs, std::size_t index, std::span<iovec> pieces, console& con) {
    output_channel& channel = outs.channels[index];
    if (channel.fd < 0 && !channel.failed) return true;  // a dropped output
    if (channel.failed) return false;
    if (++outs.writes == outs.fail_at_write) {
        // A disk that fills in the middle of a write: half of the first piece arrives.
        if (!pieces.empty())
            write_all(channel.fd,
                      std::string_view(static_cast<const char*>(pieces[0].iov_base), pieces[0].iov_len / 2));
        report_failure(channel, con);
        return false;
    }
    if (channel.encoder) {
        // Compressed bytes gather until there is a large block to write.
        if (!encode(*channel.encoder, pieces, channel.packed) ||
            (channel.packed.size() >= packed_block && !write_all(channel.fd, channel.packed))) {
            report_failure(channel, con);
            return false;
        }
        if (channel.packed.size() >= packed_block) channel.packed.clear();
        return true;
    }
    if (!write_all(channel.fd, pieces)) {
        report_failure(channel, con);
        return false;
    }
    return true;
}

bool close_outputs(outputs& outs, console& con, bool sync) {
    bool ok = true;
    for (output_channel& channel : outs.channels) {
        if (channel.encoder && channel.fd >= 0 && !channel.failed &&
            (!finish_encoding(*channel.encoder, channel.packed) || !write_all(channel.fd, channel.packed))) {
            report_failure(channel, con);
        }
        channel.encoder.reset();
        channel.packed.clear();
        if (sync && channel.fd >= 0 && !channel.failed && identity_of_fd(channel.fd).known &&
            ::fsync(channel.fd) != 0) {
            report_failure(channel, con);
        }
        if (channel.fd >= 0 && ::close(channel.fd) != 0) report_failure(channel, con);
        channel.fd = -1;
        if (channel.failed) ok = false;
    }
    return ok;
}

}  // namespace gs
