// The ledger: a run refuses an input whose games the output directory holds already (the same file, a
// copy under another name, in another compression, with a byte-order mark, on standard input), before
// anything is written when the file shows it and at the end otherwise; --again sorts it anyway; a ledger
// that cannot be trusted stops the run; --ledger prints it.
#include <gtest/gtest.h>

#include <filesystem>
#include <regex>
#include <string>
#include <vector>

#include "support/sieve_dir.hpp"

namespace gs::testing {
namespace {

void prepare(sieve_dir& dir) {
    dir.write("computers.cfg", "DEEPBLUE\nFRITZ\n");
    dir.write("humans.cfg", "KASPAROV\n");
    dir.write("a.pgn", mixed_games(40));
}

const std::string again_hint =
    "  sorting it again would append every game a second time; gamesieve --again sorts it anyway\n";
const std::string nothing_kept =
    "Error: nothing of this run was kept: every output is as it was before the run\n";

TEST(Ledger, AnInputWhoseGamesAreThereAlreadyIsRefused) {
    struct refusal {
        std::string make;   // a shell command that makes the second input
        std::string input;  // the second run's input (or shell command, when it starts with '|')
        bool at_end;        // known only once the input is read
    };
    const refusal cases[] = {
        {"", "a.pgn", false},
        {"cp a.pgn copy.pgn", "copy.pgn", false},
        {"", "-", false},  // standard input that is the file itself
        {"zstd -q -c a.pgn > a.pgn.zst", "a.pgn.zst", true},
        {"gzip -c a.pgn > a.pgn.gz", "a.pgn.gz", true},
        {"printf '\\357\\273\\277' > bom.pgn && cat a.pgn >> bom.pgn", "bom.pgn", true},
        {"", "|cat a.pgn | \"$GAMESIEVE\" -q -", true},
    };
    for (const refusal& c : cases) {
        sieve_dir dir;
        prepare(dir);
        ASSERT_EQ(dir.run({"-q", "a.pgn"}).status, 0);
        const auto before = dir.outputs();
        const std::string ledger = *dir.read(".gamesieve-ledger");
        if (!c.make.empty()) {
            ASSERT_EQ(dir.shell(c.make), 0) << c.make;
        }
        std::string out;
        if (c.input.starts_with('|')) {
            EXPECT_EQ(dir.shell(c.input.substr(1) + " > out.txt; test $? = 1"), 0);
            out = *dir.read("out.txt");
        } else if (c.input == "-") {
            EXPECT_EQ(dir.shell("\"$GAMESIEVE\" -q - < a.pgn > out.txt; test $? = 1"), 0);
            out = *dir.read("out.txt");
        } else {
            const run_result r = dir.run({"-q", c.input});
            EXPECT_EQ(r.status, 1) << c.input;
            out = r.out;
        }
        const std::string shown = c.input.starts_with('|') ? "-" : c.input;
        const std::regex expected("Error: " + std::regex_replace(shown, std::regex("[.]"), "[.]") +
                                  " was sorted into [.] before: on [0-9-]+T[0-9:]+Z, as a[.]pgn\n");
        EXPECT_TRUE(std::regex_search(out, expected)) << c.input << "\n" << out;
        EXPECT_TRUE(out.find(again_hint) != std::string::npos) << out;
        // Refused before writing: nothing to roll back; at the end: rolled back.
        EXPECT_EQ(out.ends_with(nothing_kept), c.at_end) << c.input << "\n" << out;
        EXPECT_EQ(dir.outputs(), before) << c.input;
        EXPECT_EQ(dir.read(".gamesieve-ledger"), ledger) << c.input;
        EXPECT_FALSE(dir.exists(".gamesieve-journal"));
    }
}

TEST(Ledger, TheSameGamesTwiceInOneRunAndAgain) {
    sieve_dir dir;
    prepare(dir);
    ASSERT_EQ(dir.shell("zstd -q -c a.pgn > a.zst"), 0);
    const run_result twice = dir.run({"-q", "a.pgn", "./a.pgn"});
    EXPECT_EQ(twice.status, 1);
    EXPECT_EQ(twice.out, "Error: ./a.pgn holds the same games as a.pgn, given before it\n" + again_hint);
    const run_result packed = dir.run({"-q", "a.pgn", "a.zst"});
    EXPECT_EQ(packed.status, 1);
    EXPECT_EQ(packed.out,
              "Error: a.zst holds the same games as a.pgn, given before it\n" + again_hint + nothing_kept);
    EXPECT_TRUE(dir.outputs().empty());
    EXPECT_FALSE(dir.exists(".gamesieve-ledger"));
    // --again sorts them anyway, and the ledger says so: one line per input.
    ASSERT_EQ(dir.run({"-q", "--again", "a.pgn", "a.zst"}).status, 0);
    ASSERT_EQ(dir.run({"-q", "--again", "a.pgn"}).status, 0);
    sieve_dir plain;
    prepare(plain);
    ASSERT_EQ(plain.run({"-q", "--again", "a.pgn", "a.pgn", "a.pgn"}).status, 0);
    EXPECT_EQ(dir.outputs(), plain.outputs());
    const run_result table = dir.run({"--ledger"});
    EXPECT_EQ(table.status, 0);
    const std::regex row("[0-9-]+T[0-9:]+Z\\t(a[.]pgn|a[.]zst)\\t10\\t10\\t10\\t10\\t0\\n");
    std::vector<std::string> names;
    const std::string head =
        "date\tinput\tcomp_vs_comp\tcomp_vs_human\tcomp_vs_rest\trest_vs_rest\tadvanced\n";
    ASSERT_TRUE(table.out.starts_with(head)) << table.out;
    std::string rest = table.out.substr(head.size());
    for (std::smatch m; std::regex_search(rest, m, row) && m.position() == 0; rest = m.suffix())
        names.push_back(m[1]);
    EXPECT_EQ(rest, "");
    EXPECT_EQ(names, (std::vector<std::string>{"a.pgn", "a.zst", "a.pgn"}));
    // The ledger lives in the output directory.
    std::filesystem::create_directory(dir.path() + "/db");
    EXPECT_EQ(dir.run({"--ledger", "-o", "db"}).out, "No ledger in db: no run has been kept there yet\n");
    EXPECT_EQ(dir.run({"--ledger", "a.pgn"}).status, 1);
}

// A ledger that cannot be trusted stops the run before anything is written, and says how to go on; a
// ledger that cannot be written rolls the run back, the ledger with it.
TEST(Ledger, ADamagedOrUnwritableLedgerStopsTheRun) {
    struct damage {
        std::string make;
        std::string why;
    };
    const std::string head = "gamesieve ledger 1\n";
    const damage cases[] = {
        {"printf 'gamesieve ledger 1\\n2026-12-10T01:02:03Z\\t12' > .gamesieve-ledger",
         "line 2 is not a ledger's line: 2026-12-10T01:02:03Z\t12"},
        {"printf 'gamesieve ledger 1\\nnot a line\\n' > .gamesieve-ledger",
         "line 2 is not a ledger's line: not a line"},
        {"printf 'a list of games\\n' > .gamesieve-ledger", "line 1 is not a ledger's line: a list of games"},
        // A whole line but its line feed: cut short as it was appended.
        {"\"$GAMESIEVE\" -q -o elsewhere a.pgn && head -c -1 elsewhere/.gamesieve-ledger > .gamesieve-ledger",
         "its last line is cut short"},
        {"ln -s /dev/zero .gamesieve-ledger", "it is a link, which gamesieve never follows"},
        {"mkfifo .gamesieve-ledger", "it is not a regular file"},
        {"head -c 20000 /dev/zero | tr '\\0' x > .gamesieve-ledger", "line 1 is longer than 16384 bytes"},
    };
    for (const damage& c : cases) {
        sieve_dir dir;
        prepare(dir);
        std::filesystem::create_directory(dir.path() + "/elsewhere");
        ASSERT_EQ(dir.shell(c.make), 0) << c.make;
        const run_result r = dir.run({"-q", "a.pgn"});
        EXPECT_EQ(r.status, 1) << c.make;
        EXPECT_EQ(r.out, "Error: the ledger .gamesieve-ledger cannot be trusted: " + c.why +
                             "\n  move it aside to sort into this directory (mv .gamesieve-ledger "
                             ".gamesieve-ledger.damaged); a new ledger is then started\n")
            << c.make;
        EXPECT_TRUE(dir.outputs().empty());
        EXPECT_EQ(dir.run({"--ledger"}).status, 1);
    }
    sieve_dir dir;
    prepare(dir);
    dir.write("rest_vs_rest.pgn", "kept\n");
    dir.set_env("GAMESIEVE_TEST_FAULTS", "write:.gamesieve-ledger:1");
    const run_result r = dir.run({"-q", "a.pgn"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "Error: During writing the ledger .gamesieve-ledger\n  No space left on device\n" +
                         nothing_kept);
    EXPECT_EQ(dir.outputs(), (std::map<std::string, std::string>{{"rest_vs_rest.pgn", "kept\n"}}));
    EXPECT_FALSE(dir.exists(".gamesieve-ledger"));
}

}  // namespace
}  // namespace gs::testing
