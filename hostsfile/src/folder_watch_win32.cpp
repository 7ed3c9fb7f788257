#include <windows.h>

#include "hostsfile/folder_watch.h"

namespace hostsfile {

// A change notification for the folder: it says that something in it changed, not what; the
// hosts file's folder holds few other files, and a notice too many costs one look at the file.
struct FolderWatch::Held {
  HANDLE notice = INVALID_HANDLE_VALUE;
  ~Held() {
    if (notice != INVALID_HANDLE_VALUE) {
      FindCloseChangeNotification(notice);
    }
  }
};

FolderWatch::FolderWatch(const std::string& path) : held_(std::make_unique<Held>()) {
  const auto separator = path.find_last_of("\\/");
  const std::string folder = separator == std::string::npos ? "." : path.substr(0, separator);
  held_->notice = FindFirstChangeNotificationA(
      folder.c_str(), FALSE,
      FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_LAST_WRITE | FILE_NOTIFY_CHANGE_SIZE);
}

FolderWatch::~FolderWatch() = default;

bool FolderWatch::watching() const {
  return held_->notice != INVALID_HANDLE_VALUE;
}

bool FolderWatch::Changed() {
  if (!watching() || WaitForSingleObject(held_->notice, 0) != WAIT_OBJECT_0) {
    return false;
  }
  FindNextChangeNotification(held_->notice);
  return true;
}

}  // namespace hostsfile
