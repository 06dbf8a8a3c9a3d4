#include "lists/name_list.hpp"

#include "text/text.hpp"

namespace gs {

bool list_contains_scan(std::string_view candidate, const name_list& list) {
    for (const name_entry& entry : list.entries) {
        bool match;
        if (entry.leading_star && entry.trailing_star) {
            match = contains(candidate, entry.text);
        } else if (entry.leading_star) {
            match = ends_with(candidate, entry.text);
        } else if (entry.trailing_star) {
            match = starts_with(candidate, entry.text);
        } else {
            match = candidate == entry.text;
        }
        if (match) return true;
    }
    return false;
}

void index_name_list(name_list& list) {
    build_name_index(list.index, list.entries);
}

bool list_contains(std::string& candidate, const name_list& list) {
    trim_right(candidate);
    if (list.index.usable && list.index.indexed_entries == list.entries.size()) {
        return index_matches(list.index, list.entries, candidate);
    }
    return list_contains_scan(candidate, list);
}

}  // namespace gs
