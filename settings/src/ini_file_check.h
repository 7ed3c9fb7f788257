// What both INI writers refuse before they touch the file.
#pragma once

#include <string>
#include <string_view>

#include "rir/result.h"

namespace settings {

// A line break or NUL would end the line early and write lines of its own into the file.
inline rir::Result<void> CheckIniWrite(std::string_view section, std::string_view key,
                                       std::string_view value, const std::string& path) {
  const std::string_view breaks("\r\n\0", 3);
  for (const std::string_view text : {section, key, value}) {
    if (text.find_first_of(breaks) != std::string_view::npos) {
      return rir::Error{rir::ErrorCode::kInvalidText, path, {}};
    }
  }
  return {};
}

}  // namespace settings
