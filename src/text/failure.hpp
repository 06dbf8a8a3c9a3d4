// A failure as a value: library code returns or records what went wrong, and only the tool (app/) says
// it. The message is one of text/messages.hpp's; the reason is the line that follows it.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace gs {

struct failure {
    std::string_view message;      // "Error: During writing file '", ...
    std::string path;              // the file it names
    std::string_view message_end;  // what closes the line after the path ("'"), or nothing
    std::string reason;            // the system's reason or the project's words; empty: no second line
};

// Failures in the order they happened.
using failure_list = std::vector<failure>;

}  // namespace gs
