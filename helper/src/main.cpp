// rir-avadera-helper: the only part of the Linux program that runs as root, started through
// pkexec by the program, which runs as the desktop user. One request on standard input, one
// reply on standard output; see helper/serve.h for what it does and refuses.
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <thread>

#include "blocklist/hosts_history.h"
#include "blocklist/hosts_store.h"
#include "helper/serve.h"
#include "rir/posix_file.h"
#include "settings/state_file.h"

namespace {

// At most `limit` bytes, and one more to tell that there were more.
bool ReadAll(int fd, std::size_t limit, std::string& bytes) {
  char buffer[65536];
  while (bytes.size() <= limit) {
    const ssize_t got = rir::ReadSome(fd, buffer, sizeof buffer);
    if (got <= 0) {
      return got == 0;
    }
    bytes.append(buffer, static_cast<std::size_t>(got));
  }
  return true;
}

rir::Result<helper::Place> OwnPlace() {
  auto hosts = blocklist::SystemHostsPath();
  if (!hosts) {
    return hosts.error();
  }
  auto folder = settings::ExecutableFolder();
  if (!folder) {
    return folder.error();
  }
  return helper::Place{*hosts, settings::StateFilePathIn(*folder),
                       blocklist::HistoryFolderFor(*folder)};
}

bool RefusedForPassword(const helper::Message& reply) {
  const std::string* matches = reply.Field("matches");
  const std::string* code = reply.Field("code");
  return (matches != nullptr && *matches == "0") ||
         (code != nullptr &&
          *code == std::to_string(static_cast<int>(rir::ErrorCode::kWrongPassword)));
}

}  // namespace

int main() {
  // The history's folders and copies are made as readable as the hosts file, whatever mask the
  // user who asked had.
  ::umask(022);
  std::string request;
  helper::Message reply;
  if (!ReadAll(STDIN_FILENO, helper::kMostMessageBytes, request)) {
    reply = helper::ErrorReply(rir::SystemFailure(rir::ErrorCode::kRead, "standard input"));
  } else if (auto place = OwnPlace(); !place) {
    reply = helper::ErrorReply(place.error());
  } else {
    reply = helper::Serve(request, *place);
  }
  // Each wrong guess costs a second, so that the password cannot be tried at speed by hand.
  if (RefusedForPassword(reply)) {
    std::this_thread::sleep_for(std::chrono::seconds(1));
  }
  if (!rir::WriteAll(STDOUT_FILENO, helper::Encode(reply))) {
    return 2;
  }
  return reply.kind == helper::kOk ? 0 : 1;
}
