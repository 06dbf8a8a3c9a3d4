// How the workers share the run.
//
// Every worker loops: read the next chunk (holding reading_lock), sort it (holding nothing), put it in
// its slot of done[] and write every chunk that is next in input order (holding state.lock only while it
// looks at done[] and the counters; the bytes are written with no lock held).
//
// Locks and their order. reading_lock guards the chunk_reader (where reading stands in the inputs); it
// is held for the reading of one chunk, and while it is held state.lock may be taken (to take a free
// chunk or number the chunk). state.lock guards everything else in pipeline_state; it is never held while
// reading_lock is taken, so the two cannot deadlock.
//
// Order. Chunks are numbered in the order they are read (sequence), under reading_lock, so the numbers
// follow the input. Only the thread that set `writing` writes, and it writes the chunk numbered
// `written` and then the next, so chunks reach the outputs in input order. A worker that puts a chunk in
// done[] while another writes leaves it there; the writer looks at done[] again under state.lock after
// every chunk, so a chunk is never left unwritten: either the writer finds it, or the worker that put it
// there finds `writing` clear and writes it itself.
//
// Slots. At most in_flight chunks exist, and the chunks waiting in done[] have sequences in
// [written, produced), fewer than in_flight numbers, so sequence % in_flight gives each its own slot.
//
// In flight. 2W+2 chunks for W workers: each worker sorts one, the reader holds the chunk it fills and
// the carried start of the next, and the rest let fast workers run ahead of a slow chunk without waiting.
// The reader waits for a free chunk only while other chunks are being sorted or wait to be written; the
// chunk numbered `written` is then being sorted by a worker that is not reading (a reading worker holds
// no sorted chunk), or waits in done[] for the writer, which frees it: reading always goes on.
//
// Stopping. A failed write, a read error or a raised stop signal sets `stopping` (and raises the signal):
// take_free returns nothing, so reading ends; the writer stops at the next chunk; a worker blocked in a
// read of a pipe wakes through the signal's descriptor (io/input.hpp). Every worker then leaves its loop,
// and the calling thread, itself a worker, joins the others.
#include "sort/pipeline.hpp"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <memory>
#include <mutex>
#include <string>
#include <system_error>
#include <thread>

#include "sort/chunker.hpp"
#include "text/messages.hpp"
#include "text/text.hpp"

