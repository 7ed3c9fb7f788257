// A durable replacement of a file's contents.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "rir/result.h"

namespace hostsfile {

// Makes `text` the file's contents without ever leaving it half written or empty: on any
// failure the process sees, the file is exactly as before, and after a crash it is the old text
// or the new one (elsewhere than Windows, possibly once `FinishInterruptedSave` has run). The
// file keeps what it carries besides its bytes: on Windows its ACL and attributes; elsewhere its
// owner, group, mode, access list and extended attributes (the security label among them), and
// a bind-mounted or hard-linked file stays the same file.
//
// A file that already holds `text` is left alone: the result is false, and nothing is written.
// Otherwise `before_change` runs once the file is known to differ, before any byte is written,
// and the result is true.
// Whether the regular file at `path` holds exactly `text`; false when it cannot be read.
bool FileHoldsExactly(const std::string& path, std::string_view text);

// What tells one state of a file from another without reading it: which file the path names, its
// size and when its bytes last changed. Not the change time, which a new mode or owner moves on
// as well.
struct FileStamp {
  bool exists = false;
  bool regular = false;  // a file of bytes, not a folder or a device
  std::uint64_t volume = 0;
  std::uint64_t file = 0;
  std::uint64_t size = 0;
  std::int64_t modified = 0;  // in the system's own units
  bool operator==(const FileStamp&) const = default;
};

// Runs once the new text is safe beside the file and just before the file changes: with the stamp
// the file will have once the new one is renamed over it, or nothing where it is rewritten in
// place (and on Windows). An error stops the save before the file changes.
using BeforeCommit = std::function<rir::Result<void>(const std::optional<FileStamp>& after)>;

rir::Result<bool> ReplaceFileContents(const std::string& path, std::string_view text,
                                      const std::function<void()>& before_change = {},
                                      const BeforeCommit& before_commit = {});

// The stamp of the file `path` names (through a symbolic link); `exists` is false when there is
// no such file.
rir::Result<FileStamp> StampOf(const std::string& path);

// Whether the file as it stands (`now`) holds other bytes than when it was loaded: another
// program wrote it since. A file since removed held no lines to lose, and what is no file any more
// is for the save itself to report.
inline bool ChangedSinceLoad(const FileStamp& now, const FileStamp& loaded) {
  return now.exists && now.regular && now != loaded;
}

// A save that was interrupted (the process killed, the power gone) and has now been finished.
struct FinishedSave {
  std::string journal;  // the journal it was finished from
  std::size_t bytes = 0;
  // Another program wrote the file after the save was cut short: the file was left as it wrote
  // it, and the journal's text went to `keep_dropped` instead.
  bool dropped = false;
};

// Run before the file is read. Where a save had to rewrite the file in place and did not live to
// finish, its complete journal is still beside the file: the rewrite is finished from it, but
// only while the file is still what the cut-short rewrite left (each byte the old text's or the
// new one's). A file that another program has written since is left alone; the journal is
// dropped, its text first handed to `keep_dropped` (as the path of a file that holds it). Files
// that a save left half made beside the file are removed. Nothing when there was nothing to do.
rir::Result<std::optional<FinishedSave>> FinishInterruptedSave(
    const std::string& path,
    const std::function<rir::Result<void>(const std::string& text_path)>& keep_dropped = {});

// Whether a save that did not finish left its files beside `path` (never on Windows, whose saves
// leave nothing behind).
bool HasUnfinishedSave(const std::string& path);

// Whether a save that did not finish left files beside `path` that this process may not read or
// remove (another user's save: the Linux program's helper runs as root), which only a process
// with that user's rights can finish. Always false on Windows, whose saves leave nothing behind.
bool UnfinishedSaveOutOfReach(const std::string& path);

}  // namespace hostsfile
