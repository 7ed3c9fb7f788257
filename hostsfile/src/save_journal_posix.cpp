#include "save_journal_posix.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <memory>

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
    if (!IsUnfinished(name, base, kNewFileTag) && !IsUnfinished(name, base, kJournalTag)) {
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
  const std::string journal = JournalPath(file);
  if (::unlink(journal.c_str()) != 0 && errno != ENOENT) {
    return rir::SystemFailure(rir::ErrorCode::kReplace, journal);
  }
  return rir::SyncFolder(journal);
}

void RemoveUnfinishedFiles(const std::string& file) {
  // One that cannot go (a folder this user may not change) stays as harmless as it was.
  ForEachUnfinished(file, [](int folder, const char* name) { ::unlinkat(folder, name, 0); });
}

bool HasUnfinishedFiles(const std::string& file) {
  bool found = ::access(JournalPath(file).c_str(), F_OK) == 0;
  ForEachUnfinished(file, [&found](int /*folder*/, const char* /*name*/) { found = true; });
  return found;
}

}  // namespace hostsfile
