// The lines the program writes for an entry, for tests that state what a hosts file holds.
#pragma once

#include <string>
#include <string_view>

namespace testsupport {

// The names on an entry's line as the program writes them: the name, and its absolute form
// after a blank (unless it ends in a dot already or holds a blank, and does not read as a name
// and its alias itself).
inline std::string Names(std::string_view name) {
  const std::string n(name);
  const std::size_t half = n.size() >= 4 ? (n.size() - 2) / 2 : 0;
  const bool reads_as_two = n.size() >= 4 && n.size() % 2 == 0 && n.back() == '.' &&
                            n[half] == ' ' && n.compare(0, half, n, half + 1, half) == 0;
  const bool alias = !n.empty() && n.back() != '.' && n.find_first_of(" \t") == std::string::npos;
  return alias || reads_as_two ? n + " " + n + "." : n;
}

// A blocked entry's two lines, "127.0.0.1 " TAB names and "::1 " TAB names, each ending in `end`.
inline std::string BlockedLines(std::string_view name, std::string_view end = "\n") {
  const std::string e(end);
  return "127.0.0.1 \t" + Names(name) + e + "::1 \t" + Names(name) + e;
}

// An allowed entry's two lines: the same after a '#'.
inline std::string AllowedLines(std::string_view name, std::string_view end = "\n") {
  const std::string e(end);
  return "#127.0.0.1 \t" + Names(name) + e + "#::1 \t" + Names(name) + e;
}

// A website typed into the program by its bare name: its entry's lines, then those of the www
// name that the program adds with it.
inline std::string AddedLines(std::string_view name, std::string_view end = "\n") {
  return BlockedLines(name, end) + BlockedLines("www." + std::string(name), end);
}

}  // namespace testsupport
