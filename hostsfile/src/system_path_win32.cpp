#include <windows.h>

#include <string>

#include "hostsfile/hosts_store.h"

namespace hostsfile {

std::string GetSystemPath() {
  std::string buffer(260, '\0');
  if (GetSystemDirectoryA(buffer.data(), 260) == 0) {
    return {};
  }
  return buffer.substr(0, buffer.find('\0'));
}

rir::Result<std::string> SystemHostsPath() {
  const std::string folder = GetSystemPath();
  if (folder.empty()) {
    return rir::Error{rir::ErrorCode::kSystemFolderUnknown, {}, rir::LastSystemReason()};
  }
  return folder + "\\drivers\\etc\\hosts";
}

}  // namespace hostsfile
