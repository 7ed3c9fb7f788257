#include <windows.h>

#include <algorithm>

#include "plain_file.h"
#include "rir/win32_handle.h"

namespace settings {

rir::Result<std::optional<std::string>> ReadPlainFile(const std::string& path,
                                                      std::size_t most_bytes) {
  // FILE_FLAG_OPEN_REPARSE_POINT: a symbolic link or junction is opened itself, then refused.
  rir::Handle file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                               nullptr, OPEN_EXISTING,
                               FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
  if (!file.valid()) {
    if (const DWORD error = GetLastError();
        error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) {
      return std::optional<std::string>();
    }
    return rir::SystemFailure(rir::ErrorCode::kOpenForReading, path);
  }
  BY_HANDLE_FILE_INFORMATION info{};
  if (GetFileType(file.get()) != FILE_TYPE_DISK) {
    return rir::Error{rir::ErrorCode::kNotRegularFile, path, "it is a device or a pipe"};
  }
  if (!GetFileInformationByHandle(file.get(), &info)) {
    return rir::SystemFailure(rir::ErrorCode::kRead, path);
  }
  if ((info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) {
    return rir::Error{rir::ErrorCode::kNotRegularFile, path,
                      "it is a symbolic link or another reparse point"};
  }
  if ((info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
    return rir::Error{rir::ErrorCode::kNotRegularFile, path, "it is a folder"};
  }
  const ULONGLONG size = (ULONGLONG{info.nFileSizeHigh} << 32) | info.nFileSizeLow;
  if (size > most_bytes) {
    return rir::Error{rir::ErrorCode::kTooLarge, path, TooLargeReason(most_bytes)};
  }
  // One byte more than allowed, to see a file that grew meanwhile.
  std::string text(most_bytes + 1, '\0');
  std::size_t got = 0;
  while (got < text.size()) {
    DWORD read = 0;
    const DWORD room = static_cast<DWORD>(std::min<std::size_t>(text.size() - got, 1u << 20));
    if (!ReadFile(file.get(), text.data() + got, room, &read, nullptr)) {
      return rir::SystemFailure(rir::ErrorCode::kRead, path);
    }
    if (read == 0) {
      break;
    }
    got += read;
  }
  if (got > most_bytes) {
    return rir::Error{rir::ErrorCode::kTooLarge, path, TooLargeReason(most_bytes)};
  }
  text.resize(got);
  return std::optional<std::string>(std::move(text));
}

}  // namespace settings
