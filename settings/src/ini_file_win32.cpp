#include <windows.h>

#include "ini_file_check.h"
#include "ini_lock.h"
#include "plain_file.h"
#include "settings/ini_file.h"
#include "settings/private_file.h"

namespace modINIFile {

std::string ReadIniValue(const std::string& section, const std::string& key,
                         const std::string& path) {
  const auto lock = settings::IniLock::ForReading(path);
  if (!lock) {
    return {};
  }
  // The system's call follows links and reads whatever it opens; only a plain file is read.
  if (const auto plain = settings::ReadPlainFile(path, settings::kMostIniFileBytes); !plain) {
    return {};
  }
  char buffer[kMaxValueLength + 1] = {};
  const DWORD copied = GetPrivateProfileStringA(section.c_str(), key.c_str(), "", buffer,
                                                sizeof buffer, path.c_str());
  return std::string(buffer, copied);
}

rir::Result<void> WriteIniValue(const std::string& section, const std::string& key,
                                const std::string& value, const std::string& path) {
  if (auto checked = settings::CheckIniWrite(section, key, value, path); !checked) {
    return checked;
  }
  const auto lock = settings::IniLock::ForWriting(path);
  if (!lock) {
    return lock.error();
  }
  const auto old = settings::ReadPlainFile(path, settings::kMostIniFileBytes);
  if (!old) {
    return old.error();
  }
  // What the write would make, at most, must still be read back.
  const std::size_t most_after =
      (old->has_value() ? (*old)->size() : 0) + section.size() + key.size() + value.size() + 8;
  if (most_after > settings::kMostIniFileBytes) {
    return rir::Error{rir::ErrorCode::kTooLarge, path,
                      settings::TooLargeReason(settings::kMostIniFileBytes)};
  }
  if (!WritePrivateProfileStringA(section.c_str(), key.c_str(), value.c_str(), path.c_str())) {
    return rir::SystemFailure(rir::ErrorCode::kWrite, path);
  }
  return settings::KeepForAdministratorsOnly(path);
}

}  // namespace modINIFile
