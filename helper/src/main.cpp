// rir-avadera-helper: the only part of the Linux program that runs as root, started through
// pkexec by the program, which runs as the desktop user. One request on standard input, one
// reply on standard output; see helper/serve.h for what it does and refuses.
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string>

#include "helper/serve.h"
#include "hostsfile/hosts_store.h"
#include "process_state.h"
#include "rir/path.h"
#include "rir/posix_file.h"
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
  helper::Place place{
      *hosts, settings::StateFilePathIn(*folder), rir::ProgramDataFolder(*folder), {}};
  // The installed program's data folder is made at its first use; its parent is the system's.
  if (::mkdir(place.data_folder.c_str(), 0755) != 0 && errno != EEXIST) {
    return rir::SystemFailure(rir::ErrorCode::kCreateFolder, place.data_folder);
  }
  return place;
}

}  // namespace

int main() {
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
