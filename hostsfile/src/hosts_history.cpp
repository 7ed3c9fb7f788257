#include "hostsfile/hosts_history.h"

#include <algorithm>
#include <charconv>
#include <optional>

#include "hosts_history_files.h"
#include "rir/file_read.h"
#include "rir/path.h"

namespace hostsfile {

namespace {

constexpr std::string_view kCopySuffix = ".hosts";
constexpr std::size_t kNumberWidth = 6;  // "000001.hosts": the folder lists in order

// The number of a copy's file name; nothing for any other name (a temporary one included).
std::optional<std::uint64_t> CopyNumber(std::string_view name) {
  if (name.size() <= kCopySuffix.size() || !name.ends_with(kCopySuffix)) {
    return std::nullopt;
  }
  const std::string_view digits = name.substr(0, name.size() - kCopySuffix.size());
  if (!std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; })) {
    return std::nullopt;
  }
  std::uint64_t number = 0;
  const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), number);
  if (error != std::errc() || end != digits.data() + digits.size() || number == 0) {
    return std::nullopt;
  }
  return number;
}

std::string CopyName(std::uint64_t number) {
  std::string digits = std::to_string(number);
  if (digits.size() < kNumberWidth) {
    digits.insert(0, kNumberWidth - digits.size(), '0');
  }
  return digits + std::string(kCopySuffix);
}

struct Found {
  std::uint64_t number;
  std::string name;
  KeptTime modified;
};

// The copies in the folder, lowest number first.
rir::Result<std::vector<Found>> CopiesIn(const std::string& folder) {
  auto files = history_files::FilesIn(folder);
  if (!files) {
    return files.error();
  }
  std::vector<Found> copies;
  for (auto& file : *files) {
    if (const auto number = CopyNumber(file.name)) {
      copies.push_back(Found{*number, std::move(file.name), file.modified});
    }
  }
  std::sort(copies.begin(), copies.end(),
            [](const Found& a, const Found& b) { return a.number < b.number; });
  return copies;
}

// Copies the file at `from` into a new file at `to`, in pieces. False when there is no file.
rir::Result<bool> CopyWhole(const std::string& from, const std::string& to) {
  history_files::NewFile copy(to);
  std::optional<rir::Error> failure;
  bool opened = false;
  const auto open = [&] {
    if (!opened && !failure) {
      opened = true;
      if (auto made = copy.Open(from); !made) {
        failure = made.error();
      }
    }
  };
  auto read = rir::ReadFileInPieces(from, [&](std::string_view piece, std::size_t /*size*/) {
    open();
    if (!failure) {
      if (auto written = copy.Write(piece); !written) {
        failure = written.error();
      }
    }
  });
  if (!read) {
    return read.error();
  }
  if (!*read) {
    return false;
  }
  open();  // an empty file gives no piece, and its copy is an empty file
  if (failure) {
    return *failure;
  }
  if (auto committed = copy.Commit(); !committed) {
    return committed.error();
  }
  return true;
}

}  // namespace

rir::Result<void> HostsHistory::Keep(const std::string& hosts_path) const {
  if (auto made = history_files::MakeFolder(folder_); !made) {
    return made;
  }
  auto copies = CopiesIn(folder_);
  if (!copies) {
    return copies.error();
  }
  const std::uint64_t number = copies->empty() ? 1 : copies->back().number + 1;
  const std::string name = CopyName(number);
  auto kept = CopyWhole(hosts_path, rir::FileInFolder(folder_, name));
  if (!kept) {
    return kept.error();
  }
  if (*kept) {
    copies->push_back(Found{number, name, {}});
  }
  // The first copy ever kept is the hosts file as it was before the program first changed it:
  // it stays, with the newest ones.
  if (copies->size() > kNewestKept + 1) {
    const auto first_removed = copies->begin() + 1;
    const auto last_removed = copies->end() - static_cast<std::ptrdiff_t>(kNewestKept);
    for (auto old = first_removed; old != last_removed; ++old) {
      if (auto removed = history_files::RemoveFile(rir::FileInFolder(folder_, old->name));
          !removed) {
        return removed;
      }
    }
  }
  return {};
}

rir::Result<std::vector<KeptCopy>> HostsHistory::List() const {
  auto copies = CopiesIn(folder_);
  if (!copies) {
    return copies.error();
  }
  std::vector<KeptCopy> listed;
  listed.reserve(copies->size());
  for (auto found = copies->rbegin(); found != copies->rend(); ++found) {
    KeptCopy copy{found->number, rir::FileInFolder(folder_, found->name), found->modified, 0, 0};
    // Size and entries both come from one reading, so they describe the same bytes.
    EntryLineCounter counter;
    auto read = rir::ReadFileInPieces(copy.path, [&](std::string_view piece, std::size_t) {
      copy.size += piece.size();
      counter.Feed(piece);
    });
    if (!read) {
      return read.error();
    }
    if (!*read) {
      continue;  // removed since the folder was listed
    }
    copy.entries = counter.Finish();
    listed.push_back(std::move(copy));
  }
  return listed;
}

rir::Result<std::string> HostsHistory::Read(const KeptCopy& copy) const {
  auto bytes = rir::ReadSmallFile(copy.path);
  if (!bytes) {
    return bytes.error();
  }
  if (!*bytes) {
    return rir::Error{rir::ErrorCode::kKeptCopyGone, copy.path, {}};
  }
  return std::move(**bytes);
}

std::string HistoryFolderFor(const std::string& executable_folder) {
  return rir::FileInFolder(rir::ProgramDataFolder(executable_folder), "history");
}

}  // namespace hostsfile
