#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "classify/game.hpp"
#include "classify/move_evidence.hpp"
#include "classify/player.hpp"
#include "lists/list_files.hpp"
#include "support/capture.hpp"

namespace gs {
namespace {

using testing::captured_console;
using enum player_class;

// Lists with a few entries each, in the forms that classification looks them up in.
name_lists sample_lists() {
    name_lists lists;
    const auto fill = [&](list_id id, const char* lines) {
        const bool word_mode = list_files[static_cast<std::size_t>(id)].word_mode;
        EXPECT_TRUE(add_list_lines(lines, list_of(lists, id), word_mode));
    };
    fill(list_id::computers, "DEEPBLUE*\nFRITZ[1-9]*\nHIARCS3\nJUNIOR\nMCHESS6\nMCHESS4\n");
    fill(list_id::humans, "KASPAROV*\nSMITH\n");
    fill(list_id::computers_when_opponent_is, "GENIUS\nREBEL\n");
    fill(list_id::computers_icc, "Fritz\n");
    fill(list_id::humans_icc_titled, "Smith Jones\n");
    fill(list_id::humans_icc_rest, "Brown*\n");
    fill(list_id::computers_fics, "crafty\n");
    fill(list_id::humans_fics, "Smith\n");
    fill(list_id::advanced_chess, "Team Kasparov\n");
    fill(list_id::adv_events, "*Freestyle*\nLeon Advanced\n");
    fill(list_id::comp_events, "WMCCC*\n");
    fill(list_id::human_events, "Aegon Humans*\n");
    return lists;
}

const name_lists lists = sample_lists();

// White's kind as classification settles it before the bye and opponent rules.
player_class kind_of(const std::string& name, const std::string& event = "", const std::string& site = "") {
    game_header header;
    header.event = event;
    header.site = site;
    header.white.name = name;
    game_facts facts = facts_of(header);
    name_forms forms;
    const judgement by_name = judge_name(name, facts.server, lists, forms);
    return settle_player(by_name, header.white, header, lists, false, facts).kind;
}

TEST(ServerKind, TheEventAndSiteNameTheServerInTheirOrder) {
    EXPECT_EQ(detect_server_kind("ICC 5 0", ""), server_kind::icc);
    EXPECT_EQ(detect_server_kind("mmeics", ""), server_kind::icc);
    EXPECT_EQ(detect_server_kind("", "Internet Chess Club"), server_kind::icc);
    EXPECT_EQ(detect_server_kind("", "chessclub.com"), server_kind::icc);
    EXPECT_EQ(detect_server_kind("ICC blitz", "FICS"), server_kind::icc);
    EXPECT_EQ(detect_server_kind("FICS rated", "ICC"), server_kind::icc);
    EXPECT_EQ(detect_server_kind("fics", ""), server_kind::fics);
    EXPECT_EQ(detect_server_kind("", "freechess.org"), server_kind::fics);
    EXPECT_EQ(detect_server_kind("FICS rated", "Rated game"), server_kind::fics);
    EXPECT_EQ(detect_server_kind("", "ICS rated blitz"), server_kind::icc);
    EXPECT_EQ(detect_server_kind("Open", "Rated game"), server_kind::icc);
    EXPECT_EQ(detect_server_kind("Open", "unrated"), server_kind::icc);
    EXPECT_EQ(detect_server_kind("icc", "Internet"), server_kind::other);
    EXPECT_EQ(detect_server_kind("", "www.chessclub.com"), server_kind::other);
}

TEST(ClassifyPlayer, NameMarkersWinOverLists) {
    for (const char* name : {"Comp: Fritz", "comp Fritz", "Fritz (c)", "X<computer>", "COMP Kasparov"}) {
        EXPECT_EQ(kind_of(name), computer) << name;
    }
    for (const char* name : {"Compton", "Competitor", "Comp:Fritz", "Fritz (C) ", "Fritz(C)x"}) {
        EXPECT_EQ(kind_of(name), unknown) << name;
    }
    EXPECT_EQ(kind_of("Comp: Smith", "ICC"), computer);
}

TEST(ClassifyPlayer, ByeTestUsesTheStrippedName) {
    for (const char* name : {"Bye", "B.Y.E.", "-bye-", "bye "})
        EXPECT_EQ(kind_of(name), bye) << name;
    EXPECT_EQ(kind_of("Bye Bye"), unknown);
    EXPECT_EQ(kind_of("Bye", "ICC"), bye);
}

TEST(ClassifyPlayer, ServerGamesUseOnlyThatServersListsWithoutRating) {
    EXPECT_EQ(kind_of("Fritz {2650}", "", "Internet Chess Club"), computer);
    EXPECT_EQ(kind_of("Fritz2 {2650}", "", "Internet Chess Club"), unknown);  // not in computers.cfg here
    EXPECT_EQ(kind_of("Jones", "ICC"), human);
    EXPECT_EQ(kind_of("Brownie {12}", "ICC"), human);
    EXPECT_EQ(kind_of("Smith", "ICC"), human);
    EXPECT_EQ(kind_of("crafty {2500}", "FICS"), computer);
    EXPECT_EQ(kind_of("Fritz", "FICS"), unknown);
    EXPECT_EQ(kind_of("Smith", "", "fics"), human);
    EXPECT_EQ(kind_of("Kasparov", "ICC"), unknown);
    EXPECT_EQ(kind_of("Anyone", "Freestyle ICC", "ICC"), unknown);
    // A server's player that only the general lists name is judged by no rule at all.
    for (server_kind server : {server_kind::icc, server_kind::fics}) {
        name_forms forms;
        EXPECT_EQ(judge_name("KASPAROV", server, lists, forms).rule, judged_by::none);
        EXPECT_EQ(judge_name("DEEPBLUE {2800}", server, lists, forms).rule, judged_by::none);
    }
}

TEST(ClassifyPlayer, OtherGamesUseNameFormsInOrder) {
    EXPECT_EQ(kind_of("Deep Blue"), computer);
    EXPECT_EQ(kind_of("Fritz 3"), computer);
    EXPECT_EQ(kind_of("Kasparov, Garry"), human);
    EXPECT_EQ(kind_of("smith"), human);
    EXPECT_EQ(kind_of("Genius"), depends_on_opponent);
    EXPECT_EQ(kind_of("Fritz {2650}"), unknown);
    EXPECT_EQ(kind_of("Team Kasparov"), advanced_team);
    EXPECT_EQ(kind_of("Team Kasparov  "), advanced_team);
    EXPECT_EQ(kind_of("Deep Blue", "PAL Freestyle 2005"), advanced_team);
    EXPECT_EQ(kind_of("Deep Blue", "", "Leon Advanced"), advanced_team);
    EXPECT_EQ(kind_of("", "", "Leon Advanced "), advanced_team);
    EXPECT_EQ(kind_of(""), unknown);
}

TEST(ClassifyPlayer, BuildsTheNameFormsItLooksUp) {
    name_forms forms;
    judge_name("Dr. J.-P. O'Neil {2100} ", server_kind::other, lists, forms);
    EXPECT_EQ(forms.stripped, "DRJPONEIL{2100}");
    judge_name("Dr. J.-P. O'Neil {2100} ", server_kind::icc, lists, forms);
    EXPECT_EQ(forms.unrated, "Dr. J.-P. O'Neil");
}

TEST(ClassifyPlayer, LookUpsLeaveTheHeaderAsItWas) {
    game_header header;
    header.event = "Corr ";
    header.site = "Somewhere  ";
    header.white.name = "Genius ";
    header.black.name = "Deep Blue";
    const game_header before = header;
    classifier scratch;
    game_verdict verdict;
    classify_game(header, lists, {}, scratch, verdict);
    EXPECT_EQ(header.event, before.event);
    EXPECT_EQ(header.site, before.site);
    EXPECT_EQ(header.white.name, before.white.name);
    // "Corr " is looked for in the Event without its trailing blanks, so it is no correspondence event.
    EXPECT_EQ(verdict.white.kind, computer);
    EXPECT_EQ(verdict.white.rule, judged_by::opponent);
}

TEST(ClassifyPlayer, MarkerAndByeTestsReadTheNameInCapitals) {
    EXPECT_TRUE(is_marked_computer("comp: x"));
    EXPECT_TRUE(is_marked_computer("x<Computer>"));
    EXPECT_FALSE(is_marked_computer("COMP"));
    EXPECT_FALSE(is_marked_computer("(C"));
    EXPECT_TRUE(is_bye_name(" b-y_e. "));
    EXPECT_FALSE(is_bye_name("BYES"));
    EXPECT_FALSE(is_bye_name("BY"));
    EXPECT_FALSE(is_bye_name(""));
}

TEST(ClassifyPlayer, PlayerTagsDecideOnlyWhenEnabled) {
    game_header header;
    header.white.name = "Kasparov";
    header.white.flagged_computer = true;
    header.black.name = "Deep Blue";
    header.black.flagged_human = true;
    classifier scratch;
    game_verdict verdict;
    classify_game(header, lists, {}, scratch, verdict);
    EXPECT_EQ(verdict.white.kind, human);
    EXPECT_EQ(verdict.black.kind, computer);
    classify_game(header, lists, {true, {}}, scratch, verdict);
    EXPECT_EQ(verdict.white.kind, computer);
    EXPECT_EQ(verdict.white.rule, judged_by::player_tag);
    EXPECT_EQ(verdict.black.kind, human);
    // A name marker still comes first, and a flag outranks a bye and the server lists.
    header.white.name = "Comp: Kasparov";
    header.white.flagged_computer = false;
    header.white.flagged_human = true;
    header.black.name = "Bye";
    header.event = "ICC 5 0";
    classify_game(header, lists, {true, {}}, scratch, verdict);
    EXPECT_EQ(verdict.white.rule, judged_by::marker);
    EXPECT_EQ(verdict.black.kind, human);
}

// Comments as match runners, GUIs and archives write them after an engine's move, and as people's games
// carry them (clocks, a server's analysis, an annotator's scores, prose).
TEST(MoveEvidence, EngineOutputAndWhatIsNot) {
    struct comment {
        const char* text;
        bool engine;
    };
    const std::vector<comment> comments = {
        {"+0.42/19 1.5s", true},
        {"-M12/38 0.070s", true},
        {"0.00/0 0.214s", true},
        {"ERR/0 2.228s", true},
        {"+M1/99 0.001s, Black mates", true},
        {"(e8g8 e2e3 b4c3 d2c3 b8c6) +0.50/5 0", true},
        {"-0.00/10 1", true},
        {"+0,08/12 7", true},
        {"0.41/20 329", true},
        {"[%eval 23,13] [%emt 0:00:28]", true},
        {"\n[%eval -230, 25]", true},
        {"d=28, sd=40, mt=57157, tl=1688748, n=123, pv=e4, tb=0, wv=0.53,", true},
        {" ev=0.00, d=1, mt=00:00:00, tl=02:30:00, s=0 kN/s, pv=d4, tb=0, R50=50,  ", true},
        {"1.9s", true},
        {" 0.97s, White disconnects ", true},
        {" [%eval 0.17] [%clk 0:02:30] ", false},
        {"[%eval #-8]", false},
        {"[%clk 0:02:30]", false},
        {"[%emt 0:00:28]", false},
        {"+0.18", false},
        {"Hash 32mb, Threads 1, @ 5.0s/pos", false},
        {"White scored 3/4 in the Open", false},
        {"1/2-1/2 agreed", false},
        {"played 12/05/2020", false},
        {"x+0.42/19", false},
        {"+0.42/", false},
        {"d=5 only", false},
        {"1.9 s", false},
        {"book", false},
        {"", false},
    };
    for (const comment& c : comments)
        EXPECT_EQ(is_engine_output(c.text), c.engine) << c.text;
    EXPECT_TRUE(is_book_mark(" book "));
    EXPECT_TRUE(is_book_mark("book, mb=+0+0+0+0+0,"));
    EXPECT_FALSE(is_book_mark("bookish"));
}

// Each side's moves, book moves and moves with engine output, read from movetext.
TEST(MoveEvidence, CountsEachSidesMoves) {
    struct counted {
        const char* movetext;
        side_moves white;
        side_moves black;
    };
    const std::vector<counted> games = {
        {"1. e4 {book} e5 {book} 2. Nf3 {+0.30/12 1.0s} Nc6 {-0.20/11 0.9s} 1-0", {2, 1, 1}, {2, 1, 1}},
        // a variation's moves and comments are not the game's; a second comment of a move tells nothing more
        {"1. d4 {+0.1/9 1s} (1. e4 {+0.5/20 2s} e5) d5 {1.2s} {+0.3/9 1s} 2. c4 *", {2, 0, 1}, {1, 0, 1}},
        // Black to move first, a move glued to its number, castling with zeros, a NAG and a result
        {"12... Nf6 {0.1/5 1} 13.Qe2 $1 0-0 {0.2/6 1} 1/2-1/2", {1, 0, 0}, {2, 0, 2}},
        // a comment before the first move, a line comment, a stray brace, a comment left open
        {"{Engine options} 1. e4 ; {+1.0/20 1s}\n e5 } {+0.3/9", {1, 0, 0}, {1, 0, 1}},
        {"1. e4 }{book} e5 {+0.1/5 1s} *", {1, 1, 0}, {1, 0, 1}},
        {"", {0, 0, 0}, {0, 0, 0}},
    };
    for (const counted& g : games) {
        const move_evidence e = read_move_evidence(g.movetext);
        for (std::size_t side = 0; side < 2; ++side) {
            const side_moves& want = side == 0 ? g.white : g.black;
            EXPECT_EQ(e.sides[side].moves, want.moves) << g.movetext << " side " << side;
            EXPECT_EQ(e.sides[side].book, want.book) << g.movetext << " side " << side;
            EXPECT_EQ(e.sides[side].engine, want.engine) << g.movetext << " side " << side;
        }
    }
}

// Half of a side's moves after the book; a quarter against a side that reached half; a game cut short in
// the book when both sides' moves all carry the mark.
TEST(MoveEvidence, WhichSidesPlayedLikePrograms) {
    struct sides {
        side_moves white;
        side_moves black;
        bool white_program;
        bool black_program;
    };
    const std::vector<sides> cases = {
        {{40, 8, 16}, {40, 8, 5}, true, false}, {{40, 8, 15}, {40, 8, 15}, false, false},
        {{40, 0, 20}, {40, 0, 10}, true, true}, {{40, 0, 20}, {40, 0, 9}, true, false},
        {{40, 0, 0}, {40, 0, 40}, false, true}, {{8, 8, 0}, {8, 8, 0}, true, true},
        {{3, 3, 0}, {3, 3, 0}, false, false},   {{9, 8, 1}, {8, 8, 0}, true, true},
        {{1, 0, 1}, {0, 0, 0}, true, false},    {{0, 0, 0}, {0, 0, 0}, false, false},
    };
    for (const sides& c : cases) {
        move_evidence e;
        e.sides = {c.white, c.black};
        const std::array<bool, 2> program = engine_play(e);
        EXPECT_EQ(program[0], c.white_program) << c.white.moves << " " << c.white.engine;
        EXPECT_EQ(program[1], c.black_program) << c.black.moves << " " << c.black.engine;
    }
}

// The evidence decides only a player that no marker and no list decided: tags first, then the moves,
// then a computer-only event.
TEST(ClassifyGame, EvidenceDecidesOnlyUndeterminedPlayers) {
    game_header header;
    header.white.name = "Kasparov";
    header.black.name = "Somebody";
    header.black.title = fide_title::im;
    classifier scratch;
    game_verdict verdict;
    const classify_options everything{false, {true, true, true}};
    classify_game(header, lists, everything, scratch, verdict);
    EXPECT_FALSE(verdict.awaits_moves);  // the title decided the only undetermined player
    EXPECT_EQ(verdict.black.rule, judged_by::title);
    header.black.title = fide_title::none;
    classify_game(header, lists, everything, scratch, verdict);
    ASSERT_TRUE(verdict.awaits_moves);
    finish_game(header, lists, everything, "1. e4 {+0.1/9 1s} e5 {+0.2/9 1s} *", verdict);
    EXPECT_EQ(verdict.white.kind, human);  // the list wins over the moves
    EXPECT_EQ(verdict.black.rule, judged_by::engine_output);
    EXPECT_EQ(verdict.output, output_role::comp_vs_human);
    // Without engine output, a computer-only event decides; without the events' evidence, nothing does.
    header.event = "WMCCC 1999";
    classify_game(header, lists, everything, scratch, verdict);
    finish_game(header, lists, everything, "1. e4 e5 *", verdict);
    EXPECT_EQ(verdict.black.rule, judged_by::computer_event);
    classify_game(header, lists, {false, {true, false, true}}, scratch, verdict);
    finish_game(header, lists, {false, {true, false, true}}, "1. e4 e5 *", verdict);
    EXPECT_EQ(verdict.black.kind, unknown);
    // An opponent-dependent name follows an opponent that the moves found a program.
    header.white.name = "Rebel";
    header.event = "";
    classify_game(header, lists, everything, scratch, verdict);
    finish_game(header, lists, everything, "1. e4 e5 {+0.2/9 1s} *", verdict);
    EXPECT_EQ(verdict.white.kind, computer);
    EXPECT_EQ(verdict.white.rule, judged_by::opponent);
    EXPECT_EQ(verdict.output, output_role::comp_vs_comp);
    // Without any evidence asked for, the game never waits for its moves.
    classify_game(header, lists, {}, scratch, verdict);
    EXPECT_FALSE(verdict.awaits_moves);
}

TEST(ClassifyGame, RepeatedNamesGiveTheSameAnswerFromTheMemo) {
    classifier scratch;
    for (int round = 0; round < 3; ++round) {
        for (const char* name : {"Deep Blue", "Kasparov", "Fritz {2650}", "Genius"}) {
            for (server_kind server : {server_kind::other, server_kind::icc, server_kind::fics}) {
                name_forms forms;
                const judgement direct = judge_name(name, server, lists, forms);
                const judgement kept = memo_judge_name(scratch.memo, name, server, lists, scratch.forms);
                EXPECT_EQ(kept.kind, direct.kind) << name;
                EXPECT_EQ(kept.rule, direct.rule) << name;
            }
        }
    }
    // Each name and server was judged once and kept once: the later rounds were answered from the table.
    EXPECT_EQ(scratch.memo.slots_used, 4u * 3u);
    // The same name on different servers is kept apart.
    EXPECT_EQ(memo_judge_name(scratch.memo, "Fritz", server_kind::icc, lists, scratch.forms).kind, computer);
    EXPECT_EQ(memo_judge_name(scratch.memo, "Fritz", server_kind::fics, lists, scratch.forms).kind, unknown);
}

// A server account is kept once, by its name without the rating group, whatever rating it shows; the
// marker and bye rules still read the name as written.
TEST(ClassifyGame, AnAccountIsKeptOnceForEveryRating) {
    classifier scratch;
    for (int rating = 1000; rating < 1100; ++rating) {
        const std::string group = " {" + std::to_string(rating) + "}";
        for (const std::string name : {"Fritz", "Somebody  ", "Comp", "B.Y.E.", "Smith (C)"}) {
            for (server_kind server : {server_kind::icc, server_kind::fics}) {
                name_forms forms;
                const judgement direct = judge_name(name + group, server, lists, forms);
                const judgement kept =
                    memo_judge_name(scratch.memo, name + group, server, lists, scratch.forms);
                EXPECT_EQ(kept.kind, direct.kind) << name << group;
                EXPECT_EQ(kept.rule, direct.rule) << name << group;
                EXPECT_EQ(kept.list, direct.list) << name << group;
            }
        }
    }
    // One entry per account and server: "Comp {1000}" starts with the marker and is never kept; the bye
    // rule reads the rating group too, so "B.Y.E. {1000}" is an account like the others.
    EXPECT_EQ(scratch.memo.slots_used, 4u * 2u);
    EXPECT_EQ(memo_judge_name(scratch.memo, "Fritz {1}", server_kind::icc, lists, scratch.forms).kind,
              computer);
    EXPECT_EQ(memo_judge_name(scratch.memo, "Comp {1}", server_kind::fics, lists, scratch.forms).rule,
              judged_by::marker);
    EXPECT_EQ(memo_judge_name(scratch.memo, "Bye {1}", server_kind::icc, lists, scratch.forms).kind, unknown);
    EXPECT_EQ(memo_judge_name(scratch.memo, "Bye", server_kind::icc, lists, scratch.forms).kind,
              player_class::bye);
}

// Texts up to the inline length are kept in their slots and longer ones in the arena; names alike but
// for their last byte, on either side of that length, keep apart, and a repeated look-up answers as the
// first did.
TEST(ClassifyGame, TheMemoKeepsShortTextsInlineAndLongOnesInTheArena) {
    name_lists local;
    const std::string short_name(memo_inline_text, 'A');
    const std::string long_name(memo_inline_text + 1, 'B');
    const std::string longer_name(40, 'C');
    ASSERT_TRUE(add_list_lines(short_name + "\n" + long_name + "\n" + longer_name + "\n",
                               list_of(local, list_id::computers), false));
    classifier scratch;
    name_forms forms;
    std::size_t long_bytes = 0;
    for (const std::string& listed : {short_name, long_name, longer_name}) {
        std::string unlisted = listed;
        unlisted.back() = 'Z';
        for (int pass = 0; pass < 2; ++pass) {
            EXPECT_EQ(memo_judge_name(scratch.memo, listed, server_kind::other, local, forms).kind, computer)
                << listed << pass;
            EXPECT_EQ(memo_judge_name(scratch.memo, unlisted, server_kind::other, local, forms).kind, unknown)
                << unlisted << pass;
        }
        if (listed.size() > memo_inline_text) long_bytes += 2 * listed.size();
    }
    EXPECT_EQ(scratch.memo.slots_used, 6u);
    EXPECT_EQ(scratch.memo.arena_used, long_bytes);
    // A value that no tag gave is an empty view with no bytes behind it: kept, and found again.
    for (int pass = 0; pass < 2; ++pass)
        EXPECT_EQ(memo_judge_name(scratch.memo, std::string_view(), server_kind::other, local, forms).kind,
                  unknown);
    EXPECT_EQ(scratch.memo.slots_used, 7u);
}

TEST(ClassifyGame, TheMemoStaysRightWhenItFillsUp) {
    classifier scratch;
    for (std::size_t i = 0; i < memo_slot_count; ++i) {
        const std::string name = (i % 2 == 0 ? "Deep Blue " : "Nobody ") + std::to_string(i);
        const player_class expected = i % 2 == 0 ? computer : unknown;
        ASSERT_EQ(memo_judge_name(scratch.memo, name, server_kind::other, lists, scratch.forms).kind,
                  expected);
    }
    EXPECT_LE(scratch.memo.slots_used, memo_slot_count / 4 * 3);
    EXPECT_EQ(scratch.memo.slot_count, memo_slot_count);  // it grew to its largest, and no further
    EXPECT_EQ(memo_judge_name(scratch.memo, "Deep Blue 0", server_kind::other, lists, scratch.forms).kind,
              computer);
}

struct game {
    player_class white, black;
    std::string white_name, black_name;
};

game play(const std::string& white, const std::string& black, int year = 0, const std::string& event = "") {
    game_header header;
    header.white.name = white;
    header.black.name = black;
    header.year = year;
    header.event = event;
    classifier scratch;
    game_verdict verdict;
    classify_game(header, lists, {}, scratch, verdict);
    const player_names names = repaired_names(header);
    EXPECT_EQ(header.white.name, white);  // the tags are written as they were
    return {verdict.white.kind, verdict.black.kind, std::string(names.white), std::string(names.black)};
}

TEST(ClassifyGame, ByeTakesTheOpponentsKind) {
    game g = play("BYE", "Deep Blue");
    EXPECT_EQ(g.white, computer);
    EXPECT_EQ(g.black, computer);
    g = play("Kasparov", "bye");
    EXPECT_EQ(g.black, human);
    g = play("Bye", "Bye");
    EXPECT_EQ(g.white, bye);
    EXPECT_EQ(g.black, bye);
    g = play("Bye", "Genius");
    EXPECT_EQ(g.white, computer);
    EXPECT_EQ(g.black, computer);
}

TEST(ResolveByOpponent, EventListsComeFirst) {
    EXPECT_EQ(play("Genius", "Kasparov", 1960, "WMCCC 1995").white, computer);
    EXPECT_EQ(play("Genius", "Deep Blue", 0, "Aegon Humans 1994").white, human);
    EXPECT_EQ(play("Genius", "Deep Blue", 0, "Aegon Humans 1994 ").white, human);
}

TEST(ResolveByOpponent, YearsAroundNineteenFiftyAndSeventy) {
    EXPECT_EQ(play("Genius", "Kasparov", 1940).white, human);
    EXPECT_EQ(play("Genius", "Kasparov", 1949).white, human);
    EXPECT_EQ(play("Genius", "Kasparov", 1950).white, unknown);
    EXPECT_EQ(play("Genius", "Kasparov", 1960).white, unknown);
    EXPECT_EQ(play("Genius", "Kasparov", 0).white, unknown);
    EXPECT_EQ(play("Genius", "Deep Blue", 1965).white, human);
    EXPECT_EQ(play("Genius", "Deep Blue", 1969).white, human);
    EXPECT_EQ(play("Genius", "Deep Blue", 1970).white, computer);
    EXPECT_EQ(play("Genius", "Deep Blue", 0).white, computer);
    EXPECT_EQ(play("Genius", "Deep Blue", 19).white, human);
}

TEST(ResolveByOpponent, CorrespondenceAndPairs) {
    EXPECT_EQ(play("Genius", "Deep Blue", 0, "Corr. Ch. 1990").white, human);
    EXPECT_EQ(play("Deep Blue", "Genius", 0, "NL-ch corr 1990").black, human);
    game g = play("Genius", "Rebel", 1930);
    EXPECT_EQ(g.white, computer);
    EXPECT_EQ(g.black, computer);
    g = play("Genius", "Somebody");
    EXPECT_EQ(g.white, unknown);
    // Black is settled against White's kind as White's resolution left it.
    g = play("Kasparov", "Genius", 1940);
    EXPECT_EQ(g.black, human);
}

TEST(IsCorrespondenceEvent, CaseSensitiveMarkers) {
    for (const char* event :
         {"corr 1990", "NL Corr ", "Corr.", "ICCF corr.", "cr 12", "ch cr.", "korr.", "Korr."}) {
        EXPECT_TRUE(is_correspondence_event(event)) << event;
    }
    for (const char* event : {"Corr", "CORR 1", "Correze m", "Korr 5", "acr", "Cr 1", ""}) {
        EXPECT_FALSE(is_correspondence_event(event)) << event;
    }
}

TEST(RepairKnownNames, ThreeKnownPairs) {
    game g = play("M", "Chess 6 - Smith");
    EXPECT_EQ(g.white_name, "M Chess 6");
    EXPECT_EQ(g.black_name, "Smith");
    EXPECT_EQ(g.black, human);
    EXPECT_EQ(play("M", "Chess 4 - Kasparov").white_name, "M Chess 4");
    EXPECT_EQ(play("M", "Chess 5 - Smith").white_name, "M");
    EXPECT_EQ(play("M ", "Chess 6 - Smith").black_name, "Chess 6 - Smith");
    g = play("Hiarcs3 486/50 Junior 2", "whoever");
    EXPECT_EQ(g.white_name, "Hiarcs 3");
    EXPECT_EQ(g.black_name, "Junior");
    EXPECT_EQ(g.white, computer);
    g = play("Junior 486/50 Hiarcs3", "");
    EXPECT_EQ(g.white_name, "Junior");
    EXPECT_EQ(g.black_name, "Hiarcs 3");
}

TEST(RouteGame, TableReadFromTheTop) {
    EXPECT_EQ(route_game(advanced_team, computer), output_role::advanced);
    EXPECT_EQ(route_game(unknown, advanced_team), output_role::advanced);
    EXPECT_EQ(route_game(computer, computer), output_role::comp_vs_comp);
    EXPECT_EQ(route_game(computer, human), output_role::comp_vs_human);
    EXPECT_EQ(route_game(human, computer), output_role::comp_vs_human);
    EXPECT_EQ(route_game(computer, unknown), output_role::comp_vs_rest);
    EXPECT_EQ(route_game(unknown, computer), output_role::comp_vs_rest);
    EXPECT_EQ(route_game(computer, bye), output_role::rest_vs_rest);
    EXPECT_EQ(route_game(human, human), output_role::rest_vs_rest);
    EXPECT_EQ(route_game(human, unknown), output_role::rest_vs_rest);
    EXPECT_EQ(route_game(bye, bye), output_role::rest_vs_rest);
    EXPECT_EQ(route_game(unknown, unknown), output_role::rest_vs_rest);
}

}  // namespace
}  // namespace gs
