#include "ui/common/program_files.h"

namespace ui {

rir::Result<settings::StateFile> StateFileBesideProgram(PlatformServices& services) {
  auto folder = services.ExecutableFolder();
  if (!folder) {
    return folder.error();
  }
  return settings::StateFile(settings::StateFilePathIn(*folder));
}

std::string UninstallerPathIn(const std::string& folder) {
#ifdef _WIN32
  return folder + "\\unins000.exe";
#else
  return folder + "/unins000.exe";
#endif
}

}  // namespace ui
