#include "ui/common/program_files.h"

#include "rir/path.h"

namespace ui {

rir::Result<settings::StateFile> StateFileBesideProgram(PlatformServices& services) {
  auto folder = services.ExecutableFolder();
  if (!folder) {
    return folder.error();
  }
  return settings::StateFile(settings::StateFilePathIn(*folder));
}

rir::Result<hostsfile::HostsHistory> HostsHistoryOfProgram(PlatformServices& services) {
  auto folder = services.ExecutableFolder();
  if (!folder) {
    return folder.error();
  }
  return hostsfile::HostsHistory(hostsfile::HistoryFolderFor(*folder));
}

rir::Result<settings::LoginRecord> LoginRecordOfProgram(PlatformServices& services) {
  auto folder = services.ExecutableFolder();
  if (!folder) {
    return folder.error();
  }
  return settings::LoginRecord(settings::LoginRecordPathIn(rir::ProgramDataFolder(*folder)));
}

std::string UninstallerPathIn(const std::string& folder) {
  return rir::FileInFolder(folder, "unins000.exe");
}

}  // namespace ui
