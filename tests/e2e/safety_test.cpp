// Safety: the journal, the temporary names and the outputs trust nothing the run did not write. A
// journal, a link or a FIFO planted in the output directory (by mistake, or by another user of a shared
// directory) never makes a run or --recover cut, remove, overwrite or wait on a file that is not the
// run's own.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>

#include "support/sieve_dir.hpp"

namespace gs::testing {
namespace {

const std::string damaged = "Error: the journal in . is damaged; nothing was cut\n  ";

void prepare(sieve_dir& dir) {
    dir.write("computers.cfg", "DEEPBLUE\nFRITZ\n");
    dir.write("humans.cfg", "KASPAROV\n");
    dir.write("g.pgn", mixed_games(8));
}

// Runs a command as the user nobody (for the cases that need another user); false when it cannot.
bool as_nobody(const sieve_dir& dir, const std::string& command) {
    return ::geteuid() == 0 &&
           dir.shell("setpriv --reuid=65534 --regid=65534 --clear-groups sh -c '" + command + "'") == 0;
}

// A journal that names anything but this run's outputs and its temporary report, or that is not this
// user's bounded regular file, is refused whole: --recover says why and touches nothing.
TEST(Safety, RecoverTrustsOnlyAJournalARunCouldHaveWritten) {
    sieve_dir dir;
    const std::string head = "gamesieve journal 1\n";
    const std::string important = dir.path() + "/important.db";
    const struct {
        std::string journal;
        std::string why;
    } cases[] = {
        {head + "output 0 notes.txt\n",
         "line 2 names a file that is not an output of gamesieve: output 0 notes.txt"},
        {head + "output absent thesis.tex\n",
         "line 2 names a file that is not an output of gamesieve: output absent thesis.tex"},
        {head + "report " + important + "\n", "line 2 is not understood: report " + important},
        {head + std::string("output 0 comp_vs_comp.pgn\0junk\n", 31), "it holds a NUL byte"},
    };
    for (const auto& c : cases) {
        dir.write("notes.txt", "notes\n");
        dir.write("thesis.tex", "thesis\n");
        dir.write("important.db", "data\n");
        dir.write("comp_vs_comp.pgn", "games\n");
        dir.write(".gamesieve-journal", c.journal);
        const run_result r = dir.run({"--recover"});
        EXPECT_EQ(r.status, 1);
        EXPECT_EQ(r.out, damaged + c.why + "\n");
        EXPECT_EQ(dir.read("notes.txt"), "notes\n");
        EXPECT_EQ(dir.read("thesis.tex"), "thesis\n");
        EXPECT_EQ(dir.read("important.db"), "data\n");
        EXPECT_EQ(dir.read("comp_vs_comp.pgn"), "games\n");
        EXPECT_TRUE(dir.exists(".gamesieve-journal"));
    }

    // Not a regular file, or endless: refused at once, without waiting or reading without end.
    std::filesystem::remove(dir.path() + "/.gamesieve-journal");
    std::filesystem::create_symlink("/dev/zero", dir.path() + "/.gamesieve-journal");
    EXPECT_EQ(dir.run({"--recover"}).out, damaged + "it is a link, which gamesieve never follows\n");
    std::filesystem::remove(dir.path() + "/.gamesieve-journal");
    ASSERT_EQ(::mkfifo((dir.path() + "/.gamesieve-journal").c_str(), 0600), 0);
    EXPECT_EQ(dir.run({"--recover"}).out, damaged + "it is not a regular file\n");
    dir.write("g.pgn", mixed_games(4));
    const run_result blocked = dir.run({"-q", "g.pgn"});
    EXPECT_EQ(blocked.status, 1);
    EXPECT_TRUE(blocked.out.starts_with("Error: an unfinished gamesieve run left its journal in ."))
        << blocked.out;
    std::filesystem::remove(dir.path() + "/.gamesieve-journal");

    // Another user's journal in a directory anyone can write: even root's --recover does not believe it.
    ASSERT_EQ(::chmod(dir.path().c_str(), 01777), 0);
    if (!as_nobody(dir,
                   "printf \"gamesieve journal 1\\noutput absent comp_vs_comp.pgn\\n\" > .gamesieve-journal"))
        GTEST_SKIP() << "needs root and setpriv to act as another user";
    EXPECT_EQ(dir.run({"--recover"}).out,
              damaged + "it belongs to another user (uid 65534), so it is not this user's run\n");
    EXPECT_EQ(dir.read("comp_vs_comp.pgn"), "games\n");
}

// Links planted at the temporary names or the outputs are never followed where they could lead a run to
// write, cut or remove a file that is not its own.
TEST(Safety, PlantedLinksAreNotFollowed) {
    sieve_dir dir, elsewhere;
    prepare(dir);
    elsewhere.write("victim", "precious\n");
    const std::string victim = elsewhere.path() + "/victim";
    // The temporary names: the run makes its own files there and succeeds.
    std::filesystem::create_symlink(victim, dir.path() + "/.gamesieve-journal.new");
    std::filesystem::create_symlink(victim, dir.path() + "/why.tsv.gamesieve-partial");
    const run_result r = dir.run({"-q", "--explain", "why.tsv", "g.pgn"});
    EXPECT_EQ(r.status, 0) << r.out;
    EXPECT_EQ(elsewhere.read("victim"), "precious\n");
    EXPECT_TRUE(std::filesystem::is_regular_file(std::filesystem::symlink_status(dir.path() + "/why.tsv")));
    EXPECT_FALSE(dir.exists(".gamesieve-journal.new"));

    // An output that a killed run left and that is a link now: --recover leaves it and says so.
    const std::string before = *dir.read("comp_vs_comp.pgn");
    std::filesystem::remove(dir.path() + "/comp_vs_comp.pgn");
    std::filesystem::create_symlink(victim, dir.path() + "/comp_vs_comp.pgn");
    dir.write(".gamesieve-journal", "gamesieve journal 1\noutput 3 comp_vs_comp.pgn\n");
    const run_result recovered = dir.run({"--recover"});
    EXPECT_EQ(recovered.status, 1);
    EXPECT_EQ(recovered.out,
              "Error: 'comp_vs_comp.pgn' is a link now; --recover never follows a link, so it was left as it "
              "is\n");
    EXPECT_EQ(elsewhere.read("victim"), "precious\n");
    std::filesystem::remove(dir.path() + "/.gamesieve-journal");

    // A link that leads nowhere is not made into a file where it points.
    std::filesystem::remove(dir.path() + "/comp_vs_comp.pgn");
    std::filesystem::create_symlink(elsewhere.path() + "/made", dir.path() + "/comp_vs_comp.pgn");
    const run_result dangling = dir.run({"-q", "--again", "g.pgn"});
    EXPECT_EQ(dangling.status, 1);
    EXPECT_EQ(dangling.out,
              "Error: During creating or opening file 'comp_vs_comp.pgn'\n  a link to a file that does not "
              "exist\n");
    EXPECT_FALSE(elsewhere.exists("made"));
    std::filesystem::remove(dir.path() + "/comp_vs_comp.pgn");
    dir.write("comp_vs_comp.pgn", before);

    // Another user's link to a private file, in a directory anyone can write.
    ASSERT_EQ(::chmod(dir.path().c_str(), 01777), 0);
    ASSERT_EQ(::chmod(elsewhere.path().c_str(), 0755), 0);
    std::filesystem::remove(dir.path() + "/comp_vs_human.pgn");
    if (!as_nobody(dir, "ln -s " + victim + " comp_vs_human.pgn"))
        GTEST_SKIP() << "needs root and setpriv to act as another user";
    const run_result foreign = dir.run({"-q", "--again", "g.pgn"});
    EXPECT_EQ(foreign.status, 1);
    EXPECT_EQ(
        foreign.out,
        "Error: During creating or opening file 'comp_vs_human.pgn'\n  a link that another user made in a "
        "directory that others can write; gamesieve does not follow it\n");
    EXPECT_EQ(elsewhere.read("victim"), "precious\n");
}

// The report never takes the place of an output (there or not yet), the journal or an input; one that is
// a FIFO without a reader is an error at once; one that is replaced keeps its mode.
TEST(Safety, TheReportHasAPlaceOfItsOwn) {
    sieve_dir dir;
    prepare(dir);
    std::filesystem::create_directory(dir.path() + "/out");
    const struct {
        std::string report;
        std::string message;
    } cases[] = {
        {"out/rest_vs_rest.pgn",
         "Error: out/rest_vs_rest.pgn is also the output file 'out/rest_vs_rest.pgn'\n"},
        {"./out/comp_vs_comp.pgn",
         "Error: ./out/comp_vs_comp.pgn is also the output file 'out/comp_vs_comp.pgn'\n"},
        {"out/.gamesieve-journal", "Error: out/.gamesieve-journal is the journal of the output directory\n"},
        {"g.pgn", "Error: g.pgn is also an input file\n"},
    };
    for (const auto& c : cases) {
        const run_result r = dir.run({"-q", "-o", "out", "--explain", c.report, "g.pgn"});
        EXPECT_EQ(r.status, 1) << c.report;
        EXPECT_EQ(r.out, c.message);
        EXPECT_TRUE(std::filesystem::is_empty(dir.path() + "/out")) << c.report;
    }
    ASSERT_EQ(::mkfifo((dir.path() + "/why.fifo").c_str(), 0600), 0);
    const run_result fifo = dir.run({"-q", "--explain", "why.fifo", "g.pgn"});
    EXPECT_EQ(fifo.status, 1);
    EXPECT_TRUE(
        fifo.out.starts_with("Error: During creating or opening file 'why.fifo'\n  a FIFO that no program is "
                             "reading\n"))
        << fifo.out;
    dir.write("why.tsv", "private\n");
    ASSERT_EQ(::chmod((dir.path() + "/why.tsv").c_str(), 0600), 0);
    ASSERT_EQ(dir.run({"-q", "--explain", "why.tsv", "g.pgn"}).status, 0);
    struct stat info {};
    ASSERT_EQ(::stat((dir.path() + "/why.tsv").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0600u);
}

// A signal during a run whose directory was moved away and replaced: the run puts back the files it
// wrote, wherever they are now, touches nothing in the new directory, says what happened, and ends by the
// signal itself, so a shell loop stops with it.
TEST(Safety, ARollBackPutsBackTheRunsOwnFilesAndEndsByTheSignal) {
    sieve_dir dir;
    prepare(dir);
    std::filesystem::create_directory(dir.path() + "/out");
    dir.write("out/comp_vs_comp.pgn", "old\n");
    dir.set_env("GAMESIEVE_TEST_CHUNK_BYTES", "200");
    background_run running = dir.start({"-q", "-o", "out", "-"});
    const std::string games = mixed_games(40);
    ASSERT_EQ(::write(running.feed, games.data(), games.size()), static_cast<ssize_t>(games.size()));
    for (int i = 0; i < 200 && dir.read("out/comp_vs_comp.pgn") == "old\n"; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    ASSERT_NE(dir.read("out/comp_vs_comp.pgn"), "old\n");
    std::filesystem::rename(dir.path() + "/out", dir.path() + "/moved");
    std::filesystem::create_directory(dir.path() + "/out");
    dir.write("out/comp_vs_comp.pgn", "new\n");
    dir.write("out/comp_vs_human.pgn", "new\n");
    ::kill(running.pid, SIGTERM);
    const run_result r = dir.finish(running);
    EXPECT_EQ(r.signal, SIGTERM);
    EXPECT_EQ(
        r.out,
        "Warning: the output directory out was moved or replaced during the run: the outputs were put "
        "back in the directory the run began in, wherever it is now, and nothing at that name now was "
        "touched\nInterrupted by SIGTERM: nothing of this run was kept, every output is as it was before "
        "the run\n");
    EXPECT_EQ(dir.read("out/comp_vs_comp.pgn"), "new\n");
    EXPECT_EQ(dir.read("out/comp_vs_human.pgn"), "new\n");
    EXPECT_EQ(dir.read("moved/comp_vs_comp.pgn"), "old\n");
    EXPECT_FALSE(dir.exists("moved/comp_vs_human.pgn"));
    EXPECT_FALSE(dir.exists("moved/.gamesieve-journal"));
}

// A slow compression notices a signal between its steps: a run with -z xz:9 ends at once (the hang
// guard kills it after 20 s, which shows as 137), says so, and leaves the outputs as they were; a list
// that never ends a line (a link to /dev/zero) is refused at its bound instead of filling the memory.
TEST(Safety, NothingWaitsOrReadsWithoutEnd) {
    sieve_dir dir;
    prepare(dir);
    dir.write("big.pgn", mixed_games(500000));
    ASSERT_EQ(dir.shell("timeout -s KILL 20 \"$GAMESIEVE\" -q -z xz:9 big.pgn > out.txt & pid=$!; "
                        "for i in $(seq 100); do [ -e .gamesieve-journal ] && break; sleep 0.05; done; "
                        "sleep 0.3; kill -INT $pid; wait $pid; echo $? > status.txt"),
              0);
    EXPECT_EQ(dir.read("status.txt"), "130\n");
    EXPECT_EQ(
        dir.read("out.txt"),
        "Interrupted by SIGINT: nothing of this run was kept, every output is as it was before the run\n");
    EXPECT_FALSE(dir.exists("comp_vs_comp.pgn.xz"));
    EXPECT_FALSE(dir.exists(".gamesieve-journal"));

    std::filesystem::remove(dir.path() + "/humans.cfg");
    std::filesystem::create_symlink("/dev/zero", dir.path() + "/humans.cfg");
    const run_result r = dir.run({"-q", "g.pgn"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "Error: line longer than 4096 bytes\nline was: " + std::string(100, '\0') +
                         "...\n  humans.cfg line 1\n");
}

// Standard streams closed at start do not become the outputs' or the journal's descriptors: the run
// completes and keeps its games.
TEST(Safety, ClosedStandardStreamsAreNoPlaceForFiles) {
    sieve_dir dir;
    prepare(dir);
    ASSERT_EQ(dir.shell("\"$GAMESIEVE\" g.pgn <&- >&- 2>&-; echo $? > status"), 0);
    EXPECT_EQ(dir.read("status"), "0\n");
    EXPECT_EQ(dir.outputs().size(), 5u);
    EXPECT_FALSE(dir.exists(".gamesieve-journal"));
}

}  // namespace
}  // namespace gs::testing
