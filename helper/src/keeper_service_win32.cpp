// RirAvaderaKeeper.exe: the Windows program's keeper of blocks, a service the setup installs to
// run as the local system from boot, with or without the program and with nobody logged in (see
// helper/keeper.h). The service manager starts it again a second after it is killed. With
// --lock-state it says whether a lock is on, for the uninstaller, which a lock refuses; with
// --keep it keeps the blocks without the service manager until it is ended; with
// --remove-browser-policies it takes back the browsers' policies the program set, for the
// uninstaller, since nothing would take them back once the program is gone.
#include <windows.h>

#include <cstdio>
#include <ctime>
#include <string>

#include "browserpolicy/browser_policies.h"
#include "helper/keeper.h"
#include "hostsfile/hosts_store.h"
#include "lock/system_lock.h"
#include "rir/path.h"
#include "schedule/system_schedule.h"
#include "settings/state_file.h"

namespace {

constexpr const char* kServiceName = "TamborelleRirAvaderaKeeper";

// The hosts file, and beside the program the history, the lock and the names the last Apply left
// blocked, as the program keeps them.
rir::Result<helper::Keeping> OwnKeeping() {
  auto hosts = hostsfile::SystemHostsPath();
  if (!hosts) {
    return hosts.error();
  }
  auto folder = settings::ExecutableFolder();
  if (!folder) {
    return folder.error();
  }
  std::string data = rir::ProgramDataFolder(*folder);
  return helper::Keeping{
      *hosts, data, [data, hosts = *hosts] { return lock::PutBackApplied(data, hosts); },
      [data, hosts = *hosts] {
        return schedule::KeepSchedule(data, hosts, std::time(nullptr), schedule::SystemZone());
      }};
}

// What the service's control handler and its main share, for as long as the service runs.
struct Running {
  SERVICE_STATUS_HANDLE handle = nullptr;
  SERVICE_STATUS status{};
  HANDLE stop = nullptr;

  void Tell(DWORD state, DWORD exit_code = NO_ERROR) {
    status.dwServiceType = SERVICE_WIN32_OWN_PROCESS;
    status.dwCurrentState = state;
    status.dwControlsAccepted =
        state == SERVICE_RUNNING ? SERVICE_ACCEPT_STOP | SERVICE_ACCEPT_SHUTDOWN : 0;
    status.dwWin32ExitCode = exit_code;
    SetServiceStatus(handle, &status);
  }
};

DWORD WINAPI Control(DWORD control, DWORD /*type*/, void* /*data*/, void* context) {
  auto& running = *static_cast<Running*>(context);
  switch (control) {
    case SERVICE_CONTROL_STOP:
    case SERVICE_CONTROL_SHUTDOWN:
      running.Tell(SERVICE_STOP_PENDING);
      SetEvent(running.stop);
      return NO_ERROR;
    case SERVICE_CONTROL_INTERROGATE:
      return NO_ERROR;
    default:
      return ERROR_CALL_NOT_IMPLEMENTED;
  }
}

void WINAPI ServiceMain(DWORD /*argc*/, LPSTR* /*argv*/) {
  Running running;
  running.stop = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  running.handle = RegisterServiceCtrlHandlerExA(kServiceName, Control, &running);
  if (running.handle == nullptr || running.stop == nullptr) {
    return;
  }
  running.Tell(SERVICE_RUNNING);
  const auto keeping = OwnKeeping();
  if (keeping) {
    helper::Keep(*keeping, [&] { return WaitForSingleObject(running.stop, 0) == WAIT_OBJECT_0; });
  }
  running.Tell(SERVICE_STOPPED, keeping ? NO_ERROR : ERROR_FILE_NOT_FOUND);
  CloseHandle(running.stop);
}

}  // namespace

int main(int argc, char** argv) {
  const std::string mode = argc > 1 ? argv[1] : "";
  if (mode == "--remove-browser-policies") {
    auto folder = settings::ExecutableFolder();
    if (!folder) {
      std::fprintf(stderr, "%s\n", rir::DescribeError(folder.error()).c_str());
      return 1;
    }
    const auto removed = browserpolicy::RemoveAllPolicies(browserpolicy::PolicyPlaces{},
                                                          rir::ProgramDataFolder(*folder));
    for (const rir::Error& failure : removed.failures) {
      std::fprintf(stderr, "%s\n", rir::DescribeError(failure).c_str());
    }
    return removed.failures.empty() ? 0 : 1;
  }
  if (mode == "--lock-state" || mode == "--keep") {
    const auto keeping = OwnKeeping();
    if (!keeping) {
      std::fprintf(stderr, "%s\n", rir::DescribeError(keeping.error()).c_str());
      return 1;
    }
    if (mode == "--lock-state") {
      return helper::TellLock(keeping->hosts_path, keeping->data_folder);
    }
    helper::Keep(*keeping, [] { return false; });
    return 0;
  }
  std::string name(kServiceName);
  SERVICE_TABLE_ENTRYA table[] = {{name.data(), ServiceMain}, {nullptr, nullptr}};
  return StartServiceCtrlDispatcherA(table) ? 0 : 1;
}
