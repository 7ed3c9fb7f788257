// Putting back the blocks that another program took out of the hosts file: a user who edits it
// by hand, an antivirus that resets it, a tool that writes its own copy back. Only the entries
// that the last Apply left blocked are put back; every line the other program left (its own
// lines, the entries the user had allowed) stays as it is.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "hostsfile/hosts_store.h"
#include "rir/result.h"

namespace hostsfile {

struct Reblocked {
  std::string text;         // the file with the blocks back
  std::size_t removed = 0;  // blocked entries the file no longer held, now where they stood
  std::size_t allowed = 0;  // blocked entries the file held commented out, now blocked again
  std::size_t partial = 0;  // blocked entries the file held without one of their lines or names
};

// Whether each of `blocked` (names, as the list held them) is blocked in `text` as the program
// writes it: both its lines there, uncommented, each with the name's trailing-dot form where it
// takes one. Nothing when all are; else the text with them put back.
std::optional<Reblocked> BlockAgain(std::string_view text, const std::vector<std::string>& blocked);

// The names the text blocks: each entry that it holds uncommented, in its order.
std::vector<std::string> BlockedNames(std::string_view text);

// What putting the blocks back in the file did.
struct BlockedAgain {
  std::size_t removed = 0;
  std::size_t allowed = 0;
  std::size_t partial = 0;
  SaveOutcome saved;
};

// Reads the hosts file at `path` and, when it does not block each of `blocked`, makes it the text
// BlockAgain gives, through ReplaceHostsFile (`keep` keeps the file as the other program left
// it). Nothing when every block is in place, or when the file changed again while it was read
// (the next look tries again).
rir::Result<std::optional<BlockedAgain>> BlockAgainInFile(const std::string& path,
                                                          const std::vector<std::string>& blocked,
                                                          const KeepPreviousText& keep);

}  // namespace hostsfile
