// The history's file system calls on Linux and other POSIX systems.
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <ctime>

#include "hosts_history_files.h"
#include "rir/posix_file.h"

namespace hostsfile::history_files {

namespace {

constexpr mode_t kFolderMode = 0755;
constexpr mode_t kCopyMode = 0644;  // at most; no copy is more readable than its file

bool IsFolder(const std::string& path) {
  struct stat info {};
  return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

KeptTime LocalTime(const struct timespec& when) {
  struct tm local {};
  const time_t seconds = when.tv_sec;
  if (::localtime_r(&seconds, &local) == nullptr) {
    return {};
  }
  return KeptTime{local.tm_year + 1900, local.tm_mon + 1, local.tm_mday,
                  local.tm_hour,        local.tm_min,     local.tm_sec};
}

struct FolderCloser {
  void operator()(DIR* folder) const { ::closedir(folder); }
};

}  // namespace

rir::Result<void> MakeFolder(const std::string& folder) {
  if (::mkdir(folder.c_str(), kFolderMode) == 0) {
    return {};
  }
  const int error = errno;
  if (error == EEXIST && IsFolder(folder)) {
    return {};
  }
  if (error == ENOENT) {
    const std::string parent = rir::FolderOf(folder);
    if (parent != folder && parent != "." && parent != "/") {
      if (auto made = MakeFolder(parent); !made) {
        return made;
      }
      if (::mkdir(folder.c_str(), kFolderMode) == 0 || (errno == EEXIST && IsFolder(folder))) {
        return {};
      }
      return rir::SystemFailure(rir::ErrorCode::kCreateFolder, folder);
    }
  }
  return rir::Error{rir::ErrorCode::kCreateFolder, folder, rir::SystemReason(error)};
}

rir::Result<std::vector<Item>> FilesIn(const std::string& folder) {
  const std::unique_ptr<DIR, FolderCloser> listing(::opendir(folder.c_str()));
  if (!listing) {
    if (errno == ENOENT) {
      return std::vector<Item>{};
    }
    return rir::SystemFailure(rir::ErrorCode::kListFolder, folder);
  }
  const int folder_fd = ::dirfd(listing.get());
  std::vector<Item> files;
  for (;;) {
    errno = 0;
    const dirent* entry = ::readdir(listing.get());
    if (entry == nullptr) {
      if (errno != 0) {
        return rir::SystemFailure(rir::ErrorCode::kListFolder, folder);
      }
      return files;
    }
    struct stat info {};
    if (::fstatat(folder_fd, entry->d_name, &info, AT_SYMLINK_NOFOLLOW) != 0 ||
        !S_ISREG(info.st_mode)) {
      continue;  // gone meanwhile, or no file of ours
    }
    files.push_back(Item{entry->d_name, LocalTime(info.st_mtim)});
  }
}

rir::Result<void> RemoveFile(const std::string& path) {
  if (::unlink(path.c_str()) != 0 && errno != ENOENT) {
    return rir::SystemFailure(rir::ErrorCode::kRemove, path);
  }
  return {};
}

struct NewFile::State {
  explicit State(const std::string& path) : file(path, ".partial") {}
  rir::SiblingFile file;  // removed unless moved onto the copy's name
};

NewFile::NewFile(std::string path)
    : path_(std::move(path)), state_(std::make_unique<State>(path_)) {}

NewFile::~NewFile() = default;

rir::Result<void> NewFile::Open(const std::string& like) {
  struct stat original {};
  if (::stat(like.c_str(), &original) != 0) {
    return rir::SystemFailure(rir::ErrorCode::kOpenForReading, like);
  }
  // Its owner may always read and remove it; others as far as they may read the file.
  if (auto made = state_->file.Create((original.st_mode & kCopyMode) | S_IRUSR | S_IWUSR); !made) {
    return made;
  }
  // Only root may give a file away; a copy that stays the user's own is the user's file's copy.
  if (::fchown(state_->file.fd(), original.st_uid, original.st_gid) != 0 && errno != EPERM) {
    return rir::SystemFailure(rir::ErrorCode::kWrite, path_);
  }
  return {};
}

rir::Result<void> NewFile::Write(std::string_view piece) {
  return state_->file.Append(piece);
}

rir::Result<void> NewFile::Commit() {
  if (auto flushed = state_->file.Flush(); !flushed) {
    return flushed;
  }
  // The copy counts from here on; the folder's record of its name is made to last too.
  return state_->file.MoveOntoTarget();
}

}  // namespace hostsfile::history_files
