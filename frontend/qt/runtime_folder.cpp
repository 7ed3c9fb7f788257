#include "runtime_folder.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <system_error>
#include <vector>

namespace qtfront {

namespace {

// Qt takes the folder when it belongs to this user (it mends the mode itself), and makes it
// when it is not there; only one that belongs to someone else it can do nothing about.
bool ServesThisUser(const std::optional<std::string>& folder) {
  if (!folder || folder->empty()) {
    return false;
  }
  struct stat status {};
  if (::stat(folder->c_str(), &status) != 0) {
    return true;
  }
  return status.st_uid == ::geteuid();
}

// Anyone may make a folder of this name first, or a link by it: only a real folder of this
// user's that nobody else may enter is taken.
bool IsPrivateFolder(const std::string& path) {
  struct stat status {};
  return ::lstat(path.c_str(), &status) == 0 && S_ISDIR(status.st_mode) &&
         status.st_uid == ::geteuid() && (status.st_mode & 07777) == 0700;
}

}  // namespace

RuntimeFolder::RuntimeFolder() {
  if (const char* given = std::getenv("XDG_RUNTIME_DIR"); given != nullptr) {
    given_ = given;
  }
  if (ServesThisUser(given_)) {
    return;
  }
  std::error_code failure;
  std::filesystem::path temporary = std::filesystem::temp_directory_path(failure);
  if (failure) {
    temporary = "/tmp";
  }
  // One for every run of this user's, so that a run that is killed leaves nothing new behind.
  const std::string users =
      (temporary / ("tamborelle-rir-avadera-run-" + std::to_string(::geteuid()))).string();
  ::mkdir(users.c_str(), 0700);
  if (IsPrivateFolder(users)) {
    folder_ = users;
  } else {
    std::string pattern = (temporary / "tamborelle-rir-avadera-run.XXXXXX").string();
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    // mkdtemp makes the folder with mode 0700 under a name nobody could have taken first.
    // Where it cannot, Qt's own fallback and its warning stand: /tmp itself is in trouble.
    if (::mkdtemp(name.data()) == nullptr) {
      return;
    }
    folder_ = name.data();
    for_this_run_ = true;
  }
  ::setenv("XDG_RUNTIME_DIR", folder_.c_str(), 1);
}

RuntimeFolder::~RuntimeFolder() {
  if (folder_.empty()) {
    return;
  }
  if (for_this_run_) {
    std::error_code ignored;
    std::filesystem::remove_all(folder_, ignored);
  }
  if (given_) {
    ::setenv("XDG_RUNTIME_DIR", given_->c_str(), 1);
  } else {
    ::unsetenv("XDG_RUNTIME_DIR");
  }
}

}  // namespace qtfront
