#include "save_journal_posix.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <memory>
#include <utility>

#include "rir/file_read.h"
#include "rir/posix_file.h"

namespace hostsfile {

namespace {

std::string NameOf(const std::string& path) {
  const auto slash = path.find_last_of('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

// `name` is `base`, then `tag`, then a dot and the six characters mkostemp picks.
bool IsUnfinished(std::string_view name, std::string_view base, std::string_view tag) {
  constexpr std::size_t kRandom = 7;  // ".XXXXXX"
  return name.size() == base.size() + tag.size() + kRandom && name.starts_with(base) &&
         name.substr(base.size(), tag.size()) == tag && name[base.size() + tag.size()] == '.';
}

// Calls `act` with the folder and the name of each plain file of an unfinished save of `file`.
template <class Act>
void ForEachUnfinished(const std::string& file, Act act) {
  const std::string folder_path = rir::FolderOf(file);
  const std::string base = NameOf(file);
  const std::unique_ptr<DIR, int (*)(DIR*)> folder(::opendir(folder_path.c_str()), ::closedir);
  if (!folder) {
    return;  // the load that follows reports a folder it cannot read
  }
  while (const dirent* entry = ::readdir(folder.get())) {
    const std::string_view name = entry->d_name;
    if (!IsUnfinished(name, base, kNewFileTag) && !IsUnfinished(name, base, kJournalTag) &&
        !IsUnfinished(name, base, kBeforeTag)) {
      continue;
    }
    struct stat status {};
    if (::fstatat(::dirfd(folder.get()), entry->d_name, &status, AT_SYMLINK_NOFOLLOW) == 0 &&
        S_ISREG(status.st_mode)) {
      act(::dirfd(folder.get()), entry->d_name);
    }
  }
}

}  // namespace

std::string JournalPath(const std::string& file) {
  return file + std::string(kJournalTag);
}

std::string BeforePath(const std::string& file) {
  return file + std::string(kBeforeTag);
}

// The before-file: "<same> <old size>\n", then the old text from byte `same` on.
rir::Result<void> WriteBefore(const std::string& file, int old_fd, std::size_t same,
                              std::size_t old_size) {
  rir::SiblingFile before(BeforePath(file));
  // Readable by its owner only: it holds part of the hosts file's text.
  if (auto made = before.Create(S_IRUSR | S_IWUSR); !made) {
    return made;
  }
  if (auto written = before.Append(std::to_string(same) + " " + std::to_string(old_size) + "\n");
      !written) {
    return written;
  }
  constexpr std::size_t kPiece = std::size_t{1} << 20;
  const auto piece = std::make_unique_for_overwrite<char[]>(kPiece);
  for (std::size_t at = same; at < old_size;) {
    const ssize_t got =
        ::pread(old_fd, piece.get(), std::min(kPiece, old_size - at), static_cast<off_t>(at));
    if (got <= 0) {
      return rir::Error{rir::ErrorCode::kRead, file,
                        got < 0 ? rir::LastSystemReason() : "it grew shorter while it was read"};
    }
    if (auto written = before.Append(std::string_view(piece.get(), static_cast<std::size_t>(got)));
        !written) {
      return written;
    }
    at += static_cast<std::size_t>(got);
  }
  if (auto flushed = before.Flush(); !flushed) {
    return flushed;
  }
  return before.MoveOntoTarget();
}

rir::Result<MappedBefore> MappedBefore::Open(const std::string& file) {
  const std::string path = BeforePath(file);
  const rir::FileDescriptor fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW));
  const std::size_t size = fd.valid() ? rir::FileSize(fd.get()) : 0;
  void* const begin =
      size > 0 ? ::mmap(nullptr, size, PROT_READ, MAP_SHARED, fd.get(), 0) : nullptr;
  if (begin == nullptr || begin == MAP_FAILED) {
    return rir::SystemFailure(rir::ErrorCode::kOpenForReading, path);
  }
  const std::string_view whole(static_cast<const char*>(begin), size);
  const std::size_t heading_end = whole.find('\n');
  MappedBefore mapped(
      begin, size,
      heading_end == std::string_view::npos ? std::string_view() : whole.substr(heading_end + 1));
  return mapped;
}

MappedBefore::MappedBefore(MappedBefore&& other) noexcept
    : begin_(std::exchange(other.begin_, nullptr)), size_(other.size_), rest_(other.rest_) {}

MappedBefore::~MappedBefore() {
  if (begin_ != nullptr) {
    ::munmap(begin_, size_);
  }
}

std::optional<std::string> ReadBefore(const std::string& file, std::string_view new_text) {
  auto read = rir::ReadSmallFile(BeforePath(file));
  if (!read || !*read) {
    return std::nullopt;
  }
  const std::string& before = **read;
  std::size_t same = 0;
  std::size_t old_size = 0;
  const char* const end = before.data() + before.size();
  const auto first = std::from_chars(before.data(), end, same);
  if (first.ec != std::errc() || first.ptr == end || *first.ptr != ' ') {
    return std::nullopt;
  }
  const auto second = std::from_chars(first.ptr + 1, end, old_size);
  if (second.ec != std::errc() || second.ptr == end || *second.ptr != '\n') {
    return std::nullopt;
  }
  const std::string_view tail(second.ptr + 1, static_cast<std::size_t>(end - second.ptr - 1));
  if (same > new_text.size() || same + tail.size() != old_size) {
    return std::nullopt;
  }
  std::string old_text(new_text.substr(0, same));
  old_text += tail;
  return old_text;
}

rir::Result<void> WriteJournal(const std::string& file, std::string_view text) {
  rir::SiblingFile journal(JournalPath(file));
  // Readable by its owner only until it is removed: it holds the hosts file's next text.
  if (auto written = journal.Write(text, S_IRUSR | S_IWUSR); !written) {
    return written;
  }
  if (auto flushed = journal.Flush(); !flushed) {
    return flushed;
  }
  return journal.MoveOntoTarget();
}

rir::Result<void> RemoveJournal(const std::string& file) {
  // The journal first: a journal without its before-file would be finished unchecked.
  for (const std::string& path : {JournalPath(file), BeforePath(file)}) {
    if (::unlink(path.c_str()) != 0 && errno != ENOENT) {
      return rir::SystemFailure(rir::ErrorCode::kReplace, path);
    }
  }
  return rir::SyncFolder(JournalPath(file));
}

void RemoveUnfinishedFiles(const std::string& file) {
  // One that cannot go (a folder this user may not change) stays as harmless as it was.
  ForEachUnfinished(file, [](int folder, const char* name) { ::unlinkat(folder, name, 0); });
}

bool HasUnfinishedFiles(const std::string& file) {
  bool found = ::access(JournalPath(file).c_str(), F_OK) == 0 ||
               ::access(BeforePath(file).c_str(), F_OK) == 0;
  ForEachUnfinished(file, [&found](int /*folder*/, const char* /*name*/) { found = true; });
  return found;
}

}  // namespace hostsfile
