// What the hosts file and the resolver's configuration say of the names checked, read once at the
// start of a check: whether a line of ours blocks each name, whether another line maps it
// elsewhere before ours (which line, to where), and whether the system's resolver reads the file
// at all.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace blockcheck::detail {

inline constexpr std::uint32_t kNoOwnLine = static_cast<std::uint32_t>(-1);

struct NameFacts {
  std::uint32_t first_own_line = kNoOwnLine;  // the first line of ours for it, blocked or allowed
  std::array<bool, 2> earlier_elsewhere{};    // per family: mapped elsewhere before that line
  std::array<bool, 2> blocked{};              // per family: some line maps it to loopback
  // Per family, of the first line that maps it elsewhere: its number (from 1; 0: none) and the
  // address's place in HostsFacts::addresses.
  std::array<std::uint32_t, 2> earlier_line{};
  std::array<std::uint32_t, 2> earlier_address{};
};

struct HostsFacts {
  bool read = false;                   // false: the file could not be read, and nothing is known
  std::size_t bytes = 0;               // the file's size
  std::vector<NameFacts> names;        // one for each name checked, in their order
  std::vector<std::string> addresses;  // the addresses of the earlier lines, each once
};

// Reads the hosts file at `path` once, in pieces, for `names` (a name given twice gets the facts
// of its first place).
HostsFacts ReadHostsFacts(const std::string& path, const std::vector<std::string>& names);

// Whether the "hosts:" line of nsswitch.conf names `files` first. glibc takes
// "dns [!UNAVAIL=return] files" when there is no such line or no file.
bool FilesComeFirst(const std::string& path);

}  // namespace blockcheck::detail
