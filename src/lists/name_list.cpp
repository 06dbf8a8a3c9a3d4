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

bool list_contains(std::string& candidate, const name_list& list) {
    trim_right(candidate);
    return list_contains_scan(candidate, list);
}

}  // namespace gs
