#include "lists/name_list.hpp"

#include "text/text.hpp"

namespace gs {

namespace {

bool entry_matches(const name_entry& entry, std::string_view candidate) {
    switch (kind_of(entry)) {
        case entry_kind::inner:
            return contains(candidate, entry.text);
        case entry_kind::suffix:
            return ends_with(candidate, entry.text);
        case entry_kind::prefix:
            return starts_with(candidate, entry.text);
        case entry_kind::exact:
            break;
    }
    return candidate == entry.text;
}

}  // namespace

bool list_contains_scan(std::string_view candidate, const name_list& list) {
    for (const name_entry& entry : list.entries) {
        if (entry_matches(entry, candidate)) return true;
    }
    return false;
}

std::optional<std::size_t> list_find_entry(std::string_view candidate, const name_list& list) {
    candidate = trimmed_right(candidate);
    for (std::size_t i = 0; i < list.entries.size(); ++i) {
        if (entry_matches(list.entries[i], candidate)) return i;
    }
    return std::nullopt;
}

std::string shown_entry(const name_entry& entry) {
    std::string shown;
    if (entry.leading_star) shown.push_back('*');
    shown.append(entry.text);
    if (entry.trailing_star) shown.push_back('*');
    return shown;
}

void index_name_list(name_list& list) {
    build_name_index(list.index, list.entries);
}

bool list_contains(std::string_view candidate, const name_list& list) {
    candidate = trimmed_right(candidate);
    if (list.index.usable && list.index.indexed_entries == list.entries.size()) {
        return index_matches(list.index, list.entries, candidate);
    }
    return list_contains_scan(candidate, list);
}

}  // namespace gs
