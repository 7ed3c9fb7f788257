// The journal that makes an in-place rewrite of the hosts file recoverable. Where the file cannot
// be replaced by a rename (a bind-mounted file, another file system, a file with more than one
// name), it must be rewritten where it stands, and a crash part way would leave it torn. So the
// new text first goes, complete and flushed, to a journal beside the file; only its rename to
// the journal's fixed name makes it count, so a journal under that name is always whole. The next
// load finishes a rewrite that a journal outlived.
#pragma once

#include <string>
#include <string_view>

#include "rir/result.h"

namespace hostsfile {

// The tags of the files a save makes beside the hosts file; temporary ones add six characters.
inline constexpr std::string_view kNewFileTag = ".rir-new";
inline constexpr std::string_view kJournalTag = ".rir-journal";

std::string JournalPath(const std::string& file);

// Writes `text` as the journal of `file`, flushed, under its fixed name.
rir::Result<void> WriteJournal(const std::string& file, std::string_view text);

// Removes the journal of `file` and makes that last.
rir::Result<void> RemoveJournal(const std::string& file);

// Removes the temporary files that a save of `file` which never finished left beside it: a new
// file or a journal that had not yet got its name. Only plain files of exactly that form go.
void RemoveUnfinishedFiles(const std::string& file);

// Whether the journal of `file`, or a temporary file of an unfinished save, lies beside it.
bool HasUnfinishedFiles(const std::string& file);

}  // namespace hostsfile
