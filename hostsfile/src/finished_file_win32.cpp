#include <windows.h>

#include "hostsfile/finished_file.h"

namespace hostsfile {

namespace {

rir::Error StillBeingWritten(const std::string& path) {
  return rir::Error{rir::ErrorCode::kStillBeingWritten, path, {}};
}

std::int64_t Ticks(const FILETIME& time) {  // 100 ns since 1601
  return static_cast<std::int64_t>(static_cast<std::uint64_t>(time.dwHighDateTime) << 32 |
                                   time.dwLowDateTime);
}

}  // namespace

rir::Result<void> CheckFinished(const std::string& path) {
  // Write access not shared: the open fails while another program holds the file open for
  // writing. Held no longer than the look at its time.
  HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE,
                            nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    const DWORD error = GetLastError();
    if (error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION) {
      return StillBeingWritten(path);
    }
    if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) {
      return {};  // removed: nothing is being written there
    }
    return rir::SystemFailure(rir::ErrorCode::kOpenForReading, path);
  }
  FILETIME written{};
  const BOOL got = GetFileTime(file, nullptr, nullptr, &written);
  CloseHandle(file);
  if (!got) {
    return rir::SystemFailure(rir::ErrorCode::kOpenForReading, path);
  }
  FILETIME now{};
  GetSystemTimeAsFileTime(&now);
  constexpr std::int64_t kTicksPerMillisecond = 10'000;
  const std::int64_t since = Ticks(now) - Ticks(written);
  // A time ahead of the clock tells nothing, and must not hold the file up for ever.
  if (since >= 0 && since < kQuietTime.count() * kTicksPerMillisecond) {
    return StillBeingWritten(path);
  }
  return {};
}

}  // namespace hostsfile
