// Joining a folder and a file name the way the program always has: plain concatenation with the
// platform's separator, so that a root folder ("C:\") gives "C:\\name", which Windows reads as
// "C:\name".
#pragma once

#include <string>
#include <string_view>

namespace rir {

inline std::string FileInFolder(const std::string& folder, std::string_view name) {
#ifdef _WIN32
  constexpr char kSeparator = '\\';
#else
  constexpr char kSeparator = '/';
#endif
  std::string path = folder;
  path += kSeparator;
  path += name;
  return path;
}

}  // namespace rir
