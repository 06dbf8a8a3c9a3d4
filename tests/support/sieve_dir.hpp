// End-to-end test helper: a fresh temporary working directory with the twelve list files, in which the
// built gamesieve binary runs with its standard output captured.
#pragma once

#include <array>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "classify/game.hpp"

namespace gs::testing {

struct run_result {
    int status = -1;
    std::string out;    // everything the tool wrote to standard output
    std::string err;    // everything it wrote to standard error (expected to stay empty)
    long peak_kib = 0;  // peak resident memory of the run
    int signal = 0;     // the signal that ended the process, if one did
};

// A run going on in the background; its standard input is a pipe written through feed (or /dev/null).
struct background_run {
    int pid = -1;
    int feed = -1;
};

class sieve_dir {
  public:
    // Creates the directory with the twelve list files, empty unless with_lists is false.
    explicit sieve_dir(bool with_lists = true);
    ~sieve_dir();
    sieve_dir(const sieve_dir&) = delete;
    sieve_dir& operator=(const sieve_dir&) = delete;

    const std::string& path() const { return path_; }
    void write(const std::string& name, const std::string& bytes) const;
    std::optional<std::string> read(const std::string& name) const;
    bool exists(const std::string& name) const;

    // Sets an environment variable for every later run and shell command in the directory (the tests'
    // knobs: GAMESIEVE_TEST_CHUNK_BYTES, GAMESIEVE_TEST_FAULTS).
    void set_env(const std::string& name, const std::string& value);

    // Runs gamesieve with these arguments in the directory; stdin_bytes, when given, arrive through a pipe.
    run_result run(const std::vector<std::string>& args,
                   const std::optional<std::string>& stdin_bytes = std::nullopt) const;

    // Starts gamesieve in the directory and returns at once; finish closes the pipe (if any) and waits.
    background_run start(const std::vector<std::string>& args, bool piped = true) const;
    run_result finish(background_run& running) const;

    // Runs a shell command in the directory (with "$GAMESIEVE" naming the built tool); its exit status.
    int shell(const std::string& command) const;

    // The five outputs by name; a file that does not exist is absent from the map.
    std::map<std::string, std::string> outputs() const;

  private:
    std::string path_;
    std::vector<std::pair<std::string, std::string>> env_;
};

// The five outputs of a run as views, in the order of output_names; every one must exist.
std::array<std::string_view, output_count> output_views(const std::map<std::string, std::string>& outputs);

// count games of every output, in turn (with lists that hold DEEPBLUE and FRITZ as programs and
// KASPAROV as a person), so that a run appends to all five.
std::string mixed_games(int count);

// Copies the default list files shipped in lists/ into the directory.
void copy_default_lists(const sieve_dir& dir);

// The bytes of a file of the source tree, by its path from the tree's top.
std::string source_file(const std::string& path);

// The twelve "Reading <file>..." lines, in load order.
std::string reading_lines();

// The five output file names, in the tool's order.
inline const std::vector<std::string> output_names(output_file_names.begin(), output_file_names.end());

}  // namespace gs::testing
