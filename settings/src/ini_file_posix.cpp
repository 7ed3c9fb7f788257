#include "ini_file_check.h"
#include "ini_lock.h"
#include "ini_text.h"
#include "plain_file.h"
#include "rir/posix_file.h"
#include "settings/ini_file.h"
#include "settings/private_file.h"

namespace modINIFile {

std::string ReadIniValue(const std::string& section, const std::string& key,
                         const std::string& path) {
  const auto text = settings::ReadPlainFile(path, settings::kMostIniFileBytes);
  if (!text || !text->has_value()) {
    return {};  // as with the Windows call: an unreadable file has no values
  }
  std::string value = settings::FindIniValue(**text, section, key);
  if (value.size() > kMaxValueLength) {
    value.resize(kMaxValueLength);
  }
  return value;
}

rir::Result<void> WriteIniValue(const std::string& section, const std::string& key,
                                const std::string& value, const std::string& path) {
  if (auto checked = settings::CheckIniWrite(section, key, value, path); !checked) {
    return checked;
  }
  // From the read to the rename: another writer's value read in between would be lost.
  const auto lock = settings::IniLock::ForWriting(path);
  if (!lock) {
    return lock.error();
  }
  const auto text = settings::ReadPlainFile(path, settings::kMostIniFileBytes);
  if (!text) {
    return text.error();
  }
  const std::string changed =
      settings::SetIniValue(text->value_or(std::string()), section, key, value);
  if (changed.size() > settings::kMostIniFileBytes) {
    // It could not be read back.
    return rir::Error{rir::ErrorCode::kTooLarge, path,
                      settings::TooLargeReason(settings::kMostIniFileBytes)};
  }
  return rir::ReplaceFileByRename(path, changed, settings::kPrivateFileMode);
}

}  // namespace modINIFile
