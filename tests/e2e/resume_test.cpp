// Resumable runs: a --resumable run that is stopped (a full disk, a read error of a later input, a cut
// input, a signal, SIGKILL) is cut back to its last checkpoint and keeps its journal; --resume then goes
// on to the end, and the outputs are those of one run that was never stopped (decompressed, for
// compressed outputs, whose frames end at the checkpoints); --recover undoes the whole run instead.
#include <gtest/gtest.h>

#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <map>
#include <random>
#include <regex>
#include <string>
#include <thread>
#include <vector>

#include "support/sieve_dir.hpp"

namespace gs::testing {
namespace {

void prepare(sieve_dir& dir) {
    dir.write("computers.cfg", "DEEPBLUE\nFRITZ\n");
    dir.write("humans.cfg", "KASPAROV\n");
    dir.write("a.pgn", mixed_games(40000));
    dir.write("b.pgn", "[Event \"B\"]\n[White \"Deep Blue\"]\n[Black \"Kasparov\"]\n\n1. d4 *\n\n" +
                           mixed_games(9000));
    // Small chunks and checkpoints, so that a small run has many of both.
    dir.set_env("GAMESIEVE_TEST_CHUNK_BYTES", "16384");
    dir.set_env("GAMESIEVE_TEST_CHECKPOINT_BYTES", "65536");
}

// The outputs of dir, decompressed when they are zstd's.
std::map<std::string, std::string> contents(const sieve_dir& dir, bool packed) {
    if (!packed) return dir.outputs();
    std::map<std::string, std::string> files;
    for (const std::string& name : output_names) {
        if (!dir.exists(name + ".zst")) continue;
        EXPECT_EQ(dir.shell("zstd -qdc " + name + ".zst > unpacked.txt"), 0) << name;
        files[name] = *dir.read("unpacked.txt");
    }
    return files;
}

// The games per output that --ledger gives, line by line (the time and the input left out).
std::string games_in_ledger(const sieve_dir& dir) {
    EXPECT_EQ(dir.shell("\"$GAMESIEVE\" --ledger | cut -f3- > games.txt"), 0);
    return *dir.read("games.txt");
}

enum class stop { full_disk, read_error, journal, cut_input, signal, kill };

struct stopped_run {
    const char* name;
    bool packed_inputs;   // a.pgn.zst and b.pgn.zst instead of the plain files
    bool packed_outputs;  // -z zstd
    const char* threads;
    stop how;
    int signal;  // for stop::signal and stop::kill
};

const std::string stop_line =
    "(Stopped at|Interrupted by SIG[A-Z]+: stopped at) ([0-9]+%: )?input [12] of 2, game "
    "[0-9,]+; gamesieve --resume goes on, gamesieve --recover undoes the whole run\n";

TEST(Resume, AStoppedRunGoesOnToTheOutputsOfOneRun) {
    const stopped_run cases[] = {
        {"full disk, plain", false, false, "1", stop::full_disk, 0},
        {"full disk, zstd", true, true, "3", stop::full_disk, 0},
        {"read error of a later input", false, true, "3", stop::read_error, 0},
        {"a checkpoint that cannot be written", false, false, "1", stop::journal, 0},
        {"cut input replaced", true, false, "3", stop::cut_input, 0},
        {"SIGINT", false, false, "3", stop::signal, SIGINT},
        {"SIGTERM, zstd", true, true, "1", stop::signal, SIGTERM},
        {"SIGKILL, zstd outputs", false, true, "3", stop::kill, SIGKILL},
        {"SIGKILL, zstd inputs", true, false, "1", stop::kill, SIGKILL},
    };
    std::mt19937 random(20261210);
    for (const stopped_run& c : cases) {
        SCOPED_TRACE(c.name);
        sieve_dir dir;
        prepare(dir);
        std::vector<std::string> args = {"-q", "-j", c.threads, "--resumable"};
        if (c.packed_outputs) args.insert(args.end(), {"-z", "zstd"});
        const std::string a = c.packed_inputs ? "a.pgn.zst" : "a.pgn";
        const std::string b = c.packed_inputs ? "b.pgn.zst" : "b.pgn";
        if (c.packed_inputs) {
            ASSERT_EQ(dir.shell("zstd -q a.pgn b.pgn"), 0);
        }
        args.insert(args.end(), {a, b});
        // The outputs of one run that is never stopped.
        sieve_dir reference;
        prepare(reference);
        reference.write("rest_vs_rest.pgn", "kept\n");
        ASSERT_EQ(reference.run({"-q", "a.pgn", "b.pgn"}).status, 0);
        const auto expected = reference.outputs();
        if (c.packed_outputs) {
            ASSERT_EQ(dir.shell("printf 'kept\\n' | zstd -q > rest_vs_rest.pgn.zst"), 0);
        } else {
            dir.write("rest_vs_rest.pgn", "kept\n");
        }

        run_result first;
        const std::string human = c.packed_outputs ? "comp_vs_human.pgn.zst" : "comp_vs_human.pgn";
        if (c.how == stop::full_disk || c.how == stop::read_error || c.how == stop::journal) {
            dir.set_env("GAMESIEVE_TEST_FAULTS", c.how == stop::full_disk ? "write:" + human + ":12"
                                                 : c.how == stop::read_error
                                                     ? "read:" + b + ":2"
                                                     : "write:.gamesieve-journal.new:4");
            first = dir.run(args);
            dir.set_env("GAMESIEVE_TEST_FAULTS", "");
        } else if (c.how == stop::cut_input) {
            ASSERT_EQ(dir.shell("cp a.pgn.zst whole.zst && head -c $(($(stat -c %s whole.zst) * 2 / 3)) "
                                "whole.zst > a.pgn.zst"),
                      0);
            first = dir.run(args);
            ASSERT_EQ(dir.shell("mv whole.zst a.pgn.zst"), 0);
        } else {
            background_run running = dir.start(args, false);
            // Once the run has begun (its journal is there), at a random moment.
            for (int i = 0; i < 5000 && !dir.exists(".gamesieve-journal"); ++i)
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
            std::this_thread::sleep_for(std::chrono::milliseconds(random() % 50));
            ::kill(running.pid, c.signal);
            first = dir.finish(running);
        }
        if (c.how == stop::kill) {
            if (first.signal != SIGKILL) continue;  // the run ended before the signal: nothing to go on with
            EXPECT_EQ(first.out, "");
        } else if (c.how == stop::signal) {
            if (first.signal == 0) continue;
            EXPECT_EQ(first.signal, c.signal);
            // Stopped before its first checkpoint, a run keeps nothing, as any run.
            if (first.out.ends_with(
                    "nothing of this run was kept, every output is as it was before the run\n")) {
                EXPECT_FALSE(dir.exists(".gamesieve-journal"));
                continue;
            }
            EXPECT_TRUE(std::regex_search(first.out, std::regex("^" + stop_line + "$"))) << first.out;
        } else {
            EXPECT_EQ(first.status, 1);
            EXPECT_TRUE(std::regex_search(first.out, std::regex(stop_line + "$"))) << first.out;
        }
        ASSERT_TRUE(dir.exists(".gamesieve-journal"));
        // A stopped run keeps its journal: no other run appends meanwhile.
        EXPECT_EQ(
            dir.run({"-q", "b.pgn"}).out,
            "Error: a --resumable gamesieve run stopped in .; run 'gamesieve --resume' to go on with it, or "
            "'gamesieve --recover' to undo it\n");
        // --resume goes on, from any working directory.
        std::filesystem::create_directory(dir.path() + "/elsewhere");
        EXPECT_EQ(dir.shell("cd elsewhere && \"$GAMESIEVE\" --resume -o .. > ../resumed.txt"), 0);
        EXPECT_EQ(dir.read("resumed.txt"), "");
        EXPECT_FALSE(dir.exists(".gamesieve-journal"));
        EXPECT_EQ(contents(dir, c.packed_outputs), expected);
        // The ledger holds both inputs, once, with the games of one run.
        EXPECT_EQ(games_in_ledger(dir), games_in_ledger(reference));
    }
}

// After a stop, --recover undoes the whole run; an input that changed is not gone on with.
TEST(Resume, RecoverUndoesTheWholeRunAndAChangedInputIsRefused) {
    sieve_dir dir;
    prepare(dir);
    dir.write("rest_vs_rest.pgn", "kept\n");
    // A --resumable run of a.pgn and b.pgn that the planted fault stops.
    const auto stopped_by = [&](const std::string& fault) {
        dir.set_env("GAMESIEVE_TEST_FAULTS", fault);
        const int status = dir.run({"-q", "--resumable", "a.pgn", "b.pgn"}).status;
        dir.set_env("GAMESIEVE_TEST_FAULTS", "");
        return status;
    };
    ASSERT_EQ(stopped_by("write:comp_vs_human.pgn:30"), 1);
    const auto at_stop = dir.outputs();
    EXPECT_GT(at_stop.at("comp_vs_comp.pgn").size(), 1000u);
    // The input the run reached changed: its text before the checkpoint is not the same.
    const std::string a = *dir.read("a.pgn");
    dir.write("a.pgn", "[Event \"X\"]\n" + a);
    const run_result changed = dir.run({"--resume"});
    EXPECT_EQ(changed.status, 1);
    EXPECT_TRUE(
        changed.out.starts_with("Error: During reading a.pgn\n  it is not what the stopped run read: its "
                                "text up to where that run stopped differs\nStopped at "))
        << changed.out;
    EXPECT_EQ(dir.outputs(), at_stop);
    dir.write("a.pgn", a);
    EXPECT_EQ(
        dir.run({"--resume", "a.pgn"}).out,
        "Error: --resume goes on with the inputs and options of the stopped run: give it only -o DIR\n");
    const run_result recovered = dir.run({"--recover"});
    EXPECT_EQ(recovered.status, 0);
    EXPECT_EQ(dir.outputs(), (std::map<std::string, std::string>{{"rest_vs_rest.pgn", "kept\n"}}));
    EXPECT_FALSE(dir.exists(".gamesieve-journal"));
    EXPECT_EQ(dir.run({"--resume"}).out, "Error: there is no stopped run to resume in .\n");
    // A finished input that changed is refused before anything is written.
    ASSERT_EQ(stopped_by("read:b.pgn:2"), 1);
    const auto after_a = dir.outputs();
    dir.write("a.pgn", a + "\n");
    const run_result finished = dir.run({"--resume"});
    EXPECT_EQ(finished.status, 1);
    EXPECT_TRUE(
        finished.out.starts_with("Error: a.pgn changed since the run stopped (its size or its first or last "
                                 "mebibyte differ), so the run cannot go on\n"))
        << finished.out;
    EXPECT_EQ(dir.outputs(), after_a);
    // Without --resumable a failed run keeps nothing, as always; the reports cannot go with it.
    EXPECT_EQ(dir.run({"--resumable", "--explain", "why.tsv", "a.pgn"}).out,
              "Error: --resumable cannot go with --explain or --unlisted, whose reports are written whole at "
              "the end\n");
}

}  // namespace
}  // namespace gs::testing
