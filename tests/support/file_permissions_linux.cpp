#include <linux/capability.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <memory>
#include <stdexcept>

#include "file_permissions.h"

namespace testsupport {

namespace {

constexpr unsigned kFileOverrides =
    (1u << CAP_DAC_OVERRIDE) | (1u << CAP_DAC_READ_SEARCH) | (1u << CAP_FOWNER);

// Root reads and writes any file whatever its mode. While one of these lives, the calling thread
// loses that power, so a file's mode holds for it as for anybody else.
class WithoutFileOverride {
 public:
  WithoutFileOverride() {
    __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct data[2] = {};
    if (syscall(SYS_capget, &header, data) != 0) {
      throw std::runtime_error("capget failed");
    }
    saved_ = data[0].effective;
    if ((saved_ & kFileOverrides) == 0) {
      return;
    }
    data[0].effective &= ~kFileOverrides;
    if (syscall(SYS_capset, &header, data) != 0) {
      throw std::runtime_error("capset failed");
    }
    changed_ = true;
  }
  WithoutFileOverride(const WithoutFileOverride&) = delete;
  WithoutFileOverride& operator=(const WithoutFileOverride&) = delete;
  ~WithoutFileOverride() {
    if (!changed_) {
      return;
    }
    __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct data[2] = {};
    syscall(SYS_capget, &header, data);
    data[0].effective = saved_;
    syscall(SYS_capset, &header, data);
  }

 private:
  unsigned saved_ = 0;
  bool changed_ = false;
};

// The path with a different mode while the object lives.
class ModeChange {
 public:
  ModeChange(const std::string& path, mode_t mode) : path_(path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0 || ::chmod(path.c_str(), mode) != 0) {
      throw std::runtime_error("cannot change the mode of " + path);
    }
    old_mode_ = info.st_mode & 07777;
  }
  ModeChange(const ModeChange&) = delete;
  ModeChange& operator=(const ModeChange&) = delete;
  ~ModeChange() { ::chmod(path_.c_str(), old_mode_); }

 private:
  std::string path_;
  mode_t old_mode_ = 0;
};

}  // namespace

struct UnreadableFile::State {
  State(const std::string& path, mode_t new_mode) : mode(path, new_mode) {}
  ModeChange mode;
  WithoutFileOverride no_override;
};
UnreadableFile::UnreadableFile(const std::string& path)
    : state_(std::make_unique<State>(path, 0)) {}
UnreadableFile::~UnreadableFile() = default;

struct ReadOnlyFile::State {
  State(const std::string& path, mode_t new_mode) : mode(path, new_mode) {}
  ModeChange mode;
  WithoutFileOverride no_override;
};
ReadOnlyFile::ReadOnlyFile(const std::string& path) : state_(std::make_unique<State>(path, 0444)) {}
ReadOnlyFile::~ReadOnlyFile() = default;

struct ReadOnlyFolder::State {
  State(const std::string& path, mode_t new_mode) : mode(path, new_mode) {}
  ModeChange mode;
  WithoutFileOverride no_override;
};
ReadOnlyFolder::ReadOnlyFolder(const std::string& path)
    : state_(std::make_unique<State>(path, 0555)) {}
ReadOnlyFolder::~ReadOnlyFolder() = default;

}  // namespace testsupport
