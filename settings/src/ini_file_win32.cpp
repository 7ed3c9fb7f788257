#include <windows.h>

#include "ini_file_check.h"
#include "settings/ini_file.h"

namespace modINIFile {

std::string ReadIniValue(const std::string& section, const std::string& key,
                         const std::string& path) {
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
  if (!WritePrivateProfileStringA(section.c_str(), key.c_str(), value.c_str(), path.c_str())) {
    return rir::SystemFailure(rir::ErrorCode::kWrite, path);
  }
  return {};
}

}  // namespace modINIFile
