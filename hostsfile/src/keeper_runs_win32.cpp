#include <windows.h>

#include "hostsfile/keeper_report.h"

namespace hostsfile {

// The keeper is a service: it runs when the service manager says so.
bool KeeperRuns(const std::string& /*folder*/) {
  SC_HANDLE manager = OpenSCManagerA(nullptr, nullptr, SC_MANAGER_CONNECT);
  if (manager == nullptr) {
    return false;
  }
  bool runs = false;
  if (SC_HANDLE service =
          OpenServiceA(manager, "TamborelleRirAvaderaKeeper", SERVICE_QUERY_STATUS)) {
    SERVICE_STATUS status{};
    runs = QueryServiceStatus(service, &status) && status.dwCurrentState == SERVICE_RUNNING;
    CloseServiceHandle(service);
  }
  CloseServiceHandle(manager);
  return runs;
}

}  // namespace hostsfile
