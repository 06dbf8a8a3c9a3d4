// make_bench_data corpus <seed.pgn> <megabytes> <out.pgn>   writes the corpus, prints its game count
// make_bench_data lists <folder>                             writes the twelve full list files
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>

#include "bench_data.hpp"
#include "lists/list_files.hpp"

namespace {

bool write_file(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.close();
    return static_cast<bool>(out);
}

}  // namespace

int main(int argc, char** argv) {
    const std::string mode = argc > 1 ? argv[1] : "";
    if (mode == "corpus" && argc == 5) {
        std::ifstream in(argv[2], std::ios::binary);
        std::ostringstream seed;
        seed << in.rdbuf();
        if (!in) {
            std::cerr << "cannot read " << argv[2] << "\n";
            return 1;
        }
        std::string corpus;
        const std::size_t bytes = std::strtoull(argv[3], nullptr, 10) * 1000 * 1000;
        corpus.reserve(bytes + 100000);
        const std::size_t games = gs::bench::write_corpus(seed.str(), bytes, corpus);
        if (!write_file(argv[4], corpus)) return 1;
        std::cout << games << "\n";
        return 0;
    }
    if (mode == "lists" && argc == 3) {
        const auto files = gs::bench::full_list_files();
        for (std::size_t i = 0; i < gs::list_count; ++i) {
            if (!write_file(std::string(argv[2]) + "/" + std::string(gs::list_files[i].path), files[i]))
                return 1;
        }
        return 0;
    }
    std::cerr << "usage: make_bench_data corpus <seed.pgn> <megabytes> <out.pgn> | lists <folder>\n";
    return 2;
}
