#include "app/pipeline.hpp"

#include <algorithm>
#include <condition_variable>
#include <cstring>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "app/chunker.hpp"
#include "text/line_reader.hpp"
#include "text/messages.hpp"

namespace gs {
namespace {

constexpr std::string_view msg_cannot_write_report = "Error: During writing file '";

// A chunk of one input and, once sorted, its results.
struct chunk {
    std::unique_ptr<char[]> data;
    std::size_t capacity = 0;
    std::size_t size = 0;
    std::size_t input = 0;     // which input the bytes come from
    bool ends_input = false;   // the last chunk of its input
    bool read_failed = false;  // the input failed after these bytes
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

// The state the reader, the workers and the writer share, under one lock (reading has its own).
struct pipeline_state {
    std::mutex lock;
    // One condition a party waits on, so that a change wakes only those it concerns.
    std::condition_variable free_ready;  // the reader: a chunk was given back
    std::condition_variable work_ready;  // the workers: a chunk was read, or the reader finished
    // The writer: a chunk was sorted, all are written, or the run stopped.
    std::condition_variable done_ready;
    std::vector<std::unique_ptr<chunk>> chunks;
    chunk_queue free;
    chunk_queue work;
    std::vector<chunk*> done;  // the sorted chunk of sequence s waits in done[s % size]
    std::uint64_t produced = 0;
    std::uint64_t written = 0;  // chunks written, in input order
    bool reader_finished = false;
    // The workers read the input and write the sorted chunks in turn, rather than a reader thread and a
    // writer thread; a worker reads while it holds reading_lock.
    bool workers_io = false;
    std::mutex reading_lock;
    bool writing = false;   // a thread is writing chunks
    bool stopping = false;  // the run has failed: everyone ends
    bool failed = false;
};

// What the writer keeps from chunk to chunk: the outputs and the report, and the counts that number the
// report's games and lines.
struct chunk_writer {
    outputs& outs;
    console& con;
    explain_report* report;
    run_counts& counts;
    const progress_callback& progress;
    const std::vector<input_stream>& inputs;
    std::size_t chunk_bytes;
    std::vector<iovec> vectors;  // one output's pieces of the chunk being written
    std::uint64_t games_written = 0;
    std::uint64_t lines_before = 0;
    std::size_t current_input = 0;
};

chunk* take_free(pipeline_state& state) {
    std::unique_lock guard(state.lock);
    state.free_ready.wait(guard, [&] { return state.stopping || !state.free.empty(); });
    if (state.stopping) return nullptr;
    chunk* c = state.free.pop_front();
    c->size = 0;
    return c;
}

// Numbers a filled chunk, in input order, with what the writer and the sorter must know about its end.
void number_chunk(pipeline_state& state, chunk* c, bool ends_input, bool read_failed) {
    c->ends_input = ends_input;
    c->read_failed = read_failed;
    std::lock_guard guard(state.lock);
    c->sequence = state.produced++;
}

// Where reading stands between chunks; used by one thread at a time (the reader thread, or a worker that
// holds the reading lock).
struct chunk_reader {
    std::vector<input_stream>& inputs;
    std::size_t chunk_bytes;
    std::size_t input = 0;     // the input being read
    bool at_start = true;      // nothing of that input has been read yet
    chunk* carried = nullptr;  // the next chunk, holding the start of the game that the last cut carried over
    bool finished = false;     // every input is read, or one failed, or the run stopped
};

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
    std::size_t target = std::max(r.chunk_bytes, c->size + 1);
    while (true) {
        bool at_end = false;
        bool failed = false;
        while (c->size < target) {
            reserve(*c, target);
            const ssize_t got = read_input(input, c->data.get() + c->size, target - c->size);
            if (got < 0) {
                failed = true;
                break;
            }
            if (got == 0) {
                at_end = true;
                break;
            }
            c->size += static_cast<std::size_t>(got);
            if (r.at_start && c->size >= byte_order_mark.size()) {
                if (std::string_view(c->data.get(), c->size).starts_with(byte_order_mark)) {
                    std::memmove(c->data.get(), c->data.get() + 3, c->size - 3);
                    c->size -= 3;
                }
                r.at_start = false;
            }
        }
        c->input = r.input;
        if (failed || at_end) {
            if (failed) {
                // Only whole lines before the damage are sorted, and no later input is read.
                const std::string_view bytes(c->data.get(), c->size);
                const std::size_t feed = bytes.rfind('\n');
                c->size = feed == std::string_view::npos ? 0 : feed + 1;
                r.finished = true;
            }
            close_input(input);
            ++r.input;
            r.at_start = true;
            number_chunk(state, c, true, failed);
            return c;
        }
        const std::size_t cut = find_last_game_start(std::string_view(c->data.get(), c->size));
        if (cut == 0) {
            target *= 2;  // no game starts after the first: the chunk grows until one does
            continue;
        }
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
        number_chunk(state, c, false, false);
        return c;
    }
}

// Tells the workers and the writer that no chunk follows.
void finish_reading(pipeline_state& state) {
    {
        std::lock_guard guard(state.lock);
        state.reader_finished = true;
    }
    state.work_ready.notify_all();
    state.done_ready.notify_all();
}

// The reader thread: reads every chunk and hands it to the workers.
void run_reader(pipeline_state& state, chunk_reader& reader) {
    while (chunk* c = read_next_chunk(state, reader)) {
        {
            std::lock_guard guard(state.lock);
            state.work.push_back(c);
        }
        state.work_ready.notify_one();
    }
    finish_reading(state);
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

// Writes the explanation report lines of a chunk, numbering its games and lines.
bool write_explained(std::FILE* file, const chunk_result& result, std::uint64_t games_before,
                     std::uint64_t lines_before) {
    for (const explained_game& g : result.explained) {
        const std::string_view text(result.explain_text.data() + g.text_at, g.text_size);
        if (std::fprintf(file, "%llu\t%llu\t", static_cast<unsigned long long>(games_before + g.game),
                         static_cast<unsigned long long>(lines_before + g.line)) < 0) {
            return false;
        }
        if (std::fwrite(text.data(), 1, text.size(), file) != text.size()) return false;
    }
    return true;
}

// Writes one sorted chunk: its messages, its outputs' pieces, its report lines and its read error, and
// counts it. True when the run must stop after it (a failed write, or the input failed after it).
bool write_chunk(chunk_writer& w, chunk& c) {
    const chunk_result& result = c.result;
    if (!result.messages.empty()) print_text(w.con, result.messages);
    bool written = true;
    for (std::size_t i = 0; i < output_count; ++i) {
        if (!result.pieces[i].empty()) {
            gather_pieces(result, c.data.get(), i, w.vectors);
            if (!write_output(w.outs, i, w.vectors, w.con)) written = false;
        }
        w.counts.games[i] += result.games[i];
        w.counts.bytes[i] += result.bytes[i];
    }
    w.counts.input_bytes += c.size;
    if (c.input != w.current_input) {
        w.current_input = c.input;
        w.lines_before = 0;
    }
    if (w.report != nullptr && !write_explained(w.report->file, result, w.games_written, w.lines_before)) {
        w.report->failed = true;
        print_line(w.con, msg_cannot_write_report, w.report->path, "'");
        written = false;
    }
    for (std::uint64_t g : result.games)
        w.games_written += g;
    w.lines_before += result.lines;
    if (c.read_failed) print_line(w.con, msg_during_reading, w.inputs[c.input].path);
    if (w.progress) w.progress(w.counts);
    release_oversized(c, w.chunk_bytes);
    return c.read_failed || !written;
}

// Writes the sorted chunks that are next in input order, one after another, while they are there; the
// caller holds the lock through guard, which is released while a chunk is written. Only one thread
// writes at a time: another that finds the writing taken leaves its chunk for the writer to find.
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
        if (stop) {
            state.failed = true;
            state.stopping = true;
        }
        state.free_ready.notify_one();
    }
    state.writing = false;
    if (state.stopping || (state.reader_finished && state.written == state.produced))
        state.done_ready.notify_all();
}

bool next_chunk_sorted(const pipeline_state& state) {
    const chunk* c = state.done[state.written % state.done.size()];
    return c != nullptr && c->sequence == state.written;
}

bool all_written(const pipeline_state& state) {
    return state.reader_finished && state.written == state.produced && !state.writing;
}

// Takes the next chunk to sort: from the reader thread, or, when the workers read, read by this worker
// while it holds the reading lock. Null when no chunk follows, or the run stopped.
chunk* next_chunk_to_sort(pipeline_state& state, chunk_reader& reader) {
    if (state.workers_io) {
        chunk* c;
        {
            std::lock_guard reading(state.reading_lock);
            c = read_next_chunk(state, reader);
        }
        if (c == nullptr) finish_reading(state);
        return c;
    }
    std::unique_lock guard(state.lock);
    state.work_ready.wait(guard,
                          [&] { return state.stopping || !state.work.empty() || state.reader_finished; });
    if (state.stopping || state.work.empty()) return nullptr;
    return state.work.pop_front();
}

void run_worker(pipeline_state& state, const name_lists& lists, const sort_settings& settings,
                chunk_reader& reader, chunk_writer& w) {
    chunk_sorter sorter;
    while (chunk* c = next_chunk_to_sort(state, reader)) {
        sort_chunk(std::string_view(c->data.get(), c->size), c->ends_input, lists, settings, sorter,
                   c->result);
        std::unique_lock guard(state.lock);
        state.done[c->sequence % state.done.size()] = c;
        if (state.workers_io) {
            write_ready_chunks(state, w, guard);
        } else {
            guard.unlock();
            state.done_ready.notify_one();
        }
    }
}

}  // namespace

