#include "blocklist/hosts_store.h"

#include "blocklist/file_io.h"
#include "rir/file_read.h"

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
  auto finished = FinishInterruptedSave(*path);
  if (!finished) {
    // The file may be torn; nothing it holds can be trusted, nor written over.
    load_failure_ = finished.error();
    return finished.error();
  }
  finished_save_ = std::move(*finished);
  // Read into a list of its own, so that a read failing part way leaves `list` as it was.
  BlockList loaded;
  std::optional<HostsParser> parser;
  auto found = rir::ReadFileInPieces(*path, [&](std::string_view piece, std::size_t file_size) {
    if (!parser) {
      parser.emplace(loaded, file_size);
    }
    parser->Feed(piece);
  });
  if (!found) {
    load_failure_ = found.error();
    return found.error();
  }
  layout_ = parser ? std::move(*parser).Finish() : HostsLayout{};
  if (list.empty()) {
    list = std::move(loaded);
  } else {
    for (std::size_t i = 0; i < loaded.size(); ++i) {
      const Entry entry = loaded[i];
      list.AppendLoaded(entry.website, entry.status, entry.line_end, entry.origin);
    }
  }
  return {};
}

rir::Result<SaveOutcome> HostsStore::Save(std::string_view text) const {
  auto path = Path();
  if (!path) {
    return path.error();
  }
  if (load_failure_) {
    return rir::Error{rir::ErrorCode::kRefusedAfterFailedLoad, *path, load_failure_->reason};
  }
  SaveOutcome outcome;
  auto replaced = ReplaceFileContents(*path, text, [&] {
    if (keep_previous_) {
      if (auto kept = keep_previous_(*path); !kept) {
        outcome.history_failure = kept.error();
      }
    }
  });
  if (!replaced) {
    return replaced.error();
  }
  outcome.changed = *replaced;
  return outcome;
}

}  // namespace blocklist
