// Where the history lies on Windows: beside the program, as its state file does, where the
// uninstaller finds it.
#include "blocklist/hosts_history.h"
#include "rir/path.h"

namespace blocklist {

std::string HistoryFolderFor(const std::string& executable_folder) {
  return rir::FileInFolder(executable_folder, "history");
}

}  // namespace blocklist
