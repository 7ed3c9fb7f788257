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

// Where the program keeps what it learns as it runs (the hosts file's history, the count of
// wrong passwords): beside itself on Windows and in a build tree; for the installed Linux
// program with the system's other program data, since /opt holds only what the package ships.
inline std::string ProgramDataFolder(const std::string& executable_folder) {
#ifndef _WIN32
  if (executable_folder == "/opt/tamborelle-rir-avadera") {
    return "/var/lib/tamborelle-rir-avadera";
  }
#endif
  return executable_folder;
}

}  // namespace rir
