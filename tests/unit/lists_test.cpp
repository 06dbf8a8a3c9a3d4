#include <gtest/gtest.h>

#include <unistd.h>

#include <random>
#include <string>
#include <vector>

#include "app/say.hpp"
#include "lists/list_files.hpp"
#include "lists/name_list.hpp"
#include "support/capture.hpp"
#include "text/line_reader.hpp"
#include "text/messages.hpp"
#include "text/text.hpp"

namespace gs {
namespace {

using testing::captured_console;

name_entry entry(std::string text, bool leading, bool trailing) {
    return name_entry{std::move(text), trailing, leading};
}

name_list make_list(std::vector<name_entry> entries) {
    name_list list;
    list.entries = std::move(entries);
    index_name_list(list);
    return list;
}

// Asks the indexed list, and checks that trying the entries one by one gives the same answer.
// Asks the indexed list, and checks that trying the entries one by one gives the same answer, and that
// the entry finder finds an entry exactly then.
bool matches(const std::string& candidate, const name_list& list) {
    const bool found = list_contains(candidate, list);
    EXPECT_EQ(found, list_contains_scan(trimmed_right(candidate), list)) << candidate;
    EXPECT_EQ(found, list_find_entry(candidate, list).has_value()) << candidate;
    return found;
}

TEST(ListContains, EachFlagPairHasItsOwnTest) {
    const name_list exact = make_list({entry("Fritz", false, false)});
    const name_list prefix = make_list({entry("Fritz", false, true)});
    const name_list suffix = make_list({entry("Fritz", true, false)});
    const name_list inner = make_list({entry("Fritz", true, true)});
    for (const char* name : {"Fritz", "Fritz 8", "Fritzy", "Deep Fritz", "Deep Fritz 8", "fritz"}) {
        const std::string n = name;
        EXPECT_EQ(matches(n, exact), n == "Fritz") << n;
        EXPECT_EQ(matches(n, prefix), n.starts_with("Fritz")) << n;
        EXPECT_EQ(matches(n, suffix), n.ends_with("Fritz")) << n;
        EXPECT_EQ(matches(n, inner), n.find("Fritz") != std::string::npos) << n;
    }
    EXPECT_FALSE(matches("ritz", suffix));
}

TEST(ListContains, EmptyEntriesAndEmptyCandidates) {
    const name_list empty_exact = make_list({entry("", false, false)});
    EXPECT_TRUE(matches("", empty_exact));
    EXPECT_TRUE(matches("  ", empty_exact));
    EXPECT_FALSE(matches("x", empty_exact));
    for (const auto& [leading, trailing] : {std::pair{true, true}, {true, false}, {false, true}}) {
        const name_list anything = make_list({entry("", leading, trailing)});
        EXPECT_TRUE(matches("", anything));
        EXPECT_TRUE(matches("Anyone at all", anything));
    }
    EXPECT_FALSE(matches("", name_list{}));
}

TEST(ListContains, IgnoresTrailingBlanksWithoutChangingTheCandidate) {
    const name_list list = make_list({entry("Smith", false, false), entry("Jo", false, true)});
    const std::string candidate = "Smith \t\r";
    EXPECT_TRUE(list_contains(candidate, list));
    EXPECT_EQ(candidate, "Smith \t\r");
    EXPECT_FALSE(list_contains(" Smith", list));
    EXPECT_EQ(list_find_entry("Jones  ", list), std::optional<std::size_t>(1));
    EXPECT_EQ(list_find_entry("Smith ", list), std::optional<std::size_t>(0));
}

TEST(ListContains, IsByteExactAndCaseSensitive) {
    const name_list list =
        make_list({entry("M\xfcller", false, false), entry(std::string("a\0b", 3), false, false)});
    EXPECT_TRUE(matches("M\xfcller", list));
    EXPECT_FALSE(matches("MUller", list));
    EXPECT_TRUE(matches(std::string("a\0b", 3), list));
    EXPECT_FALSE(matches("a", list));
}

// Loads one file and says what the tool says of it: the failure the loader returns, in the app's words.
bool load_and_say(const char* path, name_list& list, bool word_mode, console& con) {
    print_line(con, msg_reading, path, msg_reading_end);
    const list_failure failure = load_name_list(path, list, word_mode);
    print_list_failure(con, failure);
    return !failure;
}

struct loaded {
    std::vector<name_entry> entries;
    bool ok;
    std::string printed;
};

loaded load(const std::string& bytes, bool word_mode) {
    captured_console out;
    name_list list;
    loaded result;
    list_failure failure;
    result.ok = add_list_lines(bytes, list, word_mode, &failure);
    print_list_failure(out.con, failure);
    result.entries = list.entries;
    result.printed = out.text();
    return result;
}

std::vector<std::string> texts(const loaded& l) {
    std::vector<std::string> result;
    for (const name_entry& e : l.entries) {
        std::string shown;
        if (e.leading_star) shown += '*';
        shown += e.text;
        if (e.trailing_star) shown += '*';
        result.push_back(shown);
    }
    return result;
}

using names = std::vector<std::string>;

TEST(PatternMode, WildcardsCommentsAndBlanks) {
    EXPECT_EQ(texts(load("Fritz *\n*Fritz*\n**\n*\nFritz\n", false)),
              (names{"Fritz*", "*Fritz*", "**", "*", "Fritz"}));
    const loaded l = load("Fritz   *\n", false);
    ASSERT_EQ(l.entries.size(), 1u);
    EXPECT_EQ(l.entries[0].text, "Fritz");
    EXPECT_TRUE(l.entries[0].trailing_star);
    EXPECT_FALSE(l.entries[0].leading_star);
    // A comment is '#' in the first column only; leading blanks are kept; blank lines are empty names.
    EXPECT_EQ(texts(load("# comment\n #x\n  Deep\n\n \t\nlast", false)),
              (names{" #x", "  Deep", "", "", "last"}));
    EXPECT_EQ(texts(load("a\r\nb \r\n", false)), (names{"a", "b"}));
    EXPECT_EQ(texts(load("\xEF\xBB\xBF"
                         "first\n",
                         false)),
              (names{"first"}));
}

TEST(PatternMode, Ranges) {
    EXPECT_EQ(texts(load("TSCP[1-3]\n", false)), (names{"TSCP1", "TSCP2", "TSCP3"}));
    EXPECT_EQ(texts(load("[a-c]*\n", false)), (names{"a*", "b*", "c*"}));
    EXPECT_EQ(texts(load("[c-a]x\nafter\n", false)), (names{"after"}));
    EXPECT_EQ(texts(load("x[c-c]y\n", false)), (names{"xcy"}));
    EXPECT_EQ(texts(load("[a-b][1-2]\n", false)), (names{"a1", "a2", "b1", "b2"}));
    EXPECT_EQ(texts(load("[a-b]-[c-a]\n", false)), names{});
    // A range that makes a star at either end makes a wildcard.
    EXPECT_EQ(texts(load("[)-*]A\n", false)), (names{")A", "*A"}));
    EXPECT_TRUE(load("[)-*]A\n", false).entries[1].leading_star);
    // Characters that a range produces are literal: '[' does not open another range.
    EXPECT_EQ(texts(load("[Z-\\]\n", false)), (names{"Z", "[", "\\"}));
}

TEST(PatternMode, RangeEndsAreSignedBytesAndNeverZero) {
    const loaded high = load(std::string("[\x7d-\x7f]\n"), false);
    EXPECT_EQ(texts(high), (names{"\x7d", "\x7e", "\x7f"}));
    const loaded around_zero = load(std::string("a[\xff-\x01]\n"), false);
    EXPECT_EQ(texts(around_zero), (names{"a\xff", "a\x01"}));
    const loaded only_zero = load(std::string("a[\0-\0]\nb\n", 9), false);
    EXPECT_EQ(texts(only_zero), (names{"b"}));
    const loaded upper_half = load(std::string("[\x80-\x81]\n"), false);
    EXPECT_EQ(texts(upper_half), (names{"\x80", "\x81"}));
}

TEST(PatternMode, MalformedRangeIsReportedAsItThenStands) {
    loaded l = load("ok\nTSCP[1-3\n", false);
    EXPECT_FALSE(l.ok);
    EXPECT_EQ(l.printed, "Don't understandTSCP[1-3\n");
    l = load("A[1-3]B[x]\n", false);
    EXPECT_FALSE(l.ok);
    EXPECT_EQ(l.printed, "Don't understandA1B[x]\n");
    l = load("[\n", false);
    EXPECT_EQ(l.printed, "Don't understand[\n");
    // Either of the two marks missing is enough: a '-' without the ']', a ']' without the '-'.
    l = load("TSCP[1-3X\n", false);
    EXPECT_EQ(l.printed, "Don't understandTSCP[1-3X\n");
    l = load("TSCP[1+3]\n", false);
    EXPECT_EQ(l.printed, "Don't understandTSCP[1+3]\n");
    // A reversed range before the malformed one ends the line first.
    l = load("[z-a][\n", false);
    EXPECT_TRUE(l.ok);
    EXPECT_EQ(l.printed, "");
}

TEST(PatternMode, NameLengthLimit) {
    const std::string ninety_nine(99, 'n');
    EXPECT_TRUE(load(ninety_nine + "\n*" + ninety_nine + "*\n", false).ok);
    loaded l = load("*" + ninety_nine + "n*\n", false);
    EXPECT_FALSE(l.ok);
    EXPECT_EQ(l.printed, "Error: name too long\nname was: " + ninety_nine + "n*\n");
    // Blanks before a trailing star count before they are trimmed away.
    l = load("ab" + std::string(98, ' ') + "*\n", false);
    EXPECT_FALSE(l.ok);
}

TEST(PatternMode, CapacityIsFiveThousandEntries) {
    std::string lines;
    for (int i = 0; i < 5000; ++i)
        lines.append("n").append(std::to_string(i)).append("\n");
    loaded l = load(lines, false);
    EXPECT_TRUE(l.ok);
    EXPECT_EQ(l.entries.size(), 5000u);
    l = load(lines + "one more\n", false);
    EXPECT_FALSE(l.ok);
    EXPECT_EQ(l.printed, "Error: maximum in list reached\nmaximum of the list is: 5000\n");
    // Ranges that expand past the capacity stop there, even with astronomically many combinations.
    l = load("[a-z][a-z][a-z][a-z][a-z][a-z][a-z][a-z][a-z][a-z][a-z][a-z]\n", false);
    EXPECT_FALSE(l.ok);
    EXPECT_EQ(l.entries.size(), 5000u);
    EXPECT_EQ(l.entries[1].text, "aaaaaaaaaaab");
    EXPECT_EQ(l.entries[26].text, "aaaaaaaaaaba");
}

TEST(WordMode, WordsEnterLastFirst) {
    EXPECT_EQ(texts(load("a b c\n", true)), (names{"c", "b", "a"}));
    EXPECT_EQ(texts(load("a  b\tc\n", true)), (names{"b\tc", "a"}));
    EXPECT_EQ(texts(load("a\t b\n", true)), (names{"b", "a\t"}));
    EXPECT_EQ(texts(load("  lead trail  \n", true)), (names{"trail", "lead"}));
    EXPECT_EQ(texts(load("\n   \n", true)), (names{"", ""}));
    EXPECT_EQ(texts(load("*x [a-b]\n", true)), (names{"[a-b]", "*x"}));
    EXPECT_EQ(texts(load("a \r b\n", true)), (names{"b", "\r", "a"}));
}

TEST(WordMode, ErrorsComeInTheOrderWordsAreAdded) {
    const std::string long_word(100, 'w');
    loaded l = load("short " + long_word + "\n", true);
    EXPECT_FALSE(l.ok);
    EXPECT_TRUE(l.entries.empty());
    EXPECT_EQ(l.printed, "Error: name too long\nname was: " + long_word + "\n");
    l = load(long_word + " short\n", true);
    EXPECT_EQ(texts(l), names{"short"});

    std::string many;
    for (int i = 0; i < 5001; ++i)
        many.append("w").append(std::to_string(i)).append(" ");
    l = load(many + "\n", true);
    EXPECT_FALSE(l.ok);
    EXPECT_EQ(l.entries.size(), 5000u);
    EXPECT_EQ(l.entries.front().text, "w5000");
    EXPECT_EQ(l.printed, "Error: maximum in list reached\nmaximum of the list is: 5000\n");
}

TEST(LoadNameList, ALineLongerThanTheReadBlockIsOneLine) {
    std::string words;
    for (int i = 0; words.size() < 3 * read_block_size; ++i)
        words += "w" + std::to_string(i) + std::string(800, ' ');
    // The long line in the middle, and the long line last, with no line feed after it.
    for (const bool last : {false, true}) {
        char path[] = "/tmp/gamesieve-list-XXXXXX";
        const int fd = ::mkstemp(path);
        ASSERT_GE(fd, 0);
        const std::string text = last ? "first\n" + words + "final" : "first\n" + words + "\nlast\n";
        ASSERT_EQ(::write(fd, text.data(), text.size()), static_cast<ssize_t>(text.size()));
        ::close(fd);
        captured_console out;
        name_list list;
        ASSERT_FALSE(static_cast<bool>(load_name_list(path, list, true)));
        ::unlink(path);
        ASSERT_GE(list.entries.size(), 3u);
        EXPECT_EQ(list.entries.front().text, "first");
        if (last) {
            EXPECT_EQ(list.entries[1].text, "final");  // the line's last word enters first
            EXPECT_EQ(list.entries.back().text, "w0");
        } else {
            EXPECT_EQ(list.entries.back().text, "last");
            EXPECT_EQ(list.entries[1].text, "w" + std::to_string(list.entries.size() - 3));
        }
        EXPECT_EQ(out.text(), "");  // quiet: no Reading line
    }
}

// Loading the twelve files on several threads shows what loading them in turn shows, in the same order,
// and gives the same lists: when all load, and when one in the middle fails (too long a name, or no
// file), whose messages end the output and whose later files are not announced.
TEST(LoadNameLists, OnSeveralThreadsShowsWhatLoadingInTurnShows) {
    char dir[] = "/tmp/gamesieve-lists-XXXXXX";
    ASSERT_NE(::mkdtemp(dir), nullptr);
    const auto write_lists = [&](std::size_t broken, bool missing) {
        for (std::size_t i = 0; i < list_count; ++i) {
            const std::string path = std::string(dir) + "/" + std::string(list_files[i].path);
            ::unlink(path.c_str());
            if (missing && i == broken) continue;
            std::string text;
            for (int n = 0; n < 200; ++n)
                text += "Name" + std::to_string(i) + "x" + std::to_string(n) + "\n";
            if (i == broken) text += std::string(name_capacity, 'L') + "\n";
            std::FILE* file = std::fopen(path.c_str(), "w");
            ASSERT_NE(file, nullptr);
            ASSERT_EQ(std::fwrite(text.data(), 1, text.size(), file), text.size());
            ASSERT_EQ(std::fclose(file), 0);
        }
    };
    struct row {
        std::size_t broken;  // list_count: none
        bool missing;
        bool loads;
    };
    for (const row& r : {row{list_count, false, true}, row{5, false, false}, row{2, true, false},
                         row{list_count - 1, false, false}}) {
        write_lists(r.broken, r.missing);
        for (const bool quiet : {false, true}) {
            captured_console in_turn;
            captured_console parallel;
            name_lists one;
            name_lists many;
            EXPECT_EQ(load_lists(one, dir, quiet, 1, in_turn.con), r.loads);
            EXPECT_EQ(load_lists(many, dir, quiet, 4, parallel.con), r.loads);
            EXPECT_EQ(parallel.text(), in_turn.text()) << r.broken;
            if (r.loads) {
                for (std::size_t i = 0; i < list_count; ++i) {
                    EXPECT_EQ(many.lists[i].entries.size(), one.lists[i].entries.size());
                    EXPECT_TRUE(list_contains("Name" + std::to_string(i) + "x7", many.lists[i]));
                }
            }
        }
    }
    for (const list_file& file : list_files)
        ::unlink((std::string(dir) + "/" + std::string(file.path)).c_str());
    ::rmdir(dir);
}

TEST(LoadNameList, MissingFileIsAnnouncedThenReported) {
    captured_console out;
    name_list list = make_list({entry("stale", false, false)});
    EXPECT_FALSE(load_and_say("/nonexistent/humans.cfg", list, false, out.con));
    EXPECT_EQ(out.text(),
              "Reading /nonexistent/humans.cfg...\nError: During opening /nonexistent/humans.cfg\n  No such "
              "file or directory\n");
    EXPECT_TRUE(list.entries.empty());
}

TEST(LoadNameList, DirectoryIsReportedAsUnopenable) {
    captured_console out;
    name_list list;
    EXPECT_FALSE(load_and_say("/", list, true, out.con));
    EXPECT_EQ(out.text(), "Reading /...\nError: During opening /\n  Is a directory\n");
}

}  // namespace
}  // namespace gs

