// A durable replacement of a file's contents.
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "rir/result.h"

namespace blocklist {

// Makes `text` the file's contents without ever leaving it half written or empty: on any
// failure the file is exactly as before. An existing file keeps its identity (on Windows its
// ACL and attributes; elsewhere its inode, owner, mode and security label, so that a
// bind-mounted /etc/hosts stays what it was).
//
// A file that already holds `text` is left alone: the result is false, and nothing is written.
// Otherwise `before_change` runs once the file is known to differ, before any byte is written,
// and the result is true.
rir::Result<bool> ReplaceFileContents(const std::string& path, std::string_view text,
                                      const std::function<void()>& before_change = {});

}  // namespace blocklist
