// Inputs and outputs: compression detection, reading an input, the outputs' writes and their failures,
// and the system-call helpers under them.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <climits>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>
#include <vector>

#include "app/say.hpp"
#include "classify/game.hpp"
#include "io/input.hpp"
#include "io/journal.hpp"
#include "io/ledger.hpp"
#include "io/outputs.hpp"
#include "io/restore.hpp"
#include "io/stop_signal.hpp"
#include "support/capture.hpp"
#include "text/file_faults.hpp"
#include "text/system_calls.hpp"

namespace gs {
namespace {

// The failures recorded, as the tool says them.
std::string said(const failure_list& failures) {
    testing::captured_console con;
    print_failures(con.con, failures);
    return con.text();
}

TEST(Outputs, AFailedCloseIsReportedOnceAndFailsTheRun) {
    failure_list failures;
    std::array<int, output_count> fds{};
    for (int& fd : fds)
        fd = ::memfd_create("output", 0);
    // A descriptor that is closed behind the outputs' back makes their close fail.
    ::close(fds[2]);
    outputs outs;
    attach_outputs(outs, fds, output_file_names);
    EXPECT_TRUE(write_output(outs, 0, "kept\n", failures));
    EXPECT_FALSE(close_outputs(outs, failures));
    EXPECT_EQ(said(failures), "Error: During writing file 'comp_vs_rest.pgn'\n  Bad file descriptor\n");
    EXPECT_FALSE(close_outputs(outs, failures));  // nothing is closed twice, nothing reported twice
    EXPECT_EQ(said(failures), "Error: During writing file 'comp_vs_rest.pgn'\n  Bad file descriptor\n");
}

TEST(Outputs, AFailedWriteIsReportedOnce) {
    failure_list failures;
    std::array<int, output_count> fds{};
    for (int& fd : fds)
        fd = ::memfd_create("output", 0);
    ::close(fds[1]);
    fds[1] = ::open("/dev/full", O_WRONLY);
    outputs outs;
    attach_outputs(outs, fds, output_file_names);
    EXPECT_FALSE(write_output(outs, 1, "lost\n", failures));
    EXPECT_FALSE(write_output(outs, 1, "lost\n", failures));
    EXPECT_TRUE(write_output(outs, 0, "kept\n", failures));
    EXPECT_FALSE(close_outputs(outs, failures));
    EXPECT_EQ(said(failures), "Error: During writing file 'comp_vs_human.pgn'\n  No space left on device\n");
}

// A chunk's pieces of an output are written with gathering writes of at most IOV_MAX pieces each.
TEST(Outputs, PiecesAreWrittenWholeAndInOrderHoweverManyThereAre) {
    failure_list failures;
    std::array<int, output_count> fds{};
    for (int& fd : fds)
        fd = ::memfd_create("output", 0);
    outputs outs;
    attach_outputs(outs, fds, output_file_names);
    std::string source, expected;
    for (int i = 0; i < 3 * IOV_MAX; ++i)
        source += std::to_string(i) + (i % 7 == 0 ? std::string(5000, '.') : "") + "\n";
    std::vector<iovec> pieces;
    std::size_t at = 0;
    for (std::size_t size = 0; at < source.size(); size = (size + 13) % 211) {
        const std::size_t take = std::min(size, source.size() - at);  // some pieces are empty
        pieces.push_back({source.data() + at, take});
        at += take;
    }
    ASSERT_GT(pieces.size(), std::size_t{2 * IOV_MAX});
    EXPECT_TRUE(write_output(outs, 2, pieces, failures));
    std::string written(source.size() + 1, '\0');
    EXPECT_EQ(::pread(fds[2], written.data(), written.size(), 0), static_cast<ssize_t>(source.size()));
    written.resize(source.size());
    EXPECT_TRUE(written == source);
    EXPECT_TRUE(close_outputs(outs, failures));
    EXPECT_TRUE(failures.empty());
}

std::string file_text(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

// A scratch directory, open by descriptor, removed with everything in it.
struct scratch_dir {
    std::string path;
    int fd = -1;
    scratch_dir() {
        char made[] = "/tmp/gs-journal-XXXXXX";
        if (::mkdtemp(made) != nullptr) path = made;
        fd = ::open(path.c_str(), O_RDONLY | O_DIRECTORY);
    }
    ~scratch_dir() {
        ::close(fd);
        std::filesystem::remove_all(path);
    }
    std::string at(const std::string& name) const { return path + "/" + name; }
};

const std::vector<std::string> journal_names = {"grown.pgn", "pipe.pgn", "new.pgn", "same.pgn"};

// A journal names each output's state before the run (a size, absent, or special: not a regular file),
// reads back as it was written, and --recover puts each state back its own way: a file cut back to its
// size, a created one removed, a special one left alone, the temporary report removed.
TEST(Journal, EveryStateIsWrittenReadBackAndRecovered) {
    scratch_dir dir;
    std::ofstream(dir.at("grown.pgn")) << "12345";
    ASSERT_EQ(::mkfifo(dir.at("pipe.pgn").c_str(), 0644), 0);
    run_journal journal;
    journal.outputs = {{"grown.pgn", journal_output::before::size, 5},
                       {"pipe.pgn", journal_output::before::special, 0},
                       {"new.pgn", journal_output::before::absent, 0}};
    journal.report = dir.at("why.tsv.gamesieve-partial");
    ASSERT_EQ(write_journal(journal, dir.fd, false), 0);
    EXPECT_EQ(file_text(dir.at(std::string(journal_file_name))),
              "gamesieve journal 1\noutput 5 grown.pgn\noutput special pipe.pgn\noutput absent new.pgn\n"
              "report " +
                  journal.report + "\n");

    run_journal read;
    ASSERT_EQ(read_journal(dir.fd, journal_names, read).state, journal_read::read);
    EXPECT_EQ(journal_text(read), journal_text(journal));

    std::ofstream(dir.at("grown.pgn"), std::ios::app) << "appended";
    std::ofstream(dir.at("new.pgn")) << "created";
    std::ofstream(journal.report) << "report";
    const auto steps = restore_named(read, dir.fd, true);
    ASSERT_EQ(steps.size(), 2u);
    EXPECT_EQ(steps[0].what, restore_step::result::cut);
    EXPECT_EQ(steps[0].bytes, 8u);
    EXPECT_EQ(steps[1].what, restore_step::result::removed);
    EXPECT_EQ(remove_report_temp(read.report).what, restore_step::result::removed);
    EXPECT_EQ(file_text(dir.at("grown.pgn")), "12345");
    EXPECT_FALSE(std::filesystem::exists(dir.at("new.pgn")));
    EXPECT_FALSE(std::filesystem::exists(journal.report));
    EXPECT_TRUE(std::filesystem::is_fifo(dir.at("pipe.pgn")));
    EXPECT_EQ(remove_journal(dir.fd, false), 0);
    EXPECT_EQ(remove_journal(dir.fd, false), 0) << "a journal already gone is removed";
    EXPECT_EQ(read_journal(dir.fd, journal_names, read).state, journal_read::none);
}

// A journal is believed only as far as a run could have written it: anything else is refused whole, with
// the reason, so that --recover cuts or removes nothing it names.
TEST(Journal, WhatARunCouldNotHaveWrittenIsRefused) {
    const std::string head = "gamesieve journal 1\n";
    const struct {
        std::string text;
        std::string why;
    } cases[] = {
        {head + "output 5 grown.pgn\nsomething else\n", "line 3 is not understood: something else"},
        {head + "output 5x grown.pgn\n", "has a size that is not one"},
        {head + "output 99999999999999999999 grown.pgn\n", "has a size that is not one"},
        {head + "output 0 notes.txt\n", "line 2 names a file that is not an output of gamesieve"},
        {head + "output absent ../thesis.tex\n", "not an output of gamesieve"},
        {head + "output 5 dir/grown.pgn\n", "not an output of gamesieve"},
        {head + std::string("output 0 grown.pgn\0junk\n", 25), "NUL"},
        {head + "output 5 grown.pgn\noutput absent grown.pgn\n", "names an output twice"},
        {head + "report /some/where/important.db\n", "line 2 is not understood"},
        {head + "report relative.tsv.gamesieve-partial\n", "is not understood"},
        {head + "report /a/../etc/x.gamesieve-partial\n", "is not understood"},
        {head + "report /dir/.gamesieve-partial\n", "is not understood"},
        {head + "output 5 grown.pgn", "cut short"},
        {"gamesieve journal 2\n", "is not a journal's first line"},
        {"", "empty"},
        {head + std::string(300, 'x') + "\n", "line 2 is not understood: " + std::string(100, 'x') + "..."},
        // A resumable run's part.
        {head + "output 5 grown.pgn\nresumable relative/dir\nargument a\ncheckpoint 0 0 - 0 -\n",
         "line 3 is not understood"},
        {head + "resumable /w\nargument a\n", "no command line or no checkpoint"},
        {head + "resumable /w\ncheckpoint 0 0 - 0 -\n", "no command line or no checkpoint"},
        {head + "resumable /w\nargument a\ncheckpoint 0 10 - 0 -\n", "line 4 is not a checkpoint"},
        {head + "resumable /w\nargument a\ncheckpoint 0 0 - 0 1001\n", "is not a checkpoint"},
        {head + "resumable /w\nargument a\ncheckpoint 0 0 - 0 -\ncheckpoint 0 0 - 0 -\n",
         "is not a checkpoint"},
        {head + "resumable /w\nargument a\ncheckpoint 0 0 - 0 -\nat 5 notes.txt\n",
         "not an output of the run"},
        {head + "output 5 grown.pgn\nresumable /w\nargument a\ncheckpoint 0 0 - 0 -\nat 5 grown.pgn\nat 6 "
                "grown.pgn\n",
         "not an output of the run"},
        {head + "resumable /w\nargument a\ncheckpoint 0 0 - 0 -\nargument b\n", "line 5 is not understood"},
        {head + "resumable /w\nargument a\ncheckpoint 0 0 - 0 -\ndone 2026\n", "is not a ledger's line"},
        {head + "resumable /w\nargument a\ncheckpoint 0 0 - 0 -\npartial 1,2,3 4,5,6,7,8\n",
         "not understood"},
        {head + "resumable /w\noutput 5 grown.pgn\n", "line 3 is not understood"},
    };
    for (const auto& c : cases) {
        run_journal read;
        const std::string why = parse_journal(c.text, journal_names, read);
        EXPECT_NE(why.find(c.why), std::string::npos) << c.text << " -> " << why;
        EXPECT_LE(why.size(), 160u);
    }
    // What a resumable run writes reads back as it was.
    run_journal resumable;
    resumable.outputs.push_back({"grown.pgn", journal_output::before::size, 5});
    journal_resume resume;
    resume.directory = "/home/a b\tc";
    resume.arguments = {"-o", "out dir", "--resumable", "in\n1.pgn"};
    resume.input = 3;
    resume.offset = 1234;
    resume.digest = hash_of("text");
    resume.games = 77;
    resume.per_mille = 1000;
    resume.sizes = {{"grown.pgn", 99}};
    resume.partial_games = {1, 2, 3, 4, 5};
    resume.done.resize(1);
    resume.done[0].when = "2026-12-10T01:02:03Z";
    resume.done[0].input = "a.pgn";
    resumable.resume = resume;
    run_journal back;
    ASSERT_EQ(parse_journal(journal_text(resumable), journal_names, back), "");
    ASSERT_TRUE(back.resume);
    EXPECT_EQ(back.resume->arguments, resume.arguments);
    EXPECT_EQ(back.resume->directory, resume.directory);
    EXPECT_EQ(journal_text(back), journal_text(resumable));

    // The journal itself must be this user's regular file of a journal's size; a FIFO is refused without
    // waiting for a writer.
    scratch_dir dir;
    const std::string journal = dir.at(std::string(journal_file_name));
    run_journal read;
    ASSERT_EQ(::symlink("/dev/zero", journal.c_str()), 0);
    EXPECT_NE(read_journal(dir.fd, journal_names, read).why.find("link"), std::string::npos);
    ::unlink(journal.c_str());
    ASSERT_EQ(::mkfifo(journal.c_str(), 0600), 0);
    EXPECT_EQ(read_journal(dir.fd, journal_names, read).why, "it is not a regular file");
    ::unlink(journal.c_str());
    std::ofstream(journal) << head << std::string(journal_max_bytes, '\n');
    EXPECT_NE(read_journal(dir.fd, journal_names, read).why.find("more than any journal"), std::string::npos);
}

// Faults planted through the file system's seam: a journal that cannot be written leaves nothing behind,
// one that cannot be removed says so, and a plan that is not one is refused.
TEST(Journal, FaultsThroughTheSeam) {
    scratch_dir dir;
    run_journal journal;
    journal.outputs = {{"grown.pgn", journal_output::before::absent, 0}};
    {
        faulty_file_system faults({{file_fault::kind::write, std::string(journal_temp_name), 1}});
        use_file_system(&faults);
        EXPECT_EQ(write_journal(journal, dir.fd, false), ENOSPC);
        use_file_system(nullptr);
    }
    EXPECT_TRUE(std::filesystem::is_empty(dir.path));
    ASSERT_EQ(write_journal(journal, dir.fd, false), 0);
    {
        faulty_file_system faults({{file_fault::kind::remove, std::string(journal_file_name), 0}});
        use_file_system(&faults);
        EXPECT_EQ(remove_journal(dir.fd, false), EACCES);
        use_file_system(nullptr);
    }
    EXPECT_EQ(remove_journal(dir.fd, false), 0);
    std::vector<file_fault> plan;
    EXPECT_TRUE(parse_fault_plan("write:7,read:g.pgn:3,remove:x,sync", plan));
    ASSERT_EQ(plan.size(), 4u);
    EXPECT_EQ(plan[1].name, "g.pgn");
    EXPECT_EQ(plan[1].nth, 3u);
    for (const char* bad : {"", "write:0", "read:5", "write:x:", "sync:1", "remove", "flood:1"})
        EXPECT_FALSE(parse_fault_plan(bad, plan)) << bad;
}

// A run rolls back what it opened, by descriptor: an output moved away is still cut back where it is, and
// a file it created that is no longer at its name is emptied, while what now has the name is left alone.
TEST(Journal, ARollBackFollowsTheFilesNotTheNames) {
    scratch_dir dir;
    std::ofstream(dir.at("grown.pgn")) << "12345";
    std::vector<held_output> held;
    held.push_back({"grown.pgn", ::open(dir.at("grown.pgn").c_str(), O_WRONLY | O_APPEND), false, true, 5});
    held.push_back(
        {"new.pgn", ::open(dir.at("new.pgn").c_str(), O_WRONLY | O_CREAT | O_EXCL, 0644), true, true, 0});
    held.push_back(
        {"same.pgn", ::open(dir.at("same.pgn").c_str(), O_WRONLY | O_CREAT | O_EXCL, 0644), true, true, 0});
    for (const held_output& out : held)
        ASSERT_TRUE(write_all(out.fd, "appended"));
    std::filesystem::rename(dir.at("grown.pgn"), dir.at("moved.pgn"));
    std::filesystem::rename(dir.at("new.pgn"), dir.at("away.pgn"));
    std::ofstream(dir.at("new.pgn")) << "someone else's";

    const auto steps = restore_held(held, dir.fd);
    ASSERT_EQ(steps.size(), 3u);
    EXPECT_EQ(steps[0].what, restore_step::result::cut);
    EXPECT_EQ(steps[1].what, restore_step::result::emptied);
    EXPECT_EQ(steps[2].what, restore_step::result::removed);
    EXPECT_EQ(file_text(dir.at("moved.pgn")), "12345");
    EXPECT_EQ(file_text(dir.at("away.pgn")), "");
    EXPECT_EQ(file_text(dir.at("new.pgn")), "someone else's");
    EXPECT_FALSE(std::filesystem::exists(dir.at("same.pgn")));
    release_held(held);
}

TEST(DetectCompression, ByMagicBytesOnly) {
    EXPECT_EQ(detect_compression("\x28\xB5\x2F\xFD..."), compression::zstd);
    EXPECT_EQ(detect_compression(std::string_view("\xFD"
                                                  "7zXZ\0..",
                                                  8)),
              compression::xz);
    EXPECT_EQ(detect_compression("\x1F\x8B\x08..."), compression::gzip);
    EXPECT_EQ(detect_compression("BZh91AY&SY...."), compression::bzip2);
    EXPECT_EQ(detect_compression("BZh9\x17\x72\x45\x38\x50\x90...."), compression::bzip2);
    for (const char* text : {"", "[Event", "\x28\xB5\x2F", "\x1F\x8B\x07", "BZh9",
                             "BZh0"
                             "1AY&SY",
                             "BZh91AY&SX"})
        EXPECT_EQ(detect_compression(text), compression::none) << text;
}

// Reads an input to its end.
std::string read_all(input_stream& input) {
    std::string bytes;
    char block[7];  // small, so that the head bytes and the rest arrive in several reads
    while (true) {
        const ssize_t n = read_input(input, block, sizeof block);
        if (n <= 0) break;
        bytes.append(block, static_cast<std::size_t>(n));
    }
    return bytes;
}

TEST(Input, AStreamOpenedAgainStartsAfresh) {
    char path[] = "/tmp/gamesieve-input-XXXXXX";
    const int fd = ::mkstemp(path);
    ASSERT_GE(fd, 0);
    const std::string text = "[Event \"A fairly long first line\"]\n*\n";
    ASSERT_EQ(::write(fd, text.data(), text.size()), static_cast<ssize_t>(text.size()));
    ::close(fd);
    input_stream input;
    for (int round = 0; round < 2; ++round) {
        ASSERT_EQ(open_input(input, path), open_result::ok);
        EXPECT_EQ(input.format, compression::none);
        EXPECT_EQ(read_all(input), text) << round;
    }
    // Closing the input closes the file it opened.
    const int opened = input.fd;
    close_input(input);
    EXPECT_EQ(::fcntl(opened, F_GETFD), -1);
    ::unlink(path);
    EXPECT_EQ(open_input(input, "/nonexistent/x.pgn"), open_result::cannot_open);
    EXPECT_EQ(open_input(input, "/"), open_result::cannot_read);
}

// The bytes a compressor command makes of text.
std::string compressed_by(const std::string& command, const std::string& text) {
    char path[] = "/tmp/gamesieve-packed-XXXXXX";
    const int fd = ::mkstemp(path);
    EXPECT_GE(fd, 0);
    EXPECT_TRUE(write_all(fd, text));
    ::close(fd);
    std::string bytes;
    std::FILE* pipe = ::popen((command + " < " + path).c_str(), "r");
    EXPECT_NE(pipe, nullptr);
    char block[4096];
    for (std::size_t n; (n = std::fread(block, 1, sizeof block, pipe)) > 0;)
        bytes.append(block, n);
    ::pclose(pipe);
    ::unlink(path);
    return bytes;
}

// A read that waits for a pipe that stays open ends when the run's stop is raised, plain or compressed
// (where the decoding thread waits for the pipe and the reader waits for the thread).
TEST(Input, ARaisedStopEndsAReadThatWaitsForAPipe) {
    std::string text;
    for (int i = 0; i < 2000; ++i)
        text += "[Event \"E" + std::to_string(i) + "\"]\n\n1. e4 *\n\n";
    const std::string gzip = compressed_by("gzip -c", text);
    ASSERT_GT(gzip.size(), 100u);
    // More than the head that opening reads, so that opening does not wait.
    for (const std::string& sent : {text.substr(0, 2 * format_head_size), gzip.substr(0, gzip.size() / 2)}) {
        int ends[2];
        ASSERT_EQ(::pipe(ends), 0);
        ASSERT_TRUE(write_all(ends[1], sent));
        input_stream input;
        ASSERT_EQ(open_input(input, "/dev/fd/" + std::to_string(ends[0])), open_result::ok);
        stop_signal stop;
        ASSERT_TRUE(open_stop_signal(stop));
        watch_stop(input, &stop);
        std::thread stopper([&] {
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
            raise_stop(stop);
        });
        std::string got;
        char block[4096];
        ssize_t n;
        while ((n = read_input(input, block, sizeof block)) > 0)
            got.append(block, static_cast<std::size_t>(n));
        stopper.join();
        EXPECT_EQ(n, -1);
        EXPECT_TRUE(stop_raised(stop));
        EXPECT_EQ(got, text.substr(0, got.size()));  // what came before the stop is the input's start
        close_input(input);
        close_stop_signal(stop);
        ::close(ends[0]);
        ::close(ends[1]);
    }
}

// A compressed input, decoded by its own thread, gives the same bytes as the plain one, in reads of any
// size; damage at the end gives the bytes before it, then a failure.
TEST(Input, ADecodedInputGivesEveryByteThenItsEndOrItsDamage) {
    std::string text;
    for (int i = 0; i < 60000; ++i)
        text += "[Event \"E" + std::to_string(i) + "\"]\n1. d4 *\n";
    for (const char* command : {"zstd -c -q", "gzip -c", "xz -c", "bzip2 -c"}) {
        const std::string packed = compressed_by(command, text);
        input_stream input;
        open_memory_input(input, packed, command);
        EXPECT_NE(input.format, compression::none) << command;
        std::string got;
        std::vector<char> block(100000);
        for (std::size_t size = 1;; size = size * 3 % 99991 + 1) {
            const ssize_t n = read_input(input, block.data(), size);
            ASSERT_GE(n, 0) << command;
            if (n == 0) break;
            got.append(block.data(), static_cast<std::size_t>(n));
        }
        EXPECT_TRUE(got == text) << command << " " << got.size();
        EXPECT_EQ(read_input(input, block.data(), block.size()), 0);  // the end stays the end

        const std::string cut = packed.substr(0, packed.size() - 8);
        input_stream truncated;
        open_memory_input(truncated, cut, command);
        std::string before;
        ssize_t n;
        while ((n = read_input(truncated, block.data(), block.size())) > 0)
            before.append(block.data(), static_cast<std::size_t>(n));
        EXPECT_EQ(n, -1) << command;
        EXPECT_EQ(read_input(truncated, block.data(), block.size()), -1);
        EXPECT_EQ(before, text.substr(0, before.size())) << command;

        // A gzip member's trailer is checked: its CRC (8 bytes from the end) and its length (the last 4).
        if (std::string_view(command) != "gzip -c") continue;
        for (const std::size_t from_end : {std::size_t{8}, std::size_t{1}}) {
            std::string wrong = packed;
            wrong[wrong.size() - from_end] = static_cast<char>(wrong[wrong.size() - from_end] ^ 1);
            input_stream checked;
            open_memory_input(checked, wrong, command);
            while ((n = read_input(checked, block.data(), block.size())) > 0) {
            }
            EXPECT_EQ(n, -1) << from_end;
            EXPECT_EQ(failure_reason(checked), "the compressed data is damaged") << from_end;
        }
    }
}

// Inputs decoded ahead share a pool too small for all of them: each later input fills what the pool
// leaves, and waits; each is read in order, whole, whatever the order in which their threads ran. An
// input given up before its end (the run stopped) lets the others go on.
TEST(Input, InputsDecodedAheadShareAPoolAndAreReadInOrder) {
    std::vector<std::string> texts, packed;
    for (std::size_t k = 0; k < 5; ++k) {
        std::string text;
        for (int i = 0; text.size() < (std::size_t{6} << 20) + 12345 * k; ++i)
            text += "[Event \"E" + std::to_string(k) + "-" + std::to_string(i) + "\"]\n1. d4 *\n";
        texts.push_back(text);
        packed.push_back(compressed_by(k % 2 == 0 ? "zstd -c -q" : "gzip -c", text));
    }
    const std::shared_ptr<block_pool> pool = make_block_pool(blocks_of_input_read + 2);
    std::vector<input_stream> inputs(packed.size());
    for (std::size_t k = 0; k < packed.size(); ++k) {
        open_memory_input(inputs[k], packed[k], "in");
        inputs[k].pool = pool;
        inputs[k].order = k;
    }
    for (input_stream& input : inputs)
        ASSERT_TRUE(decode_ahead(input));
    // Every thread fills what it may and waits: the first for the reader, the later ones for the pool.
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    std::vector<char> block(70000);
    for (std::size_t k = 0; k < inputs.size(); ++k) {
        if (k == 2) {
            ASSERT_GT(read_input(inputs[k], block.data(), block.size()), 0);
            close_input(inputs[k]);  // given up with blocks still full
            continue;
        }
        std::string got;
        ssize_t n;
        while ((n = read_input(inputs[k], block.data(), block.size())) > 0)
            got.append(block.data(), static_cast<std::size_t>(n));
        EXPECT_EQ(n, 0) << k;
        EXPECT_TRUE(got == texts[k]) << k << " " << got.size();
        close_input(inputs[k]);
    }
}

// A pipe that holds exactly one piece makes every writev stop at a piece's end: the next write starts at
// the next piece, never again at the one just written.
// Standard input is the process's, not the input's: closing the input leaves it open, and a file input's
// descriptor is closed.
TEST(Input, ClosingStandardInputLeavesItOpen) {
    int ends[2];
    ASSERT_EQ(::pipe(ends), 0);
    const int saved = ::dup(STDIN_FILENO);
    ::dup2(ends[0], STDIN_FILENO);
    ::close(ends[0]);
    ASSERT_TRUE(write_all(ends[1], std::string_view("[Event \"E\"]\n")));
    ::close(ends[1]);
    input_stream input;
    ASSERT_EQ(open_input(input, "-"), open_result::ok);
    close_input(input);
    EXPECT_NE(::fcntl(STDIN_FILENO, F_GETFD), -1) << "standard input was closed";
    ::dup2(saved, STDIN_FILENO);
    ::close(saved);

    char path[] = "/tmp/gamesieve-owned-XXXXXX";
    const int fd = ::mkstemp(path);
    ASSERT_GE(fd, 0);
    ::close(fd);
    input_stream file;
    ASSERT_EQ(open_input(file, path), open_result::ok);
    const int opened = file.fd;
    close_input(file);
    EXPECT_EQ(::fcntl(opened, F_GETFD), -1) << "the file's descriptor stayed open";
    ::unlink(path);
}

// A terminal gives one end of file per Ctrl-D and then waits for more: one Ctrl-D ends the input, as it
// does for cat. (A raised stop would end a read that waited for a second one, with -1.)
TEST(Input, OneEndOfFileFromATerminalEndsTheInput) {
    const int master = ::posix_openpt(O_RDWR | O_NOCTTY);
    ASSERT_GE(master, 0);
    ASSERT_EQ(::grantpt(master), 0);
    ASSERT_EQ(::unlockpt(master), 0);
    const std::string slave = ::ptsname(master);
    for (const std::string& typed : {std::string("[Event \"E\"]\n1. e4 *\n"), std::string(600, 'x') + "\n"}) {
        input_stream input;
        // Ctrl-D after the lines: the terminal's end-of-file character.
        ASSERT_TRUE(write_all(master, typed + "\x04"));
        ASSERT_EQ(open_input(input, slave), open_result::ok);
        stop_signal stop;
        ASSERT_TRUE(open_stop_signal(stop));
        watch_stop(input, &stop);
        std::atomic<bool> done{false};
        std::thread guard([&] {
            for (int i = 0; i < 200 && !done; ++i)
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
            if (!done) raise_stop(stop);
        });
        std::string got;
        char block[4096];
        ssize_t n;
        while ((n = read_input(input, block, sizeof block)) > 0)
            got.append(block, static_cast<std::size_t>(n));
        const bool stopped = stop_raised(stop);
        done = true;
        guard.join();
        EXPECT_EQ(n, 0) << "waited for a second end of file";
        EXPECT_FALSE(stopped);
        EXPECT_EQ(got, typed);
        close_input(input);
        close_stop_signal(stop);
    }
    ::close(master);
}

TEST(SystemCalls, WriteAllGoesOnAfterAWriteThatEndsExactlyAtAPiece) {
    int ends[2];
    ASSERT_EQ(::pipe(ends), 0);
    const int capacity = ::fcntl(ends[1], F_SETPIPE_SZ, 4096);
    ASSERT_GE(capacity, 4096);
    std::vector<std::string> texts;
    std::vector<iovec> pieces;
    std::string expected;
    for (int i = 0; i < 40; ++i) {
        texts.emplace_back(static_cast<std::size_t>(capacity), static_cast<char>('a' + i % 26));
        expected += texts.back();
    }
    for (std::string& text : texts)
        pieces.push_back({text.data(), text.size()});
    std::thread writer([&] {
        EXPECT_TRUE(write_all(ends[1], std::span(pieces)));
        ::close(ends[1]);
    });
    std::string got;
    char block[4096];
    for (ssize_t n; (n = read_some(ends[0], block, sizeof block)) > 0;)
        got.append(block, static_cast<std::size_t>(n));
    writer.join();
    ::close(ends[0]);
    EXPECT_TRUE(got == expected) << got.size() << " of " << expected.size();
}

TEST(SystemCalls, WriteAllCarriesOnOverShortWritesAndReportsFailure) {
    int ends[2];
    ASSERT_EQ(::pipe(ends), 0);
    const std::string bytes(1 << 20, 'x');  // more than a pipe holds: writes are short
    std::thread writer([&] {
        EXPECT_TRUE(write_all(ends[1], bytes));
        ::close(ends[1]);
    });
    std::string got;
    char block[65536];
    for (ssize_t n; (n = read_some(ends[0], block, sizeof block)) > 0;)
        got.append(block, static_cast<std::size_t>(n));
    writer.join();
    ::close(ends[0]);
    EXPECT_EQ(got.size(), bytes.size());
    const int full = ::open("/dev/full", O_WRONLY);
    EXPECT_FALSE(write_all(full, std::string_view("x")));
    ::close(full);
}

}  // namespace
}  // namespace gs

namespace gs {
namespace {

// A ledger line reads back as written, whatever its name holds; anything a run could not have written
// is not a line.
TEST(Ledger, LinesReadBackAndNothingElseIsALine) {
    ledger_entry entry;
    entry.when = "2026-12-10T01:02:03Z";
    entry.input = "dumps/2026\t01\\x\n.pgn";
    entry.raw_size = 12345;
    entry.raw_hash = hash_of("raw");
    entry.quick = hash_of("quick");
    entry.text_size = 99999;
    entry.text_hash = hash_of("text");
    entry.games = {1, 2, 3, 4, 5};
    entry.bytes = {10, 20, 30, 40, 18446744073709551615u};
    const std::string line = ledger_line(entry);
    ASSERT_TRUE(line.ends_with("\tdumps/2026\\t01\\\\x\\n.pgn\n")) << line;
    const std::optional<ledger_entry> back = parse_ledger_line(line.substr(0, line.size() - 1));
    ASSERT_TRUE(back);
    EXPECT_EQ(ledger_line(*back), line);
    entry.quick.reset();
    EXPECT_EQ(ledger_line(*parse_ledger_line(ledger_line(entry).substr(0, ledger_line(entry).size() - 1))),
              ledger_line(entry));
    const std::string good = line.substr(0, line.size() - 1);
    const std::string hash = hash_text(entry.raw_hash);
    for (const std::string& bad : {
             std::string(), good.substr(0, good.rfind('\t')),              // no name
             good.substr(0, good.rfind('\t') + 1),                         // an empty name
             good + "\tmore",                                              // a tab in the name
             good.substr(0, good.size() - 1) + "\\",                       // a lone backslash
             "2026-12-10 01:02:03Z" + good.substr(20),                     // another time
             good.substr(0, 21) + "012345" + good.substr(26),              // a leading zero
             good.substr(0, 21) + "-2345" + good.substr(26),               // a sign
             good.substr(0, 27) + hash.substr(1) + "g" + good.substr(59),  // not hexadecimal
             good.substr(0, 27) + hash.substr(2) + good.substr(59),        // short
         }) {
        EXPECT_FALSE(parse_ledger_line(bad)) << bad;
    }
    const std::string counts = good.substr(good.find("\t1,2,3,4,5\t"));
    EXPECT_FALSE(
        parse_ledger_line(good.substr(0, good.find("\t1,2,3,4,5\t")) + "\t1,2,3,4\t" + counts.substr(11)));
    EXPECT_FALSE(parse_ledger_line(good.substr(0, good.find("\t1,2,3,4,5\t")) + "\t1,2,3,4,5,6\t" +
                                   counts.substr(11)));
}

// The quick hash reads a file's size, its first and its last mebibyte: a change in between goes unseen
// (the whole hash sees it), a change at either end does not.
TEST(ContentHash, QuickAndWholeHashesOfAFile) {
    const std::string path = ::testing::TempDir() + "/quick-hash.bin";
    std::string bytes(3 << 20, 'x');
    const auto hashes = [&](const std::string& b) {
        std::ofstream(path, std::ios::binary) << b;
        const int fd = ::open(path.c_str(), O_RDONLY);
        const auto quick = quick_hash_of(fd, b.size());
        const auto whole = whole_hash_of(fd, b.size());
        ::close(fd);
        return std::make_pair(*quick, *whole);
    };
    const auto base = hashes(bytes);
    EXPECT_EQ(base.second, hash_of(bytes));
    std::string middle = bytes;
    middle[middle.size() / 2] = 'y';
    EXPECT_EQ(hashes(middle).first, base.first);
    EXPECT_NE(hashes(middle).second, base.second);
    for (const std::size_t at :
         {std::size_t{0}, (std::size_t{1} << 20) - 1, bytes.size() - (1 << 20), bytes.size() - 1}) {
        std::string changed = bytes;
        changed[at] = 'y';
        EXPECT_NE(hashes(changed).first, base.first) << at;
    }
    EXPECT_NE(hashes(bytes + "x").first, base.first);
    std::filesystem::remove(path);
}

}  // namespace
}  // namespace gs
