#include "support/sieve_dir.hpp"

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <thread>

#include "lists/list_files.hpp"

namespace gs::testing {
namespace {

std::string slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

}  // namespace

sieve_dir::sieve_dir(bool with_lists) {
    std::string pattern = (std::filesystem::temp_directory_path() / "gamesieve-test-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
    path_ = pattern;
    if (with_lists) {
        for (const list_file& file : list_files)
            write(std::string(file.path), "");
    }
}

sieve_dir::~sieve_dir() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

void sieve_dir::write(const std::string& name, const std::string& bytes) const {
    std::ofstream out(path_ + "/" + name, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out) throw std::runtime_error("cannot write " + name);
}

std::optional<std::string> sieve_dir::read(const std::string& name) const {
    if (!exists(name)) return std::nullopt;
    return slurp(path_ + "/" + name);
}

bool sieve_dir::exists(const std::string& name) const {
    return std::filesystem::exists(std::filesystem::symlink_status(path_ + "/" + name));
}

background_run sieve_dir::start(const std::vector<std::string>& args, bool piped) const {
    const std::string out_path = path_ + "/.stdout", err_path = path_ + "/.stderr";
    int feed[2] = {-1, -1};
    if (piped && ::pipe(feed) != 0) throw std::runtime_error("pipe failed");
    const pid_t child = ::fork();
    if (child < 0) throw std::runtime_error("fork failed");
    if (child == 0) {
        if (::chdir(path_.c_str()) != 0) ::_exit(126);
        const int out = ::open(out_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        const int err = ::open(err_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        const int in = piped ? feed[0] : ::open("/dev/null", O_RDONLY);
        if (out < 0 || err < 0 || in < 0) ::_exit(126);
        ::dup2(out, 1);
        ::dup2(err, 2);
        ::dup2(in, 0);
        if (piped) ::close(feed[1]);
        for (const auto& [name, value] : env_)
            ::setenv(name.c_str(), value.c_str(), 1);
        std::vector<char*> argv;
        std::string binary = GAMESIEVE_BINARY;
        argv.push_back(binary.data());
        std::vector<std::string> copies = args;
        for (std::string& arg : copies)
            argv.push_back(arg.data());
        argv.push_back(nullptr);
        ::execv(binary.c_str(), argv.data());
        ::_exit(127);
    }
    if (piped) ::close(feed[0]);
    return {child, feed[1]};
}

run_result sieve_dir::finish(background_run& running) const {
    if (running.feed >= 0) ::close(running.feed);
    running.feed = -1;
    int status = 0;
    rusage usage{};
    ::wait4(running.pid, &status, 0, &usage);
    run_result result;
    result.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    result.signal = WIFSIGNALED(status) ? WTERMSIG(status) : 0;
    result.peak_kib = usage.ru_maxrss;
    result.out = slurp(path_ + "/.stdout");
    result.err = slurp(path_ + "/.stderr");
    std::filesystem::remove(path_ + "/.stdout");
    std::filesystem::remove(path_ + "/.stderr");
    return result;
}

run_result sieve_dir::run(const std::vector<std::string>& args,
                          const std::optional<std::string>& stdin_bytes) const {
    background_run running = start(args, stdin_bytes.has_value());
    std::thread writer;
    if (stdin_bytes) {
        writer = std::thread([fd = running.feed, &stdin_bytes] {
            const std::string& bytes = *stdin_bytes;
            std::size_t done = 0;
            while (done < bytes.size()) {
                const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
                if (n <= 0) break;
                done += static_cast<std::size_t>(n);
            }
            ::close(fd);
        });
        running.feed = -1;  // the writer closes it
    }
    run_result result = finish(running);
    if (writer.joinable()) writer.join();
    return result;
}

void sieve_dir::set_env(const std::string& name, const std::string& value) {
    env_.emplace_back(name, value);
}

int sieve_dir::shell(const std::string& command) const {
    std::string exports;
    for (const auto& [name, value] : env_)
        exports += "export " + name + "='" + value + "' && ";
    const std::string line =
        "cd '" + path_ + "' && " + exports + "export GAMESIEVE='" GAMESIEVE_BINARY "' && (" + command + "\n)";
    const int status = std::system(line.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128;
}

std::map<std::string, std::string> sieve_dir::outputs() const {
    std::map<std::string, std::string> result;
    for (const std::string& name : output_names) {
        if (auto bytes = read(name)) result[name] = *bytes;
    }
    return result;
}

std::array<std::string_view, output_count> output_views(const std::map<std::string, std::string>& outputs) {
    std::array<std::string_view, output_count> views;
    for (std::size_t i = 0; i < views.size(); ++i)
        views[i] = outputs.at(output_names[i]);
    return views;
}

void copy_default_lists(const sieve_dir& dir) {
    for (const list_file& file : list_files) {
        dir.write(std::string(file.path), source_file("lists/" + std::string(file.path)));
    }
}

std::string source_file(const std::string& path) {
    const std::string full = std::string(GAMESIEVE_SOURCE_DIR) + "/" + path;
    if (!std::filesystem::exists(full)) throw std::runtime_error("missing " + full);
    return slurp(full);
}

std::string reading_lines() {
    std::string lines;
    for (const list_file& file : list_files)
        lines.append("Reading ").append(file.path).append("...\n");
    return lines;
}

std::string mixed_games(int count) {
    std::string games;
    for (int i = 0; i < count; ++i) {
        const std::string event = "[Event \"E" + std::to_string(i) + "\"]\n";
        switch (i % 4) {
            case 0:
                games += event + "[White \"Deep Blue\"]\n[Black \"Fritz\"]\n\n1. e4 *\n\n";
                break;
            case 1:
                games += event + "[White \"Deep Blue\"]\n[Black \"Kasparov\"]\n\n1. d4 *\n\n";
                break;
            case 2:
                games += event + "[White \"Fritz\"]\n[Black \"Nobody\"]\n\n1. c4 *\n\n";
                break;
            default:
                games += event + "[White \"A\"]\n[Black \"B\"]\n[Date \"1999-5-1\"]\n\n1. f4 *\n\n";
                break;
        }
    }
    return games;
}

}  // namespace gs::testing
