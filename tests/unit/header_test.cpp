#include <gtest/gtest.h>

#include <string>

#include "header/dates.hpp"
#include "header/game_header.hpp"
#include "header/tag_capture.hpp"

namespace gs {
namespace {

std::string value_of(const std::string& line, const std::string& tag) {
    std::string out = "untouched";
    if (!extract_tag_value(line, tag, out)) return "<none>";
    return out;
}

TEST(IsTagLine, BracketLettersSpacesQuote) {
    for (const char* line : {"[Event \"x\"]", "[\"", "[ \"", "[Ab   \"", "[zZ\"junk"})
        EXPECT_TRUE(is_tag_line(line)) << line;
    for (const char* line : {"", "[", "[Event", "[Event ", "[Ev2 \"x\"]", "[Ev_t \"x\"]", "[Event\t\"x\"]",
                             " [Event \"x\"]", "[Event x\"", "(Event \"x\")", "[Ev\xE9nt \"x\"]"}) {
        EXPECT_FALSE(is_tag_line(line)) << line;
    }
    EXPECT_EQ(tag_name_of("[WhiteElo \"1\"]"), "WhiteElo");
    EXPECT_EQ(tag_name_of("[ \"1\"]"), "");
}

// A line is kept (captured where it lies, with no copy) exactly when treating it would leave it as it
// was, and the kept line's capture is the treatment's.
TEST(CaptureIfKept, OnlyLinesThatTreatmentLeavesAloneAndCapturedAlike) {
    struct row {
        const char* line;
        bool kept;
    };
    const std::vector<row> rows = {
        {"[White \"Smith, J\"]", true},
        {"[Black \"x \"]", true},
        {"[Site \"Oakham\"]", true},
        {"[Round \"1\"]", true},
        {"[EventDate \"1998\"]", true},
        {"[DateX \"1.2\"]", true},
        {"[Event   \"Open ]\"]", true},
        {"[Date \"1998.05.11\"]", true},
        {"[Date \"1998.??.??\"]", true},
        {"[Date\"1998\"]", true},
        {"[WhiteType \"program\"]", true},
        {"[BlackTitle \"BOT\"]", true},
        {"[Event \"ICC 5 0 u 10/23/98\"]", false},
        {"[Date \"1998\"]", false},
        {"[Date \"1998.00.11\"]", false},
        {"[Date \"1998.5.11\"]", false},
        {"[Date \"19?8.05.11\"]", false},
        {"[Date \"199:.05.11\"]", false},  // ':' follows '9' but is no digit
        {"[Date \"1998.05.1:\"]", false},
        {"[White \"a\\\"b\"]", false},
        {"[Round \"1\\\\\"]", false},
        {"White \"x\"", false},
        {"[Round 1]", false},
    };
    for (const row& r : rows) {
        game_header kept_header;
        EXPECT_EQ(capture_if_kept(r.line, kept_header), r.kept) << r.line;
        if (!r.kept) continue;
        std::string treated = r.line;
        game_header header;
        std::string warnings;
        handle_tag_line(treated, header, warnings);
        EXPECT_EQ(treated, r.line);
        EXPECT_EQ(warnings, "");
        EXPECT_EQ(kept_header.white.name, header.white.name) << r.line;
        EXPECT_EQ(kept_header.black.name, header.black.name) << r.line;
        EXPECT_EQ(kept_header.site, header.site) << r.line;
        EXPECT_EQ(kept_header.event, header.event) << r.line;
        EXPECT_EQ(kept_header.year * 10000 + kept_header.month * 100 + kept_header.day,
                  header.year * 10000 + header.month * 100 + header.day)
            << r.line;
        EXPECT_EQ(kept_header.white.flagged_computer, header.white.flagged_computer) << r.line;
        EXPECT_EQ(kept_header.black.flagged_computer, header.black.flagged_computer) << r.line;
    }
    // The values are read as extract_tag_value reads them: trailing runs of ']', then of blanks, then of
    // quotes go.
    for (const char* line : {"[White \"Fritz\" ]", "[Black  \"Smith \"]", "[Site \"A]\"]]",
                             "[Event \"x\"\"\"]", "[White \"\"]", "[Black \"]"}) {
        game_header kept;
        ASSERT_TRUE(capture_if_kept(line, kept)) << line;
        std::string expected;
        ASSERT_TRUE(extract_tag_value(line, tag_name_of(line), expected)) << line;
        EXPECT_EQ(std::string(kept.white.name) + std::string(kept.black.name) + std::string(kept.site) +
                      std::string(kept.event),
                  expected)
            << line;
    }
    // Treatment takes any line, and reads a value only from a tag line.
    for (const char* line : {"[Site", "[White", "[Black ", "[Site x \"y\"]", "[White\"", "[Black \""}) {
        std::string copy = line;
        game_header header;
        std::string warnings;
        handle_tag_line(copy, header, warnings);
        EXPECT_EQ(std::string(header.site) + std::string(header.white.name) + std::string(header.black.name),
                  "")
            << line;
    }
    // An unknown date gives way to a server date waiting from the Event line, so it is not kept then.
    game_header header;
    std::string warnings;
    std::string event = "[Event \"ICC 5 0 u 10/23/98\"]";
    handle_tag_line(event, header, warnings);
    EXPECT_FALSE(capture_if_kept("[Date \"????.??.??\"]", header));
    EXPECT_TRUE(capture_if_kept("[Date \"1998.10.23\"]", header));
}

// The 8-byte path of read_tag_head must say what the letter-by-letter scan says, also for lines that
// only nearly match one of its names, and for lines too short for an 8-byte load.
TEST(ReadTagHead, AgreesWithTheScanOnNamesAndNearMisses) {
    struct row {
        const char* line;
        tag_kind kind;
    };
    const row rows[] = {
        {"[Event \"x\"]", tag_kind::event},
        {"[Site \"x\"]", tag_kind::site},
        {"[Date \"x\"]", tag_kind::date},
        {"[White \"x\"]", tag_kind::white},
        {"[Black \"x\"]", tag_kind::black},
        {"[Round \"x\"]", tag_kind::other},
        {"[Result \"x\"]", tag_kind::other},
        {"[ECO \"A00\"]", tag_kind::other},
        {"[Event  \"x\"]", tag_kind::event},
        {"[Events \"x\"]", tag_kind::other},
        {"[Site\"xyzw\"]", tag_kind::site},
        {"[Sitex \"x\"]", tag_kind::other},
        {"[WhiteElo \"1\"]", tag_kind::other},
        {"[WhiteType \"x\"]", tag_kind::white_flag},
        {"[BlackTitle \"BOT\"]", tag_kind::black_flag},
        {"[Black\"x\"]", tag_kind::black},
        {"[ECO \"\"]", tag_kind::other},
        {"[Date \"\"]", tag_kind::date},
        {"[Event \"", tag_kind::event},
        {"[White \"", tag_kind::white},
        {"[Resultx\"1\"]", tag_kind::other},
    };
    for (const row& r : rows) {
        const std::string_view line = r.line;
        std::string_view name;
        ASSERT_TRUE(read_tag_line(line, name)) << line;
        tag_head head;
        ASSERT_TRUE(read_tag_head(line, head)) << line;
        EXPECT_EQ(head.name, name) << line;
        EXPECT_EQ(head.name.data(), line.data() + 1) << line;
        EXPECT_EQ(head.kind, r.kind) << line;
        EXPECT_EQ(line[head.value_at - 1], '"') << line;
        EXPECT_EQ(line.find('"'), head.value_at - 1) << line;
    }
    for (const char* line :
         {"[Event x\"]", "[Site\t\"x\"]", "[White", "Event \"x\"]", "[Round 1]   ", "[Date-\"1998\"]", ""}) {
        tag_head head;
        EXPECT_FALSE(read_tag_head(line, head)) << line;
    }
}

// A kept line's values are views of the line itself; a rewritten line's values are the header's own
// copies, which outlive the line they were read from.
TEST(TagCapture, KeptValuesViewTheLineAndRewrittenOnesAreCopies) {
    const std::string kept_lines[] = {"[White \"Anand\"]", "[Site \"Wijk\"]", "[Event \"Open\"]"};
    game_header header;
    for (const std::string& line : kept_lines)
        ASSERT_TRUE(capture_if_kept(line, header)) << line;
    EXPECT_EQ(header.white.name.data(), kept_lines[0].data() + 8);
    EXPECT_EQ(header.site.data(), kept_lines[1].data() + 7);
    EXPECT_EQ(header.event, "Open");

    std::string warnings;
    std::string rewritten[] = {"[White \"A\\\"B\"]", "[Site \"S\\\"T\"]", "[Event \"ICC 5 0 u 10/23/98\"]",
                               "[Black \"C\\\"D\"]"};
    for (std::string& line : rewritten) {
        handle_tag_line(line, header, warnings);
        line.assign(40, 'z');  // the line is reused for the next one
    }
    EXPECT_EQ(header.white.name, "AB");
    EXPECT_EQ(header.site, "ST");
    EXPECT_EQ(header.event, "ICC 5 0 u 10/23/98");
    EXPECT_EQ(header.black.name, "CD");
    EXPECT_EQ(header.event_date, "1998.10.23");
}

TEST(PlayerTags, FlagsFromTypeTitleAndIsComp) {
    game_header header;
    std::string warnings;
    for (std::string line : {"[WhiteType \"Program\"]", "[BlackType \"human\"]"})
        handle_tag_line(line, header, warnings);
    EXPECT_TRUE(header.white.flagged_computer);
    EXPECT_FALSE(header.white.flagged_human);
    EXPECT_TRUE(header.black.flagged_human);
    EXPECT_FALSE(header.black.flagged_computer);
    game_header other;
    EXPECT_TRUE(capture_if_kept("[BlackTitle \"BOT\"]", other));
    EXPECT_TRUE(capture_if_kept("[WhiteIsComp \"Yes\"]", other));
    EXPECT_TRUE(other.black.flagged_computer);
    EXPECT_TRUE(other.white.flagged_computer);
    game_header none;
    // Values of the right length but other letters flag nothing either.
    for (const char* line : {"[WhiteTitle \"GM\"]", "[BlackIsComp \"No\"]", "[WhiteType \"programs\"]",
                             "[WhiteElo \"2800\"]", "[WhiteTypo \"program\"]", "[WhiteType \"machine\"]",
                             "[WhiteType \"robot\"]", "[WhiteTitle \"BOB\"]", "[BlackIsComp \"Yep\"]"}) {
        EXPECT_TRUE(capture_if_kept(line, none));
    }
    EXPECT_FALSE(none.white.flagged_computer || none.white.flagged_human || none.black.flagged_computer);
    // The FIDE titles and a FIDE id other than 0.
    EXPECT_EQ(none.white.title, fide_title::none);  // "BOB" came after "GM"
    for (const char* line : {"[BlackTitle \"WFM\"]", "[WhiteFideId \"4100018\"]", "[BlackFideId \"0\"]"})
        EXPECT_TRUE(capture_if_kept(line, none));
    EXPECT_EQ(none.black.title, fide_title::wfm);
    EXPECT_EQ(fide_title_text(none.black.title), "WFM");
    EXPECT_TRUE(none.white.fide_id);
    EXPECT_FALSE(none.black.fide_id);
    for (const char* line : {"[WhiteTitle \"LM\"]", "[WhiteFideId \"\"]", "[WhiteFideId \"12a\"]"}) {
        game_header other_titles;
        EXPECT_TRUE(capture_if_kept(line, other_titles));
        EXPECT_EQ(other_titles.white.title, fide_title::none) << line;
        EXPECT_FALSE(other_titles.white.fide_id) << line;
    }
    clear_game_header(header);
    clear_game_header(none);
    EXPECT_FALSE(header.white.flagged_computer || header.black.flagged_human);
    EXPECT_FALSE(none.white.fide_id || none.white.title != fide_title::none);
}

TEST(HeldLines, KeptLinesAreViewsAndRewrittenLinesCopies) {
    held_lines held;
    const std::string input = "*\n[White \"x\"]";
    held.input = input.data();
    hold_line(held, std::string_view(input).substr(2));
    std::string rewritten = "[Date \"1998.??.??\"]";
    hold_rewritten_line(held, rewritten);
    rewritten = "changed";
    for (int i = 0; i < 100; ++i)
        hold_rewritten_line(held, "[Round \"" + std::to_string(i) + "\"]");  // the buffer moves
    ASSERT_EQ(held_count(held), 102u);
    EXPECT_EQ(held_line(held, 0).data(), input.data() + 2);
    EXPECT_EQ(held_line(held, 0), "[White \"x\"]");
    EXPECT_EQ(held_line(held, 1), "[Date \"1998.??.??\"]");
    EXPECT_EQ(held_line(held, 101), "[Round \"99\"]");
}

TEST(ExtractTagValue, StripsClosingRunsInOrder) {
    EXPECT_EQ(value_of("[White \"Smith, J.\"]", "White"), "Smith, J.");
    EXPECT_EQ(value_of("[White \"\"]", "White"), "");
    EXPECT_EQ(value_of("[White \"Smith \"]", "White"), "Smith ");
    EXPECT_EQ(value_of("[White \"Smith\" ]", "White"), "Smith");
    EXPECT_EQ(value_of("[White \"Smith", "White"), "Smith");
    EXPECT_EQ(value_of("[White \"A \"B\" C\"]", "White"), "A \"B\" C");
    EXPECT_EQ(value_of("[Event \"Open ]\"]", "Event"), "Open ]");
    EXPECT_EQ(value_of("[Event \"x\"]]] \"\"", "Event"), "x\"]]] ");
    EXPECT_EQ(value_of("[White\"Smith\"]", "White"), "Smith");
    EXPECT_EQ(value_of("[White   \"Smith\"]", "White"), "Smith");
}

TEST(ExtractTagValue, RefusesOtherTagsAndLeavesOutputAlone) {
    EXPECT_EQ(value_of("[WhiteElo \"2400\"]", "White"), "<none>");
    EXPECT_EQ(value_of("[EventDate \"2002.??.??\"]", "Event"), "<none>");
    EXPECT_EQ(value_of(" [White \"x\"]", "White"), "<none>");
    EXPECT_EQ(value_of("[white \"x\"]", "White"), "<none>");
    EXPECT_EQ(value_of("[White x\"]", "White"), "<none>");
}

TEST(ExtractTagValue, TakesLongValuesWhole) {
    const std::string name(5000, 'k');
    EXPECT_EQ(value_of("[Black \"" + name + "\"]", "Black"), name);
}

struct treated {
    std::string line;
    game_header header;
    std::string printed;
};

treated treat(std::string line, game_header header = {}) {
    std::string warnings;
    handle_tag_line(line, header, warnings);
    return treated{line, header, warnings};
}

TEST(HandleTagLine, CapturesTheFourTagsAndRemovesEscapedQuotes) {
    game_header header;
    std::string out;
    for (std::string line : {"[White \"Kasparov, G\"]", "[Black \"Deep \\\"Blue\\\"\"]",
                             "[Site \"Philadelphia\"]", "[Event \"ACM Match\"]", "[WhiteElo \"2800\"]"}) {
        handle_tag_line(line, header, out);
    }
    EXPECT_EQ(header.white.name, "Kasparov, G");
    EXPECT_EQ(header.black.name, "Deep Blue");
    EXPECT_EQ(header.site, "Philadelphia");
    EXPECT_EQ(header.event, "ACM Match");
    EXPECT_EQ(out, "");

    const treated t = treat("[Annotator \"a\\\\\"\"b\"]");
    EXPECT_EQ(t.line, "[Annotator \"ab\"]");
}

TEST(HandleTagLine, LaterTagReplacesEarlierValue) {
    game_header header;
    std::string out;
    std::string first = "[White \"First\"]", second = "[White \"Second\"]";
    handle_tag_line(first, header, out);
    handle_tag_line(second, header, out);
    EXPECT_EQ(header.white.name, "Second");
}

treated date(const std::string& value, std::string event_date = "") {
    game_header header;
    header.event_date = std::move(event_date);
    return treat("[Date \"" + value + "\"]", header);
}

TEST(DateTag, NormalisesSeparatorsAndWidths) {
    treated t = date("2002-10-5");
    EXPECT_EQ(t.line, "[Date \"2002.10.05\"]");
    EXPECT_EQ(t.header.year, 2002);
    EXPECT_EQ(t.header.month, 10);
    EXPECT_EQ(t.header.day, 5);
    EXPECT_EQ(date("98.1.5").line, "[Date \"0098.01.05\"]");
    EXPECT_EQ(date("2001.123.5").line, "[Date \"2001.123.05\"]");
    EXPECT_EQ(date("1998.10.05 ] ").line, "[Date \"1998.10.05\"]");
    EXPECT_EQ(treat("[Date   \"1998\"]").line, "[Date   \"1998.??.??\"]");
    EXPECT_EQ(t.printed, "");
}

// The normal form, read back, is exactly what normalisation writes and leaves alone.
TEST(DateTag, TheNormalFormReadBack) {
    const struct {
        std::string_view value;
        bool normal;
        int year, month, day;
    } cases[] = {
        {"2024.03.07\"]", true, 2024, 3, 7}, {"????.??.??\"]", true, 0, 0, 0},
        {"1998.??.??\"]", true, 1998, 0, 0}, {"2024.03.07\"] ", false, 0, 0, 0},
        {"2024.03.07\"", false, 0, 0, 0},    {"0000.01.01\"]", false, 0, 0, 0},
        {"2024.?3.07\"]", false, 0, 0, 0},   {"2024-03-07\"]", false, 0, 0, 0},
        {"2024.03.07x]", false, 0, 0, 0},    {"2024.3.07\"] ", false, 0, 0, 0},
    };
    for (const auto& c : cases) {
        int year = -1, month = -1, day = -1;
        EXPECT_EQ(read_normal_date(c.value, year, month, day), c.normal) << c.value;
        if (c.normal) {
            EXPECT_EQ(year * 10000 + month * 100 + day, c.year * 10000 + c.month * 100 + c.day) << c.value;
            // What normalisation writes of such a value is the value itself.
            EXPECT_EQ(date(std::string(c.value.substr(0, 10))).line, "[Date \"" + std::string(c.value));
        }
    }
}

TEST(DateTag, PartialAndUnknownDates) {
    treated t = date("1998.??.??");
    EXPECT_EQ(t.line, "[Date \"1998.??.??\"]");
    EXPECT_EQ(t.header.year, 1998);
    EXPECT_EQ(date("1998").line, "[Date \"1998.??.??\"]");
    t = date("19??.??.??");
    EXPECT_EQ(t.line, "[Date \"0019.??.??\"]");
    EXPECT_EQ(t.header.year, 19);
    EXPECT_EQ(date("2001.1?.??").line, "[Date \"2001.01.??\"]");
    EXPECT_EQ(date("????.??.??").line, "[Date \"????.??.??\"]");
    EXPECT_EQ(date("0000.00.00").line, "[Date \"????.??.??\"]");
    EXPECT_EQ(date("????.??.??", "1998.10.23").line, "[Date \"1998.10.23\"]");
    EXPECT_EQ(date("1998.??.??", "1998.10.23").line, "[Date \"1998.??.??\"]");
}

// A second Date tag of a game is read on its own: the parts of the first do not fill its unknown ones.
TEST(DateTag, ASecondDateTagTakesNothingFromTheFirst) {
    const treated first = date("1999-5-7");
    const treated second = treat("[Date \"2000\"]", first.header);
    EXPECT_EQ(second.line, "[Date \"2000.??.??\"]");
    EXPECT_EQ(second.header.year, 2000);
    EXPECT_EQ(second.header.month, 0);
    EXPECT_EQ(second.header.day, 0);
}

TEST(DateTag, EmptyAndBlankValues) {
    for (const char* value : {" ", "]"}) {
        const treated t = treat(std::string("[Date \"") + value + "\"]");
        EXPECT_EQ(t.line, "[Date \"????.??.??\"]") << value;
        EXPECT_EQ(t.printed, "");
    }
    EXPECT_EQ(treat("[Date \"").line, "[Date \"????.??.??\"]");
    treated t = date("");
    EXPECT_EQ(t.line, "[Date \"\"]");
    EXPECT_EQ(t.header.year, 0);
    EXPECT_EQ(date("", "1998.10.23").line, "[Date \"\"]");
}

TEST(DateTag, FixedDateTable) {
    EXPECT_EQ(date("5-6 oct 2002").line, "[Date \"2002.10.05\"]");
    EXPECT_EQ(date("5-6 OCT 2002 rest").line, "[Date \"2002.10.05\"]");
    EXPECT_EQ(date("28 0ktober 2001").line, "[Date \"2001.10.28\"]");
    EXPECT_EQ(date("27 oktober 2002").line, "[Date \"2002.10.27\"]");
    EXPECT_EQ(date("27 oktober 2001").header.day, 27);
}

TEST(DateTag, UnreadableDatesAreReportedAndReplaced) {
    treated t = date("1998.10");
    EXPECT_EQ(t.printed, "Warning: skipped illegal datetag of [Date \"1998.10\n");
    EXPECT_EQ(t.line, "[Date \"????.??.??\"]");
    EXPECT_EQ(date("1998.10", "1998.10.23").line, "[Date \"1998.10.23\"]");

    t = date("1998.1x.05");
    EXPECT_EQ(t.printed, "Warning: skipped illegal datetag of [Date \"1998.1x.05\n");
    EXPECT_EQ(t.line, "[Date \"????.??.??\"]");
    EXPECT_EQ(t.header.year, 1998);
    EXPECT_EQ(t.header.month, 0);

    t = date("1998-10-23-1");
    EXPECT_EQ(t.printed, "Warning: skipped illegal datetag of [Date \"1998.10.23.1\n");
    EXPECT_EQ(date("Oct 1998").line, "[Date \"????.??.??\"]");
    EXPECT_EQ(date("1998 ").printed, "");  // trailing blanks go before the value is read
}

TEST(DateTag, HugeNumbersAreUnreadableWithoutOverflow) {
    treated t = date("1998.99999999999.05");
    EXPECT_EQ(t.line, "[Date \"????.??.??\"]");
    EXPECT_EQ(t.header.year, 1998);
    EXPECT_EQ(t.header.month, 0);
    EXPECT_NE(t.printed.find("Warning"), std::string::npos);
    t = date("2147483647");
    EXPECT_EQ(t.line, "[Date \"2147483647.??.??\"]");
    EXPECT_EQ(date(std::string(100000, '9')).line, "[Date \"????.??.??\"]");
}

TEST(DateTag, OnlyDateWithABlankIsTreated) {
    const treated t = treat("[Date\"1998.1.1\"]");
    EXPECT_EQ(t.line, "[Date\"1998.1.1\"]");
    EXPECT_EQ(t.header.year, 0);
    EXPECT_EQ(treat("[DateX \"1.2.3\"]").line, "[DateX \"1.2.3\"]");
}

TEST(EventDate, ServerEventGivesItsDateToAnUnknownDate) {
    game_header header;
    std::string out;
    std::string event = "[Event \"ICC 5 0 u 10/23/98\"]";
    handle_tag_line(event, header, out);
    EXPECT_EQ(event, "[Event \"ICC 5 0 u\"]");
    EXPECT_EQ(header.event, "ICC 5 0 u 10/23/98");
    EXPECT_EQ(header.event_date, "1998.10.23");
    std::string date_line = "[Date \"????.??.??\"]";
    handle_tag_line(date_line, header, out);
    EXPECT_EQ(date_line, "[Date \"1998.10.23\"]");
    EXPECT_EQ(header.year, 0);
}

TEST(EventDate, DateBeforeTheEventKeepsItsUnknownDate) {
    game_header header;
    std::string out;
    std::string date_line = "[Date \"????.??.??\"]";
    std::string event = "[Event \"ICC 5 0 u 10/23/98\"]";
    handle_tag_line(date_line, header, out);
    handle_tag_line(event, header, out);
    EXPECT_EQ(date_line, "[Date \"????.??.??\"]");
}

TEST(EventDate, YearsQuestionMarksAndRefusals) {
    EXPECT_EQ(treat("[Event \"ICC 1/2/2003\"]").header.event_date, "2003.01.02");
    treated t = treat("[Event \"ICC blitz ?\?/?\?/?\?\"]");
    EXPECT_EQ(t.header.event_date, "1900.00.00");
    EXPECT_EQ(t.line, "[Event \"ICC blitz\"]");
    EXPECT_EQ(treat("[Event \"ICC 10/23/98\"]]").line, "[Event \"ICC\"]");
    EXPECT_EQ(treat("[Event \"ICC 10/23/98 \" ] ]\"").header.event_date, "");
    for (const char* refused :
         {"[Event \"ICC rated 10/23\"]", "[Event \"FICS 10/23/98\"]", "[Event \"ICC10/23/98\"]",
          "[Event \"ICC x 10/2a/98\"]", "[Event \"ICC x 1/2/99999999999\"]", "[Event \"icc x 1/2/3\"]"}) {
        t = treat(refused);
        EXPECT_EQ(t.line, refused);
        EXPECT_EQ(t.header.event_date, "");
    }
}

}  // namespace
}  // namespace gs
