// The executable's folder on Windows.
#include <windows.h>

#include <string>

#include "settings/state_file.h"

namespace settings {

rir::Result<std::string> ExecutableFolder() {
  std::string module(MAX_PATH, '\0');
  for (;;) {
    const DWORD length =
        GetModuleFileNameA(nullptr, module.data(), static_cast<DWORD>(module.size()));
    if (length == 0) {
      return rir::SystemFailure(rir::ErrorCode::kExecutableFolderUnknown, {});
    }
    if (length < module.size()) {
      module.resize(length);
      break;
    }
    module.resize(module.size() * 2);  // cut short: try again with more room
  }
  const auto separator = module.find_last_of("\\/");
  if (separator == std::string::npos) {
    return rir::Error{rir::ErrorCode::kExecutableFolderUnknown, module, {}};
  }
  // A drive's root keeps its separator ("C:\"); any other folder loses it.
  const bool at_root = separator == 2 && module[1] == ':';
  return module.substr(0, at_root ? separator + 1 : separator);
}

}  // namespace settings
