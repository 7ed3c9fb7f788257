// The files that lie beside the program's executable, their paths built anew at every use.
#pragma once

#include <string>
#include <vector>

#include "blocklist/site_names.h"
#include "browserpolicy/browser_policies.h"
#include "hostsfile/hosts_history.h"
#include "lock/lock_store.h"
#include "rir/result.h"
#include "settings/login_record.h"
#include "settings/state_file.h"
#include "ui/common/platform_services.h"

namespace ui {

rir::Result<settings::StateFile> StateFileBesideProgram(PlatformServices& services);

// The history of the hosts file, in the folder that goes with the program's place.
rir::Result<hostsfile::HostsHistory> HostsHistoryOfProgram(PlatformServices& services);

// The count of wrong passwords, where the program keeps its data.
rir::Result<settings::LoginRecord> LoginRecordOfProgram(PlatformServices& services);

// Where the program keeps its data: the history, the lock, the keeper's files.
rir::Result<std::string> DataFolderOfProgram(PlatformServices& services);

// Where the browsers' policies lie for this program (browserpolicy::PolicyPlacesOf).
rir::Result<browserpolicy::PolicyPlaces> PolicyPlacesOfProgram(PlatformServices& services);
// Whether the password's holder asked to leave the browsers' settings alone; the record is every
// user's to read.
bool BrowsersLeftAlone(PlatformServices& services);

// The lock's record, where the program keeps its data.
rir::Result<lock::LockStore> LockStoreOfProgram(PlatformServices& services);

// The sites file beside the program, read: what it names, its path, and the lines skipped. No
// file is no sites.
struct ReadSites {
  blocklist::KnownSites sites;
  std::string path;
  std::vector<std::size_t> damaged_lines;
};
rir::Result<ReadSites> ReadKnownSites(PlatformServices& services);

// The uninstaller that the installer puts beside the program.
std::string UninstallerPathIn(const std::string& folder);

}  // namespace ui
