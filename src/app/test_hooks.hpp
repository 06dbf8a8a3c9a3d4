// What the tests of the built tool set through its environment: a smaller chunk size, so that a small
// input makes many chunks (GAMESIEVE_TEST_CHUNK_BYTES) and a --resumable run many checkpoints
// (GAMESIEVE_TEST_CHECKPOINT_BYTES), compressed inputs decoded ahead on any machine
// (GAMESIEVE_TEST_DECODERS_AHEAD, also for the benchmark), and faults of the file system
// (GAMESIEVE_TEST_FAULTS, see text/file_faults.hpp). They are no options: neither the help, the manual
// nor the completion shows them, and a user's run never meets them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "text/file_faults.hpp"

namespace gs {

struct test_hooks {
    std::size_t chunk_bytes = 0;         // 0: the pipeline's own
    std::uint64_t checkpoint_bytes = 0;  // of a --resumable run; 0: the pipeline's own
    int decoders_ahead = -1;             // -1: as the cores allow
    std::vector<file_fault> faults;
    std::string bad;  // a fault plan that is not one, as given
};

test_hooks test_hooks_from_environment();

// Puts a file system that fails as planned in the real one's place while it lives (nothing without a
// plan).
class planned_faults {
  public:
    explicit planned_faults(const std::vector<file_fault>& plan);
    ~planned_faults();
    planned_faults(const planned_faults&) = delete;
    planned_faults& operator=(const planned_faults&) = delete;

  private:
    std::unique_ptr<faulty_file_system> fs_;
};

}  // namespace gs