namespace gs {
namespace {

// The index must give the answer of trying every entry, for any entries and any candidate. Small
// alphabets make overlapping patterns (the hard case for the substring automaton) common.
TEST(NameIndex, RecordsTheEndPairsThatCandidatesAreFilteredBy) {
    const name_list list =
        make_list({entry("AB", false, false), entry("CDE", false, true), entry("FGH", true, false)});
    const auto pair = [](char first, char second) {
        return static_cast<std::size_t>(static_cast<unsigned char>(first)) << 8 |
               static_cast<unsigned char>(second);
    };
    EXPECT_TRUE(list.index.exact_pairs.test(pair('A', 'B')));
    EXPECT_FALSE(list.index.exact_pairs.test(pair('A', 'A')));
    EXPECT_TRUE(list.index.prefix_pairs.test(pair('C', 'D')));
    EXPECT_FALSE(list.index.prefix_pairs.test(pair('C', 'C')));
    EXPECT_TRUE(list.index.suffix_pairs.test(pair('G', 'H')));
    EXPECT_FALSE(list.index.suffix_pairs.test(pair('G', 'G')));
    EXPECT_TRUE(list.index.prefix_lengths.test(3));
    EXPECT_TRUE(list.index.suffix_lengths.test(3));
    EXPECT_FALSE(list.index.prefix_lengths.test(2));
}

TEST(NameIndex, AgreesWithTheScanOnRandomListsAndCandidates) {
    std::mt19937 random(20261208);
    const std::string alphabets[] = {"ab", "abc", "ab\xff\0", "abcdefghij"};
    for (int round = 0; round < 400; ++round) {
        const std::string& alphabet = alphabets[round % 4];
        const auto text = [&](std::size_t most) {
            std::string t;
            const std::size_t length = random() % (most + 1);
            for (std::size_t i = 0; i < length; ++i)
                t.push_back(alphabet[random() % alphabet.size()]);
            return t;
        };
        std::vector<name_entry> entries;
        const std::size_t count = 1 + random() % 60;
        for (std::size_t i = 0; i < count; ++i) {
            entries.push_back(entry(text(i % 7 == 0 ? 99 : 6), random() % 2 == 0, random() % 3 == 0));
        }
        // Mostly lists without a match-everything entry, which would hide the rest.
        if (round % 5 != 0) {
            std::erase_if(entries, [](const name_entry& e) {
                return e.text.empty() && (e.leading_star || e.trailing_star);
            });
        }
        const name_list list = make_list(entries);
        name_list sparse = list;  // the same automaton without its complete transition table
        build_name_index(sparse.index, sparse.entries, 0);
        for (int probe = 0; probe < 200; ++probe) {
            std::string candidate = text(probe % 10 == 0 ? 400 : 12);
            if (probe % 7 == 0 && !entries.empty()) {
                const name_entry& e = entries[random() % entries.size()];
                candidate = text(3) + e.text + text(3);
            }
            std::string trimmed = candidate;
            const bool found = list_contains(trimmed, list);
            ASSERT_EQ(found, list_contains_scan(trimmed, list))
                << "round " << round << " candidate " << candidate;
            ASSERT_EQ(list_contains(trimmed, sparse), found)
                << "round " << round << " candidate " << candidate;
        }
    }
}

TEST(NameIndex, ListsChangedAfterIndexingOrWithHugeEntriesStillAnswerRight) {
    name_list list = make_list({entry("Fritz", false, false)});
    list.entries.push_back(entry("Junior", false, false));
    EXPECT_TRUE(matches("Junior", list));
    list = make_list({entry(std::string(300, 'x'), true, true)});
    EXPECT_FALSE(list.index.usable);
    EXPECT_TRUE(matches("a" + std::string(300, 'x'), list));
    EXPECT_FALSE(matches(std::string(299, 'x'), list));
}

}  // namespace
}  // namespace gs
