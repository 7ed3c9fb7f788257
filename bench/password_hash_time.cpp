// password_hash_time [RUNS]   times the hash a new password gets (what a login attempt costs)
//                             and prints the median and the range over RUNS runs (default 5).
// Built in both presets, so that the Windows figure comes from CNG (under Wine, indicative only).
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "settings/password.h"

int main(int argc, char** argv) {
  const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
  std::vector<double> seconds;
  for (int run = 0; run < runs; ++run) {
    const auto start = std::chrono::steady_clock::now();
    const auto hashed = settings::HashPassword("a password of ordinary length");
    const auto stop = std::chrono::steady_clock::now();
    if (!hashed) {
      std::fprintf(stderr, "password_hash_time: %s\n", rir::DescribeError(hashed.error()).c_str());
      return 1;
    }
    seconds.push_back(std::chrono::duration<double>(stop - start).count());
  }
  std::sort(seconds.begin(), seconds.end());
  std::printf(
      "PBKDF2-HMAC-SHA256, %u iterations: median %.3f s (min %.3f s, max %.3f s, %d runs)\n",
      settings::kPasswordIterations, seconds[seconds.size() / 2], seconds.front(), seconds.back(),
      runs);
  return 0;
}
