#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <optional>
#include <string>
#include <vector>

#include "hostsfile/resolver_cache.h"

extern char** environ;

namespace hostsfile {

namespace {

// Runs the system's own command and waits for it: its exit status is the answer.
std::optional<rir::Error> Run(const std::string& command, std::vector<std::string> arguments) {
  std::vector<char*> argv;
  argv.push_back(const_cast<char*>(command.c_str()));
  for (std::string& argument : arguments) {
    argv.push_back(argument.data());
  }
  argv.push_back(nullptr);
  pid_t child = 0;
  if (const int failed =
          ::posix_spawn(&child, command.c_str(), nullptr, nullptr, argv.data(), environ);
      failed != 0) {
    return rir::Error{rir::ErrorCode::kFlushResolverCache, command, rir::SystemReason(failed)};
  }
  int status = 0;
  while (::waitpid(child, &status, 0) < 0) {
    if (errno != EINTR) {
      return rir::SystemFailure(rir::ErrorCode::kFlushResolverCache, command);
    }
  }
  if (WIFEXITED(status) && WEXITSTATUS(status) == 0) {
    return std::nullopt;
  }
  return rir::Error{rir::ErrorCode::kFlushResolverCache, command,
                    WIFEXITED(status)
                        ? "It ended with status " + std::to_string(WEXITSTATUS(status))
                        : "It was ended by signal " + std::to_string(WTERMSIG(status))};
}

bool Exists(const std::string& path) {
  return ::access(path.c_str(), F_OK) == 0;
}

}  // namespace

std::vector<rir::Error> FlushResolverCaches(const ResolverCaches& caches) {
  std::vector<rir::Error> failures;
  if (Exists(caches.resolved_socket)) {
    if (auto failed = Run(caches.resolvectl, {"flush-caches"})) {
      failures.push_back(std::move(*failed));
    }
  }
  if (Exists(caches.nscd_socket)) {
    if (auto failed = Run(caches.nscd, {"-i", "hosts"})) {
      failures.push_back(std::move(*failed));
    }
  }
  return failures;
}

}  // namespace hostsfile
