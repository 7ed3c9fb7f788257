#include "block_record.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cinttypes>
#include <cstdio>
#include <filesystem>

#include "hostsfile/hosts_format.h"
#include "rir/file_read.h"
#include "rir/posix_file.h"

namespace helper {

namespace {

using hostsfile::FileStamp;

// "saved  <volume> <file> <size> <modified>\n", each number 20 wide: rewritten where it stands.
constexpr std::size_t kLineBytes = 91;
constexpr std::size_t kHeadingBytes = 2 * kLineBytes;
constexpr std::string_view kSaved = "saved ";
constexpr std::string_view kLooked = "looked";
constexpr std::string_view kAfter = "after ";    // pending: the stamp the rename will give
constexpr std::string_view kInPlace = "inplac";  // pending: rewritten in place

std::string Line(std::string_view key, const FileStamp& stamp) {
  char line[kLineBytes + 1] = {};
  std::snprintf(line, sizeof line, "%.6s %20" PRIu64 " %20" PRIu64 " %20" PRIu64 " %20" PRId64 "\n",
                key.data(), stamp.volume, stamp.file, stamp.size, stamp.modified);
  return std::string(line, kLineBytes);
}

std::optional<FileStamp> StampIn(std::string_view line, std::string_view key) {
  FileStamp stamp{true, true, 0, 0, 0, 0};
  if (line.size() < kLineBytes || line.substr(0, key.size()) != key ||
      std::sscanf(std::string(line.substr(0, kLineBytes)).c_str(),
                  "%*6c %20" SCNu64 " %20" SCNu64 " %20" SCNu64 " %20" SCNd64, &stamp.volume,
                  &stamp.file, &stamp.size, &stamp.modified) != 4) {
    return std::nullopt;
  }
  return stamp;
}

rir::Error NoRecord(const std::string& path, std::string reason) {
  return rir::Error{rir::ErrorCode::kNoBlockRecord, path, std::move(reason)};
}

// The file's first bytes, read without following a link; nothing when there is no such file.
rir::Result<std::optional<std::string>> ReadStart(const std::string& path, std::size_t most) {
  const rir::FileDescriptor fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW));
  if (!fd.valid()) {
    if (errno == ENOENT) {
      return std::optional<std::string>();
    }
    return rir::SystemFailure(rir::ErrorCode::kOpenForReading, path);
  }
  std::string text(std::min(most, rir::FileSize(fd.get())), '\0');
  std::size_t have = 0;
  while (have < text.size()) {
    const ssize_t got =
        ::pread(fd.get(), text.data() + have, text.size() - have, static_cast<off_t>(have));
    if (got < 0 && errno == EINTR) {
      continue;
    }
    if (got <= 0) {
      return rir::SystemFailure(rir::ErrorCode::kRead, path);
    }
    have += static_cast<std::size_t>(got);
  }
  return std::optional<std::string>(std::move(text));
}

rir::Result<void> Remove(const std::string& path) {
  if (::unlink(path.c_str()) != 0 && errno != ENOENT) {
    return rir::SystemFailure(rir::ErrorCode::kRemove, path);
  }
  return {};
}

}  // namespace

rir::Result<void> BlockRecord::Prepare(std::string_view text,
                                       const std::optional<FileStamp>& after) const {
  rir::SiblingFile pending(PendingPath());
  if (auto made = pending.Create(S_IRUSR | S_IWUSR); !made) {
    return made;
  }
  std::string piece =
      Line(after ? kAfter : kInPlace, after.value_or(FileStamp{})) + Line(kLooked, FileStamp{});
  // Written in pieces as the names are found: the text may be as large as a hosts file may be.
  constexpr std::size_t kPiece = std::size_t{1} << 20;
  rir::Result<void> written;
  hostsfile::ForEachBlockedName(text, [&](std::string_view name) {
    piece.append(name).push_back('\n');
    if (piece.size() >= kPiece && written) {
      written = pending.Append(piece);
      piece.clear();
    }
  });
  if (!written) {
    return written;
  }
  if (auto last = pending.Append(piece); !last) {
    return last;
  }
  if (auto flushed = pending.Flush(); !flushed) {
    return flushed;
  }
  return pending.MoveOntoTarget();
}

rir::Result<void> BlockRecord::Commit(const FileStamp& now) const {
  const std::string pending = PendingPath();
  {
    const rir::FileDescriptor fd(::open(pending.c_str(), O_WRONLY | O_CLOEXEC | O_NOFOLLOW));
    const std::string heading = Line(kSaved, now) + Line(kLooked, now);
    if (!fd.valid() ||
        ::pwrite(fd.get(), heading.data(), heading.size(), 0) !=
            static_cast<ssize_t>(heading.size()) ||
        ::fsync(fd.get()) != 0) {
      return rir::SystemFailure(rir::ErrorCode::kWrite, pending);
    }
  }
  if (::rename(pending.c_str(), path_.c_str()) != 0) {
    return rir::SystemFailure(rir::ErrorCode::kRename, pending);
  }
  return rir::SyncFolder(path_);
}

