#include "blocklist/hosts_store.h"

#include "blocklist/file_io.h"

namespace blocklist {

rir::Result<std::string> HostsStore::Path() const {
  if (fixed_path_) {
    return *fixed_path_;
  }
  return SystemHostsPath();
}

rir::Result<void> HostsStore::Load(BlockList& list) {
  auto path = Path();
  if (!path) {
    load_failure_ = path.error();
    return path.error();
  }
  auto bytes = ReadFileIfExists(*path);
  if (!bytes) {
    load_failure_ = bytes.error();
    return bytes.error();
  }
  layout_ = ParseHosts(*bytes ? (*bytes)->view() : std::string_view(), list);
  return {};
}

rir::Result<void> HostsStore::Save(std::string_view text) const {
  auto path = Path();
  if (!path) {
    return path.error();
  }
  if (load_failure_) {
    return rir::Error{rir::ErrorCode::kRefusedAfterFailedLoad, *path, load_failure_->reason};
  }
  return ReplaceFileContents(*path, text);
}

}  // namespace blocklist
