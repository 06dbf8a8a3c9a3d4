// Big dumps: compressed outputs, chosen outputs, progress on a terminal, and a first run without lists.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <regex>
#include <string>
#include <vector>

#include "support/sieve_dir.hpp"

namespace gs::testing {
namespace {

struct format_case {
    const char* option;
    const char* suffix;
    const char* decompress;
};
const format_case formats[] = {
    {"zstd", ".zst", "zstd -dc"},   {"gzip", ".gz", "gzip -dc"},     {"xz", ".xz", "xz -dc"},
    {"bzip2", ".bz2", "bzip2 -dc"}, {"zstd:19", ".zst", "zstd -dc"}, {"gzip:1", ".gz", "gzip -dc"},
};

// The outputs of plain runs of the example, once and twice.
std::map<std::string, std::string> plain_outputs(int runs) {
    sieve_dir dir;
    copy_default_lists(dir);
    dir.write("games.pgn", source_file("examples/games.pgn"));
    for (int i = 0; i < runs; ++i)
        EXPECT_EQ(dir.run({"-q", "--again", "games.pgn"}).status, 0);
    return dir.outputs();
}

// The compressed outputs of dir, decompressed by the format's own tool.
std::map<std::string, std::string> decompressed(sieve_dir& dir, const format_case& f) {
    std::map<std::string, std::string> files;
    for (const std::string& name : output_names) {
        const std::string packed = name + f.suffix;
        if (!dir.exists(packed)) continue;
        EXPECT_EQ(dir.shell(std::string(f.decompress) + " " + packed + " > unpacked.txt"), 0) << packed;
        files[name] = dir.read("unpacked.txt").value_or("");
    }
    return files;
}

TEST(CompressedOutputs, DecompressToThePlainOutputsAfterEveryRun) {
    const auto once = plain_outputs(1);
    const auto twice = plain_outputs(2);
    for (const format_case& f : formats) {
        sieve_dir dir;
        copy_default_lists(dir);
        dir.write("games.pgn", source_file("examples/games.pgn"));
        ASSERT_EQ(dir.run({"-q", "-z", f.option, "games.pgn"}).status, 0) << f.option;
        EXPECT_TRUE(dir.outputs().empty()) << f.option;  // no plain file is written
        EXPECT_EQ(decompressed(dir, f), once) << f.option;
        // A second run appends a frame (member, stream) of its own, and the file reads whole.
        ASSERT_EQ(dir.run({"-q", "--again", "--compress", f.option, "-j", "1", "games.pgn"}).status, 0)
            << f.option;
        EXPECT_EQ(decompressed(dir, f), twice) << f.option;
        // The compressed outputs sort again as inputs exactly as the plain outputs of two runs do.
        sieve_dir again, reference;
        copy_default_lists(again);
        copy_default_lists(reference);
        std::vector<std::string> packed_inputs, plain_inputs;
        for (const std::string& name : output_names) {
            std::filesystem::copy_file(dir.path() + "/" + name + f.suffix,
                                       again.path() + "/in-" + name + f.suffix);
            reference.write("in-" + name, twice.at(name));
            packed_inputs.push_back("in-" + name + f.suffix);
            plain_inputs.push_back("in-" + name);
        }
        packed_inputs.insert(packed_inputs.begin(), "-q");
        plain_inputs.insert(plain_inputs.begin(), "-q");
        ASSERT_EQ(again.run(packed_inputs).status, 0) << f.option;
        ASSERT_EQ(reference.run(plain_inputs).status, 0) << f.option;
        EXPECT_EQ(again.outputs(), reference.outputs()) << f.option;
    }
}

TEST(CompressedOutputs, AreGuardedAndAllOrNothingToo) {
    sieve_dir dir;
    copy_default_lists(dir);
    dir.write("games.pgn", source_file("examples/games.pgn"));
    ASSERT_EQ(dir.run({"-q", "-z", "zstd", "games.pgn"}).status, 0);
    // An input that is one of this run's compressed outputs is refused.
    const run_result fed = dir.run({"-q", "-z", "zstd", "rest_vs_rest.pgn.zst"});
    EXPECT_EQ(fed.status, 1);
    EXPECT_EQ(fed.out, "Error: rest_vs_rest.pgn.zst is also the output file 'rest_vs_rest.pgn.zst'\n");
    // A failed run leaves every compressed output as it was.
    std::map<std::string, std::string> before;
    for (const std::string& name : output_names)
        before[name] = *dir.read(name + ".zst");
    dir.set_env("GAMESIEVE_TEST_CHUNK_BYTES", "4000");
    dir.set_env("GAMESIEVE_TEST_FAULTS", "write:5");
    const run_result failed = dir.run({"-q", "-z", "zstd", "games.pgn"});
    EXPECT_EQ(failed.status, 1);
    for (const std::string& name : output_names)
        EXPECT_EQ(dir.read(name + ".zst"), before[name]) << name;
    const run_result bad = dir.run({"-q", "-z", "zip", "games.pgn"});
    EXPECT_EQ(bad.status, 1);
    EXPECT_EQ(bad.out,
              "Error: --compress takes zstd, gzip, xz or bzip2, with an optional level (zstd:19), not 'zip' "
              "(see gamesieve --help)\n");
    // A level out of a format's range says the range, before the lists are read (no Reading lines).
    const run_result level = dir.run({"-z", "zstd:99", "games.pgn"});
    EXPECT_EQ(level.status, 1);
    EXPECT_EQ(
        level.out,
        "Error: --compress takes zstd, gzip, xz or bzip2, with an optional level (zstd:19), not 'zstd:99'; "
        "its levels are 1 to 19 (see gamesieve --help)\n");
    EXPECT_NE(dir.run({"-z", "gzip:-1", "games.pgn"}).out.find("; its levels are 1 to 9 "),
              std::string::npos);
}

TEST(OnlyOption, WritesTheChosenOutputsAndTouchesNoOther) {
    const auto plain = plain_outputs(1);
    sieve_dir dir;
    copy_default_lists(dir);
    dir.write("games.pgn", source_file("examples/games.pgn"));
    const run_result r = dir.run({"-q", "-s", "--only", "comp_vs_human,advanced", "games.pgn"});
    EXPECT_EQ(r.status, 0);
    const std::map<std::string, std::string> expected = {{"comp_vs_human.pgn", plain.at("comp_vs_human.pgn")},
                                                         {"advanced.pgn", plain.at("advanced.pgn")}};
    EXPECT_EQ(dir.outputs(), expected);
    // The summary shows what was dropped.
    EXPECT_TRUE(
        std::regex_search(r.out, std::regex("rest_vs_rest.pgn +[1-9][0-9]* games +[0-9]+ bytes dropped\n")))
        << r.out;
    EXPECT_TRUE(std::regex_search(r.out, std::regex("comp_vs_human.pgn +[1-9][0-9]* games +[0-9]+ bytes\n")))
        << r.out;
    const run_result wrong = dir.run({"--only", "comp_vs_humans", "games.pgn"});
    EXPECT_EQ(wrong.status, 1);
    EXPECT_TRUE(wrong.out.starts_with("Error: --only takes names among")) << wrong.out;
    // With compression the chosen outputs are the compressed ones.
    sieve_dir packed;
    copy_default_lists(packed);
    packed.write("games.pgn", source_file("examples/games.pgn"));
    ASSERT_EQ(packed.run({"-q", "-z", "gzip", "--only", "rest_vs_rest", "games.pgn"}).status, 0);
    EXPECT_TRUE(packed.exists("rest_vs_rest.pgn.gz"));
    EXPECT_FALSE(packed.exists("comp_vs_comp.pgn.gz"));
}

// The progress line seen through a terminal of 40 columns: the share done and the time left, erased
// before each message (a date warning) and never as wide as the terminal.
TEST(Progress, ShowsTheShareDoneErasesItselfBeforeMessagesAndFitsTheTerminal) {
    sieve_dir dir;
    if (dir.shell("command -v script > /dev/null") != 0) GTEST_SKIP() << "script(1) is not installed";
    std::string games;
    for (int i = 0; i < 20000; ++i)
        games += "[Event \"E\"]\n[White \"A\"]\n[Date \"" +
                 std::string(i % 5000 == 4999 ? "1999.13.45x" : "1999.01.01") + "\"]\n\n1. e4 *\n\n";
    dir.write("a.pgn", games);
    // rest_vs_rest.pgn is a FIFO whose reader waits before it reads: the run stalls with the file partly
    // read, so that the line is drawn before the run ends.
    dir.write("run.sh",
              "stty cols 40\nmkfifo rest_vs_rest.pgn\n"
              "( exec 3< rest_vs_rest.pgn; sleep 0.8; cat <&3 > /dev/null ) &\n"
              "sleep 0.2\nGAMESIEVE_TEST_CHUNK_BYTES=300 \"$GAMESIEVE\" -j1 --progress a.pgn\nwait\n");
    ASSERT_EQ(dir.shell("script -qc 'sh run.sh' shown > /dev/null"), 0);
    const std::string shown = dir.read("shown").value_or("");
    ASSERT_NE(shown.find("MB sorted"), std::string::npos) << shown;
    // Every drawing of the line (what stands before an erasure) is shorter than the terminal.
    const std::regex drawing("([^\r\n\x1b]*)\r\x1b\\[K");
    bool with_share = false;
    for (auto it = std::sregex_iterator(shown.begin(), shown.end(), drawing); it != std::sregex_iterator();
         ++it) {
        const std::string line = (*it)[1].str();
        EXPECT_LT(line.size(), 40u) << line;
        if (std::regex_search(line, std::regex("^ *[0-9]+% "))) with_share = true;
    }
    EXPECT_TRUE(with_share) << shown;
    // A message is printed at the start of a line, right after the line was erased.
    for (std::size_t at = shown.find("Warning: "); at != std::string::npos;
         at = shown.find("Warning: ", at + 1)) {
        const std::string before = shown.substr(at >= 4 ? at - 4 : 0, 4);
        EXPECT_TRUE(before.ends_with("\x1b[K") || before.ends_with("\n")) << before;
    }
    // --no-progress keeps the terminal clear.
    std::filesystem::remove(dir.path() + "/rest_vs_rest.pgn");
    ASSERT_EQ(dir.shell("script -qc 'GAMESIEVE_TEST_CHUNK_BYTES=300 \"$GAMESIEVE\" -j1 --no-progress a.pgn' "
                        "hidden > /dev/null"),
              0);
    EXPECT_EQ(dir.read("hidden").value_or("").find("MB sorted"), std::string::npos);
}

TEST(FirstRun, WithoutListsNamesTheInstalledOnes) {
    sieve_dir dir(/*with_lists=*/false);
    dir.write("a.pgn", "[White \"A\"]\n\n*\n");
    const run_result r = dir.run({"a.pgn"});
    EXPECT_EQ(r.status, 1);
    const std::regex expected(
        "Reading humans.cfg...\nError: During opening humans.cfg\n  No such file or directory\n"
        "No list files in the working directory: the lists installed with gamesieve are in "
        "(/[^;]*); use them with --lists \\1\n");
    EXPECT_TRUE(std::regex_match(r.out, expected)) << r.out;
    // With one list file present, or with --lists, the message is the usual one alone.
    dir.write("humans.cfg", "");
    EXPECT_EQ(dir.run({"a.pgn"}).out,
              "Reading humans.cfg...\nReading humans_icc_rest.cfg...\n"
              "Error: During opening humans_icc_rest.cfg\n  No such file or directory\n");
}

}  // namespace
}  // namespace gs::testing
