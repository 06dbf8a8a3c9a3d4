// Fuzz target: a list file of arbitrary bytes, in word mode or pattern mode (the first byte decides). A list
// error is a normal outcome; a crash, a hang or an index that answers differently from trying every entry
// is not.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "lists/list_files.hpp"
#include "lists/name_list.hpp"
#include "text/text.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const bool word_mode = data[0] & 1;
    const std::string_view bytes(reinterpret_cast<const char*>(data) + 1, size - 1);
    gs::name_list list;
    gs::add_list_lines(bytes, list, word_mode);
    gs::index_name_list(list);

    // Candidates: every line of the input, and every entry text with a byte before and after it.
    const auto agree = [&](std::string_view text) {
        const bool indexed = gs::list_contains(text, list);
        if (indexed != gs::list_contains_scan(gs::trimmed_right(text), list)) std::abort();
        if (indexed != gs::list_find_entry(text, list).has_value()) std::abort();
    };
    for (std::size_t at = 0; at <= bytes.size();) {
        std::size_t end = bytes.find('\n', at);
        if (end == std::string_view::npos) end = bytes.size();
        agree(bytes.substr(at, end - at));
        at = end + 1;
    }
    for (std::size_t i = 0; i < list.entries.size() && i < 64; ++i) {
        agree("x" + list.entries[i].text + "y");
        agree(list.entries[i].text);
    }
    return 0;
}