bool sort_inputs(std::vector<input_stream>& inputs, const name_lists& lists, const sort_settings& settings,
                 const pipeline_settings& pipeline, outputs& outs, console& con, explain_report* report,
                 run_counts& counts, const progress_callback& progress) {
    const unsigned workers = std::max(1u, pipeline.threads);
    const std::size_t chunk_bytes = std::max<std::size_t>(1, pipeline.chunk_bytes);
    pipeline_state state;
    const std::size_t in_flight = 2 * std::size_t{workers} + 2;
    state.free.items.assign(in_flight, nullptr);
    state.work.items.assign(in_flight, nullptr);
    for (std::size_t i = 0; i < in_flight; ++i) {
        state.chunks.push_back(std::make_unique<chunk>());
        state.free.push_back(state.chunks.back().get());
    }
    state.done.assign(in_flight, nullptr);

    // A reader thread and a writer thread of their own pay while a core would otherwise be idle, and when
    // an input must be decompressed (work enough for a thread of its own); otherwise they would only
    // take cores from the workers, so the workers read and write in turn.
    const bool compressed = std::any_of(
        inputs.begin(), inputs.end(), [](const input_stream& in) { return in.format != compression::none; });
    state.workers_io = pipeline.io == io_mode::workers || (pipeline.io == io_mode::automatic && !compressed &&
                                                           workers >= std::thread::hardware_concurrency());
    chunk_writer writer{outs, con, report, counts, progress, inputs, chunk_bytes, {}, 0, 0, 0};
    chunk_reader reading{inputs, chunk_bytes};
    std::thread reader;
    if (!state.workers_io) reader = std::thread(run_reader, std::ref(state), std::ref(reading));
    std::vector<std::thread> sorters;
    for (unsigned i = 0; i < workers; ++i)
        sorters.emplace_back(run_worker, std::ref(state), std::cref(lists), std::cref(settings),
                             std::ref(reading), std::ref(writer));
    bool ok;
    {
        // The calling thread is the writer, or, when the workers write, waits for them to finish.
        std::unique_lock guard(state.lock);
        while (true) {
            state.done_ready.wait(guard, [&] {
                return state.stopping || all_written(state) ||
                       (!state.workers_io && next_chunk_sorted(state));
            });
            if (state.stopping || all_written(state)) break;
            write_ready_chunks(state, writer, guard);
        }
        ok = !state.failed;
    }
    {
        std::lock_guard guard(state.lock);
        state.stopping = true;
    }
    state.free_ready.notify_all();
    state.work_ready.notify_all();
    if (reader.joinable()) reader.join();
    for (std::thread& t : sorters)
        t.join();
    return ok;
}

}  // namespace gs
