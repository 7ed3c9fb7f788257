#include "ui/common/program_files.h"

#include "rir/file_read.h"
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

rir::Result<std::string> DataFolderOfProgram(PlatformServices& services) {
  auto folder = services.ExecutableFolder();
  if (!folder) {
    return folder.error();
  }
  return rir::ProgramDataFolder(*folder);
}

rir::Result<browserpolicy::PolicyPlaces> PolicyPlacesOfProgram(PlatformServices& services) {
  auto folder = services.ExecutableFolder();
  if (!folder) {
    return folder.error();
  }
  return browserpolicy::PolicyPlacesOf(*folder);
}

bool BrowsersLeftAlone(PlatformServices& services) {
  auto folder = DataFolderOfProgram(services);
  auto record = folder ? browserpolicy::ReadPolicyRecord(*folder)
                       : rir::Result<browserpolicy::PolicyRecord>(folder.error());
  return record && record->leave_alone;
}

rir::Result<lock::LockStore> LockStoreOfProgram(PlatformServices& services) {
  auto folder = DataFolderOfProgram(services);
  if (!folder) {
    return folder.error();
  }
  return lock::LockStore(*folder);
}

rir::Result<ReadSites> ReadKnownSites(PlatformServices& services) {
  auto folder = services.ExecutableFolder();
  if (!folder) {
    return folder.error();
  }
  ReadSites read;
  read.path = rir::FileInFolder(*folder, "sites.txt");
  auto text = rir::ReadSmallFile(read.path);
  if (!text) {
    return text.error();
  }
  if (*text) {
    read.sites = blocklist::KnownSites::Parse(**text, read.damaged_lines);
  }
  return read;
}

std::string UninstallerPathIn(const std::string& folder) {
  return rir::FileInFolder(folder, "unins000.exe");
}

}  // namespace ui
