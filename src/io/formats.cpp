#include "io/formats.hpp"

namespace gs {

const format_info* format_of(compression id) {
    for (const format_info& format : format_table) {
        if (format.id == id) return &format;
    }
    return nullptr;
}

const format_info* format_named(std::string_view name) {
    for (const format_info& format : format_table) {
        if (format.name == name) return &format;
    }
    return nullptr;
}

}  // namespace gs
