// The console: where gamesieve's progress lines, warnings and errors go.
//
// Every message is one line, written with its newline and flushed at once, so that a user watching a long
// run, or a script reading it through a pipe, sees each line as it happens. A failed write is remembered
// rather than ignored: the run then ends with status 1 even if everything else went well. A pipe whose
// reader has gone (EPIPE) is not a failure: the messages are dropped and the run goes on.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>

namespace gs {

struct console {
    std::FILE* stream = stdout;  // null for a console that discards what it is given
    bool failed = false;         // set by the first write or flush that failed, and never cleared
    bool closed = false;         // the reader went away: what follows is dropped
    // A status line (progress) shown on a terminal: erased before every message and drawn again after
    // it, so that a message never lands glued to it.
    std::FILE* status = nullptr;
    std::string status_line;
    bool status_shown = false;
};

// A console that writes nothing.
inline console discarding_console() {
    console con;
    con.stream = nullptr;
    return con;
}

// Shows line as the status line on stream (replacing the one shown).
void show_status(console& con, std::FILE* stream, std::string_view line);

// Erases the status line, for good.
void clear_status(console& con);

// Writes the pieces one after the other, then a newline, and flushes.
void print_line(console& con, std::string_view first, std::string_view second = {},
                std::string_view third = {});

// Writes text, which holds whole lines with their newlines, and flushes.
void print_text(console& con, std::string_view text);

}  // namespace gs
