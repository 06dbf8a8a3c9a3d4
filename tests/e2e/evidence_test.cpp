// The evidence of the game (--evidence) on real files: engine tournaments and match runners' games, with
// their players' names made unknown and their Event and Site blanked; people's games with a server's
// evaluations and clocks on every move, and with an engine's annotations.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "support/accounting.hpp"
#include "support/sieve_dir.hpp"

namespace gs::testing {
namespace {

// The text of a file of tests/data/engines, decompressed.
std::string engine_data(const sieve_dir& dir, const std::string& name) {
    const std::string path = std::string(GAMESIEVE_SOURCE_DIR) + "/tests/data/engines/" + name;
    EXPECT_EQ(dir.shell("xz -dc '" + path + "' > data.pgn"), 0);
    return *dir.read("data.pgn");
}

// The text with the value of every tag line of the named tags replaced.
std::string with_tags(const std::string& text, const std::vector<std::string>& tags,
                      const std::string& value) {
    std::string out;
    std::size_t at = 0;
    while (at < text.size()) {
        std::size_t end = text.find('\n', at);
        end = end == std::string::npos ? text.size() : end + 1;
        std::string line = text.substr(at, end - at);
        for (const std::string& tag : tags) {
            if (line.starts_with("[" + tag + " \"")) line = "[" + tag + " \"" + value + "\"]\n";
        }
        out += line;
        at = end;
    }
    return out;
}

std::size_t count_of(const std::string& text, const std::string& what) {
    std::size_t n = 0;
    for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1))
        ++n;
    return n;
}

// The games of text that have a first move ("1." after their tags); the others, which a runner wrote for
// games that never started, say nothing of their players.
std::size_t games_with_moves(const std::string& text) {
    std::size_t n = 0;
    for (std::size_t at = text.find("[Event "); at != std::string::npos;) {
        const std::size_t next = text.find("\n[Event ", at);
        const std::string game = text.substr(at, next == std::string::npos ? std::string::npos : next - at);
        std::size_t tags_end = 0;
        while (tags_end < game.size() && game[tags_end] == '[')
            tags_end = game.find('\n', tags_end) + 1;
        if (game.find("1.", tags_end) != std::string::npos) ++n;
        at = next == std::string::npos ? next : next + 1;
    }
    return n;
}

// Sorts input with the shipped lists and the options into fresh outputs; the outputs by name, and the
// report why.tsv when the options ask for it.
std::map<std::string, std::string> sorted(const std::string& input, const std::vector<std::string>& options,
                                          const std::string& chunk_bytes = "0") {
    sieve_dir dir;
    dir.set_env("GAMESIEVE_TEST_CHUNK_BYTES", chunk_bytes);
    copy_default_lists(dir);
    dir.write("in.pgn", input);
    std::vector<std::string> args = {"-q"};
    args.insert(args.end(), options.begin(), options.end());
    args.push_back("in.pgn");
    const run_result r = dir.run(args);
    EXPECT_EQ(r.status, 0) << r.out;
    std::map<std::string, std::string> outputs = dir.outputs();
    if (dir.exists("why.tsv")) outputs["why.tsv"] = *dir.read("why.tsv");
    return outputs;
}

// Engine games whose players no list knows: every game with a move lands in comp_vs_comp by the engine
// output on its moves, with or without its Event and Site, and nothing is lost or torn.
TEST(Evidence, EngineGamesWithUnknownNamesAreProgramsByTheirMoves) {
    const std::vector<std::string> files = {
        "cutechess_kiyengine_tournament.pgn.xz",
        "cutechess_chess_challenge_sprt.pgn.xz",
        "TCEC_Match_2.pgn.xz",
        "TCEC_Season_2_-_Division_E.pgn.xz",
        "TCEC_Season_28_-_Category_2_Playoff_Tiebreak_1.pgn.xz",
    };
    sieve_dir scratch;
    for (const std::string& file : files) {
        const std::string real = engine_data(scratch, file);
        const std::string unknown = with_tags(real, {"White", "Black"}, "Zq Unknownplayer");
        const std::size_t games = games_with_moves(real);
        ASSERT_GT(games, 10u) << file;
        for (const std::string& input : {unknown, with_tags(unknown, {"Event", "Site"}, "?")}) {
            const auto outputs = sorted(input, {"--evidence", "-j2"});
            EXPECT_EQ(count_of(outputs.at("comp_vs_comp.pgn"), "[Event "), games) << file;
            const accounting a = check_accounting(input, output_views(outputs));
            EXPECT_TRUE(a.ok) << file << ": " << a.fault;
        }
        // Without the evidence, the same games are nobody's.
        EXPECT_EQ(sorted(unknown, {}).at("comp_vs_comp.pgn"), "") << file;
    }
}

