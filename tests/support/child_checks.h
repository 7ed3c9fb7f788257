// Checks made in a child process, where a failed gtest expectation would not reach the parent:
// each failure is printed, and the count becomes the child's exit code.
#pragma once

#include <cstdio>

namespace testsupport {

class ChildChecks {
 public:
  void operator()(bool holds, const char* what) {
    if (!holds) {
      std::fprintf(stderr, "check failed: %s\n", what);
      ++failures_;
    }
  }
  int failures() const { return failures_ < 100 ? failures_ : 100; }

 private:
  int failures_ = 0;
};

}  // namespace testsupport
