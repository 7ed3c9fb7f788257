// A block list's entries as plain values, for comparing a list with a model or with another list.
#pragma once

#include <string>
#include <vector>

#include "blocklist/block_list.h"

namespace testsupport {

struct ListEntry {
  std::string website;
  blocklist::Status status;
  bool operator==(const ListEntry&) const = default;
};

inline std::vector<ListEntry> EntriesOf(const blocklist::BlockList& list) {
  std::vector<ListEntry> entries;
  entries.reserve(list.size());
  for (std::size_t i = 0; i < list.size(); ++i) {
    entries.push_back({std::string(list[i].website), list[i].status});
  }
  return entries;
}

}  // namespace testsupport
