// All or nothing: a run that does not finish leaves every output and the report exactly as they were; one
// run at a time on a set of outputs; outputs and inputs checked before anything is written; --recover.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>
#include <map>
#include <random>
#include <string>

#include "support/sieve_dir.hpp"

namespace gs::testing {
namespace {

const std::string nothing_kept =
    "Error: nothing of this run was kept: every output is as it was before the run\n";

// A directory with lists that judge mixed_games, three outputs that hold earlier games and two that
// are absent, and a report from an earlier run.
void prepare(sieve_dir& dir) {
    dir.write("computers.cfg", "DEEPBLUE\nFRITZ\n");
    dir.write("humans.cfg", "KASPAROV\n");
    dir.write("comp_vs_comp.pgn", "[Event \"old\"]\n1. e4 *\n");
    dir.write("rest_vs_rest.pgn", "old rest\n");
    dir.write("comp_vs_rest.pgn", "");
    dir.write("why.tsv", "an earlier report\n");
}

struct snapshot {
    std::map<std::string, std::string> outputs;
    std::optional<std::string> report;
    bool operator==(const snapshot&) const = default;
};

snapshot snapshot_of(const sieve_dir& dir) {
    return {dir.outputs(), dir.read("why.tsv")};
}

bool leftovers(const sieve_dir& dir) {
    return dir.exists(".gamesieve-journal") || dir.exists(".gamesieve-journal.new") ||
           dir.exists("why.tsv.gamesieve-partial");
}

// A failure at many points of a run: the n-th write of an output, or the n-th read of the input, with
// one thread and with several, and chunks small enough that there are many writes. Every time: status 1,
// the first message as it always was, the second line, and every file as before.
TEST(AllOrNothing, AFailureAtAnyPointLeavesEveryOutputAsItWas) {
    const std::string games = mixed_games(400);
    struct row {
        const char* fault;  // the file system's, planted through GAMESIEVE_TEST_FAULTS
        const char* first_message;
    };
    const row rows[] = {
        {"write:1", "Error: During writing file '"},
        {"write:2", "Error: During writing file '"},
        {"write:7", "Error: During writing file '"},
        {"write:40", "Error: During writing file '"},
        // The first read takes the input's first bytes, to tell its format, before anything is written.
        {"read:g.pgn:2", "Error: During reading g.pgn\n  Input/output error\n"},
        {"read:g.pgn:3", "Error: During reading g.pgn\n  Input/output error\n"},
        {"read:g.pgn:5", "Error: During reading g.pgn\n  Input/output error\n"},
        {"write:why.tsv.gamesieve-partial:1",
         "Error: During writing file 'why.tsv'\n  No space left on device\n"},
    };
    for (const row& r : rows) {
        for (const char* threads : {"1", "3"}) {
            sieve_dir dir;
            prepare(dir);
            dir.write("g.pgn", games);
            const snapshot before = snapshot_of(dir);
            dir.set_env("GAMESIEVE_TEST_CHUNK_BYTES", "900");
            dir.set_env("GAMESIEVE_TEST_FAULTS", r.fault);
            const run_result result = dir.run({"-q", "-j", threads, "--explain", "why.tsv", "g.pgn"});
            const std::string where = std::string(r.fault) + " -j" + threads;
            EXPECT_EQ(result.status, 1) << where;
            EXPECT_TRUE(result.out.starts_with(r.first_message)) << where << "\n" << result.out;
            EXPECT_TRUE(result.out.ends_with(nothing_kept)) << where << "\n" << result.out;
            EXPECT_TRUE(snapshot_of(dir) == before) << where;
            EXPECT_FALSE(leftovers(dir)) << where;
        }
    }
    // The same run without a planted failure keeps everything.
    sieve_dir dir;
    prepare(dir);
    dir.write("g.pgn", games);
    dir.set_env("GAMESIEVE_TEST_CHUNK_BYTES", "900");
    const run_result kept = dir.run({"-q", "--explain", "why.tsv", "g.pgn"});
    EXPECT_EQ(kept.status, 0);
    EXPECT_EQ(kept.out, "");
    EXPECT_EQ(dir.outputs().size(), 5u);
    EXPECT_TRUE(dir.read("comp_vs_comp.pgn")->starts_with("[Event \"old\"]\n1. e4 *\n[Event \"E0\"]"));
    EXPECT_TRUE(dir.read("why.tsv")->starts_with("game\tline\t"));
    EXPECT_FALSE(leftovers(dir));
}

// Real signals at random moments of a run: it ends with 128+N and a line saying so, and the files are as
// before; or, when the signal came after the end, everything is kept. Either way nothing is torn.
TEST(AllOrNothing, ASignalAtARandomMomentKeepsAllOrNothing) {
    const std::string games = mixed_games(150000);
    sieve_dir reference;
    prepare(reference);
    reference.write("g.pgn", games);
    ASSERT_EQ(reference.run({"-q", "--explain", "why.tsv", "g.pgn"}).status, 0);
    const snapshot complete = snapshot_of(reference);
    std::mt19937 random(7);
    const std::pair<const char*, int> signals[] = {{"INT", 130}, {"TERM", 143}, {"HUP", 129}};
    int interrupted = 0;
    for (int trial = 0; trial < 9; ++trial) {
        const auto [name, status] = signals[trial % 3];
        sieve_dir dir;
        prepare(dir);
        dir.write("g.pgn", games);
        const snapshot before = snapshot_of(dir);
        const int delay_ms = 20 + static_cast<int>(random() % 250);
        const int shown =
            dir.shell("\"$GAMESIEVE\" -q --explain why.tsv g.pgn > out.txt & pid=$!; sleep " +
                      std::to_string(delay_ms / 1000.0) + "; kill -" + name + " $pid 2>/dev/null; wait $pid");
        const std::string out = dir.read("out.txt").value_or("");
        if (shown == 0) {
            EXPECT_TRUE(snapshot_of(dir) == complete) << name << " after " << delay_ms << " ms";
        } else {
            ++interrupted;
            EXPECT_EQ(shown, status) << name;
            // A signal that lands before the process has set up its handlers (while it starts) ends it
            // silently, before anything is written.
            if (!out.empty()) {
                EXPECT_EQ(out,
                          "Interrupted by SIG" + std::string(name) +
                              ": nothing of this run was kept, every output is as it was before the run\n");
            }
            EXPECT_TRUE(snapshot_of(dir) == before) << name << " after " << delay_ms << " ms";
        }
        EXPECT_FALSE(leftovers(dir));
    }
    EXPECT_GT(interrupted, 0);  // the runs last long enough for some signals to land inside them
}

// A run that waits for more of a pipe (plain, or compressed and decoded on a thread of its own) ends at
// once on a signal, not when the writer goes: the wait watches the signal too. A run still waiting after
// ten seconds is killed, which shows as status 137. (The pipe carries more than the
// head that is read to tell the format, during which a background job ignores SIGINT.)
TEST(AllOrNothing, ASignalEndsARunThatWaitsForAPipe) {
#if defined(__SANITIZE_THREAD__)
    GTEST_SKIP() << "ThreadSanitizer holds a signal back while its thread waits in poll";
#endif
    for (const std::string packer : {"cat", "gzip -c"}) {
        sieve_dir dir;
        prepare(dir);
        dir.write("g.pgn", mixed_games(4000));
        const snapshot before = snapshot_of(dir);
        ASSERT_EQ(::mkfifo((dir.path() + "/in.fifo").c_str(), 0644), 0);
        // timeout passes the INT on to the run, and ends with the run's own status. The signal is sent once
        // the run's journal is there, when the run is watching for signals.
        ASSERT_EQ(
            dir.shell(
                "timeout -s KILL 10 \"$GAMESIEVE\" -q - < in.fifo > out.txt & pid=$!; "
                "exec 3> in.fifo; " +
                packer +
                " g.pgn >&3; for i in $(seq 100); do [ -e .gamesieve-journal ] && break; sleep 0.1; done; "
                "kill -INT $pid; wait $pid; echo $? > status.txt"),
            0);
        EXPECT_EQ(dir.read("status.txt"), "130\n") << packer;
        EXPECT_EQ(dir.read("out.txt"),
                  "Interrupted by SIGINT: nothing of this run was kept, every output is as it was before the "
                  "run\n")
            << packer;
        std::filesystem::remove(dir.path() + "/in.fifo");
        std::filesystem::remove(dir.path() + "/out.txt");
        std::filesystem::remove(dir.path() + "/status.txt");
        EXPECT_TRUE(snapshot_of(dir) == before) << packer;
        EXPECT_FALSE(leftovers(dir));
    }
}

// A run killed outright leaves its journal: the next run refuses to append and names --recover, which
// cuts every output back and removes what the run created; a second --recover finds nothing to do.
TEST(AllOrNothing, AKilledRunIsRecovered) {
    sieve_dir dir;
    prepare(dir);
    std::filesystem::create_directory(dir.path() + "/out");
    dir.write("out/comp_vs_comp.pgn", "[Event \"old\"]\n1. e4 *\n");
    dir.write("g.pgn", mixed_games(50));
    const auto before = [&] {
        std::map<std::string, std::string> files;
        for (const std::string& name : output_names) {
            if (auto bytes = dir.read("out/" + name)) files[name] = *bytes;
        }
        return files;
    };
    const auto outputs_before = before();
    // The input arrives through a pipe that stays open: the run has written its first chunks and waits.
    // $! is the last process of the pipeline: the run itself, and no other process of the machine.
    dir.shell(
        "(cat g.pgn; sleep 5) | GAMESIEVE_TEST_CHUNK_BYTES=200 \"$GAMESIEVE\" -q -o out - & "
        "pid=$!; sleep 1; kill -KILL $pid; wait");
    ASSERT_TRUE(dir.exists("out/.gamesieve-journal"));
    EXPECT_NE(before(), outputs_before);  // the killed run had appended
    const run_result refused = dir.run({"-q", "-o", "out", "g.pgn"});
    EXPECT_EQ(refused.status, 1);
    EXPECT_EQ(refused.out,
              "Error: an unfinished gamesieve run left its journal in out; run 'gamesieve "
              "--recover -o out' first to put the outputs back\n");
    const run_result recovered = dir.run({"--recover", "-o", "out"});
    EXPECT_EQ(recovered.status, 0);
    EXPECT_TRUE(recovered.out.find("Cut back out/comp_vs_comp.pgn: ") != std::string::npos) << recovered.out;
    EXPECT_TRUE(recovered.out.find("Removed out/comp_vs_human.pgn\n") != std::string::npos) << recovered.out;
    EXPECT_TRUE(recovered.out.ends_with("Recovered: every output is as it was before the unfinished run\n"));
    EXPECT_EQ(before(), outputs_before);
    EXPECT_FALSE(dir.exists("out/.gamesieve-journal"));
    const run_result again = dir.run({"--recover", "-o", "out"});
    EXPECT_EQ(again.status, 0);
    EXPECT_EQ(again.out, "Nothing to recover in out\n");
    EXPECT_EQ(dir.run({"-q", "-o", "out", "g.pgn"}).status, 0);
}

// An output that is shorter than the journal says was changed by someone else: --recover cuts nothing.
TEST(AllOrNothing, RecoverCutsNothingWhenAnOutputWasShortened) {
    sieve_dir dir;
    dir.write("comp_vs_comp.pgn", "1234567890\n");
    dir.write("comp_vs_human.pgn", "abcdef\nappended by the killed run\n");
    dir.write(".gamesieve-journal",
              "gamesieve journal 1\noutput 100 comp_vs_comp.pgn\noutput 7 comp_vs_human.pgn\n");
    const run_result r = dir.run({"--recover"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out,
              "Error: 'comp_vs_comp.pgn' is shorter than before the unfinished run (changed since by someone "
              "else?); nothing was cut\n");
    EXPECT_EQ(dir.read("comp_vs_human.pgn"), "abcdef\nappended by the killed run\n");
    EXPECT_TRUE(dir.exists(".gamesieve-journal"));
    dir.write(".gamesieve-journal", "not a journal\n");
    const run_result damaged = dir.run({"--recover"});
    EXPECT_EQ(damaged.status, 1);
    EXPECT_EQ(damaged.out,
              "Error: the journal in . is damaged; nothing was cut\n"
              "  line 1 is not a journal's first line: not a journal\n");
}

// While one run writes, a second one on the same outputs refuses at once; the first is not disturbed.
TEST(AllOrNothing, OneRunAtATimeOnASetOfOutputs) {
    sieve_dir dir;
    dir.write("computers.cfg", "DEEPBLUE\nFRITZ\n");
    dir.write("g.pgn", mixed_games(20));
    const int status = dir.shell(
        "(cat g.pgn; sleep 2) | \"$GAMESIEVE\" -q - > first.txt & sleep 0.7; "
        "\"$GAMESIEVE\" -q g.pgn > second.txt; echo $? > second.status; wait");
    EXPECT_EQ(status, 0);
    EXPECT_EQ(dir.read("second.status"), "1\n");
    EXPECT_EQ(dir.read("second.txt"), "Error: another gamesieve run is writing to .\n");
    EXPECT_EQ(dir.read("first.txt"), "");
    // The first run's games, once.
    sieve_dir alone;
    alone.write("computers.cfg", "DEEPBLUE\nFRITZ\n");
    alone.write("g.pgn", mixed_games(20));
    ASSERT_EQ(alone.run({"-q", "g.pgn"}).status, 0);
    EXPECT_EQ(dir.outputs(), alone.outputs());
}

// Outputs that are not what they seem are refused before any file is created.
TEST(AllOrNothing, OutputsAreCheckedBeforeAnyIsCreated) {
    {
        sieve_dir dir;
        dir.write("g.pgn", mixed_games(4));
        dir.write("rest_vs_rest.pgn", "old\n");
        std::filesystem::create_symlink("rest_vs_rest.pgn", dir.path() + "/comp_vs_rest.pgn");
        const run_result r = dir.run({"-q", "g.pgn"});
        EXPECT_EQ(r.status, 1);
        EXPECT_EQ(r.out, "Error: the outputs 'comp_vs_rest.pgn' and 'rest_vs_rest.pgn' are the same file\n");
        EXPECT_EQ(dir.outputs().size(), 2u);
        EXPECT_EQ(dir.read("rest_vs_rest.pgn"), "old\n");
    }
    {
        // A FIFO that nobody reads: an error at once, not a hang, and nothing else created.
        sieve_dir dir;
        dir.write("g.pgn", mixed_games(4));
        ASSERT_EQ(::mkfifo((dir.path() + "/comp_vs_human.pgn").c_str(), 0644), 0);
        const run_result r = dir.run({"-q", "g.pgn"});
        EXPECT_EQ(r.status, 1);
        EXPECT_EQ(r.out,
                  "Error: During creating or opening file 'comp_vs_human.pgn'\n"
                  "  a FIFO that no program is reading\n" +
                      nothing_kept);
        EXPECT_FALSE(dir.exists("comp_vs_comp.pgn"));
        EXPECT_FALSE(dir.exists("rest_vs_rest.pgn"));
    }
    {
        // /dev/null as an output is allowed: its games are dropped.
        sieve_dir dir;
        dir.write("g.pgn", mixed_games(4));
        std::filesystem::create_symlink("/dev/null", dir.path() + "/rest_vs_rest.pgn");
        EXPECT_EQ(dir.run({"-q", "g.pgn"}).status, 0);
    }
}

// Files that are plainly not PGN are refused before anything is written, saying what they are.
TEST(AllOrNothing, InputsThatAreNotPgnAreRefused) {
    struct row {
        const char* make;
        const char* file;
        const char* what;
    };
    const row rows[] = {
        {"printf 'PK\\003\\004rest of a zip' > x.zip", "x.zip", "a zip archive"},
        {"printf 'PK\\005\\006 an empty zip' > e.zip", "e.zip", "a zip archive"},
        {"printf '%%PDF-1.7 a document' > x.pdf", "x.pdf", "a PDF document"},
        {"tar cf x.tar g.pgn", "x.tar", "a tar archive"},
        {"cp \"$GAMESIEVE\" x.bin", "x.bin", "an executable (ELF)"},
        {"printf '7z\\274\\257\\047\\034rest' > x.7z", "x.7z", "a 7z archive"},
        {"printf 'Rar!\\032\\007\\000rest' > x.rar", "x.rar", "a rar archive"},
    };
    for (const row& r : rows) {
        sieve_dir dir;
        dir.write("g.pgn", mixed_games(4));
        ASSERT_EQ(dir.shell(r.make), 0) << r.make;
        const run_result result = dir.run({"-q", "g.pgn", r.file});
        EXPECT_EQ(result.status, 1) << r.file;
        EXPECT_EQ(result.out, "Error: " + std::string(r.file) + " is " + r.what + ", not a PGN file\n");
        EXPECT_TRUE(dir.outputs().empty()) << r.file;
    }
}

// zstd files as the tools that make big dumps write them: pzstd's skippable frame first, and windows
// above 128 MiB (--long=31), read like any other.
TEST(AllOrNothing, ZstdFilesOfEveryMakerAreRead) {
    sieve_dir dir;
    dir.write("computers.cfg", "DEEPBLUE\nFRITZ\n");
    dir.write("g.pgn", mixed_games(3000));
    ASSERT_EQ(dir.run({"-q", "g.pgn"}).status, 0);
    const auto expected = dir.outputs();
    for (const std::string& make :
         {std::string("zstd -q --long=31 -c g.pgn > g.zst"), std::string("pzstd -q -p 2 -c g.pgn > g.zst")}) {
        ASSERT_EQ(dir.shell(make), 0) << make;
        for (const std::string& name : output_names)
            std::filesystem::remove(dir.path() + "/" + name);
        const run_result r = dir.run({"-q", "--again", "g.zst"});
        EXPECT_EQ(r.status, 0) << make << r.out;
        EXPECT_EQ(dir.outputs(), expected) << make;
    }
}

// The ends of a run that keep its bytes: the most threads allowed, a standard output whose reader goes
// away, and --sync.
TEST(AllOrNothing, TheThreadLimitAClosedPipeAndSyncKeepTheSameBytes) {
    sieve_dir dir;
    dir.write("computers.cfg", "DEEPBLUE\nFRITZ\n");
    dir.write("g.pgn", mixed_games(400));
    const run_result many = dir.run({"-j", "100000", "g.pgn"});
    EXPECT_EQ(many.status, 1);
    EXPECT_EQ(many.out, "Error: --threads takes at most 256 (see gamesieve --help)\n");
    EXPECT_TRUE(dir.outputs().empty());
    EXPECT_EQ(dir.run({"-q", "-j", "256", "g.pgn"}).status, 0);
    const auto expected = dir.outputs();
    // A standard output whose reader goes away after the first line: the run completes, status 0.
    for (const std::string& name : output_names)
        std::filesystem::remove(dir.path() + "/" + name);
    EXPECT_EQ(dir.shell("{ \"$GAMESIEVE\" -s --again g.pgn; echo $? > status.txt; } | head -n 1 > first.txt"),
              0);
    EXPECT_EQ(dir.read("first.txt"), "Reading humans.cfg...\n");
    EXPECT_EQ(dir.read("status.txt"), "0\n");
    EXPECT_EQ(dir.outputs(), expected);
    // --sync keeps the same bytes.
    for (const std::string& name : output_names)
        std::filesystem::remove(dir.path() + "/" + name);
    EXPECT_EQ(dir.run({"-q", "--again", "--sync", "g.pgn"}).status, 0);
    EXPECT_EQ(dir.outputs(), expected);
}

}  // namespace
}  // namespace gs::testing
