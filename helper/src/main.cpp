// rir-avadera-helper: the only part of the Linux program that runs as root, started through
// pkexec by the program, which runs as the desktop user. One request on standard input, one
// reply on standard output; see helper/serve.h for what it does and refuses.
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string>

#include "helper/serve.h"
#include "hostsfile/hosts_store.h"
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
  ::alarm(kMostSeconds);
  // The history's folders and copies are made as readable as the hosts file, whatever mask the
  // user who asked had.
  ::umask(022);
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