// People's games never reach a comp_* file: a server's evaluations and clocks on every move, an engine's
// annotations and scored variations, and a game with no comments at all; with their names made unknown and
// their Site blanked, so that neither the lists nor the server's tags decide.
TEST(Evidence, PeoplesAnalysedGamesStayOutOfTheProgramOutputs) {
    sieve_dir scratch;
    std::string input;
    for (const char* file : {"lichess_eval_clk_blunder_hunter.pgn.xz", "chess_artist_analyzed_sample.pgn.xz",
                             "chess_artist_anderssen_dufresne_annotated.pgn.xz"})
        input += engine_data(scratch, file) + "\n";
    input = with_tags(with_tags(input, {"White", "Black"}, "Zq Unknownplayer"), {"Site"}, "?");
    ASSERT_GE(count_of(input, "[%eval "), 100u);
    const auto outputs = sorted(input, {"--evidence"});
    for (const char* name : {"comp_vs_comp.pgn", "comp_vs_human.pgn", "comp_vs_rest.pgn"})
        EXPECT_EQ(outputs.at(name), "") << name;
}

// A marker or a list wins over the evidence: a listed human with engine output on every move stays human,
// and so Kasparov against Deep Blue (named so) is a program against a human, with or without comments.
TEST(Evidence, AListedHumanWithEngineLikeCommentsStaysHuman) {
    sieve_dir scratch;
    std::string kiy = engine_data(scratch, "cutechess_kiyengine_tournament.pgn.xz");
    kiy = with_tags(with_tags(kiy.substr(0, kiy.find("\n[Event ", 1) + 1), {"White"}, "Kasparov, Garry"),
                    {"Black"}, "Zq Unknownplayer");
    const std::string deep_blue = engine_data(scratch, "kasparov_deep_blue_1997.pgn.xz");
    const auto outputs = sorted(kiy + deep_blue, {"--evidence"});
    EXPECT_EQ(count_of(outputs.at("comp_vs_human.pgn"), "[Event "), 1u + count_of(deep_blue, "[Event "));
    EXPECT_EQ(count_of(outputs.at("comp_vs_human.pgn"), "Kasparov, Garry"), 1u);
}

// What decided each player, in the explanation report; tags and events on games without moves.
TEST(Evidence, TheReportSaysWhichEvidenceDecided) {
    const std::string games =
        "[Event \"Club\"]\n[White \"Zq One\"]\n[Black \"Zq Two\"]\n\n"
        "1. e4 {+0.2/9 1s} e5 {book} 2. Nf3 {+0.3/9 1s} Nc6 {0.5s} 3. Bb5 a6 {-0.1/8 1s} *\n\n"
        "[Event \"TCEC Season 99\"]\n[White \"Zq Three\"]\n[Black \"Zq Four\"]\n[BlackTitle \"GM\"]\n\n*\n\n"
        "[Event \"Open\"]\n[White \"Zq Five\"]\n[Black \"Zq Six\"]\n[WhiteFideId \"4100018\"]\n"
        "[BlackTitle \"BOT\"]\n\n1. d4 d5 *\n";
    const std::string report = sorted(games, {"--explain", "why.tsv", "--evidence"}).at("why.tsv");
    EXPECT_NE(
        report.find("\tcomputer\tengine output on 2 of 3 moves\tcomputer\tengine output on 2 of 2 moves\t"
                    "comp_vs_comp.pgn\n"),
        std::string::npos)
        << report;
    EXPECT_NE(report.find("\tcomputer\tcomputer event \"TCEC Season 99\" (comp_events.cfg: *TCEC*)\thuman\t"
                          "title GM\tcomp_vs_human.pgn\n"),
              std::string::npos)
        << report;
    EXPECT_NE(report.find("\thuman\tFIDE id\tcomputer\tplayer tag\tcomp_vs_human.pgn\n"), std::string::npos)
        << report;
    // Each kind alone: the tags without the moves leave the first game's players undetermined.
    const std::string tags_only = sorted(games, {"--explain", "why.tsv", "--evidence=tags"}).at("why.tsv");
    EXPECT_NE(tags_only.find("\tundetermined\tno rule\tundetermined\tno rule\trest_vs_rest.pgn\n"),
              std::string::npos)
        << tags_only;
}

