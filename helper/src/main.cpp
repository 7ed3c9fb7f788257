// rir-avadera-helper: the only part of the Linux program that runs as root, started through
// pkexec by the program, which runs as the desktop user. One request on standard input, one
// reply on standard output; see helper/serve.h for what it does and refuses. Started by the
// service manager with --keep, it keeps the blocks until it is stopped (helper/keeper.h); with
// --lock-state, it says whether a lock is on, for the package's removal, which a lock refuses;
// with --remove-browser-policies, the package's removal takes back the browsers' policies.
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <iostream>
#include <string>

#include "helper/keeper.h"
#include "helper/serve.h"
#include "hostsfile/hosts_store.h"
#include "hostsfile/keeper_report.h"
#include "process_state.h"
#include "rir/path.h"
#include "rir/posix_file.h"
#include "schedule/local_time.h"
#include "settings/state_file.h"

namespace {

// The program gives up waiting after as long (pkexec's question included); a helper still at
// work then ends. Every save it makes survives being cut short, and the next request tidies up.
constexpr unsigned kMostSeconds = 120;

rir::Result<helper::Place> OwnPlace() {
  auto hosts = hostsfile::SystemHostsPath();
  if (!hosts) {
    return hosts.error();
  }
  auto folder = settings::ExecutableFolder();
  if (!folder) {
    return folder.error();
  }
  helper::Place place{*hosts,
                      settings::StateFilePathIn(*folder),
                      rir::ProgramDataFolder(*folder),
                      {},
                      browserpolicy::PolicyPlacesOf(*folder)};
  // The installed program's data folder is made at its first use; its parent is the system's.
  if (::mkdir(place.data_folder.c_str(), 0755) != 0 && errno != EEXIST) {
    return rir::SystemFailure(rir::ErrorCode::kCreateFolder, place.data_folder);
  }
  return place;
}

// The process id that tells the program a keeper runs, there for as long as this object is.
class RunningMark {
 public:
  explicit RunningMark(std::string path) : path_(std::move(path)) {
    static_cast<void>(rir::ReplaceFileByRename(path_, std::to_string(::getpid()) + "\n", 0644));
  }
  RunningMark(const RunningMark&) = delete;
  RunningMark& operator=(const RunningMark&) = delete;
  ~RunningMark() { ::unlink(path_.c_str()); }

 private:
  std::string path_;
};

// Until the service manager asks it to end (SIGTERM), or someone at a terminal does (SIGINT).
int KeepBlocks(const helper::Place& place) {
  sigset_t ending;
  sigemptyset(&ending);
  sigaddset(&ending, SIGTERM);
  sigaddset(&ending, SIGINT);
  sigprocmask(SIG_BLOCK, &ending, nullptr);
  const timespec no_wait{};
  const RunningMark running(hostsfile::KeeperRunningPath(place.data_folder));
  const helper::Keeping keeping{
      place.hosts_path, place.data_folder, [&place] { return helper::PutBlocksBack(place); },
      [&place] { return helper::KeepSchedule(place, std::time(nullptr), schedule::SystemZone()); }};
  helper::Keep(keeping, [&] { return sigtimedwait(&ending, nullptr, &no_wait) > 0; });
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string mode = argc > 1 ? argv[1] : "";
  const bool system_mode = mode == "--keep" || mode == "--remove-browser-policies";
  if (system_mode && std::getenv("PKEXEC_UID") != nullptr) {
    // The service manager starts the keeper, and the package's removal takes the policies back;
    // a desktop user's pkexec would leave root processes running for as long as that user liked,
    // or lift the browsers' policies without the password.
    std::cerr << "rir-avadera-helper: " << mode << " is for the system, not through pkexec\n";
    return 1;
  }
  if (mode == "--remove-browser-policies") {
    auto place = OwnPlace();
    if (!place) {
      std::cerr << rir::DescribeError(place.error()) << "\n";
      return 1;
    }
    const auto kept = browserpolicy::RemoveAllPolicies(*place->policies, place->data_folder);
    for (const rir::Error& failure : kept.failures) {
      std::cerr << rir::DescribeError(failure) << "\n";
    }
    return kept.failures.empty() ? 0 : 1;
  }
  if (mode == "--keep" || mode == "--lock-state") {
    auto place = OwnPlace();
    if (!place) {
      std::cerr << rir::DescribeError(place.error()) << "\n";
      return 1;
    }
    return mode == "--keep" ? KeepBlocks(*place)
                            : helper::TellLock(place->hosts_path, place->data_folder);
  }
  // Before anything else: what the user who started it set must not reach the rest.
  const bool in_order = helper::PutProcessStateInOrder();
  ::alarm(kMostSeconds);
  if (!in_order) {
    const rir::Error refused{rir::ErrorCode::kBadRequest, "rir-avadera-helper",
                             "it could not set its own process state: " + rir::LastSystemReason()};
    return rir::WriteAll(STDOUT_FILENO, helper::Encode(helper::ErrorReply(refused))) ? 1 : 2;
  }
  helper::RequestReader request([](char* into, std::size_t room) {
    return static_cast<std::ptrdiff_t>(rir::ReadSome(STDIN_FILENO, into, room));
  });
  auto place = OwnPlace();
  const helper::Message reply =
      place ? helper::Serve(request, *place) : helper::ErrorReply(place.error());
  if (!rir::WriteAll(STDOUT_FILENO, helper::Encode(reply))) {
    return 2;
  }
  return reply.kind == helper::kOk ? 0 : 1;
}
