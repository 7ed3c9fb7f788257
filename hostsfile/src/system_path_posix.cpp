#include <string>

#include "hostsfile/hosts_store.h"

namespace hostsfile {

std::string GetSystemPath() {
  return "/etc";
}

rir::Result<std::string> SystemHostsPath() {
  return GetSystemPath() + "/hosts";
}

}  // namespace hostsfile
