#include "io/outputs.hpp"

#include <fcntl.h>
#include <unistd.h>

#include "text/messages.hpp"
#include "text/system_calls.hpp"

namespace gs {
namespace {

void report_failure(output_channel& channel, console& con) {
    if (channel.failed) return;
    channel.failed = true;
    print_line(con, msg_cannot_write, channel.path, msg_name_end);
}

}  // namespace

bool open_outputs(outputs& outs, std::span<const std::string> paths, console& con) {
    std::vector<int> fds(paths.size(), -1);
    for (std::size_t i = 0; i < paths.size(); ++i) {
        fds[i] = open_file(paths[i].c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0666);
        if (fds[i] == -1) {
            print_line(con, msg_cannot_create, paths[i], msg_name_end);
            for (std::size_t j = 0; j < i; ++j)
                ::close(fds[j]);
            return false;
        }
    }
    outs.channels.assign(paths.size(), {});
    for (std::size_t i = 0; i < paths.size(); ++i)
        outs.channels[i] = {paths[i], fds[i], false};
    return true;
}

void attach_outputs(outputs& outs, std::span<const int> fds, std::span<const std::string_view> names) {
    outs.channels.assign(fds.size(), {});
    for (std::size_t i = 0; i < fds.size(); ++i)
        outs.channels[i] = {std::string(names[i]), fds[i], false};
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
