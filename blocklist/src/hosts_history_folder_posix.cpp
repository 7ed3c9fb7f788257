// Where the history lies on Linux: an installed program keeps it with the system's other
// program data, since /opt holds what the package ships; a build tree keeps it beside itself.
#include "blocklist/hosts_history.h"
#include "rir/path.h"

namespace blocklist {

std::string HistoryFolderFor(const std::string& executable_folder) {
  if (executable_folder == "/opt/tamborelle-rir-avadera") {
    return "/var/lib/tamborelle-rir-avadera/history";
  }
  return rir::FileInFolder(executable_folder, "history");
}

}  // namespace blocklist
