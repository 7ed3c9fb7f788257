#include <windows.h>

#include <memory>
#include <stdexcept>

#include "file_permissions.h"

namespace testsupport {

// A handle that shares nothing: while it is open, nobody else can open the file at all.
struct UnreadableFile::State {
  HANDLE handle;
};
UnreadableFile::UnreadableFile(const std::string& path)
    : state_(std::make_unique<State>(
          State{CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr)})) {
  if (state_->handle == INVALID_HANDLE_VALUE) {
    throw std::runtime_error("cannot open " + path + " exclusively");
  }
}
UnreadableFile::~UnreadableFile() {
  CloseHandle(state_->handle);
}

struct ReadOnlyFile::State {
  std::string path;
  DWORD old_attributes;
};
ReadOnlyFile::ReadOnlyFile(const std::string& path)
    : state_(std::make_unique<State>(State{path, GetFileAttributesA(path.c_str())})) {
  if (state_->old_attributes == INVALID_FILE_ATTRIBUTES ||
      !SetFileAttributesA(path.c_str(), state_->old_attributes | FILE_ATTRIBUTE_READONLY)) {
    throw std::runtime_error("cannot make " + path + " read-only");
  }
}
ReadOnlyFile::~ReadOnlyFile() {
  SetFileAttributesA(state_->path.c_str(), state_->old_attributes);
}

}  // namespace testsupport
