// The hosts file: where it lies, reading it into the block list, and writing the hosts text back.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "blocklist/block_list.h"
#include "blocklist/file_io.h"
#include "blocklist/hosts_format.h"
#include "rir/result.h"

namespace blocklist {

// The system folder without a trailing backslash ("" when the system gives none). Elsewhere than
// Windows, the folder that holds the hosts file.
std::string GetSystemPath();

// Where the system keeps its hosts file; an error when the system folder cannot be found, rather
// than a path on whatever drive is current.
rir::Result<std::string> SystemHostsPath();

// What a save did besides making the file hold the text.
struct SaveOutcome {
  bool changed = false;  // false: the file held the text already, and nothing was written
  // Why the file's previous text could not be kept before it changed; the save went on.
  std::optional<rir::Error> history_failure;
};

// Keeps the hosts file's text as it stands, before a save changes it.
using KeepPreviousText = std::function<rir::Result<void>(const std::string& hosts_path)>;

class HostsStore {
 public:
  // The system's hosts file, its path worked out anew for every read and write.
  HostsStore() = default;
  // A hosts file at a path of the caller's choosing.
  explicit HostsStore(std::string path) : fixed_path_(std::move(path)) {}

  rir::Result<std::string> Path() const;

  // Appends one entry per entry line of the file to `list` and remembers the other lines. A file
  // that does not exist loads as empty. A file that cannot be read is reported, and from then on
  // Save refuses to write over it.
  // A save that an earlier run did not live to finish is finished first (see `finished_save`).
  rir::Result<void> Load(BlockList& list);

  // The interrupted save that the last load finished before reading the file, if any.
  const std::optional<FinishedSave>& finished_save() const { return finished_save_; }

  // The hosts text for the list: the file as loaded, with the list's changes.
  std::string BuildText(const BlockList& list) const { return BuildHostsText(layout_, list); }

  // Makes `text` the hosts file's contents; on any failure the file is left as it was. When
  // the file changes, `KeepPreviousTextWith`'s keeper runs first.
  rir::Result<SaveOutcome> Save(std::string_view text) const;

  void KeepPreviousTextWith(KeepPreviousText keep) { keep_previous_ = std::move(keep); }

 private:
  std::optional<std::string> fixed_path_;
  HostsLayout layout_;
  std::optional<rir::Error> load_failure_;
  std::optional<FinishedSave> finished_save_;
  KeepPreviousText keep_previous_;
};

}  // namespace blocklist
