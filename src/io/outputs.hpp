// The files a run appends to.
//
// Each output is opened for appending (created when absent) and receives its bytes in large blocks: a
// chunk's pieces of an output in one gathering write (or a few, for very many pieces). Every write and
// close is checked: a failure prints "Error: During writing file '<path>'" once for that output and makes
// the run end with status 1.
#pragma once

#include <sys/uio.h>

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "io/encoder.hpp"
#include "text/console.hpp"

namespace gs {

struct output_channel {
    std::string path;  // as opened and shown in messages; empty for an output that is dropped
    int fd = -1;
    bool failed = false;  // a write or close failed and was reported
    encoder_ptr encoder;  // for a compressed output
    std::string packed;   // compressed bytes not yet written
};

struct outputs {
    std::vector<output_channel> channels;
    std::uint64_t writes = 0;
    std::uint64_t fail_at_write = 0;  // for tests: the write with this number (from 1) fails part-way
};

// Opens the files at paths, in order; an empty path stands for an output whose games are dropped, which
// is neither created nor touched. A FIFO is opened without waiting for a reader, so that one without a
// reader is an error rather than a hang. With a setting other than none, every output is compressed (zstd
// and xz with up to threads worker threads each). On failure prints "Error: During creating or opening
// file '<path>'", closes what it opened and returns false (the caller removes the files it created).
bool open_outputs(outputs& outs, std::span<const std::string> paths, console& con,
                  const compress_setting& setting = {}, unsigned threads = 1);

// The first two paths that name one file (by device and inode, so links are caught), if any.
struct same_pair {
    std::size_t first;
    std::size_t second;
};
std::optional<same_pair> find_same_file(std::span<const std::string> paths);

// Uses descriptors that the caller opened, shown by the given names, instead of files: for sorting in
// memory. close_outputs closes them.
void attach_outputs(outputs& outs, std::span<const int> fds, std::span<const std::string_view> names);

// Appends bytes to one output. False when that output has failed, now or before.
bool write_output(outputs& outs, std::size_t index, std::string_view bytes, console& con);
// Appends the bytes of the pieces, in order, to one output; the pieces are used up as they are written.
// False when that output has failed, now or before.
bool write_output(outputs& outs, std::size_t index, std::span<iovec> pieces, console& con);

// Ends every compressed output's frame, writes what is left, syncs the outputs that are files to the
// disk when sync is asked (a FIFO or a device cannot be), and closes every output in order, also after a
// failure of one of them. False when any output failed, now or before.
bool close_outputs(outputs& outs, console& con, bool sync = false);

}  // namespace gs
