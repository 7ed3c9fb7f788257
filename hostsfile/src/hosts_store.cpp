#include "hostsfile/hosts_store.h"

#include <new>

#include "hostsfile/file_io.h"
#include "rir/file_read.h"

namespace hostsfile {

rir::Result<SaveOutcome> ReplaceHostsFile(const std::string& path, std::string_view text,
                                          const KeepPreviousText& keep, const SaveChecks& checks) {
  // Another program that keeps writing is not raced for ever.
  constexpr int kMostStarts = 5;
  for (int start = 1;; ++start) {
    auto found = StampOf(path);
    if (!found) {
      return found.error();
    }
    if (checks.unchanged_since && ChangedSinceLoad(*found, *checks.unchanged_since)) {
      return rir::Error{rir::ErrorCode::kChangedSinceLoad, path, {}};
    }
    SaveOutcome outcome;
    bool changed_meanwhile = false;
    // Looked at last, right before the file changes: what another program wrote while the
    // history kept the file and the new text was written would otherwise be lost.
    const auto still_as_found = [&](const std::optional<FileStamp>& after) -> rir::Result<void> {
      auto now = StampOf(path);
      if (!now) {
        return now.error();
      }
      if (*now != *found) {
        changed_meanwhile = true;
        return rir::Error{rir::ErrorCode::kChangedSinceLoad, path, {}};
      }
      return checks.before_commit ? checks.before_commit(after) : rir::Result<void>{};
    };
    auto replaced = ReplaceFileContents(
        path, text,
        [&] {
          if (keep) {
            if (auto kept = keep(path); !kept) {
              outcome.history_failure = kept.error();
            }
          }
        },
        still_as_found);
    if (!replaced) {
      if (changed_meanwhile && !checks.unchanged_since && start < kMostStarts) {
        continue;
      }
      return replaced.error();
    }
    outcome.changed = *replaced;
    return outcome;
  }
}

rir::Result<std::string> HostsStore::Path() const {
  if (fixed_path_) {
    return *fixed_path_;
  }
  return SystemHostsPath();
}

rir::Result<void> HostsStore::Load(blocklist::BlockList& list) {
  auto path = Path();
  if (!path) {
    load_failure_ = path.error();
    return path.error();
  }
  rir::Result<std::optional<FinishedSave>> finished = std::optional<FinishedSave>();
  if (finish_ && UnfinishedSaveOutOfReach(*path)) {
    finished = finish_(*path);
  }
  if (finished && !*finished) {
    finished = FinishInterruptedSave(*path, keep_previous_);
  }
  if (!finished) {
    // The file may be torn; nothing it holds can be trusted, nor written over.
    load_failure_ = finished.error();
    return finished.error();
  }
  finished_save_ = std::move(*finished);
  // Taken before the read: a change made while the file is read shows at the next save.
  known_stamp_ = StampOf(*path);
  // Read into a list of its own, so that a read failing part way leaves `list` as it was.
  blocklist::BlockList loaded;
  std::optional<HostsParser> parser;
  bool utf16 = false;
  rir::Result<bool> found = false;
  try {
    found = rir::ReadFileInPieces(*path, [&](std::string_view piece, std::size_t file_size) {
      if (utf16) {
        return;
      }
      if (!parser) {
        // Read as 8-bit text, such a file would be written back with new lines in another
        // encoding between its own, which no resolver reads.
        if (piece.starts_with("\xFF\xFE") || piece.starts_with("\xFE\xFF")) {
          utf16 = true;
          return;
        }
        parser.emplace(loaded, file_size);
      }
      parser->Feed(piece);
    });
  } catch (const std::bad_alloc&) {
    found = rir::Error{rir::ErrorCode::kOutOfMemory, *path, {}};
  }
  if (found && utf16) {
    found = rir::Error{rir::ErrorCode::kUtf16Text, *path, {}};
  }
  if (!found) {
    load_failure_ = found.error();
    return found.error();
  }
  layout_ = parser ? std::move(*parser).Finish() : HostsLayout{};
  if (list.empty()) {
    list = std::move(loaded);
  } else {
    for (std::size_t i = 0; i < loaded.size(); ++i) {
      const blocklist::Entry entry = loaded[i];
      list.AppendLoaded(entry.website, entry.status, entry.line_end, entry.origin);
    }
  }
  return {};
}

rir::Result<SaveOutcome> HostsStore::Save(std::string_view text,
                                          ChangedElsewhere changed_elsewhere) {
  auto path = Path();
  if (!path) {
    return path.error();
  }
  if (load_failure_) {
    return rir::Error{rir::ErrorCode::kRefusedAfterFailedLoad, *path, load_failure_->reason};
  }
  std::optional<FileStamp> unchanged_since;
  if (known_stamp_ && changed_elsewhere == ChangedElsewhere::kRefuse) {
    if (!*known_stamp_) {
      return known_stamp_->error();
    }
    auto now = StampOf(*path);
    if (!now) {
      return now.error();
    }
    if (ChangedSinceLoad(*now, **known_stamp_)) {
      return rir::Error{rir::ErrorCode::kChangedSinceLoad, *path, {}};
    }
    unchanged_since = **known_stamp_;
  }
  auto saved = write_
                   ? write_(*path, text, keep_previous_, unchanged_since)
                   : ReplaceHostsFile(*path, text, keep_previous_, SaveChecks{unchanged_since, {}});
  // Whatever the save did, success or not, was our own doing.
  if (known_stamp_) {
    known_stamp_ = StampOf(*path);
  }
  return saved;
}

}  // namespace hostsfile
