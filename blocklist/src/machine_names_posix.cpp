#include <unistd.h>

#include <algorithm>
#include <array>

#include "blocklist/name_import.h"

namespace blocklist {

std::vector<std::string> MachineNames() {
  std::array<char, 256> buffer{};
  if (gethostname(buffer.data(), buffer.size() - 1) != 0 || buffer[0] == '\0') {
    return {};
  }
  std::string name(buffer.data());
  std::transform(name.begin(), name.end(), name.begin(), [](char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
  });
  std::vector<std::string> names{name};
  // A fully qualified host name answers to its first label too, through the search domain.
  if (const auto dot = name.find('.'); dot != std::string::npos && dot > 0) {
    names.push_back(name.substr(0, dot));
  }
  return names;
}

}  // namespace blocklist
