#include <windows.h>

#include "lock/lock_store.h"
#include "rir/win32_handle.h"

namespace lock {

// Beside the state file, in a folder only administrators may write: what is made there takes
// the folder's access list.
rir::Result<void> ReplacePrivateFile(const std::string& path, std::string_view text) {
  const std::string made = path + ".new";
  {
    rir::Handle file(CreateFileA(made.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                 FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.valid()) {
      return rir::SystemFailure(rir::ErrorCode::kCreateTemporary, made);
    }
    DWORD written = 0;
    if (!WriteFile(file.get(), text.data(), static_cast<DWORD>(text.size()), &written, nullptr) ||
        written != text.size()) {
      return rir::SystemFailure(rir::ErrorCode::kWrite, made);
    }
    if (!FlushFileBuffers(file.get())) {
      return rir::SystemFailure(rir::ErrorCode::kFlush, made);
    }
  }
  if (!MoveFileExA(made.c_str(), path.c_str(),
                   MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    auto failure = rir::SystemFailure(rir::ErrorCode::kReplace, path);
    DeleteFileA(made.c_str());
    return failure;
  }
  return {};
}

// The program that reads it runs as an administrator on Windows.
rir::Result<void> ReplaceReadableFile(const std::string& path, std::string_view text) {
  return ReplacePrivateFile(path, text);
}

}  // namespace lock
