// Hostile input: huge lines and sections, random bytes, odd line ends, extreme list files. Each must end
// with its proper outcome, in time linear in its size, with memory bounded by its longest line.
#include <gtest/gtest.h>

#include <random>

#include "support/accounting.hpp"
#include "support/sieve_dir.hpp"

namespace gs::testing {
namespace {

constexpr long mib = 1024;  // in KiB

// Under AddressSanitizer, freed memory waits in a quarantine and counts towards the peak, and
// ThreadSanitizer keeps shadow memory beside every byte, so the memory bounds hold for the release build
// only.
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
constexpr bool memory_is_measurable = false;
#else
constexpr bool memory_is_measurable = true;
#endif

run_result sort_in(sieve_dir& dir, const std::string& input) {
    dir.write("in.pgn", input);
    run_result r = dir.run({"in.pgn"});
    EXPECT_EQ(r.err, "");
    return r;
}

TEST(Hostile, FiftyMegabyteLine) {
    sieve_dir dir;
    const std::string line(50'000'000, 'e');
    const run_result r = sort_in(dir, line);
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(dir.read("rest_vs_rest.pgn"), line + "\n");
    // The line is held once while it is gathered, and written without a copy into the output buffer.
    if (memory_is_measurable) {
        EXPECT_LT(r.peak_kib, 3 * 50 * mib + 16 * mib);
    }
}

TEST(Hostile, HundredThousandTagLinesInOneSection) {
    sieve_dir dir;
    std::string section;
    for (int i = 0; i < 100'000; ++i)
        section.append("[Tag \"").append(std::to_string(i)).append("\"]\n");
    const run_result r = sort_in(dir, section + "\n1. e4 *\n");
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(dir.read("rest_vs_rest.pgn"), section + "1. e4 *\n");
    if (memory_is_measurable) {
        EXPECT_LT(r.peak_kib, 64 * mib);
    }
}

TEST(Hostile, TwentyMegabytesOfRandomBytes) {
    sieve_dir dir;
    std::mt19937_64 random(7);
    std::string bytes(20'000'000, '\0');
    for (char& c : bytes) {
        const auto r = random();
        // Mostly bytes of any value, with line feeds, '[' and quotes often enough to make tag lines.
        c = (r & 15) == 0 ? '\n' : (r & 15) == 1 ? '[' : (r & 15) == 2 ? '"' : static_cast<char>(r >> 8);
    }
    const run_result r = sort_in(dir, bytes);
    EXPECT_EQ(r.status, 0);
    const auto outs = dir.outputs();
    const accounting a = check_accounting(bytes, output_views(outs));
    EXPECT_TRUE(a.ok) << a.fault;
}

TEST(Hostile, SingleBracket) {
    sieve_dir dir;
    EXPECT_EQ(sort_in(dir, "[").status, 0);
    EXPECT_EQ(dir.read("rest_vs_rest.pgn"), "[\n");
}

TEST(Hostile, MixedLineEnds) {
    sieve_dir dir;
    EXPECT_EQ(sort_in(dir, "[Event \"A\"]\r\n[Site \"B\"]\n\r\n\r1. e4\r2. d4\r\n*\n\r").status, 0);
    EXPECT_EQ(dir.read("rest_vs_rest.pgn"), "[Event \"A\"]\n[Site \"B\"]\n\r1. e4\r2. d4\n*\n\n");
}

TEST(Hostile, LineOfHundredThousandBrackets) {
    sieve_dir dir;
    const std::string brackets(100'000, '[');
    EXPECT_EQ(sort_in(dir, "[Event \"A\"]\n" + brackets + "\n").status, 0);
    EXPECT_EQ(dir.read("rest_vs_rest.pgn"), "[Event \"A\"]\n" + brackets + "\n");
}

TEST(Hostile, TenMegabytesOfNestedEscapedQuotes) {
    sieve_dir dir;
    // Every deletion of the innermost backslash-quote pair brings the next pair together.
    const std::size_t pairs = 5'000'000;
    const std::string line = "[Annotator \"" + std::string(pairs, '\\') + std::string(pairs, '"') + "\"]";
    EXPECT_EQ(sort_in(dir, line + "\n\n*\n").status, 0);
    EXPECT_EQ(dir.read("rest_vs_rest.pgn"), "[Annotator \"\"]\n*\n");
}

std::string numbered(std::size_t count, const char* separator) {
    std::string text;
    for (std::size_t i = 0; i < count; ++i)
        text.append("n").append(std::to_string(i)).append(separator);
    return text;
}

TEST(Hostile, ListCapacityAndNameLength) {
    struct list_case {
        std::string file, bytes;
        int status;
        std::string tail;  // what follows the progress lines up to that file
    };
    const std::string ninety_nine(99, 'a'), hundred(100, 'a');
    const std::vector<list_case> cases = {
        {"computers.cfg", numbered(5000, "\n"), 0, ""},
        {"computers.cfg", numbered(5001, "\n"), 1,
         "Error: maximum in list reached\nmaximum of the list is: 5000\n  computers.cfg line 5001\n"},
        {"humans_fics.cfg", numbered(5000, " "), 0, ""},
        {"humans.cfg", ninety_nine + "\n*" + ninety_nine + "*\n", 0, ""},
        {"humans.cfg", hundred + "\n", 1,
         "Error: name too long\nname was: " + hundred + "\n  humans.cfg line 1\n"},
        {"humans_fics.cfg", hundred + "\n", 1,
         "Error: name too long\nname was: " + hundred + "\n  humans_fics.cfg line 1\n"},
        {"adv_events.cfg", "[a-z][a-z][0-9]\n", 1,
         "Error: maximum in list reached\nmaximum of the list is: 5000\n  adv_events.cfg line 1\n"},
        {"computers_fics.cfg", numbered(5001, " "), 1,
         "Error: maximum in list reached\nmaximum of the list is: 5000\n  computers_fics.cfg line 1\n"},
        {"computers_fics.cfg", std::string(1'000'000, ' ') + "word\n", 0, ""},
        // A line longer than any list needs is refused as soon as it is, quoted by its start only.
        {"computers_fics.cfg", numbered(1'000'000, " "), 1,
         "Error: line longer than 1048576 bytes\nline was: " + numbered(1'000'000, " ").substr(0, 100) +
             "...\n  computers_fics.cfg line 1\n"},
        {"computers.cfg", std::string(10'000'000, ' ') + "word\n", 1,
         "Error: line longer than 4096 bytes\nline was: " + std::string(100, ' ') +
             "...\n  computers.cfg line 1\n"},
    };
    for (const list_case& c : cases) {
        sieve_dir dir;
        dir.write(c.file, c.bytes);
        dir.write("in.pgn", "");
        const run_result r = dir.run({"in.pgn"});
        EXPECT_EQ(r.status, c.status) << c.file << " " << c.bytes.substr(0, 40);
        if (c.status == 0) {
            EXPECT_EQ(r.out, reading_lines());
        } else {
            const std::string reading = "Reading " + c.file + "...\n";
            const std::string all = reading_lines();
            EXPECT_EQ(r.out, all.substr(0, all.find(reading) + reading.size()) + c.tail) << c.file;
        }
    }
}

}  // namespace
}  // namespace gs::testing
