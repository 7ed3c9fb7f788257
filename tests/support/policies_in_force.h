// How many browser families the machine's policies keep off DNS over HTTPS, in `places`.
#pragma once

#include <cstddef>

#include "browserpolicy/browser_policies.h"

namespace testsupport {

inline std::size_t PoliciesKeptOff(const browserpolicy::PolicyPlaces& places) {
  std::size_t off = 0;
  for (const auto& target : browserpolicy::PolicyTargets(places)) {
    const auto setting = browserpolicy::ReadPolicy(places, target);
    off += setting && *setting == browserpolicy::DohSetting::kOff ? 1U : 0U;
  }
  return off;
}

}  // namespace testsupport
