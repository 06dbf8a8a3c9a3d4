// Fuzz target: the journal and the ledger, which a run reads from a directory that may not be its own,
// read from arbitrary bytes. What is read must be written back as something that reads the same, and a
// ledger line must be written back exactly as it was.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "io/journal.hpp"
#include "io/ledger.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const std::vector<std::string> names = {"comp_vs_comp.pgn", "rest_vs_rest.pgn.zst",
                                                   ".gamesieve-ledger"};
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    gs::run_journal journal;
    if (gs::parse_journal(bytes, names, journal).empty()) {
        const std::string text = gs::journal_text(journal);
        gs::run_journal again;
        if (!gs::parse_journal(text, names, again).empty() || gs::journal_text(again) != text) std::abort();
    }
    std::string_view rest = bytes;
    while (!rest.empty()) {
        const std::size_t feed = rest.find('\n');
        const std::string_view line = rest.substr(0, feed);
        if (const std::optional<gs::ledger_entry> entry = gs::parse_ledger_line(line)) {
            if (gs::ledger_line(*entry) != std::string(line) + '\n') std::abort();
        }
        if (feed == std::string_view::npos) break;
        rest.remove_prefix(feed + 1);
    }
    return 0;
}
