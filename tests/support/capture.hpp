// Test helper: a console whose lines are kept in memory.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <string>

#include "text/console.hpp"

namespace gs::testing {

// A console that writes into memory; text() returns everything printed so far.
class captured_console {
  public:
    captured_console() { con.stream = open_memstream(&buffer_, &size_); }
    ~captured_console() {
        std::fclose(con.stream);
        std::free(buffer_);
    }
    captured_console(const captured_console&) = delete;
    captured_console& operator=(const captured_console&) = delete;

    std::string text() {
        std::fflush(con.stream);
        return std::string(buffer_, size_);
    }

    console con;

  private:
    char* buffer_ = nullptr;
    std::size_t size_ = 0;
};

}  // namespace gs::testing