rir::Result<void> BlockRecord::Forget() const {
  if (auto removed = Remove(PendingPath()); !removed) {
    return removed;
  }
  // A record that says it is lost, so that the next put-back tells why it puts nothing back;
  // where even that cannot be written, none at all.
  if (rir::ReplaceFileByRename(path_, "lost\n", S_IRUSR | S_IWUSR)) {
    return {};
  }
  if (auto removed = Remove(path_); !removed) {
    return removed;
  }
  return rir::SyncFolder(path_);
}

rir::Result<void> BlockRecord::DropPending() const {
  return Remove(PendingPath());
}

void BlockRecord::RemoveHalfMade() const {
  // "<record>.XXXXXX" and "<record>.pending.XXXXXX": rir::SiblingFile's names.
  const std::filesystem::path record(path_);
  const std::string base = record.filename().string();
  std::error_code failed;
  for (const auto& entry : std::filesystem::directory_iterator(record.parent_path(), failed)) {
    const std::string name = entry.path().filename().string();
    const std::size_t random = name.size() - std::min<std::size_t>(name.size(), 7);
    const std::string_view stem = std::string_view(name).substr(0, random);
    if (random > 0 && name[random] == '.' && (stem == base || stem == base + ".pending") &&
        entry.is_regular_file(failed) && !entry.is_symlink(failed)) {
      ::unlink(entry.path().c_str());
    }
  }
}

bool BlockRecord::HasPending() const {
  struct stat status {};
  return ::lstat(PendingPath().c_str(), &status) == 0;
}

rir::Result<void> BlockRecord::Settle(const FileStamp& now, bool finished, bool dropped) const {
  if (!HasPending()) {
    return {};  // a put-back's rewrite: the record's names stand
  }
  if (finished && !dropped) {
    return Commit(now);  // the file holds the journal's text, which is the save's
  }
  auto start = ReadStart(PendingPath(), kHeadingBytes);
  if (!start) {
    return start.error();
  }
  // "saved": cut short while it was being made the record, so the file held the save's text.
  const std::string heading = start->value_or(std::string());
  const auto after = StampIn(heading, kAfter);
  const auto saved = StampIn(heading, kSaved);
  if (!dropped && ((after && *after == now) || (saved && *saved == now))) {
    return Commit(now);
  }
  // The file as the record knows it: the save never changed it.
  auto stamps = ReadStamps();
  if (!dropped && stamps && *stamps && ((*stamps)->saved == now || (*stamps)->looked == now)) {
    return DropPending();
  }
  // Another program wrote the file since; which save it follows cannot be told.
  return Forget();
}

rir::Result<std::optional<BlockRecord::Stamps>> BlockRecord::ReadStamps() const {
  auto start = ReadStart(path_, kHeadingBytes);
  if (!start) {
    return start.error();
  }
  if (!*start) {
    return std::optional<Stamps>();
  }
  const std::string_view heading = **start;
  const auto saved = StampIn(heading, kSaved);
  const auto looked =
      heading.size() == kHeadingBytes ? StampIn(heading.substr(kLineBytes), kLooked) : std::nullopt;
  if (!saved || !looked) {
    return NoRecord(path_,
                    "the record of the blocks the last Apply made may not belong to the hosts file "
                    "as it stands (a save was cut short and the file changed since, or the record "
                    "could not be written); Apply once to make it anew");
  }
  return std::optional<Stamps>(Stamps{*saved, *looked});
}

rir::Result<std::vector<std::string>> BlockRecord::Names() const {
  auto whole = ReadStart(path_, rir::kMostFileBytes);
  if (!whole) {
    return whole.error();
  }
  if (!*whole || (*whole)->size() < kHeadingBytes) {
    return NoRecord(path_, "there is no record of the blocks the last Apply made");
  }
  std::vector<std::string> names;
  for (std::string_view rest = std::string_view(**whole).substr(kHeadingBytes); !rest.empty();) {
    const std::size_t end = std::min(rest.find('\n'), rest.size());
    if (end > 0) {
      names.emplace_back(rest.substr(0, end));
    }
    rest.remove_prefix(std::min(end + 1, rest.size()));
  }
  return names;
}

rir::Result<void> BlockRecord::Looked(const FileStamp& now, bool wrote) const {
  const rir::FileDescriptor fd(::open(path_.c_str(), O_WRONLY | O_CLOEXEC | O_NOFOLLOW));
  // A put-back changed the file as the record knows it; a look only saves the next one a read.
  const std::string heading = wrote ? Line(kSaved, now) + Line(kLooked, now) : Line(kLooked, now);
  const auto at = static_cast<off_t>(wrote ? 0 : kLineBytes);
  if (!fd.valid() ||
      ::pwrite(fd.get(), heading.data(), heading.size(), at) !=
          static_cast<ssize_t>(heading.size()) ||
      (wrote && ::fsync(fd.get()) != 0)) {
    return rir::SystemFailure(rir::ErrorCode::kWrite, path_);
  }
  return {};
}

}  // namespace helper
