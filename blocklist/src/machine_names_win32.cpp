#include <windows.h>

#include <algorithm>
#include <array>

#include "blocklist/name_import.h"

namespace blocklist {

std::vector<std::string> MachineNames() {
  std::vector<std::string> names;
  for (const COMPUTER_NAME_FORMAT format :
       {ComputerNameDnsHostname, ComputerNameDnsFullyQualified, ComputerNameNetBIOS}) {
    std::array<char, 256> buffer{};
    auto size = static_cast<DWORD>(buffer.size());
    if (!GetComputerNameExA(format, buffer.data(), &size) || size == 0) {
      continue;
    }
    std::string name(buffer.data(), size);
    std::transform(name.begin(), name.end(), name.begin(), [](char c) {
      return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
    });
    if (std::find(names.begin(), names.end(), name) == names.end()) {
      names.push_back(std::move(name));
    }
  }
  return names;
}

}  // namespace blocklist
