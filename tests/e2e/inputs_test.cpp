// What a run reads: several inputs as one run, standard input, compressed inputs, and the refusal to read
// one of its own outputs.
#include <gtest/gtest.h>

#include <map>

#include <filesystem>

#include "support/accounting.hpp"
#include "support/sieve_dir.hpp"

namespace gs::testing {
namespace {

const std::string program_game = "[Event \"E\"]\n[White \"Deep Blue\"]\n[Black \"Fritz 3\"]\n\n1. e4 *\n\n";
const std::string human_game = "[Event \"E\"]\n[White \"Deep Blue\"]\n[Black \"Kasparov\"]\n\n1. d4 *\n\n";

void write_lists(const sieve_dir& dir) {
    dir.write("computers.cfg", "DEEPBLUE\nFRITZ*\n");
    dir.write("humans.cfg", "KASPAROV\n");
}

// The outputs of sorting each file on its own, one run after another, in a fresh directory.
std::map<std::string, std::string> sorted_one_by_one(
    const std::vector<std::pair<std::string, std::string>>& files) {
    sieve_dir dir;
    write_lists(dir);
    for (const auto& [name, bytes] : files) {
        dir.write(name, bytes);
        EXPECT_EQ(dir.run({name}).status, 0) << name;
    }
    return dir.outputs();
}

TEST(SeveralInputs, SortLikeEachFileOnItsOwnOneAfterAnother) {
    // The first file ends inside a game's tags; the second starts with a byte-order mark and text before
    // its first game, which must go to rest_vs_rest.pgn and not join the first file's last game.
    const std::vector<std::pair<std::string, std::string>> files = {
        {"a.pgn", program_game + "[Event \"F\"]\n[White \"Deep Blue\"]\n[Black \"Kasparov\"]\n"},
        {"b.pgn",
         "\xEF\xBB\xBF"
         "A comment line\n\n1. c4 *\n\n" +
             human_game + "[Date \"1998.1x.05\"]\n\n*\n"},
        {"c.pgn", ""},
        {"d.pgn", program_game},
    };
    sieve_dir dir;
    write_lists(dir);
    for (const auto& [name, bytes] : files)
        dir.write(name, bytes);
    const run_result r = dir.run({"a.pgn", "b.pgn", "c.pgn", "d.pgn"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, reading_lines() + "Warning: skipped illegal datetag of [Date \"1998.1x.05\n");
    EXPECT_EQ(dir.outputs(), sorted_one_by_one(files));
    EXPECT_EQ(dir.read("rest_vs_rest.pgn"), "A comment line\n\n1. c4 *\n\n[Date \"????.??.??\"]\n*\n");
}

TEST(SeveralInputs, TheSameFileTwiceIsSortedTwice) {
    sieve_dir dir;
    write_lists(dir);
    dir.write("a.pgn", program_game);
    EXPECT_EQ(dir.run({"--again", "a.pgn", "./a.pgn"}).status, 0);
    EXPECT_EQ(dir.read("comp_vs_comp.pgn"),
              "[Event \"E\"]\n[White \"Deep Blue\"]\n[Black \"Fritz 3\"]\n1. e4 *\n\n"
              "[Event \"E\"]\n[White \"Deep Blue\"]\n[Black \"Fritz 3\"]\n1. e4 *\n\n");
}

TEST(StandardInput, DashReadsStandardInputAmongOtherInputs) {
    sieve_dir dir;
    write_lists(dir);
    dir.write("a.pgn", program_game);
    const run_result r = dir.run({"a.pgn", "-"}, human_game);
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(dir.outputs(), sorted_one_by_one({{"a.pgn", program_game}, {"b.pgn", human_game}}));
}

TEST(StandardInput, AClosedStandardInputDoesNotDisturbAFileInput) {
    sieve_dir dir;
    write_lists(dir);
    dir.write("a.pgn", program_game);
    EXPECT_EQ(dir.shell("\"$GAMESIEVE\" a.pgn 0<&- > messages"), 0);
    EXPECT_EQ(dir.outputs(), sorted_one_by_one({{"a.pgn", program_game}}));
}

// Each case: how the input names one of the outputs, made by a shell command in the directory.
struct self_case {
    const char* setup;
    std::vector<std::string> args;
    const char* message;
};

TEST(OwnOutputAsInput, IsRefusedBeforeAnythingIsWritten) {
    const std::vector<self_case> cases = {
        {"cp a.pgn rest_vs_rest.pgn",
         {"rest_vs_rest.pgn"},
         "Error: rest_vs_rest.pgn is also the output file 'rest_vs_rest.pgn'"},
        {"cp a.pgn advanced.pgn",
         {"a.pgn", "./advanced.pgn"},
         "Error: ./advanced.pgn is also the output file 'advanced.pgn'"},
        {"cp a.pgn comp_vs_comp.pgn && ln comp_vs_comp.pgn hard.pgn",
         {"hard.pgn"},
         "Error: hard.pgn is also the output file 'comp_vs_comp.pgn'"},
        {"cp a.pgn comp_vs_human.pgn && ln -s comp_vs_human.pgn soft.pgn",
         {"soft.pgn"},
         "Error: soft.pgn is also the output file 'comp_vs_human.pgn'"},
        {"mkdir out && cp a.pgn out/comp_vs_rest.pgn",
         {"-o", "out", "out/comp_vs_rest.pgn"},
         "Error: out/comp_vs_rest.pgn is also the output file 'out/comp_vs_rest.pgn'"},
        {"cp a.pgn rest_vs_rest.pgn",
         {"-"},  // standard input redirected from the output
         "Error: - is also the output file 'rest_vs_rest.pgn'"},
    };
    for (const self_case& c : cases) {
        sieve_dir dir;
        write_lists(dir);
        dir.write("a.pgn", program_game);
        ASSERT_EQ(dir.shell(c.setup), 0) << c.setup;
        const auto before = dir.outputs();
        std::string command = "\"$GAMESIEVE\"";
        for (const std::string& arg : c.args)
            command += " '" + arg + "'";
        if (c.args == std::vector<std::string>{"-"}) command += " < rest_vs_rest.pgn";
        const int status = dir.shell(command + " > messages");
        EXPECT_EQ(status, 1) << c.setup;
        EXPECT_EQ(dir.read("messages"), reading_lines() + c.message + "\n") << c.setup;
        EXPECT_EQ(dir.outputs(), before) << c.setup;
        if (dir.exists("out")) {
            EXPECT_FALSE(dir.exists("out/comp_vs_comp.pgn"));
        }
    }
}

// The real games compressed with the real compressors; each must sort exactly as the plain file does.
struct compressed_case {
    const char* name;
    const char* command;  // makes games.pgn.x from games.pgn
};

const std::vector<compressed_case> compressed_cases = {
    {"zstd", "zstd -q -19 games.pgn -o games.x"},
    {"zstd, two frames", "zstd -q -c part1.pgn > games.x && zstd -q -c part2.pgn >> games.x"},
    {"xz", "xz -c games.pgn > games.x"},
    {"xz, two streams", "xz -c part1.pgn > games.x && xz -c part2.pgn >> games.x"},
    {"gzip", "gzip -c games.pgn > games.x"},
    {"gzip, two members", "gzip -c part1.pgn > games.x && gzip -c part2.pgn >> games.x"},
    {"bzip2", "bzip2 -1 -c games.pgn > games.x"},
    {"bzip2, two streams", "bzip2 -1 -c part1.pgn > games.x && bzip2 -1 -c part2.pgn >> games.x"},
};

TEST(CompressedInput, SortsExactlyAsThePlainFile) {
    const std::string games = source_file("tests/data/online-games.pgn") + source_file("examples/games.pgn");
    const std::size_t half = games.find("\n[Event ", games.size() / 2) + 1;
    sieve_dir plain;
    copy_default_lists(plain);
    plain.write("games.pgn", games);
    ASSERT_EQ(plain.run({"games.pgn"}).status, 0);
    const auto expected = plain.outputs();
    for (const compressed_case& c : compressed_cases) {
        sieve_dir dir;
        copy_default_lists(dir);
        dir.write("games.pgn", games);
        dir.write("part1.pgn", games.substr(0, half));
        dir.write("part2.pgn", games.substr(half));
        ASSERT_EQ(dir.shell(c.command), 0) << c.name;
        std::filesystem::remove(dir.path() + "/games.pgn");
        const run_result r = dir.run({"games.x", "--threads", "2"});
        EXPECT_EQ(r.status, 0) << c.name << r.out;
        EXPECT_EQ(dir.outputs(), expected) << c.name;
        // Through standard input too: the format is recognised by its bytes, not by a name.
        sieve_dir piped;
        copy_default_lists(piped);
        const run_result p = piped.run({"-"}, *dir.read("games.x"));
        EXPECT_EQ(p.status, 0) << c.name;
        EXPECT_EQ(piped.outputs(), expected) << c.name;
    }
}

// Compressed inputs decoded ahead of their turn, by threads of their own, sort exactly as when each is
// decoded in its turn: the same outputs, and with a damaged input among them, the same messages and
// nothing kept.
TEST(CompressedInput, InputsDecodedAheadSortAsInTheirTurn) {
    const std::string games = source_file("tests/data/online-games.pgn") + source_file("examples/games.pgn");
    const char* packers[] = {"zstd -q -c", "gzip -c", "cat", "xz -c", "bzip2 -c", "zstd -q -c"};
    for (const bool damaged : {false, true}) {
        std::map<std::string, std::string> outputs[2];
        std::string said[2];
        for (const int ahead : {0, 3}) {
            sieve_dir dir;
            copy_default_lists(dir);
            dir.set_env("GAMESIEVE_TEST_DECODERS_AHEAD", std::to_string(ahead));
            dir.set_env("GAMESIEVE_TEST_CHUNK_BYTES", "3000");
            std::vector<std::string> args = {"-j", "3"};
            std::size_t from = 0;
            for (std::size_t k = 0; k < std::size(packers); ++k) {
                const std::size_t to = k + 1 == std::size(packers)
                                           ? games.size()
                                           : games.find("\n[Event ", games.size() * (k + 1) / 6) + 1;
                const std::string name = "part" + std::to_string(k);
                dir.write(name + ".pgn", games.substr(from, to - from));
                ASSERT_EQ(dir.shell(std::string(packers[k]) + " " + name + ".pgn > " + name + ".x"), 0);
                if (damaged && k == 3) {
                    ASSERT_EQ(dir.shell("truncate -s -20 " + name + ".x"), 0);
                }
                args.push_back(name + ".x");
                from = to;
            }
            const run_result r = dir.run(args);
            EXPECT_EQ(r.status, damaged ? 1 : 0) << r.out;
            outputs[ahead != 0] = dir.outputs();
            said[ahead != 0] = r.out;
        }
        EXPECT_EQ(outputs[1], outputs[0]) << damaged;
        EXPECT_EQ(said[1], said[0]);
        EXPECT_EQ(said[0].find("Error: During reading part3.x\n") != std::string::npos, damaged) << said[0];
    }
}

// Damage anywhere in a compressed input fails the run, and nothing of it is kept: the outputs that were
// there keep their bytes, and those it created are gone.
TEST(CompressedInput, DamageIsAReadErrorAndNothingIsKept) {
    const std::string games = source_file("examples/games.pgn");
    for (const compressed_case& c : compressed_cases) {
        if (std::string_view(c.name).find(',') != std::string_view::npos) continue;
        for (const char* damage : {"truncated", "corrupt"}) {
            sieve_dir dir;
            copy_default_lists(dir);
            dir.write("games.pgn", games);
            dir.write("rest_vs_rest.pgn", "kept from before\n");
            ASSERT_EQ(dir.shell(c.command), 0);
            std::string bytes = *dir.read("games.x");
            if (std::string_view(damage) == "truncated") {
                bytes.resize(bytes.size() * 2 / 3);
            } else {
                for (std::size_t i = bytes.size() * 9 / 10; i < bytes.size() * 9 / 10 + 64; ++i)
                    bytes[i] = static_cast<char>(bytes[i] ^ 0x55);
            }
            dir.write("games.x", bytes);
            const run_result r = dir.run({"games.x"});
            EXPECT_EQ(r.status, 1) << c.name << " " << damage;
            // Damage inside a block is found only at the block's check, so a corrupt block may still
            // give (and warn about) garbage before the error.
            // The reason says which: cut short, or damaged (a corrupt end may also read as cut short).
            const std::string cut_short = "  the compressed data ends before its frame does\n";
            const std::string damaged = "  the compressed data is damaged\n";
            const std::string kept =
                "Error: nothing of this run was kept: every output is as it was before the run\n";
            const std::string reading = "\nError: During reading games.x\n";
            EXPECT_TRUE(r.out.ends_with(reading + cut_short + kept) ||
                        (std::string_view(damage) == "corrupt" && r.out.ends_with(reading + damaged + kept)))
                << c.name << " " << damage << r.out;
            const std::map<std::string, std::string> expected = {{"rest_vs_rest.pgn", "kept from before\n"}};
            EXPECT_EQ(dir.outputs(), expected) << c.name << " " << damage;
            EXPECT_FALSE(dir.exists(".gamesieve-journal"));
        }
    }
}

TEST(CompressedInput, TextThatMerelyStartsLikeAMagicNumberIsText) {
    sieve_dir dir;
    dir.write("a.pgn", "BZh9 is not bzip2\n" + program_game);
    EXPECT_EQ(dir.run({"a.pgn"}).status, 0);
    EXPECT_EQ(dir.read("rest_vs_rest.pgn"),
              "BZh9 is not bzip2\n[Event \"E\"]\n[White \"Deep Blue\"]\n"
              "[Black \"Fritz 3\"]\n1. e4 *\n\n");
}

}  // namespace
}  // namespace gs::testing

namespace gs::testing {
namespace {

// The recipe for sorting past one machine: each file of a dump sorted in its own directory (by GNU
// parallel, on any host), then each output concatenated in the order of the files. It must equal one run
// over all the files.
TEST(SortingInPieces, EachFileInItsOwnDirectoryThenConcatenatedEqualsOneRun) {
    const std::string games = source_file("examples/games.pgn") + source_file("tests/data/online-games.pgn");
    std::vector<std::string> parts;
    for (std::size_t at = 0; at < games.size();) {
        // Cut anywhere, also inside a game's tags, as monthly archives need not be cut at games.
        const std::size_t size = std::min<std::size_t>(games.size() - at, 50'000 + parts.size() * 7'777);
        parts.push_back(games.substr(at, size));
        at += size;
    }
    sieve_dir whole;
    copy_default_lists(whole);
    std::vector<std::string> names;
    for (std::size_t i = 0; i < parts.size(); ++i) {
        names.push_back("part-" + std::to_string(i) + ".pgn");
        whole.write(names.back(), parts[i]);
    }
    ASSERT_EQ(whole.run(names).status, 0);

    std::map<std::string, std::string> concatenated;
    for (std::size_t i = 0; i < parts.size(); ++i) {
        sieve_dir piece;
        copy_default_lists(piece);
        piece.write("in.pgn", parts[i]);
        ASSERT_EQ(piece.run({"-q", "in.pgn"}).status, 0);
        for (const auto& [name, bytes] : piece.outputs())
            concatenated[name] += bytes;
    }
    EXPECT_EQ(whole.outputs(), concatenated);
}

// A file with classic Mac line ends is kept byte for byte (as one line), and --summary says how to
// convert it; a file with carriage returns and line feeds, or one that is only text, is not warned about.
TEST(Inputs, SummaryWarnsAboutClassicMacLineEnds) {
    sieve_dir dir;
    const std::string mac = "[Event \"E\"]\r[White \"A\"]\r\r1. e4 *\r\r[Event \"F\"]\r\r1. d4 *\r";
    dir.write("mac.pgn", mac);
    dir.write("dos.pgn", "[Event \"E\"]\r\n\r\n1. e4 *\r\n");
    const run_result r = dir.run({"-q", "-s", "dos.pgn", "mac.pgn"});
    EXPECT_EQ(r.status, 0);
    EXPECT_TRUE(
        r.out.ends_with("Warning: mac.pgn has carriage returns but no line feed in its first megabyte: "
                        "classic Mac line ends make it one line; convert it with tr '\\r' '\\n'\n"))
        << r.out;
    EXPECT_EQ(r.out.find("dos.pgn has"), std::string::npos);
    // One line, which loses its trailing carriage return as every line does.
    EXPECT_TRUE(dir.read("rest_vs_rest.pgn")->ends_with(mac.substr(0, mac.size() - 1) + "\n"));
    // Without --summary nothing is said.
    EXPECT_EQ(dir.run({"-q", "--again", "mac.pgn"}).out, "");
}

}  // namespace
}  // namespace gs::testing
