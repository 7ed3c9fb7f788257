// The record of the blocks that the last save with the password made: a request without the
// password may put these back, and nothing else. It must change together with the hosts file, or
// a put-back would block again what that save allowed. So the names first go to a pending record,
// made to last before the file changes; once the file holds the save's text it becomes the
// record, and when the save never took effect it is dropped. A save cut short is settled at the
// next request: where that cannot tell whether the file is the save's, there is no record, and
// nothing is put back until the next save with the password.
//
// Its first two lines, of fixed width, are the hosts file's stamp as the save (or a later
// put-back) left it and as the last look found it holding every block: a request that finds the
// file with either stamp has nothing to do and reads no further. One blocked name a line follows.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "hostsfile/file_io.h"
#include "rir/result.h"

namespace helper {

class BlockRecord {
 public:
  explicit BlockRecord(std::string path) : path_(std::move(path)) {}

  // Before the hosts file changes: the names `text` blocks, pending, with the stamp the file will
  // have once the save's new file is renamed over it (nothing: rewritten in place).
  rir::Result<void> Prepare(std::string_view text,
                            const std::optional<hostsfile::FileStamp>& after) const;
  // The file holds the save's text, with the stamp `now`: the pending names become the record.
  rir::Result<void> Commit(const hostsfile::FileStamp& now) const;
  // At the start of a request, once a cut-short rewrite is finished (`finished`) or dropped since
  // another program wrote the file (`dropped`): settles a pending record against the file as it
  // stands (`now`).
  rir::Result<void> Settle(const hostsfile::FileStamp& now, bool finished, bool dropped) const;
  // The record is lost: nothing may be put back, and a put-back says why, until the next save.
  rir::Result<void> Forget() const;
  // The save failed with the file's old text in place: the record stands as it was.
  rir::Result<void> DropPending() const;
  bool HasPending() const;
  // Removes what a save killed while it wrote the pending record (or a lost one) left half made.
  void RemoveHalfMade() const;

  struct Stamps {
    hostsfile::FileStamp saved;
    hostsfile::FileStamp looked;
  };
  // Nothing when no save ever made one; a kNoBlockRecord error with the reason when it is lost or
  // not of this form.
  rir::Result<std::optional<Stamps>> ReadStamps() const;
  rir::Result<std::vector<std::string>> Names() const;
  // The file was found holding every block with the stamp `now`, or had them put back (`wrote`).
  rir::Result<void> Looked(const hostsfile::FileStamp& now, bool wrote) const;

  std::string PendingPath() const { return path_ + ".pending"; }

 private:
  std::string path_;
};

}  // namespace helper
