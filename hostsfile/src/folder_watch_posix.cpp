#include <sys/inotify.h>
#include <unistd.h>

#include <array>
#include <cstring>

#include "hostsfile/folder_watch.h"
#include "rir/posix_file.h"

namespace hostsfile {

struct FolderWatch::Held {
  rir::FileDescriptor notices{-1};
  std::string name;  // the file's name in its folder
};

FolderWatch::FolderWatch(const std::string& path) : held_(std::make_unique<Held>()) {
  const auto slash = path.find_last_of('/');
  held_->name = slash == std::string::npos ? path : path.substr(slash + 1);
  held_->notices = rir::FileDescriptor(::inotify_init1(IN_NONBLOCK | IN_CLOEXEC));
  if (held_->notices.valid() &&
      ::inotify_add_watch(held_->notices.get(), rir::FolderOf(path).c_str(),
                          IN_CLOSE_WRITE | IN_MODIFY | IN_ATTRIB | IN_CREATE | IN_DELETE |
                              IN_MOVED_FROM | IN_MOVED_TO | IN_DELETE_SELF | IN_MOVE_SELF) < 0) {
    held_->notices.Close();
  }
}

FolderWatch::~FolderWatch() = default;

bool FolderWatch::watching() const {
  return held_->notices.valid();
}

bool FolderWatch::Changed() {
  bool changed = false;
  alignas(inotify_event) std::array<char, 4096> buffer;
  for (;;) {
    const ssize_t got = rir::ReadSome(held_->notices.get(), buffer.data(), buffer.size());
    if (got <= 0) {
      return changed;
    }
    for (std::size_t at = 0; at + sizeof(inotify_event) <= static_cast<std::size_t>(got);) {
      inotify_event event{};
      std::memcpy(&event, buffer.data() + at, sizeof event);
      const char* name = buffer.data() + at + sizeof event;
      // A notice of the folder itself (moved, removed) may concern the file as well.
      if (event.len == 0 || held_->name == std::string_view(name, ::strnlen(name, event.len))) {
        changed = true;
      }
      at += sizeof event + event.len;
    }
  }
}

}  // namespace hostsfile
