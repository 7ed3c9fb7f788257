#include <windows.h>

#include <memory>
#include <string>

#include "rir/file_read.h"
#include "rir/win32_handle.h"

namespace rir {

Result<bool> ReadFileInPieces(
    const std::string& path,
    const std::function<void(std::string_view piece, std::size_t file_size)>& consume) {
  // Delete shared too: another program that saves the file by renaming a new one over it must not
  // fail because we are reading the old one.
  Handle file(CreateFileA(path.c_str(), GENERIC_READ,
                          FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                          OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.valid()) {
    if (const DWORD error = GetLastError();
        error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) {
      return false;
    }
    return SystemFailure(ErrorCode::kOpenForReading, path);
  }
  // A name such as NUL or a pipe's opens too, and would read nothing or wait.
  if (GetFileType(file.get()) != FILE_TYPE_DISK) {
    return Error{ErrorCode::kNotRegularFile, path, {}};
  }
  LARGE_INTEGER size{};
  if (!GetFileSizeEx(file.get(), &size)) {
    return SystemFailure(ErrorCode::kRead, path);
  }
  if (static_cast<unsigned long long>(size.QuadPart) > kMostFileBytes) {
    return Error{ErrorCode::kTooLarge, path, "It holds more than 2 GB"};
  }
  const auto file_size = static_cast<std::size_t>(size.QuadPart);
  constexpr DWORD kPiece = 1u << 20;
  const auto buffer = std::make_unique_for_overwrite<char[]>(kPiece);
  std::size_t total = 0;
  for (;;) {
    DWORD got = 0;
    if (!ReadFile(file.get(), buffer.get(), kPiece, &got, nullptr)) {
      return SystemFailure(ErrorCode::kRead, path);
    }
    if (got == 0) {
      return true;
    }
    total += got;
    if (total > kMostFileBytes) {
      return Error{ErrorCode::kTooLarge, path, "It grew past 2 GB while it was read"};
    }
    consume(std::string_view(buffer.get(), got), file_size);
  }
}

}  // namespace rir