namespace gs {

std::uint64_t games_of(const input_tally& tally) {
    std::uint64_t games = 0;
    for (const std::uint64_t n : tally.games)
        games += n;
    return games;
}

namespace {

// A chunk of one input and, once sorted, its results.
struct chunk {
    std::unique_ptr<char[]> data;
    std::size_t capacity = 0;
    std::size_t size = 0;
    std::size_t input = 0;              // which input the bytes come from
    bool ends_input = false;            // the last chunk of its input
    bool read_failed = false;           // the input failed after these bytes
    bool carriage_return_only = false;  // the first chunk of an input whose start has no line feed
    std::uint64_t text_end = 0;         // where the chunk ends in its input's text
    hash128 text_digest;                // of the input's text up to there (only when checkpoints are taken)
    std::uint64_t raw_done = 0;         // the input's file bytes read when the chunk was read
    std::uint64_t sequence = 0;
    chunk_result result;
};

void reserve(chunk& c, std::size_t capacity) {
    if (c.capacity >= capacity) return;
    auto bigger = std::make_unique_for_overwrite<char[]>(capacity);
    if (c.size > 0) std::memcpy(bigger.get(), c.data.get(), c.size);
    c.data = std::move(bigger);
    c.capacity = capacity;
}

// A first-in, first-out queue of chunk pointers over a fixed array, so that passing chunks around
// allocates nothing.
struct chunk_queue {
    std::vector<chunk*> items;
    std::size_t head = 0;
    std::size_t count = 0;
    bool empty() const { return count == 0; }
    void push_back(chunk* c) {
        items[(head + count) % items.size()] = c;
        ++count;
    }
    chunk* pop_front() {
        chunk* c = items[head];
        head = (head + 1) % items.size();
        --count;
        return c;
    }
};

struct pipeline_state {
    std::mutex reading_lock;  // see the comment at the top of this file for what each lock guards
    std::mutex lock;
    std::condition_variable free_ready;  // the reader: a chunk was given back, or the run stops
    std::vector<std::unique_ptr<chunk>> chunks;
    chunk_queue free;
    std::vector<chunk*> done;  // the sorted chunk of sequence s waits in done[s % size]
    std::uint64_t produced = 0;
    std::uint64_t written = 0;  // chunks written, in input order
    bool writing = false;       // a thread is writing chunks
    bool stopping = false;      // the run has failed or was stopped: everyone ends
    bool failed = false;
    stop_signal* stop = nullptr;
};

// What the writer keeps from chunk to chunk.
struct chunk_writer {
    outputs& outs;
    failure_list& failures;
    const std::function<void(std::string_view)>& warn;
    explain_report* report;
    unlisted_names* unlisted;
    run_counts& counts;
    const progress_callback& progress;
    const std::vector<input_stream>& inputs;
    std::size_t chunk_bytes;
    const pipeline_settings& settings;
    std::vector<iovec> vectors{};        // one output's pieces of the chunk being written
    std::uint64_t since_checkpoint = 0;  // text bytes written since the last checkpoint
    std::chrono::steady_clock::time_point last_checkpoint = std::chrono::steady_clock::now();
};

// Marks the run as failed and wakes everyone; the caller holds state.lock.
void stop_locked(pipeline_state& state) {
    state.failed = true;
    state.stopping = true;
    if (state.stop != nullptr) raise_stop(*state.stop);
    state.free_ready.notify_all();
}

chunk* take_free(pipeline_state& state) {
    std::unique_lock guard(state.lock);
    state.free_ready.wait(guard, [&] { return state.stopping || !state.free.empty(); });
    if (state.stopping) return nullptr;
    chunk* c = state.free.pop_front();
    c->size = 0;
    return c;
}

// True when the start of an input holds a carriage return but no line feed.
bool carriage_returns_only(std::string_view start) {
    start = start.substr(0, line_end_sniff_bytes);
    return start.find('\n') == std::string_view::npos && start.find('\r') != std::string_view::npos;
}

// Where reading stands between chunks; used by the worker that holds reading_lock.
struct chunk_reader {
    std::vector<input_stream>& inputs;
    std::size_t chunk_bytes;
    std::size_t input = 0;     // the input being read
    bool at_start = true;      // nothing of that input has been read yet
    bool first_chunk = true;   // no chunk of that input has been numbered yet
    chunk* carried = nullptr;  // the next chunk, holding the start of the game that the last cut carried over
    bool finished = false;     // every input is read, or one failed, or the run stopped
    bool digests = false;      // every chunk carries the digest of its input's text so far
    resume_point start{};      // of a resumed run: the text of start.input to skip
    std::uint64_t text_pos = 0;  // where the next chunk starts in its input's text
    content_hasher text_hash{};  // of the input's text before text_pos
    unsigned decoders_ahead = 0;
};

// Starts decompressing the compressed inputs that come next after the one whose reading begins, as many
// as are decoded ahead; each keeps its place in the order, and its failure, for when it is read.
void decode_next_inputs(chunk_reader& r) {
    unsigned started = 0;
    for (std::size_t i = r.input + 1; i < r.inputs.size() && started < r.decoders_ahead; ++i) {
        if (r.inputs[i].format == compression::none) continue;
        decode_ahead(r.inputs[i]);
        ++started;
    }
}

// Numbers a filled chunk, in input order, with what the writer and the sorter must know about its end,
// and adds its bytes to its input's text hash.
void number_chunk(pipeline_state& state, chunk_reader& r, chunk* c, bool ends_input, bool read_failed) {
    r.text_hash.add(c->data.get(), c->size);
    r.text_pos += c->size;
    c->text_end = r.text_pos;
    if (r.digests || ends_input) c->text_digest = r.text_hash.digest();
    c->raw_done = r.inputs[c->input].consumed->load(std::memory_order_relaxed);
    c->ends_input = ends_input;
    c->read_failed = read_failed;
    std::lock_guard guard(state.lock);
    c->sequence = state.produced++;
}

// Reads into c until it holds target bytes or the input ends or fails; the byte-order mark at the start
// of an input is taken off.
void fill_chunk(chunk_reader& r, input_stream& input, chunk* c, std::size_t target, bool& at_end,
                bool& failed) {
    at_end = false;
    failed = false;
    while (c->size < target) {
        reserve(*c, target);
        const ssize_t got = read_input(input, c->data.get() + c->size, target - c->size);
        if (got < 0) {
            failed = true;
            return;
        }
        if (got == 0) {
            at_end = true;
            return;
        }
        c->size += static_cast<std::size_t>(got);
        if (r.at_start && c->size >= byte_order_mark.size()) {
            const std::size_t mark = byte_order_mark_length(std::string_view(c->data.get(), c->size));
            std::memmove(c->data.get(), c->data.get() + mark, c->size - mark);
            c->size -= mark;
            r.at_start = false;
        }
    }
}

// A resumed run reads again, and hashes, the text of its first input that the stopped run sorted, which
// must be what it was. False when it is not (the input's damage says so) or the input failed.
bool skip_sorted_text(chunk_reader& r, input_stream& input, chunk* c) {
    while (r.text_pos < r.start.offset) {
        bool at_end = false;
        bool failed = false;
        c->size = 0;
        fill_chunk(r, input, c, r.chunk_bytes, at_end, failed);
        const std::size_t n =
            static_cast<std::size_t>(std::min<std::uint64_t>(c->size, r.start.offset - r.text_pos));
        r.text_hash.add(c->data.get(), n);
        r.text_pos += n;
        std::memmove(c->data.get(), c->data.get() + n, c->size - n);
        c->size -= n;
        if (failed) return false;
        if (at_end && r.text_pos < r.start.offset) break;
    }
    if (r.text_pos == r.start.offset && r.text_hash.digest() == r.start.digest) return true;
    input.failed = true;
    input.damage = msg_input_changed;
    return false;
}

// Reads the next chunk of the inputs, cut at the last game start in it (or the input's end), and numbers
// it; null when there is none: every input is read, an input failed, or the run stopped.
chunk* read_next_chunk(pipeline_state& state, chunk_reader& r) {
    if (r.finished || r.input >= r.inputs.size()) {
        r.finished = true;
        return nullptr;
    }
    chunk* c = r.carried;
    r.carried = nullptr;
    if (c == nullptr && (c = take_free(state)) == nullptr) {
        r.finished = true;
        return nullptr;
    }
    input_stream& input = r.inputs[r.input];
    if (r.first_chunk && r.text_pos == 0) {
        r.text_hash.reset();
        decode_next_inputs(r);
    }
    bool skipped = true;
    if (r.input == r.start.input && r.start.offset > 0 && r.first_chunk && r.text_pos == 0) {
        skipped = skip_sorted_text(r, input, c);
        r.first_chunk = r.text_pos == 0;
    }
    std::size_t target = std::max(r.chunk_bytes, c->size + 1);
    while (true) {
        bool at_end = false;
        bool failed = !skipped;
        if (skipped) fill_chunk(r, input, c, target, at_end, failed);
        c->input = r.input;
        // The first chunk of an input holds its start, up to the first cut, before anything is taken off.
        c->carriage_return_only =
            r.first_chunk && carriage_returns_only(std::string_view(c->data.get(), c->size));
        if (failed || at_end) {
            if (failed) {
                // Only whole lines before the damage are sorted, and no later input is read.
                const std::string_view bytes(c->data.get(), skipped ? c->size : 0);
                const std::size_t feed = bytes.rfind('\n');
                c->size = feed == std::string_view::npos ? 0 : feed + 1;
                r.finished = true;
            }
            close_input(input);
            number_chunk(state, r, c, true, failed);
            ++r.input;
            r.at_start = true;
            r.first_chunk = true;
            r.text_pos = 0;
            return c;
        }
        const std::size_t cut = find_last_game_start(std::string_view(c->data.get(), c->size));
        if (cut == 0) {
            target *= 2;  // no game starts after the first: the chunk grows until one does
            continue;
        }
        r.first_chunk = false;
        chunk* next = take_free(state);
        if (next == nullptr) {
            r.finished = true;
            return nullptr;
        }
        reserve(*next, std::max(r.chunk_bytes, c->size - cut));
        next->size = c->size - cut;
        std::memcpy(next->data.get(), c->data.get() + cut, next->size);
        c->size = cut;
        r.carried = next;
        number_chunk(state, r, c, false, false);
        return c;
    }
}

// A chunk that a huge game made large gives its memory back, so that the pool does not keep it.
void release_oversized(chunk& c, std::size_t chunk_bytes) {
    const std::size_t limit = 4 * chunk_bytes + (std::size_t{1} << 16);
    if (c.capacity > limit) {
        c.data.reset();
        c.capacity = 0;
    }
    if (c.result.own.capacity() > limit) std::string().swap(c.result.own);
    for (std::vector<output_piece>& pieces : c.result.pieces) {
        if (pieces.capacity() * sizeof(output_piece) > limit) std::vector<output_piece>().swap(pieces);
    }
}

// Where the pieces of one output of a sorted chunk lie, for a gathering write.
void gather_pieces(const chunk_result& result, const char* chunk_data, std::size_t index,
                   std::vector<iovec>& vectors) {
    vectors.clear();
    for (const output_piece& piece : result.pieces[index]) {
        const char* const base = piece.own ? result.own.data() : chunk_data;
        vectors.push_back({const_cast<char*>(base + piece.begin), piece.size});
    }
}

// Takes a checkpoint after chunk c when one is due: about every checkpoint_bytes of text or
// checkpoint_seconds, and at the end of an input (but the last) after a sixteenth of that or a second,
// so that a read error of a later input keeps the inputs before it, while many small inputs do not
// rewrite the journal after each. False when the checkpoint failed.
bool take_checkpoint_when_due(chunk_writer& w, const chunk& c) {
    if (!w.settings.checkpoint) return true;
    w.since_checkpoint += c.size;
    const auto now = std::chrono::steady_clock::now();
    const double seconds = std::chrono::duration<double>(now - w.last_checkpoint).count();
    const bool last_input = c.input + 1 >= w.inputs.size();
    const bool due =
        w.since_checkpoint >= w.settings.checkpoint_bytes || seconds >= w.settings.checkpoint_seconds ||
        (c.ends_input && (w.since_checkpoint >= w.settings.checkpoint_bytes / 16 || seconds >= 1));
    if (!due || (c.ends_input && last_input)) return true;
    checkpoint_at at;
    at.input = c.input;
    at.raw_done = c.raw_done;
    if (c.ends_input) {
        at.next.input = c.input + 1;
    } else {
        at.next = {c.input, c.text_end, c.text_digest};
    }
    w.since_checkpoint = 0;
    w.last_checkpoint = now;
    return w.settings.checkpoint(at, w.counts);
}

// Writes one sorted chunk: its messages, its outputs' pieces, its report lines and its read error, and
// counts it. True when the run must stop after it (a failed write, or the input failed after it).
bool write_chunk(chunk_writer& w, chunk& c) {
    const chunk_result& result = c.result;
    if (!result.messages.empty() && w.warn) w.warn(result.messages);
    bool written = true;
    std::uint64_t games = 0;
    for (std::size_t i = 0; i < output_count; ++i) {
        if (!result.pieces[i].empty()) {
            gather_pieces(result, c.data.get(), i, w.vectors);
            if (!write_output(w.outs, i, w.vectors, w.failures)) written = false;
        }
        w.counts.games[i] += result.games[i];
        w.counts.bytes[i] += result.bytes[i];
        games += result.games[i];
    }
    w.counts.input_bytes += c.size;
    if (w.counts.per_input.size() <= c.input) w.counts.per_input.resize(c.input + 1);
    input_tally& tally = w.counts.per_input[c.input];
    for (std::size_t i = 0; i < output_count; ++i) {
        tally.games[i] += result.games[i];
        tally.bytes[i] += result.bytes[i];
    }
    tally.text_bytes += c.size;
    if (c.ends_input && !c.read_failed) {
        tally.text_hash = c.text_digest;
        tally.ended = true;
    }
    if (c.carriage_return_only) w.counts.carriage_return_only.push_back(c.input);
    if (w.report != nullptr &&
        !write_explained(*w.report, result.explained, c.input, result.lines, games, w.failures))
        written = false;
    if (w.unlisted != nullptr) count_unlisted(*w.unlisted, result.unlisted);
    if (c.read_failed)
        w.failures.push_back(
            {msg_during_reading, w.inputs[c.input].path, {}, failure_reason(w.inputs[c.input])});
    if (w.progress) w.progress(w.counts);
    release_oversized(c, w.chunk_bytes);
    if (c.read_failed || !written) return true;
    return !take_checkpoint_when_due(w, c);
}

// Writes the sorted chunks that are next in input order, one after another, while they are there; the
// caller holds state.lock through guard, which is released while a chunk is written.
void write_ready_chunks(pipeline_state& state, chunk_writer& w, std::unique_lock<std::mutex>& guard) {
    if (state.writing) return;
    state.writing = true;
    while (!state.stopping) {
        const std::size_t slot = state.written % state.done.size();
        chunk* c = state.done[slot];
        if (c == nullptr || c->sequence != state.written) break;
        state.done[slot] = nullptr;
        guard.unlock();
        const bool stop = write_chunk(w, *c);
        guard.lock();
        state.free.push_back(c);
        ++state.written;
        state.free_ready.notify_one();
        if (stop) stop_locked(state);
    }
    state.writing = false;
}

void run_worker(pipeline_state& state, const name_lists& lists, const sort_settings& settings,
                chunk_reader& reader, chunk_writer& w) {
    chunk_sorter sorter;
    while (true) {
        chunk* c;
        {
            std::lock_guard reading(state.reading_lock);
            c = read_next_chunk(state, reader);
        }
        if (c == nullptr) return;
        sort_chunk(std::string_view(c->data.get(), c->size), c->ends_input, lists, settings, sorter,
                   c->result);
        std::unique_lock guard(state.lock);
        state.done[c->sequence % state.done.size()] = c;
        if (state.stop != nullptr && stop_raised(*state.stop) && !state.stopping) stop_locked(state);
        write_ready_chunks(state, w, guard);
    }
}

}  // namespace

bool sort_inputs(std::vector<input_stream>& inputs, const name_lists& lists, const sort_settings& settings,
                 const pipeline_settings& pipeline, outputs& outs, failure_list& failures,
                 explain_report* report, run_counts& counts, const progress_callback& progress) {
    const unsigned workers = std::max(1u, pipeline.threads);
    const std::size_t chunk_bytes = std::max<std::size_t>(1, pipeline.chunk_bytes);
    pipeline_state state;
    state.stop = pipeline.stop;
    const std::size_t in_flight = 2 * std::size_t{workers} + 2;
    state.free.items.assign(in_flight, nullptr);
    for (std::size_t i = 0; i < in_flight; ++i) {
        state.chunks.push_back(std::make_unique<chunk>());
        state.free.push_back(state.chunks.back().get());
    }
    state.done.assign(in_flight, nullptr);
    for (input_stream& input : inputs)
        watch_stop(input, pipeline.stop);
    if (pipeline.decoders_ahead > 0) {
        const std::shared_ptr<block_pool> pool = make_block_pool(decode_ahead_blocks);
        for (std::size_t i = 0; i < inputs.size(); ++i) {
            inputs[i].pool = pool;
            inputs[i].order = i;
        }
    }

    chunk_writer writer{outs,   failures, pipeline.warn, report,      pipeline.unlisted,
                        counts, progress, inputs,        chunk_bytes, pipeline};
    chunk_reader reading{inputs, chunk_bytes};
    reading.input = pipeline.start.input;
    reading.start = pipeline.start;
    reading.digests = static_cast<bool>(pipeline.checkpoint);
    reading.decoders_ahead = pipeline.decoders_ahead;
    std::vector<std::thread> helpers;
    for (unsigned i = 1; i < workers; ++i) {
        try {
            helpers.emplace_back(run_worker, std::ref(state), std::cref(lists), std::cref(settings),
                                 std::ref(reading), std::ref(writer));
        } catch (const std::system_error&) {
            break;  // the threads that started share the work
        }
    }
    run_worker(state, lists, settings, reading, writer);
    for (std::thread& t : helpers)
        t.join();
    if (state.stop != nullptr && stop_raised(*state.stop)) state.failed = true;
    return !state.failed;
}

}  // namespace gs
