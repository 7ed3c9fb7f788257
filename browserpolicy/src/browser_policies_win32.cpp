// The registry's policy keys, set by the Windows program itself (it runs as an administrator).
#include <windows.h>

#include "browserpolicy/browser_policies.h"

namespace browserpolicy {

PolicyPlaces PolicyPlacesOf(const std::string& /*executable_folder*/) {
  return PolicyPlaces{};
}

std::vector<PolicyTarget> PolicyTargets(const PolicyPlaces& /*places*/) {
  return {};
}

rir::Result<DohSetting> ReadPolicy(const PolicyPlaces& /*places*/, const PolicyTarget& /*target*/) {
  return DohSetting::kNone;
}

rir::Result<std::vector<std::string>> SetPolicy(const PolicyPlaces& /*places*/,
                                                const PolicyTarget& /*target*/) {
  return std::vector<std::string>{};
}

rir::Result<void> RemovePolicy(const PolicyPlaces& /*places*/, const PolicyTarget& /*target*/,
                               const std::vector<std::string>& /*made*/) {
  return {};
}

void RemoveMade(std::vector<std::string> /*made*/) {}

}  // namespace browserpolicy
