#include <string>

#include "blocklist/hosts_store.h"

namespace blocklist {

std::string GetSystemPath() {
  return "/etc";
}

rir::Result<std::string> SystemHostsPath() {
  return GetSystemPath() + "/hosts";
}

}  // namespace blocklist