// A game longer than a chunk, whose moves decide, is routed whole and right, the same for every thread
// count; a game whose tags end its input is routed too.
TEST(Evidence, AGameLongerThanAChunkIsRoutedWhole) {
    std::string moves;
    for (int n = 1; n <= 3000; ++n)
        moves += std::to_string(n) + ". Nf3 {+0.12/20 1.5s} Nf6 {-0.10/19 1.4s} ";
    const std::string long_game = "[Event \"?\"]\n[White \"Zq A\"]\n[Black \"Zq B\"]\n" + moves + "*\n\n";
    std::string tags;
    for (int n = 0; n < 10000; ++n)
        tags += "[Note" + std::to_string(n) + " \"x\"]\n";
    const std::string many_tags =
        "[Event \"?\"]\n[White \"Zq C\"]\n[Black \"Zq D\"]\n" + tags + "\n" + moves + "*\n\n";
    const std::string last = "[Event \"?\"]\n[White \"Zq E\"]\n[Black \"Zq F\"]\n";
    const std::string input = long_game + many_tags + last;
    const auto one = sorted(input, {"--evidence", "-j1"}, "4096");
    // Compared as truth values: a failure would print megabytes.
    EXPECT_TRUE(one.at("comp_vs_comp.pgn") == long_game + many_tags) << one.at("comp_vs_comp.pgn").size();
    EXPECT_EQ(one.at("rest_vs_rest.pgn"), last);
    EXPECT_TRUE(sorted(input, {"--evidence", "-j3"}, "4096") == one);
}

// --unlisted: one line per name that no list decided, most games first, with the evidence and the
// opponents; written only by a run that keeps its outputs, and never over an output or to standard output.
TEST(Evidence, UnlistedNamesForTheListKeeper) {
    sieve_dir dir;
    copy_default_lists(dir);
    const std::string games =
        "[Event \"?\"]\n[White \"Zq Alpha\"]\n[Black \"Kasparov, Garry\"]\n\n1. e4 {+0.2/9 1s} e5 2. d4 "
        "{+0.1/9 1s} *\n\n"
        "[Event \"?\"]\n[White \"Zq Alpha\"]\n[Black \"Zq Person\"]\n[BlackTitle \"IM\"]\n\n1. e4 {+0.3/9 "
        "1s} e5 *\n\n"
        "[Event \"?\"]\n[White \"Zq Person\"]\n[Black \"Stockfish 17\"]\n\n1. e4 e5 *\n";
    dir.write("in.pgn", games);
    ASSERT_EQ(dir.run({"-q", "--evidence", "--unlisted", "u.tsv", "in.pgn"}).status, 0);
    EXPECT_EQ(*dir.read("u.tsv"),
              "# Players that no marker and no list decided: 2 names, seen 4 times, most games first.\n"
              "name\tgames\tevidence\topponents\tlist\tentry\terror\n"
              "Zq Alpha\t2\tprogram by engine output in 2 games\thuman 2\tcomputers.cfg\tZQALPHA\t0\n"
              "Zq Person\t2\thuman by title in 1 game\tcomputer 2\thumans.cfg\tZQPERSON\t0\n");
    // Refused before anything is written: standard output, an output file, the explain report.
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"--unlisted", "-", "in.pgn"},
          std::vector<std::string>{"--unlisted", "rest_vs_rest.pgn", "in.pgn"},
          std::vector<std::string>{"--unlisted", "w.tsv", "--explain", "w.tsv", "in.pgn"}}) {
        sieve_dir refused;
        refused.write("in.pgn", games);
        const run_result r = refused.run(args);
        EXPECT_EQ(r.status, 1) << r.out;
        EXPECT_FALSE(refused.exists("comp_vs_comp.pgn")) << r.out;
    }
}

}  // namespace
}  // namespace gs::testing
