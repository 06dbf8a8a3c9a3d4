#include "app/test_hooks.hpp"

#include <charconv>
#include <cstdlib>
#include <string_view>

namespace gs {

test_hooks test_hooks_from_environment() {
    test_hooks hooks;
    if (const char* text = std::getenv("GAMESIEVE_TEST_CHUNK_BYTES"); text != nullptr) {
        const std::string_view value(text);
        std::from_chars(value.data(), value.data() + value.size(), hooks.chunk_bytes);
    }
    if (const char* text = std::getenv("GAMESIEVE_TEST_CHECKPOINT_BYTES"); text != nullptr) {
        const std::string_view value(text);
        std::from_chars(value.data(), value.data() + value.size(), hooks.checkpoint_bytes);
    }
    if (const char* text = std::getenv("GAMESIEVE_TEST_DECODERS_AHEAD"); text != nullptr) {
        const std::string_view value(text);
        std::from_chars(value.data(), value.data() + value.size(), hooks.decoders_ahead);
    }
    if (const char* text = std::getenv("GAMESIEVE_TEST_FAULTS"); text != nullptr && *text != '\0') {
        if (!parse_fault_plan(text, hooks.faults)) hooks.bad = text;
    }
    return hooks;
}

planned_faults::planned_faults(const std::vector<file_fault>& plan) {
    if (plan.empty()) return;
    fs_ = std::make_unique<faulty_file_system>(plan);
    use_file_system(fs_.get());
}

planned_faults::~planned_faults() {
    if (fs_) use_file_system(nullptr);
}

}  // namespace gs
