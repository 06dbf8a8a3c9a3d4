// The game splitter: which lines are held, dropped and written, and that lines come out whole.
#include <gtest/gtest.h>

#include "support/sieve_dir.hpp"

namespace gs::testing {
namespace {

// Runs the input with empty lists, where every game goes to rest_vs_rest.pgn, and returns that file.
std::string sorted(const std::string& input) {
    sieve_dir dir;
    dir.write("in.pgn", input);
    const run_result r = dir.run({"in.pgn"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, reading_lines());
    EXPECT_EQ(r.err, "");
    return dir.read("rest_vs_rest.pgn").value_or("<missing>");
}

TEST(Splitter, LinesBeforeTheFirstGameAreWrittenBlankLinesIncluded) {
    EXPECT_EQ(sorted("; comment\n\n\n[Event \"E\"]\n\n1. e4 *\n"), "; comment\n\n\n[Event \"E\"]\n1. e4 *\n");
}

TEST(Splitter, BlankLinesInsideTheTagSectionAreDroppedAndAfterMovesKept) {
    EXPECT_EQ(
        sorted("[Event \"A\"]\n  \t\n[Site \"S\"]\n\n\n1. e4\n\n2. e5 *\n\n\n[Event \"B\"]\n\n1. d4 *\n"),
        "[Event \"A\"]\n[Site \"S\"]\n1. e4\n\n2. e5 *\n\n\n[Event \"B\"]\n1. d4 *\n");
}

TEST(Splitter, TagSectionsSeparatedOnlyByBlankLinesAreOneGame) {
    sieve_dir dir;
    dir.write("computers.cfg", "DEEPBLUE\n");
    // The second section's White replaces the first's; the header is not reset in between.
    dir.write("in.pgn", "[White \"Nobody\"]\n[Black \"Deep Blue\"]\n\n[White \"Deep Blue\"]\n\n1. e4 *\n");
    ASSERT_EQ(dir.run({"in.pgn"}).status, 0);
    EXPECT_EQ(dir.read("comp_vs_comp.pgn"),
              "[White \"Nobody\"]\n[Black \"Deep Blue\"]\n[White \"Deep Blue\"]\n1. e4 *\n");
}

TEST(Splitter, TagLineShape) {
    // Each line stands after moves and before a blank line: a tag line starts a tag section, which drops
    // the blank line; any other line is written with the blank line after it.
    for (const char* line : {"[Event_1 \"x\"]", "[Ev2 \"x\"]", "[ Event \"x\"]", "[", "[Event\t\"x\"]",
                             "[Event x\"]", " [Event \"x\"]", "[\xC9v \"x\"]"}) {
        EXPECT_EQ(sorted(std::string("*\n") + line + "\n\n*\n"), std::string("*\n") + line + "\n\n*\n")
            << line;
    }
    for (const char* line : {"[Event \"x\"]", "[ \"x\"]", "[\"y\"]", "[eVeNt   \"x", "[Event \"A"}) {
        EXPECT_EQ(sorted(std::string("*\n") + line + "\n\n*\n"), std::string("*\n") + line + "\n*\n") << line;
    }
}

TEST(Splitter, TrailingBlanksGoLeadingBlanksStay) {
    EXPECT_EQ(sorted("[Event \"A\"] \t\r\n\r\n  1. e4 \t \r\n*\r\n"), "[Event \"A\"]\n  1. e4\n*\n");
}

TEST(Splitter, LineEndsAreLineFeedsOnly) {
    // Carriage returns inside a line are ordinary bytes: a file with CR line ends is one line.
    EXPECT_EQ(sorted("a\rb\r\r\nc\r"), "a\rb\nc\n");
    EXPECT_EQ(sorted("[Event \"A\"]\r[Site \"B\"]\r\r\n*\n"), "[Event \"A\"]\r[Site \"B\"]\n*\n");
}

TEST(Splitter, TagSectionAtTheEndOfInputIsWritten) {
    EXPECT_EQ(sorted("[Event \"A\"]\n\n1. e4 *\n\n[Event \"B\"]\n[Site \"S\"]\n\n"),
              "[Event \"A\"]\n1. e4 *\n\n[Event \"B\"]\n[Site \"S\"]\n");
    EXPECT_EQ(sorted("[Event \"B\"]"), "[Event \"B\"]\n");
}

TEST(Splitter, TagSectionAtTheEndIsRoutedLikeAnyOther) {
    sieve_dir dir;
    dir.write("computers.cfg", "DEEPBLUE\n");
    dir.write("humans.cfg", "KASPAROV*\n");
    dir.write("in.pgn", "[White \"Deep Blue\"]\n[Black \"Kasparov, G\"]\n");
    ASSERT_EQ(dir.run({"in.pgn"}).status, 0);
    EXPECT_EQ(dir.read("comp_vs_human.pgn"), "[White \"Deep Blue\"]\n[Black \"Kasparov, G\"]\n");
}

TEST(Splitter, LongLinesComeOutWhole) {
    std::string movetext;
    for (int i = 1; movetext.size() < 10000; ++i)
        movetext += std::to_string(i) + ". e4 e5 ";
    movetext += "*";
    EXPECT_EQ(sorted("[Event \"A\"]\n\n" + movetext + "\n"), "[Event \"A\"]\n" + movetext + "\n");

    const std::string exactly_4095(4095, 'x');
    EXPECT_EQ(sorted("[Event \"A\"]\n\n" + exactly_4095 + "\n"), "[Event \"A\"]\n" + exactly_4095 + "\n");

    // Lines far longer than the reading block and the output buffer.
    const std::string huge(3'000'000, 'm');
    EXPECT_EQ(sorted("[Event \"A\"]\n\n" + huge + "\n" + huge),
              "[Event \"A\"]\n" + huge + "\n" + huge + "\n");
}

TEST(Splitter, LargeTagSectionsComeOutWhole) {
    std::string section;
    for (int i = 0; i < 30; ++i)
        section += "[Tag \"" + std::string(600, static_cast<char>('a' + i % 26)) + "\"]\n";
    EXPECT_EQ(sorted(section + "\n1. e4 *\n"), section + "1. e4 *\n");
    std::string many;
    for (int i = 0; i < 5000; ++i)
        many += "[T \"" + std::to_string(i) + "\"]\n";
    EXPECT_EQ(sorted(many + "\n*\n" + many + "\n*\n"), many + "*\n" + many + "*\n");
}

TEST(Splitter, EveryByteSurvives) {
    std::string bytes = "[Event \"A\"]\n\n1. e4 ";
    bytes += std::string("\0 mid\0", 6);
    for (int c = 128; c < 256; ++c)
        bytes += static_cast<char>(c);
    bytes += "\r\x01 *";
    EXPECT_EQ(sorted(bytes + "\n"), bytes.substr(0, 12) + bytes.substr(13) + "\n");
}

}  // namespace
}  // namespace gs::testing
