// The lines the program writes for an entry, for tests that state what a hosts file holds.
#pragma once

#include <string>
#include <string_view>

namespace testsupport {

// A blocked entry's two lines, "127.0.0.1 " TAB name and "::1 " TAB name, each ending in `end`.
inline std::string BlockedLines(std::string_view name, std::string_view end = "\n") {
  const std::string n(name);
  const std::string e(end);
  return "127.0.0.1 \t" + n + e + "::1 \t" + n + e;
}

// An allowed entry's two lines: the same after a '#'.
inline std::string AllowedLines(std::string_view name, std::string_view end = "\n") {
  const std::string n(name);
  const std::string e(end);
  return "#127.0.0.1 \t" + n + e + "#::1 \t" + n + e;
}

}  // namespace testsupport
