// Putting back the blocks that another program took out of the hosts file: a user who edits it
// by hand, an antivirus that resets it, a tool that writes its own copy back. Only the entries
// that the last Apply left blocked are put back; every line the other program left (its own
// lines, the entries the user had allowed) stays as it is.
#pragma once

#include <chrono>
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
  std::vector<std::string> names;  // each entry put back, once
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
  std::vector<std::string> names;  // each entry put back, once
};

// After blocks were put back, blocks undone again within kUndoneSoon come from a program that
// rewrites the file in a loop: it is not fought without end, the next tries wait these in turn.
inline constexpr std::chrono::seconds kUndoneSoon{60};
inline constexpr std::chrono::minutes kBackOffWaits[] = {
    std::chrono::minutes(1), std::chrono::minutes(5), std::chrono::minutes(15)};

// The hosts file as another program finished it, judged: which of the blocks it lacks.
struct JudgedFile {
  FileStamp stamp;                   // the file that was read
  std::vector<std::string> lacking;  // the entries of `blocked` it does not block, once each
};

// Reads the hosts file at `path`, once another program has finished writing it (CheckFinished),
// and tells which of `blocked` it lacks. Reading needs no more right than that, so a process
// that may not write the file judges it before it asks one that may. A kStillBeingWritten error
// while the file is still being written, or changes while it is read: look again in a moment.
rir::Result<JudgedFile> JudgeHostsFile(const std::string& path,
                                       const std::vector<std::string>& blocked);

// Reads the hosts file at `path` and, when it does not block each of `blocked`, makes it the text
// BlockAgain gives, through ReplaceHostsFile (`keep` keeps the file as the other program left
// it), only once another program has finished writing it (CheckFinished) and while it still
// stands as it was read, checked just before the write. Nothing when every block is in place; a
// kStillBeingWritten error when another program writes the file, before or while it is read:
// the caller looks again in a moment and never takes that text as seen.
rir::Result<std::optional<BlockedAgain>> BlockAgainInFile(const std::string& path,
                                                          const std::vector<std::string>& blocked,
                                                          const KeepPreviousText& keep);

}  // namespace hostsfile
