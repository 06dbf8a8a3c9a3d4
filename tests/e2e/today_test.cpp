// Today's games with the shipped lists: engines as the rating lists write them (with and without their
// build tags), programs of every era, today's players in their three name orders, people whose names are
// also engines', and lichess exports with the player tags.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "lists/list_files.hpp"
#include "support/capture.hpp"
#include "support/sieve_dir.hpp"
#include "text/line_reader.hpp"

namespace gs::testing {
namespace {

std::string game(const std::string& event, const std::string& white, const std::string& black,
                 const std::string& extra = "") {
    return "[Event \"" + event + "\"]\n[Site \"?\"]\n[White \"" + white + "\"]\n[Black \"" + black + "\"]\n" +
           extra + "\n1. e4 e5 *\n\n";
}

// How many games of the input each output received, by output name.
std::map<std::string, int> sorted_counts(sieve_dir& dir, const std::string& input,
                                         const std::vector<std::string>& options = {}) {
    dir.write("in.pgn", input);
    for (const std::string& name : output_names)
        std::filesystem::remove(dir.path() + "/" + name);
    std::vector<std::string> args = {"-q"};
    args.insert(args.end(), options.begin(), options.end());
    args.push_back("in.pgn");
    EXPECT_EQ(dir.run(args).status, 0);
    std::map<std::string, int> counts;
    for (const auto& [name, text] : dir.outputs()) {
        for (std::size_t at = text.find("[Event "); at != std::string::npos;
             at = text.find("[Event ", at + 1))
            ++counts[name];
    }
    return counts;
}

// Engines of today's rating lists, as the lists write them.
const std::vector<std::string> engines = {
    "Stockfish 17.1",
    "Lc0 0.31.2",
    "Torch 3",
    "Berserk 13",
    "Obsidian 15.0",
    "PlentyChess 4.0",
    "Caissa 1.22",
    "Viridithas 17.0",
    "Alexandria 8.0",
    "Stormphrax 7.0",
    "Integral 6",
    "Reckless 0.9",
    "Ethereal 14.25",
    "RubiChess 20240817",
    "Koivisto 9.2",
    "Clover 8.1",
    "Seer 2.8",
    "Minic 3.43",
    "Igel 3.5",
    "Rebel 17",
    "Slow Chess 2.9",
    "Tcheran 11",
    "Uralochka 4",
    "Horsie 1.0",
    "Sirius 8.0",
    "Altair 7.1",
    "Starzix 5.0",
    "Akimbo 1.0",
    "Calvin 5",
    "Motor 0.7",
    "Pawnocchio 1.5",
    "Renegade 1.1",
    "Polaris 1.9",
    "Stash 36",
    "Halogen 12",
    "Weiss 2.0",
    "Velvet 8.1",
    "Carp 3.0",
    "Wasp 7.0",
    "Devre 4",
    "Lynx 2.0",
    "Frozenight 6",
    "Black Marlin 9",
    "Smallbrain 9",
    "Simbelmyne 1.4",
    "Svart 7",
    "Serendipity 2",
    "Wahoo 4",
    "Avalanche 2.1",
    "Princhess 0.18",
    "Arasan 25.0",
    "Marvin 6.3",
    "Booot 7.2",
    "Rofchade 3.1",
    "Dragon 3.3 by Komodo Chess",
    "Komodo Dragon 3.3",
    "Fat Fritz 2",
    "ShashChess 38",
    "Patricia 5",
    "Willow 4",
    "Peacekeeper 2",
    "Leorik 3.1",
    "Zurichess Neuchatel",
    "Combusken 2.0",
    "Ceres 0.98",
};

// The build tags of the rating lists, added to the names above.
const std::vector<std::string> build_tags = {" 64-bit 4CPU", " 64-bit",     " x64 1CPU", " avx2",
                                             " bmi2 8CPU",   " x64 popcnt", " sse4.2"};

TEST(TodaysGames, RatingListEnginesAreProgramsWithAndWithoutBuildTags) {
    sieve_dir dir(false);
    copy_default_lists(dir);
    for (std::size_t tags = 0; tags <= build_tags.size(); ++tags) {
        std::string against_human, between;
        for (std::size_t i = 0; i < engines.size(); ++i) {
            const std::string tag = tags == 0 ? "" : build_tags[(i + tags) % build_tags.size()];
            const std::string name = engines[i] + tag;
            const std::string next = engines[(i + 1) % engines.size()] + tag;
            against_human += game("Test " + std::to_string(i), name, "Carlsen, Magnus");
            between += game("CCRL 40/15", name, next);
        }
        const int count = static_cast<int>(engines.size());
        EXPECT_EQ(sorted_counts(dir, against_human)["comp_vs_human.pgn"], count) << "tags " << tags;
        EXPECT_EQ(sorted_counts(dir, between)["comp_vs_comp.pgn"], count) << "tags " << tags;
    }
}

// An engine that no list knows is still known by its build tags.
TEST(TodaysGames, BuildTagsMakeAnUnknownNameAProgram) {
    sieve_dir dir(false);
    copy_default_lists(dir);
    std::string input;
    const std::vector<std::string> tagged = {
        "Zqxwv 1.0 64-bit 4CPU", "Zqxwv 1.0 64-bit",   "Zqxwv_1.0_x64_avx2",
        "Zqxwv 2 bmi2",          "Zqxwv 2 x64 popcnt", "Zqxwv 0.3 RTX4090",
        "Zqxwv 2 32-bit",        "Zqxwv 1 16CPU",      "Zqxwv NNUE"};
    for (std::size_t i = 0; i < tagged.size(); ++i)
        input += game("Test " + std::to_string(i), tagged[i], "Carlsen, Magnus");
    EXPECT_EQ(sorted_counts(dir, input)["comp_vs_human.pgn"], static_cast<int>(tagged.size()));
    EXPECT_EQ(sorted_counts(dir, game("Test", "Zqxwv 1.0", "Carlsen, Magnus"))["rest_vs_rest.pgn"], 1);
}

TEST(TodaysGames, ProgramsOfEveryEraInTheirFormsArePrograms) {
    const std::vector<std::string> programs = {
        "Sargon III",        "Socrates II",    "Sjeng WC-2008",
        "Fidelity Mach III", "Mephisto III",   "Super Constellation",
        "Constellation 3.6", "Deep Blue",      "Deep Thought",
        "Cray Blitz",        "Hitech",         "Belle 2",
        "Chess 4.6",         "Mac Hack VI",    "Kaissa 2",
        "Fritz 19",          "Deep Fritz 14",  "Shredder 13",
        "Junior 13",         "Hiarcs 15",      "Rybka 4.1",
        "Houdini 6",         "Crafty 25.2",    "Fruit 2.1",
        "Toga II 4.0",       "Glaurung 2.2",   "Zappa Mexico II",
        "Naum 4.6",          "Critter 1.6a",   "Gull 3",
        "Chessmaster 11",    "Chess Genius 3", "Rebel Century 4",
        "Nimzo 8",           "Tiger 15",       "Stockfish dev-20240817",
        "Ethereal 12.75",    "Crafty 23.4 MP", "Fruit 2.1 JA",
        "Lc0 v0.30.0",
    };
    sieve_dir dir(false);
    copy_default_lists(dir);
    std::string input;
    for (std::size_t i = 0; i < programs.size(); ++i)
        input += game("Test " + std::to_string(i), programs[i], "Kasparov, Garry");
    EXPECT_EQ(sorted_counts(dir, input)["comp_vs_human.pgn"], static_cast<int>(programs.size()));
}

TEST(TodaysGames, TodaysPlayersInEveryNameOrderAreHuman) {
    const std::vector<std::vector<std::string>> players = {
        {"Firouzja, Alireza", "Firouzja A", "Alireza Firouzja"},
        {"Gukesh, Dommaraju", "Gukesh D", "Dommaraju Gukesh"},
        {"Praggnanandhaa, Rameshbabu", "Praggnanandhaa R", "Rameshbabu Praggnanandhaa"},
        {"Nepomniachtchi, Ian", "Nepomniachtchi I", "Ian Nepomniachtchi"},
        {"Abdusattorov, Nodirbek", "Abdusattorov N", "Nodirbek Abdusattorov"},
        {"Erigaisi, Arjun", "Erigaisi A", "Arjun Erigaisi"},
        {"Goryachkina, Aleksandra", "Goryachkina A", "Aleksandra Goryachkina"},
        {"Ju, Wenjun", "Ju W", "Wenjun Ju", "Ju Wenjun"},
        {"Wei, Yi", "Wei Yi", "Yi Wei"},
        {"Gukesh D", "D Gukesh", "Gukesh, D."},
        {"Caruana, Fabiano", "Caruana F", "Fabiano Caruana"},
        {"Nakamura, Hikaru", "Nakamura H", "Hikaru Nakamura"},
    };
    sieve_dir dir(false);
    copy_default_lists(dir);
    std::string input;
    int count = 0;
    for (const auto& forms : players) {
        for (const std::string& name : forms) {
            input += game("Test " + std::to_string(count), name, "Stockfish 17");
            ++count;
        }
    }
    EXPECT_EQ(sorted_counts(dir, input)["comp_vs_human.pgn"], count);
}

// People whose names are also engines' stay people: against an unknown player their games are no
// program's.
TEST(TodaysGames, PeopleNamedLikeEnginesAreNoPrograms) {
    const std::vector<std::string> people = {
        "Rybka, Jan",     "Koivisto, Mikko", "Fritz, Hans",  "Junior, Carlos", "Marvin, Lee",
        "Leela, Sharma",  "Calvin, Peter",   "Carp, Thomas", "Lynx, Anna",     "Sirius, Paul",
        "Weiss, Ulrich",  "Velvet, Mary",    "Halogen, Rob", "Rebel, Tom",     "Ceres, Laura",
        "Stein, Leonid",  "Polaris, Joan",   "Motor, Ian",   "Cheng, Wei",     "Crystal, Ann",
        "Hannibal, John", "Spike, Lee",      "Texel, Jan",   "Wasp, Bert",     "Gull, Emma",
    };
    sieve_dir dir(false);
    copy_default_lists(dir);
    std::string input;
    for (std::size_t i = 0; i < people.size(); ++i)
        input += game("Club " + std::to_string(i), people[i], "Somebody, Unknown");
    const std::map<std::string, int> counts = sorted_counts(dir, input);
    EXPECT_EQ(counts.count("comp_vs_human.pgn") + counts.count("comp_vs_comp.pgn") +
                  counts.count("comp_vs_rest.pgn"),
              0u);
    EXPECT_EQ(counts.at("rest_vs_rest.pgn"), static_cast<int>(people.size()));
}

// The build tags are kept in their own part of computers.cfg; no name of the players of the shipped
// collections, and no entry of the shipped human lists, matches one of them.
TEST(TodaysGames, BuildTagsMatchNoHumanName) {
    const std::string computers = source_file("lists/computers.cfg");
    const std::size_t begin = computers.find("# Build tags");
    ASSERT_NE(begin, std::string::npos);
    const std::size_t end = computers.find("# Generated", begin);
    std::string tags;
    std::size_t count = 0;
    for (std::size_t at = computers.find('\n', begin) + 1; at < end;) {
        const std::size_t feed = computers.find('\n', at);
        const std::string line = computers.substr(at, feed - at);
        if (!line.starts_with("#")) {
            tags += line + "\n";
            ++count;
        }
        at = feed + 1;
    }
    EXPECT_GE(count, 10u);
    name_list list;
    ASSERT_TRUE(add_list_lines(tags, list, false));
    index_name_list(list);
    const auto form = [](std::string name) { return name_in_form(name_form::capitals, name); };
    std::vector<std::string> names;
    for (const char* file : {"examples/games.pgn", "tests/data/online-games.pgn"}) {
        const std::string text = source_file(file);
        for (const char* tag : {"[White \"", "[Black \""}) {
            for (std::size_t at = text.find(tag); at != std::string::npos; at = text.find(tag, at + 1)) {
                const std::size_t from = at + std::string_view(tag).size();
                names.push_back(text.substr(from, text.find('"', from) - from));
            }
        }
    }
    EXPECT_GT(names.size(), 1000u);
    for (const std::string& name : names)
        EXPECT_FALSE(list_contains(form(name), list)) << name;
    const std::string humans = source_file("lists/humans.cfg");
    for (std::size_t at = 0; at < humans.size();) {
        const std::size_t feed = humans.find('\n', at);
        std::string entry = humans.substr(at, feed - at);
        at = feed == std::string::npos ? humans.size() : feed + 1;
        if (entry.empty() || entry.starts_with("#")) continue;
        std::erase(entry, '*');
        EXPECT_FALSE(list_contains(entry, list)) << entry;
    }
}

// A lichess export marks every program account with the title BOT: with --player-tags a player of a
// lichess game without it is human, so a bot against a person is a computer against a human.
TEST(TodaysGames, LichessPlayersWithoutTheBotTitleAreHuman) {
    const auto lichess = [](const std::string& white, const std::string& white_title,
                            const std::string& black, const std::string& black_title) {
        std::string tags =
            "[Event \"Rated blitz game\"]\n[Site \"https://lichess.org/abcd1234\"]\n[White \"" + white +
            "\"]\n[Black \"" + black + "\"]\n";
        if (!white_title.empty()) tags += "[WhiteTitle \"" + white_title + "\"]\n";
        if (!black_title.empty()) tags += "[BlackTitle \"" + black_title + "\"]\n";
        return tags + "\n1. e4 e5 *\n\n";
    };
    sieve_dir dir(false);
    copy_default_lists(dir);
    const std::string bot_and_person = lichess("maia9", "BOT", "chessfan77", "");
    const std::string bot_and_titled = lichess("DrNykterstein", "GM", "stockfish-bot", "BOT");
    const std::string two_bots = lichess("Leela-bot", "BOT", "Stockfish-bot", "BOT");
    const std::string two_people = lichess("stockfish1990", "", "DrNykterstein", "GM");
    std::map<std::string, int> expected = {
        {"comp_vs_human.pgn", 2}, {"comp_vs_comp.pgn", 1}, {"rest_vs_rest.pgn", 1}};
    EXPECT_EQ(sorted_counts(dir, bot_and_person + bot_and_titled + two_bots + two_people, {"--player-tags"}),
              expected);
    // Without the option the names decide: "stockfish1990" reads as a program.
    const std::map<std::string, int> plain = sorted_counts(dir, two_people);
    EXPECT_EQ(plain.count("rest_vs_rest.pgn"), 0u);
}

}  // namespace
}  // namespace gs::testing
