// Running a program with bytes on its standard input, collecting what it writes.
#pragma once

#include <chrono>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "rir/result.h"

namespace helper_client {

struct Finished {
  int exit_status = -1;  // -1 when a signal ended it
  std::string out;
  std::string err;
};

// Starts `command` (a path and its arguments, no search path), writes the pieces of `input` to it,
// closes its input and waits for it to end. A program that stops reading is no failure here: what
// it wrote and its exit status tell why. At most `most_out` bytes of each output are kept. A
// program that has not ended after `most_wait` is ended where this process may end it (a program
// that has become another user's may not be; it is then left to end by itself), and that is an
// error.
rir::Result<Finished> RunWithInput(const std::vector<std::string>& command,
                                   std::span<const std::string_view> input, std::size_t most_out,
                                   std::chrono::milliseconds most_wait);

}  // namespace helper_client
