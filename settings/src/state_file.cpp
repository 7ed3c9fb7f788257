#include "settings/state_file.h"

#include "ini_lock.h"
#include "key_presence.h"
#include "plain_file.h"
#include "rir/path.h"
#include "settings/ini_file.h"
#include "settings/password.h"

namespace settings {

namespace {

const std::string kSection = "settings";
const std::string kFirstRunKey = "firstrun";
const std::string kPasswordKey = "pwd";

}  // namespace

std::string StateFilePathIn(const std::string& folder) {
  return rir::FileInFolder(folder, "state.dll");
}

rir::Result<std::string> StateFile::Path() const {
  if (path_) {
    return *path_;
  }
  auto folder = ExecutableFolder();
  if (!folder) {
    return folder.error();
  }
  return StateFilePathIn(*folder);
}

std::string StateFile::ReadFirstRun() const {
  const auto path = Path();
  return path ? modINIFile::ReadIniValue(kSection, kFirstRunKey, *path) : std::string();
}

rir::Result<void> StateFile::WriteFirstRun(const std::string& value) const {
  const auto path = Path();
  if (!path) {
    return path.error();
  }
  return modINIFile::WriteIniValue(kSection, kFirstRunKey, value, *path);
}

rir::Result<std::string> StateFile::ReadPassword() const {
  const auto path = Path();
  if (!path) {
    return path.error();
  }
  const auto lock = IniLock::ForReading(*path);
  if (!lock) {
    return lock.error();
  }
  std::string value = modINIFile::ReadIniValue(kSection, kPasswordKey, *path);
  // Read after the value: a password stored in between can only make the check below refuse.
  // The INI calls read an unreadable file as empty, which here would be the empty password.
  // Read, not only opened: a folder in the file's place opens on Linux but cannot be read.
  const auto text = ReadPlainFile(*path, kMostIniFileBytes);
  if (!text) {
    return text.error();
  }
  if (value.empty() && text->has_value() && MightGiveKeyAValue(**text, kPasswordKey)) {
    return rir::Error{rir::ErrorCode::kUnclearPassword, *path,
                      "a line gives \"pwd\" a value, but not where the INI calls read it"};
  }
  return value;
}

rir::Result<void> StateFile::StorePassword(std::string_view typed) const {
  const auto path = Path();
  if (!path) {
    return path.error();
  }
  auto hashed = HashPassword(typed);
  if (!hashed) {
    return hashed.error();
  }
  return modINIFile::WriteIniValue(kSection, kPasswordKey, *hashed, *path);
}

}  // namespace settings
