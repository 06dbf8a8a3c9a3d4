// The files a run appends to.
//
// Each output receives its bytes in large blocks: a chunk's pieces of an output in one gathering write (or
// a few, for very many pieces). Every write and close is checked: a failure is recorded once for that
// output ("Error: During writing file '<path>'" and the system's reason) and makes the run end with
// status 1.
#pragma once

#include <sys/uio.h>

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "io/encoder.hpp"
#include "text/failure.hpp"

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
    // When raised, compression stops between its steps (about every quarter second) and fails.
    const std::atomic<bool>* stop = nullptr;
    // Called between compression steps, at most four times a second, while a slow compression runs.
    std::function<void()> waiting;
    compress_setting setting;  // of the compressed outputs
    unsigned threads = 1;      // that each compressed output's encoder may use
};

// Takes the descriptors of the opened outputs (-1 for an output whose games are dropped), shown by
// paths. With a setting other than none, every output is compressed (zstd and xz with up to threads
// worker threads each). When an encoder cannot start, records "Error: During creating or opening file
// '<path>'", closes every descriptor and returns false.
bool open_outputs(outputs& outs, std::span<const int> fds, std::span<const std::string> paths,
                  failure_list& failures, const compress_setting& setting = {}, unsigned threads = 1);

// Uses descriptors that the caller opened, shown by the given names, instead of files: for sorting in
// memory. close_outputs closes them.
void attach_outputs(outputs& outs, std::span<const int> fds, std::span<const std::string_view> names);

// Appends bytes to one output. False when that output has failed, now or before.
bool write_output(outputs& outs, std::size_t index, std::string_view bytes, failure_list& failures);
// Appends the bytes of the pieces, in order, to one output; the pieces are used up as they are written.
// False when that output has failed, now or before.
bool write_output(outputs& outs, std::size_t index, std::span<iovec> pieces, failure_list& failures);

// A checkpoint: ends every compressed output's frame (member, stream) and writes it, so that each output
// file is whole up to here and can be cut back to here; the next bytes start a new one. Syncs the output
// files when sync is asked. False when any output failed, now or before.
bool end_output_frames(outputs& outs, failure_list& failures, bool sync);

// Ends every compressed output's frame, writes what is left, syncs the outputs that are files to the
// disk when sync is asked (a FIFO or a device cannot be), and closes every output in order, also after a
// failure of one of them. False when any output failed, now or before.
bool close_outputs(outputs& outs, failure_list& failures, bool sync = false, bool finish = true);

}  // namespace gs
