// What this process holds in memory, as Linux tells it in /proc/self/status.
#pragma once

#include <fstream>
#include <string>

namespace bench {

// `key` "VmRSS" (resident now) or "VmHWM" (resident at the peak), in MiB; 0 where it is not told.
inline double MemoryMb(const std::string& key) {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind(key + ":", 0) == 0) {
      return std::stod(line.substr(key.size() + 1)) / 1024.0;
    }
  }
  return 0;
}

}  // namespace bench
