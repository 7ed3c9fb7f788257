#include "helper_kill.h"

#include <fcntl.h>
#include <grp.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <utility>
#include <vector>

#include "blocklist/block_list.h"
#include "helper/protocol.h"
#include "hostsfile/hosts_store.h"
#include "rir/path.h"

namespace testsupport {

namespace {

constexpr const char* kSystemHosts = "/etc/hosts";
constexpr uid_t kDesktopUser = 65534;  // nobody

void WriteRequest(const std::string& path, std::string_view bytes) {
  const std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(path.c_str(), "wb"),
                                                             std::fclose);
  if (file) {
    std::fwrite(bytes.data(), 1, bytes.size(), file.get());
  }
}

// Starts the helper with the request in the file `request` on its standard input.
pid_t StartHelper(const std::string& helper, const std::string& request) {
  std::fflush(nullptr);
  const pid_t child = ::fork();
  if (child == 0) {
    const int input = ::open(request.c_str(), O_RDONLY | O_CLOEXEC);
    const int output = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
    if (input < 0 || output < 0 || ::dup2(input, STDIN_FILENO) < 0 ||
        ::dup2(output, STDOUT_FILENO) < 0) {
      ::_exit(126);
    }
    ::execl(helper.c_str(), helper.c_str(), nullptr);
    ::_exit(127);
  }
  return child;
}

bool Succeeded(pid_t child) {
  int status = 0;
  while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
  }
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// The program's load as the desktop user (where this process may become another user, else as
// this one): what a killed helper left and the user may not touch, the user's load has the helper
// finish. The child keeps root as its saved user, to start the helper as pkexec would.
bool LoadAsDesktopUser(const std::string& path, const std::string& helper,
                       const std::string& finish_request) {
  std::fflush(nullptr);
  const pid_t child = ::fork();
  if (child == 0) {
    if (::setgroups(0, nullptr) == 0 && ::setresgid(kDesktopUser, kDesktopUser, 0) == 0) {
      static_cast<void>(::setresuid(kDesktopUser, kDesktopUser, 0));
    }
    const uid_t user = ::geteuid();
    hostsfile::HostsStore store(path);
    store.FinishWith([&](const std::string& /*at*/) {
      const bool root = ::seteuid(0) == 0;
      const pid_t finishing = StartHelper(helper, finish_request);
      const bool finished = Succeeded(finishing) && (!root || ::seteuid(user) == 0);
      return finished ? rir::Result<std::optional<hostsfile::FinishedSave>>(std::nullopt)
                      : rir::Error{rir::ErrorCode::kHelperFailed, helper, "it did not finish"};
    });
    blocklist::BlockList list;
    ::_exit(store.Load(list) ? 0 : 1);
  }
  return Succeeded(child);
}

}  // namespace

void SaveThroughHelper(KillRun& run, const std::string& helper) {
  const std::string save_request = helper + ".save-request";
  const std::string finish_request = helper + ".finish-request";
  helper::Message finish{std::string(helper::kFinishSave), {}};
  WriteRequest(finish_request, helper::Encode(finish.With("path", kSystemHosts)));
  run.seen_in = "/etc";
  // The request for each text, written once: a run saves its new text, and its old one too when
  // it looks at the record.
  auto requested = std::make_shared<std::vector<std::pair<std::string, std::string>>>();
  run.start_save = [helper, save_request, requested](const std::string& /*path*/,
                                                     std::string_view text) {
    auto known = std::find_if(requested->begin(), requested->end(),
                              [text](const auto& request) { return request.first == text; });
    if (known == requested->end()) {
      const std::string request_path = save_request + "." + std::to_string(requested->size());
      helper::Message save{std::string(helper::kSaveHosts), {}};
      save.With("password", "").With("path", kSystemHosts).With("stamp", "");
      const helper::EncodedPieces encoded = helper::EncodeWithLast(save, "text", text);
      WriteRequest(request_path, encoded.head + std::string(text) + "\n");
      requested->emplace_back(std::string(text), request_path);
      known = requested->end() - 1;
    }
    return StartHelper(helper, known->second);
  };
  run.next_load = [helper, finish_request](const std::string& path) {
    return LoadAsDesktopUser(path, helper, finish_request);
  };
}

void LookAtHelperRecord(KillRun& run, const std::string& helper) {
  run.record = rir::FileInFolder(
      rir::ProgramDataFolder(std::filesystem::path(helper).parent_path().string()),
      "blocked-entries");
  const std::string finish_request = helper + ".finish-request";
  run.next_request = [helper, finish_request] {
    return Succeeded(StartHelper(helper, finish_request));
  };
}

}  // namespace testsupport
