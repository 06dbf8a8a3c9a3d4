// measure <command> [arguments...]: runs the command with its standard output and prints
// "<wall seconds> <peak resident KiB> <exit status> <user CPU seconds> <system CPU seconds>" (the CPU of
// the command and every process it waited for). Its standard error is discarded too.
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: measure <command> [arguments...]\n");
        return 2;
    }
    const auto start = std::chrono::steady_clock::now();
    const pid_t child = fork();
    if (child == 0) {
        const int null = open("/dev/null", O_WRONLY);
        dup2(null, 1);
        dup2(null, 2);
        execvp(argv[1], argv + 1);
        _exit(127);
    }
    int status = 0;
    rusage usage{};
    wait4(child, &status, 0, &usage);
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    // The children's times include those of a shell's own children (a pipeline, xargs).
    rusage children{};
    getrusage(RUSAGE_CHILDREN, &children);
    const auto cpu = [](const timeval& t) {
        return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) / 1e6;
    };
    std::printf("%.4f %ld %d %.4f %.4f\n", seconds, usage.ru_maxrss,
                WIFEXITED(status) ? WEXITSTATUS(status) : 128, cpu(children.ru_utime),
                cpu(children.ru_stime));
    return 0;
}
