#include "lock/lock_store.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>

#include "hostsfile/hosts_format.h"
#include "rir/file_read.h"
#include "rir/path.h"
#include "settings/record_file.h"

namespace lock {

namespace {

constexpr std::string_view kNamesHeading = "rir-avadera-lock-names 1\n";
// The names file's last line: a file cut short lacks it.
constexpr std::string_view kNamesEnd = "end\n";

rir::Result<std::optional<Lock>> ReadHeld(settings::LockedRecordFile& times_file,
                                          const std::string& times_path,
                                          const std::string& names_path, const Clocks& now) {
  auto times_text = times_file.Read();
  if (!times_text) {
    return times_text.error();
  }
  auto names_text = rir::ReadSmallFile(names_path);
  if (!names_text) {
    return names_text.error();
  }
  if (times_text->empty() && !*names_text) {
    return std::optional<Lock>();
  }
  if (times_text->empty()) {
    return rir::Error{rir::ErrorCode::kDamagedLockRecord, times_path, "its clocks are missing"};
  }
  auto times = DecodeTimes(*times_text, times_path);
  if (!times) {
    return times.error();
  }
  if (!*names_text) {
    return rir::Error{rir::ErrorCode::kDamagedLockRecord, names_path, "it is missing"};
  }
  auto names = DecodeNames(**names_text, names_path);
  if (!names) {
    return names.error();
  }
  return std::optional<Lock>(Lock{Advance(*times, now), std::move(*names)});
}

rir::Result<void> WriteHeld(settings::LockedRecordFile& times_file, const std::string& names_path,
                            const std::optional<Lock>& lock, bool names_changed) {
  if (!lock || lock->times.Ended()) {
    // The clocks go first: a names file left behind alone reads as damage, never as a lock
    // without names.
    if (auto written = times_file.Write(""); !written) {
      return written;
    }
    if (std::remove(names_path.c_str()) != 0 && errno != ENOENT) {
      return rir::SystemFailure(rir::ErrorCode::kRemove, names_path);
    }
    return {};
  }
  if (names_changed) {
    if (auto written = ReplacePrivateFile(names_path, EncodeNames(lock->names)); !written) {
      return written;
    }
  }
  return times_file.Write(EncodeTimes(lock->times));
}

}  // namespace

LockStore::LockStore(std::string folder) : folder_(std::move(folder)) {}

bool LockStore::Exists(const std::string& folder) {
  // An ended lock leaves its clocks' file empty, and no names.
  auto names = rir::ReadSmallFile(rir::FileInFolder(folder, "lock-names"));
  auto times = rir::ReadSmallFile(rir::FileInFolder(folder, "lock"));
  return !names || !times || *names || (*times && !(*times)->empty());
}

std::string LockStore::TimesPath() const {
  return rir::FileInFolder(folder_, "lock");
}

std::string LockStore::NamesPath() const {
  return rir::FileInFolder(folder_, "lock-names");
}

rir::Result<std::optional<Lock>> LockStore::Read(const Clocks& now) const {
  return Update(now, [](const rir::Result<std::optional<Lock>>& before) { return before; });
}

rir::Result<std::optional<Lock>> LockStore::Update(const Clocks& now, const Change& change) const {
  // No record, and none made: nothing is opened, so that a folder this process may not write
  // reads as no lock.
  if (!Exists(folder_)) {
    auto made = change(std::optional<Lock>());
    if (!made || !*made) {
      return made;
    }
  }
  auto held = settings::LockedRecordFile::Open(TimesPath());
  if (!held) {
    return held.error();
  }
  const auto before = ReadHeld(*held, TimesPath(), NamesPath(), now);
  if (!before && before.error().code != rir::ErrorCode::kDamagedLockRecord) {
    return before.error();
  }
  auto after = change(before);
  if (!after) {
    return after.error();
  }
  const bool names_changed = !before || !*before || !*after || (*before)->names != (*after)->names;
  if (auto written = WriteHeld(*held, NamesPath(), *after, names_changed); !written) {
    return written.error();
  }
  if (*after && (*after)->times.Ended()) {
    return std::optional<Lock>();
  }
  return after;
}

std::string EncodeNames(const std::vector<std::string>& names) {
  std::string text(kNamesHeading);
  for (const std::string& name : names) {
    text += name;
    text += '\n';
  }
  text += kNamesEnd;
  return text;
}

std::string EncodeBlockedNames(std::string_view hosts_text) {
  std::string text(kNamesHeading);
  // A name the program blocks stands four times in the text, and once here: with that room
  // made, the record of a million names is not copied over and over as it grows.
  text.reserve(kNamesHeading.size() + hosts_text.size() / 4 + kNamesEnd.size());
  hostsfile::ForEachBlockedName(hosts_text, [&text](std::string_view name) {
    text += name;
    text += '\n';
  });
  text += kNamesEnd;
  return text;
}

rir::Result<std::vector<std::string>> DecodeNames(std::string_view text, const std::string& path) {
  if (!text.starts_with(kNamesHeading) || !text.ends_with(kNamesEnd)) {
    return rir::Error{rir::ErrorCode::kDamagedLockRecord, path, "it is not whole"};
  }
  text.remove_prefix(kNamesHeading.size());
  text.remove_suffix(kNamesEnd.size());
  std::vector<std::string> names;
  while (!text.empty()) {
    const auto end = text.find('\n');
    if (end == std::string_view::npos) {
      // The last name runs into the end line: a file cut and joined, not one we wrote.
      return rir::Error{rir::ErrorCode::kDamagedLockRecord, path, "it is not whole"};
    }
    names.emplace_back(text.substr(0, end));
    text.remove_prefix(end + 1);
  }
  std::sort(names.begin(), names.end());
  names.erase(std::unique(names.begin(), names.end()), names.end());
  return names;
}

}  // namespace lock
