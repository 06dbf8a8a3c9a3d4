#include "io/outputs.hpp"

#include <cerrno>

#include "text/messages.hpp"
#include "text/system_calls.hpp"

namespace gs {
namespace {

constexpr std::size_t packed_block = std::size_t{1} << 20;

void report_failure(output_channel& channel, failure_list& failures, std::string reason) {
    if (channel.failed) return;
    channel.failed = true;
    failures.push_back({msg_cannot_write, channel.path, msg_name_end, std::move(reason)});
}

void report_failure(output_channel& channel, failure_list& failures, int error) {
    report_failure(channel, failures, reason_of(error));
}

// A stop is no failure of an output: the run ends for it anyway, and says so.
bool stopped(const outputs& outs) {
    return outs.stop != nullptr && outs.stop->load();
}

encode_watch watch_of(const outputs& outs) {
    return {outs.stop, outs.waiting ? &outs.waiting : nullptr};
}

}  // namespace

bool open_outputs(outputs& outs, std::span<const int> fds, std::span<const std::string> paths,
                  failure_list& failures, const compress_setting& setting, unsigned threads) {
    outs.channels.clear();
    outs.channels.resize(paths.size());
    outs.setting = setting;
    outs.threads = threads;
    for (std::size_t i = 0; i < paths.size(); ++i) {
        output_channel& channel = outs.channels[i];
        channel.path = paths[i];
        channel.fd = fds[i];
        if (setting.format != compression::none && fds[i] >= 0) {
            channel.encoder = make_encoder(setting, threads);
            if (!channel.encoder) {
                failures.push_back(
                    {msg_cannot_create, paths[i], msg_name_end, std::string(msg_compressor_cannot_start)});
                for (int fd : fds) {
                    if (fd >= 0) close_file(fd);
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

bool write_output(outputs& outs, std::size_t index, std::string_view bytes, failure_list& failures) {
    iovec piece{const_cast<char*>(bytes.data()), bytes.size()};
    return write_output(outs, index, std::span(&piece, 1), failures);
}

bool write_output(outputs& outs, std::size_t index, std::span<iovec> pieces, failure_list& failures) {
    output_channel& channel = outs.channels[index];
    if (channel.fd < 0 && !channel.failed) return true;  // a dropped output
    if (channel.failed) return false;
    if (channel.encoder) {
        // Compressed bytes gather until there is a large block to write.
        if (!encode(*channel.encoder, pieces, channel.packed, watch_of(outs))) {
            // A stop is no failure of the output: the run ends for it anyway.
            if (!stopped(outs)) report_failure(channel, failures, std::string(msg_compressor_failed));
            channel.failed = true;
            return false;
        }
        if (channel.packed.size() >= packed_block && !write_all(channel.fd, channel.packed)) {
            report_failure(channel, failures, errno);
            return false;
        }
        if (channel.packed.size() >= packed_block) channel.packed.clear();
        return true;
    }
    if (!write_all(channel.fd, pieces)) {
        report_failure(channel, failures, errno);
        return false;
    }
    return true;
}

bool end_output_frames(outputs& outs, failure_list& failures, bool sync) {
    bool ok = true;
    for (output_channel& channel : outs.channels) {
        if (channel.encoder && channel.fd >= 0 && !channel.failed) {
            if (!finish_encoding(*channel.encoder, channel.packed, watch_of(outs))) {
                if (!stopped(outs)) report_failure(channel, failures, std::string(msg_compressor_failed));
                channel.failed = true;
            } else if (!write_all(channel.fd, channel.packed)) {
                report_failure(channel, failures, errno);
            } else {
                channel.packed.clear();
                channel.encoder = make_encoder(outs.setting, outs.threads);
                if (!channel.encoder)
                    report_failure(channel, failures, std::string(msg_compressor_cannot_start));
            }
        }
        if (sync && channel.fd >= 0 && !channel.failed && status_of(channel.fd).regular() &&
            !sync_file(channel.fd)) {
            report_failure(channel, failures, errno);
        }
        if (channel.failed) ok = false;
    }
    return ok;
}

bool close_outputs(outputs& outs, failure_list& failures, bool sync, bool finish) {
    bool ok = true;
    for (output_channel& channel : outs.channels) {
        if (channel.encoder && channel.fd >= 0 && !channel.failed) {
            if (!finish) {
                channel.failed = true;  // an unfinished frame is no output to keep
            } else if (!finish_encoding(*channel.encoder, channel.packed, watch_of(outs))) {
                if (!stopped(outs)) report_failure(channel, failures, std::string(msg_compressor_failed));
                channel.failed = true;
            } else if (!write_all(channel.fd, channel.packed)) {
                report_failure(channel, failures, errno);
            }
        }
        channel.encoder.reset();
        channel.packed.clear();
        if (sync && channel.fd >= 0 && !channel.failed && status_of(channel.fd).regular() &&
            !sync_file(channel.fd)) {
            report_failure(channel, failures, errno);
        }
        if (channel.fd >= 0 && !close_file(channel.fd)) report_failure(channel, failures, errno);
        channel.fd = -1;
        if (channel.failed) ok = false;
    }
    return ok;
}

}  // namespace gs
