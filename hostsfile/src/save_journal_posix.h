// The journal that makes an in-place rewrite of the hosts file recoverable. Where the file cannot
// be replaced by a rename (a bind-mounted file, another file system, a file with more than one
// name), it must be rewritten where it stands, and a crash part way would leave it torn. So the
// new text first goes, complete and flushed, to a journal beside the file; only its rename to
// the journal's fixed name makes it count, so a journal under that name is always whole. The next
// load finishes a rewrite that a journal outlived.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "rir/result.h"

namespace hostsfile {

// The tags of the files a save makes beside the hosts file; temporary ones add six characters.
inline constexpr std::string_view kNewFileTag = ".rir-new";
inline constexpr std::string_view kJournalTag = ".rir-journal";
inline constexpr std::string_view kBeforeTag = ".rir-before";

std::string JournalPath(const std::string& file);
std::string BeforePath(const std::string& file);

// Beside the journal, what the rewrite changes of the old text (from the first byte that differs
// on), so that finishing can tell the file the rewrite left from one that another program wrote
// since. Written, flushed and named before the journal is.
// `same`: how many bytes the old and the new text share from their start. The old text is read
// from the open file `old_fd` (`old_size` bytes), in pieces.
rir::Result<void> WriteBefore(const std::string& file, int old_fd, std::size_t same,
                              std::size_t old_size);

// The before-file's old text from its first changed byte on, mapped rather than read: a rewrite
// needs it only when it must put the old text back.
class MappedBefore {
 public:
  static rir::Result<MappedBefore> Open(const std::string& file);
  MappedBefore(MappedBefore&& other) noexcept;
  MappedBefore& operator=(MappedBefore&&) = delete;
  MappedBefore(const MappedBefore&) = delete;
  MappedBefore& operator=(const MappedBefore&) = delete;
  ~MappedBefore();
  std::string_view rest() const { return rest_; }

 private:
  MappedBefore(void* begin, std::size_t size, std::string_view rest)
      : begin_(begin), size_(size), rest_(rest) {}
  void* begin_;
  std::size_t size_;
  std::string_view rest_;
};

// The old text that the before-file of `file` and the journal's text `new_text` give back;
// nothing when there is no before-file (a journal of an earlier version) or it does not fit.
std::optional<std::string> ReadBefore(const std::string& file, std::string_view new_text);

// Writes `text` as the journal of `file`, flushed, under its fixed name.
rir::Result<void> WriteJournal(const std::string& file, std::string_view text);

// Removes the journal of `file`, then its before-file, and makes that last.
rir::Result<void> RemoveJournal(const std::string& file);

// Removes the temporary files that a save of `file` which never finished left beside it: a new
// file or a journal that had not yet got its name. Only plain files of exactly that form go.
void RemoveUnfinishedFiles(const std::string& file);

// Whether the journal of `file`, or a temporary file of an unfinished save, lies beside it.
bool HasUnfinishedFiles(const std::string& file);

}  // namespace hostsfile
