// A durable replacement of a file's contents.
#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "rir/result.h"

namespace blocklist {

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
rir::Result<bool> ReplaceFileContents(const std::string& path, std::string_view text,
                                      const std::function<void()>& before_change = {});

// A save that was interrupted (the process killed, the power gone) and has now been finished.
struct FinishedSave {
  std::string journal;  // the journal it was finished from
  std::size_t bytes = 0;
};

// Run before the file is read. Where a save had to rewrite the file in place and did not live to
// finish, its complete journal is still beside the file: the rewrite is finished from it. Files
// that a save left half made beside the file are removed. Nothing when there was nothing to do.
rir::Result<std::optional<FinishedSave>> FinishInterruptedSave(const std::string& path);

}  // namespace blocklist
