// The hosts file: where it lies, reading it into the block list, and writing the hosts text back.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "blocklist/block_list.h"
#include "hostsfile/file_io.h"
#include "hostsfile/hosts_format.h"
#include "rir/result.h"

namespace hostsfile {

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
  // Set when whoever wrote the file emptied the resolver caches too (see FlushResolverCaches):
  // why any of them could not be emptied.
  std::optional<std::vector<rir::Error>> flushed_caches;
  // Why the writer could not record which entries the file now blocks, for putting them back
  // should another program take them out.
  std::optional<rir::Error> record_failure;
  // Why the browsers' policies could not be brought in line with what the file now blocks.
  std::optional<rir::Error> browser_policy_failure;
};

// What a save does with a hosts file that another program changed after it was loaded: the list
// was built on the old text, so writing it would drop that program's lines.
enum class ChangedElsewhere {
  kRefuse,     // an Apply: the user is asked to load the file again
  kWriteOver,  // a restore, which puts a whole earlier file back on purpose
};

// Keeps the hosts file's text as it stands, before a save changes it.
using KeepPreviousText = std::function<rir::Result<void>(const std::string& hosts_path)>;

// Makes the file at `path` hold `text` (see ReplaceFileContents), running `keep` once the file is
// known to differ and before any byte is written; its failure comes back in the outcome.
// What a save asks besides its text.
struct SaveChecks {
  // The stamp the file must still have right before it changes (as the load, or the look the
  // text was made from, found it), else kChangedSinceLoad. Without one, any file is written over;
  // but one that another program changes while the save is under way is kept again and the save
  // begins anew, so that no text of the other program's is lost unkept.
  std::optional<FileStamp> unchanged_since;
  BeforeCommit before_commit;
};

rir::Result<SaveOutcome> ReplaceHostsFile(const std::string& path, std::string_view text,
                                          const KeepPreviousText& keep,
                                          const SaveChecks& checks = {});

// What a store's save does once it has found that it may write: ReplaceHostsFile, unless the
// writing is left to another process that may write the file where this one may not. That
// process must refuse with kChangedSinceLoad when the file no longer has the stamp
// `unchanged_since` (nothing: write over whatever is there), since the file may change between
// this process's look and its write.
using WriteHosts = std::function<rir::Result<SaveOutcome>(
    const std::string& path, std::string_view text, const KeepPreviousText& keep,
    const std::optional<FileStamp>& unchanged_since)>;

// What a store's load does with a save that did not finish and whose files this process may not
// touch (UnfinishedSaveOutOfReach): has a process that may finish it (FinishInterruptedSave).
using FinishSave = std::function<rir::Result<std::optional<FinishedSave>>(const std::string& path)>;

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
  rir::Result<void> Load(blocklist::BlockList& list);

  // The interrupted save that the last load finished before reading the file, if any.
  const std::optional<FinishedSave>& finished_save() const { return finished_save_; }

  // The hosts text for the list: the file as loaded, with the list's changes.
  std::string BuildText(const blocklist::BlockList& list) const {
    return BuildHostsText(layout_, list);
  }
  // The most bytes and lines BuildText can give for `list`, without building it.
  HostsTextBounds TextBounds(const blocklist::BlockList& list) const {
    return HostsTextBoundsOf(layout_, list);
  }

  // Makes `text` the hosts file's contents; on any failure the file is left as it was. When
  // the file changes, `KeepPreviousTextWith`'s keeper runs first. After a load, a file whose
  // bytes changed since (checked by its stamp, not read) is refused with kChangedSinceLoad,
  // unless `changed_elsewhere` says otherwise; a file since removed is made anew. A store never
  // loaded writes whatever is there.
  rir::Result<SaveOutcome> Save(std::string_view text,
                                ChangedElsewhere changed_elsewhere = ChangedElsewhere::kRefuse);

  void KeepPreviousTextWith(KeepPreviousText keep) { keep_previous_ = std::move(keep); }
  const KeepPreviousText& keeper() const { return keep_previous_; }
  void WriteWith(WriteHosts write) { write_ = std::move(write); }
  void FinishWith(FinishSave finish) { finish_ = std::move(finish); }

 private:
  std::optional<std::string> fixed_path_;
  HostsLayout layout_;
  std::optional<rir::Error> load_failure_;
  // The file as the list knows it: at the load, then as each save left it. Nothing before a
  // load; an error when that could not be found out, which refuses the next save.
  std::optional<rir::Result<FileStamp>> known_stamp_;
  std::optional<FinishedSave> finished_save_;
  KeepPreviousText keep_previous_;
  WriteHosts write_;
  FinishSave finish_;
};

}  // namespace hostsfile
