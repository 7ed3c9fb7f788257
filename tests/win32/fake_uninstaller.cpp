// Stands in for the uninstaller: notes beside itself how it was asked to show its window.
#include <windows.h>

#include <fstream>
#include <string>

int main() {
  char path[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string marker(path);
  marker.replace(marker.rfind('.'), std::string::npos, ".started");
  STARTUPINFOA startup{};
  GetStartupInfoA(&startup);
  // Renamed into place, so that the test never finds the mark without its bytes.
  const std::string partial = marker + ".partial";
  std::ofstream(partial, std::ios::binary)
      << "show " << ((startup.dwFlags & STARTF_USESHOWWINDOW) ? startup.wShowWindow : -1);
  return MoveFileExA(partial.c_str(), marker.c_str(), MOVEFILE_REPLACE_EXISTING) ? 0 : 1;
}
