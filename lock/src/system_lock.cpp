#include "lock/system_lock.h"

#include <future>
#include <optional>

#include "hostsfile/block_again.h"
#include "hostsfile/hosts_history.h"
#include "rir/file_read.h"
#include "rir/path.h"

namespace lock {

namespace {

rir::Result<std::vector<std::string>> BlockedInFile(const std::string& hosts_path) {
  std::string text;
  auto read = rir::ReadFileInPieces(hosts_path, [&text](std::string_view piece, std::size_t size) {
    text.reserve(size);
    text.append(piece);
  });
  if (!read) {
    return read.error();
  }
  return hostsfile::BlockedNames(text);
}

// A damaged record becomes the longest lock over what the file blocks; any other failure stays.
rir::Result<std::optional<Lock>> Mended(const rir::Result<std::optional<Lock>>& before,
                                        const std::string& hosts_path, const Clocks& now) {
  if (before || before.error().code != rir::ErrorCode::kDamagedLockRecord) {
    return before;
  }
  auto blocked = BlockedInFile(hosts_path);
  if (!blocked) {
    return blocked.error();
  }
  return std::optional<Lock>(RecoveredLock(std::move(*blocked), now));
}

}  // namespace

rir::Result<std::optional<Lock>> CurrentLock(const LockStore& store, const std::string& hosts_path,
                                             const Clocks& now) {
  return store.Update(now, [&](const rir::Result<std::optional<Lock>>& before) {
    return Mended(before, hosts_path, now);
  });
}

rir::Result<Lock> StartLock(const LockStore& store, const std::string& hosts_path,
                            std::int64_t length, bool count_only_on, const Clocks& now) {
  auto blocked = BlockedInFile(hosts_path);
  if (!blocked) {
    return blocked.error();
  }
  auto locked = store.Update(
      now, [&](const rir::Result<std::optional<Lock>>& before) -> rir::Result<std::optional<Lock>> {
        auto current = Mended(before, hosts_path, now);
        if (!current) {
          return current.error();
        }
        auto made = Lengthened(*current, length, count_only_on, *blocked, now);
        if (!made) {
          return made.error();
        }
        if (made->names.empty()) {
          return std::optional<Lock>();  // nothing blocked: nothing to lock
        }
        return std::optional<Lock>(std::move(*made));
      });
  if (!locked) {
    return locked.error();
  }
  return *locked ? **locked : Lock{};
}

rir::Result<void> CheckSave(const LockStore& store, const std::string& hosts_path,
                            std::string_view text, const Clocks& now) {
  auto current = CurrentLock(store, hosts_path, now);
  if (!current) {
    return current.error();
  }
  if (*current) {
    if (auto lifted = UnlockedBy(**current, text); !lifted.empty()) {
      return Refusal(**current, lifted);
    }
  }
  return {};
}

rir::Result<void> AfterSave(const LockStore& store, std::string_view text, const Clocks& now) {
  auto updated = store.Update(
      now, [&](const rir::Result<std::optional<Lock>>& before) -> rir::Result<std::optional<Lock>> {
        if (!before || !*before) {
          return before;  // damage is mended at the next read, from the file as it is then
        }
        return std::optional<Lock>(LockedAfter(**before, text));
      });
  if (!updated) {
    return updated.error();
  }
  return {};
}

namespace {

std::string AppliedPath(const std::string& folder) {
  return rir::FileInFolder(folder, "applied-blocks");
}

}  // namespace

rir::Result<void> RecordApplied(const std::string& folder, std::string_view text) {
  return ReplacePrivateFile(AppliedPath(folder), EncodeBlockedNames(text));
}

rir::Result<void> RecordAppliedNames(const std::string& folder,
                                     const std::vector<std::string>& names) {
  return ReplacePrivateFile(AppliedPath(folder), EncodeNames(names));
}

rir::Result<std::vector<std::string>> ReadApplied(const std::string& folder) {
  auto text = rir::ReadSmallFile(AppliedPath(folder));
  if (!text) {
    return text.error();
  }
  if (!*text) {
    return std::vector<std::string>();
  }
  return DecodeNames(**text, AppliedPath(folder));
}

rir::Result<hostsfile::SaveOutcome> SaveRecorded(const std::string& folder,
                                                 const std::string& hosts_path,
                                                 std::string_view text,
                                                 const hostsfile::KeepPreviousText& keep,
                                                 const hostsfile::SaveChecks& checks) {
  const LockStore locks(folder);
  if (auto allowed = CheckSave(locks, hosts_path, text, ReadClocks()); !allowed) {
    return allowed.error();
  }
  // The system's keeper puts back what the last save left blocked: the names are in place before
  // the file changes, so that it never puts back what this save allows. They are read out of the
  // text and written while the text goes beside the file: with a list of a million names each
  // takes about as long as the other.
  auto before = ReadApplied(folder);
  std::future<rir::Result<void>> recording =
      std::async(std::launch::async, [&folder, text] { return RecordApplied(folder, text); });
  std::optional<rir::Result<void>> recorded;
  const auto record = [&]() -> const rir::Result<void>& {
    if (!recorded) {
      recorded = recording.get();
    }
    return *recorded;
  };
  hostsfile::SaveChecks recorded_first = checks;
  recorded_first.before_commit =
      [&](const std::optional<hostsfile::FileStamp>& after) -> rir::Result<void> {
    record();  // one that failed does not hold the save back; it is told
    return checks.before_commit ? checks.before_commit(after) : rir::Result<void>{};
  };
  auto saved = hostsfile::ReplaceHostsFile(hosts_path, text, keep, recorded_first);
  std::optional<rir::Error> record_failure;
  if (const auto& done = record(); !done) {
    record_failure = done.error();
  }
  if (!saved) {
    if (before && !record_failure) {
      static_cast<void>(RecordAppliedNames(folder, *before));
    }
    return saved;
  }
  saved->record_failure = record_failure;
  // What this save blocks is locked too; a failure here loosens nothing.
  static_cast<void>(AfterSave(locks, text, ReadClocks()));
  return saved;
}

rir::Result<std::optional<hostsfile::BlockedAgain>> PutBackApplied(const std::string& folder,
                                                                   const std::string& hosts_path) {
  auto names = ReadApplied(folder);
  if (!names) {
    return names.error();
  }
  auto on = CurrentLock(LockStore(folder), hosts_path, ReadClocks());
  if (on && *on) {
    names->insert(names->end(), (*on)->names.begin(), (*on)->names.end());
  }
  const hostsfile::HostsHistory history(rir::FileInFolder(folder, "history"));
  return hostsfile::BlockAgainInFile(
      hosts_path, *names, [&history](const std::string& path) { return history.Keep(path); });
}

}  // namespace lock
